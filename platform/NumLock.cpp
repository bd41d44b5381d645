#include "platform/NumLock.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <X11/XKBlib.h>
#include <X11/keysym.h>

namespace morva::detail {

bool x11NumLockOn()
{
#if QT_CONFIG(xcb)
    if (!qGuiApp)
        return false;
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return false;
    Display *display = x11->display();
    if (!display)
        return false;
    XkbStateRec state{};
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success)
        return false;
    const unsigned int numLockMask = XkbKeysymToModifiers(display, XK_Num_Lock);
    return numLockMask != 0 && (state.locked_mods & numLockMask) != 0;
#else
    return false;
#endif
}

} // namespace morva::detail
