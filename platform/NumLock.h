#ifndef MORVA_PLATFORM_NUMLOCK_H
#define MORVA_PLATFORM_NUMLOCK_H

// The Num Lock state read from the X server's keyboard extension. Kept in a
// unit of its own because the X11 headers define macros (None, Bool, Status)
// that clash with Qt's names.

namespace morva::detail {

// True when Num Lock is locked on; false without an X11 display.
bool x11NumLockOn();

} // namespace morva::detail

#endif
