#ifndef MORVA_PLATFORM_APPICON_H
#define MORVA_PLATFORM_APPICON_H

// The program's window icon, drawn in code: three allele-frequency curves in
// the allele colours on a light panel.

#include <QIcon>

namespace morva {

// The icon every window of the program carries (16, 32, 48 and 64 pixels).
QIcon applicationIcon();

} // namespace morva

#endif
