#pragma once

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QPair>
#include <Qt>

class QxtGlobalShortcut;
class QKeySequence;

// The private part of a shortcut and the process-wide registry of the
// combinations held. While at least one private part lives, one native
// event filter watches the event dispatcher for hot-key presses and the
// process's key-down events.
class QxtGlobalShortcutPrivate
{
public:
    explicit QxtGlobalShortcutPrivate(QxtGlobalShortcut *owner);
    ~QxtGlobalShortcutPrivate();

    bool setShortcut(const QKeySequence &shortcut);
    bool unsetShortcut();

    // Emits `activated` of the enabled shortcut that owns the combination.
    static bool activateShortcut(quint32 nativeKey, quint32 nativeMods);

    bool enabled = true;
    Qt::Key key = Qt::Key(0);
    Qt::KeyboardModifiers mods = Qt::NoModifier;
    quint32 nativeKey = 0;
    quint32 nativeMods = 0;
    bool registered = false;
    QxtGlobalShortcut *q;

private:
    using Combination = QPair<quint32, quint32>;
    static QHash<Combination, QxtGlobalShortcut *> &shortcuts();
    static int s_living;
};

class QxtNativeKeyFilter : public QAbstractNativeEventFilter
{
public:
    bool nativeEventFilter(const QByteArray &eventType, void *message, long *result) override;
};
