#pragma once

#include <QByteArray>
#include <Qt>

// System-wide hot keys and the key-down notifications of the process.
// Native keys and modifiers are the window system's own numbers.
namespace Platform {

// The native key of a toolkit key (0 when it has none).
quint32 nativeKeycode(Qt::Key key);
// The native modifier bits of Shift, Control, Alt and Meta.
quint32 nativeModifiers(Qt::KeyboardModifiers modifiers);

// Grabs the combination system-wide; false when the system refuses it
// (another client holds it) or the key is 0.
bool registerHotKey(quint32 nativeKey, quint32 nativeMods);
bool unregisterHotKey(quint32 nativeKey, quint32 nativeMods);

// What a native event of the toolkit's event dispatcher is about.
struct NativeKeyEvent
{
    enum Kind
    {
        Other,
        HotKey,  // a registered combination was pressed: key and mods
        KeyDown, // a key went down in one of the process's windows: code
    };
    Kind kind = Other;
    quint32 key = 0;
    quint32 mods = 0;
    int code = 0;
};
NativeKeyEvent readNativeKeyEvent(const QByteArray &eventType, void *message);

// The key-down code of a native key as the typing sounds expect it: set-1
// scan code in bits 0-7, 0x100 for extended keys, 0x4000 for auto-repeat.
// 0 for a key without one.
int keyDownCode(quint32 nativeKey, bool autoRepeat);

} // namespace Platform
