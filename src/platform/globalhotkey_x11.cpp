#include "globalhotkey.h"

#include <QHash>
#include <QSet>
#include <QX11Info>

#include <X11/XF86keysym.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

namespace Platform {

namespace {

// Grabs are made for every state of the lock keys, which X counts as
// modifiers: none, Caps Lock, Num Lock (Mod2) and both.
const quint32 kLockVariants[] = {0, LockMask, Mod2Mask, LockMask | Mod2Mask};
const quint32 kModifierMask = ShiftMask | ControlMask | Mod1Mask | Mod4Mask;

int g_grabError = 0;

int recordGrabError(Display *, XErrorEvent *event)
{
    g_grabError = event->error_code;
    return 0;
}

KeySym keysymOf(Qt::Key key)
{
    static const QHash<int, KeySym> table = {
        {Qt::Key_Escape, XK_Escape},
        {Qt::Key_Tab, XK_Tab},
        {Qt::Key_Backtab, XK_Tab},
        {Qt::Key_Backspace, XK_BackSpace},
        {Qt::Key_Return, XK_Return},
        {Qt::Key_Enter, XK_KP_Enter},
        {Qt::Key_Insert, XK_Insert},
        {Qt::Key_Delete, XK_Delete},
        {Qt::Key_Pause, XK_Pause},
        {Qt::Key_Print, XK_Print},
        {Qt::Key_Clear, XK_Clear},
        {Qt::Key_Home, XK_Home},
        {Qt::Key_End, XK_End},
        {Qt::Key_Left, XK_Left},
        {Qt::Key_Up, XK_Up},
        {Qt::Key_Right, XK_Right},
        {Qt::Key_Down, XK_Down},
        {Qt::Key_PageUp, XK_Prior},
        {Qt::Key_PageDown, XK_Next},
        {Qt::Key_Space, XK_space},
        {Qt::Key_Asterisk, XK_KP_Multiply},
        {Qt::Key_Plus, XK_KP_Add},
        {Qt::Key_Minus, XK_KP_Subtract},
        {Qt::Key_Slash, XK_KP_Divide},
        {Qt::Key_VolumeDown, XF86XK_AudioLowerVolume},
        {Qt::Key_VolumeUp, XF86XK_AudioRaiseVolume},
        {Qt::Key_VolumeMute, XF86XK_AudioMute},
        {Qt::Key_MediaNext, XF86XK_AudioNext},
        {Qt::Key_MediaPrevious, XF86XK_AudioPrev},
        {Qt::Key_MediaPlay, XF86XK_AudioPlay},
        {Qt::Key_MediaStop, XF86XK_AudioStop},
    };
    if (table.contains(key))
        return table.value(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return XK_F1 + (key - Qt::Key_F1);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return XK_a + (key - Qt::Key_A);
    if (key > 0x20 && key < 0x100)
        return KeySym(key);
    return NoSymbol;
}

void grabAll(Display *display, Window root, quint32 key, quint32 mods)
{
    for (quint32 lock : kLockVariants)
        XGrabKey(display, int(key), mods | lock, root, False, GrabModeAsync, GrabModeAsync);
}

void ungrabAll(Display *display, Window root, quint32 key, quint32 mods)
{
    for (quint32 lock : kLockVariants)
        XUngrabKey(display, int(key), mods | lock, root);
}

// Keys that the other system reports with the extended flag, by Linux
// input key code (X key code - 8).
const QHash<int, int> &extendedKeys()
{
    static const QHash<int, int> table = {
        {96, 0x1C},  // keypad Enter
        {97, 0x1D},  // right Ctrl
        {98, 0x35},  // keypad /
        {99, 0x37},  // Print Screen
        {100, 0x38}, // right Alt
        {102, 0x47}, // Home
        {103, 0x48}, // Up
        {104, 0x49}, // Page Up
        {105, 0x4B}, // Left
        {106, 0x4D}, // Right
        {107, 0x4F}, // End
        {108, 0x50}, // Down
        {109, 0x51}, // Page Down
        {110, 0x52}, // Insert
        {111, 0x53}, // Delete
        {125, 0x5B}, // left Windows key
        {126, 0x5C}, // right Windows key
        {127, 0x5D}, // menu key
        {69, 0x45},  // Num Lock
    };
    return table;
}

// Keys that are down in the process's windows, to tell auto-repeat apart.
QSet<quint32> &keysDown()
{
    static QSet<quint32> keys;
    return keys;
}

// Without detectable auto-repeat the X server sends a release before every
// repeated press, both with the same time stamp: the last release tells a
// repeat from a new press.
struct Release
{
    quint32 key = 0;
    xcb_timestamp_t time = 0;
};
Release &lastRelease()
{
    static Release release;
    return release;
}

const quint32 kXKeycodeF10 = 76;
const quint32 kXKeycodeLeftAlt = 64;
const quint32 kXKeycodeRightAlt = 108;

} // namespace

quint32 nativeKeycode(Qt::Key key)
{
    Display *display = QX11Info::isPlatformX11() ? QX11Info::display() : nullptr;
    const KeySym sym = keysymOf(key);
    if (!display || sym == NoSymbol)
        return 0;
    return XKeysymToKeycode(display, sym);
}

quint32 nativeModifiers(Qt::KeyboardModifiers modifiers)
{
    quint32 native = 0;
    if (modifiers & Qt::ShiftModifier)
        native |= ShiftMask;
    if (modifiers & Qt::ControlModifier)
        native |= ControlMask;
    if (modifiers & Qt::AltModifier)
        native |= Mod1Mask;
    if (modifiers & Qt::MetaModifier)
        native |= Mod4Mask;
    return native;
}

bool registerHotKey(quint32 nativeKey, quint32 nativeMods)
{
    Display *display = QX11Info::isPlatformX11() ? QX11Info::display() : nullptr;
    if (!display || nativeKey == 0)
        return false;
    const Window root = QX11Info::appRootWindow();
    XSync(display, False);
    g_grabError = 0;
    XErrorHandler previous = XSetErrorHandler(recordGrabError);
    grabAll(display, root, nativeKey, nativeMods);
    XSync(display, False);
    const bool refused = g_grabError != 0;
    if (refused) {
        // Release the variants that did succeed; this leaves other clients' grabs alone.
        ungrabAll(display, root, nativeKey, nativeMods);
        XSync(display, False);
    }
    XSetErrorHandler(previous);
    return !refused;
}

bool unregisterHotKey(quint32 nativeKey, quint32 nativeMods)
{
    Display *display = QX11Info::isPlatformX11() ? QX11Info::display() : nullptr;
    if (!display || nativeKey == 0)
        return false;
    ungrabAll(display, QX11Info::appRootWindow(), nativeKey, nativeMods);
    XSync(display, False);
    return true;
}

int keyDownCode(quint32 nativeKey, bool autoRepeat)
{
    if (nativeKey < 9)
        return 0;
    const int linuxKey = int(nativeKey) - 8;
    int code = 0;
    if (extendedKeys().contains(linuxKey))
        code = extendedKeys().value(linuxKey) | 0x100;
    else if (linuxKey <= 88)
        code = linuxKey; // the main block, function keys and keypad share the set-1 numbers
    if (code && autoRepeat)
        code |= 0x4000;
    return code;
}

NativeKeyEvent readNativeKeyEvent(const QByteArray &eventType, void *message)
{
    NativeKeyEvent result;
    if (eventType != "xcb_generic_event_t" || !message)
        return result;
    auto *event = static_cast<xcb_generic_event_t *>(message);
    switch (event->response_type & 0x7f) {
    case XCB_KEY_PRESS: {
        auto *key = reinterpret_cast<xcb_key_press_event_t *>(event);
        if (key->event == key->root) {
            result.kind = NativeKeyEvent::HotKey;
            result.key = key->detail;
            result.mods = key->state & kModifierMask;
            return result;
        }
        const Release &released = lastRelease();
        const bool repeat =
            keysDown().contains(key->detail) || (released.key == key->detail && released.time == key->time);
        keysDown().insert(key->detail);
        lastRelease() = Release();
        // Keys pressed with Alt held, Alt itself and F10 are system keys
        // there, which the key-down notification leaves out.
        if ((key->state & Mod1Mask) || key->detail == kXKeycodeF10 || key->detail == kXKeycodeLeftAlt ||
            key->detail == kXKeycodeRightAlt)
            return result;
        result.kind = NativeKeyEvent::KeyDown;
        result.key = key->detail;
        result.code = keyDownCode(key->detail, repeat);
        return result;
    }
    case XCB_KEY_RELEASE: {
        auto *key = reinterpret_cast<xcb_key_release_event_t *>(event);
        keysDown().remove(key->detail);
        lastRelease() = {key->detail, key->time};
        return result;
    }
    case XCB_FOCUS_OUT:
        keysDown().clear();
        lastRelease() = Release();
        return result;
    default:
        return result;
    }
}

} // namespace Platform
