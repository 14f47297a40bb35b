// Lock key state from the X server's keyboard indicators.
// Qt first: the X headers define macros (Bool, Status) that Qt's headers must not see.
#include <QGuiApplication>

#include "gui/frame/lock_keys.h"

// clang-format off
#include <X11/XKBlib.h>
// clang-format on

namespace {

std::optional<bool> Indicator(Display* display, const char* name) {
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None) return std::nullopt;
    Bool on = False;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) return std::nullopt;
    return on == True;
}

}  // namespace

LockKeyState QueryLockKeys() {
    // Only when the program runs on X; other platforms (offscreen, Wayland) do not tell.
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return {};
    return {Indicator(display, "Caps Lock"), Indicator(display, "Num Lock"),
            Indicator(display, "Scroll Lock")};
}
