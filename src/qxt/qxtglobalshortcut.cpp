#include "qxtglobalshortcut.h"

#include "manager/cuimanager.h"
#include "platform/globalhotkey.h"
#include "qxtglobalshortcut_p.h"

#include <QCoreApplication>
#include <QDebug>

namespace {

QxtNativeKeyFilter *g_filter = nullptr;

} // namespace

int QxtGlobalShortcutPrivate::s_living = 0;

QHash<QxtGlobalShortcutPrivate::Combination, QxtGlobalShortcut *> &QxtGlobalShortcutPrivate::shortcuts()
{
    static QHash<Combination, QxtGlobalShortcut *> map;
    return map;
}

QxtGlobalShortcutPrivate::QxtGlobalShortcutPrivate(QxtGlobalShortcut *owner) : q(owner)
{
    if (s_living++ == 0 && QCoreApplication::instance()) {
        g_filter = new QxtNativeKeyFilter;
        QCoreApplication::instance()->installNativeEventFilter(g_filter);
    }
}

QxtGlobalShortcutPrivate::~QxtGlobalShortcutPrivate()
{
    unsetShortcut();
    if (--s_living == 0 && g_filter) {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(g_filter);
        delete g_filter;
        g_filter = nullptr;
    }
}

bool QxtGlobalShortcutPrivate::unsetShortcut()
{
    const Combination combination(nativeKey, nativeMods);
    bool done = true;
    if (registered && shortcuts().value(combination) == q) {
        done = Platform::unregisterHotKey(nativeKey, nativeMods);
        shortcuts().remove(combination);
    }
    registered = false;
    key = Qt::Key(0);
    mods = Qt::NoModifier;
    nativeKey = 0;
    nativeMods = 0;
    return done;
}

bool QxtGlobalShortcutPrivate::setShortcut(const QKeySequence &shortcut)
{
    unsetShortcut();
    const int all = int(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const int first = shortcut.isEmpty() ? 0 : shortcut[0];
    key = Qt::Key(first & ~all);
    mods = Qt::KeyboardModifiers(first & all);
    nativeKey = Platform::nativeKeycode(key);
    nativeMods = Platform::nativeModifiers(mods);
    const Combination combination(nativeKey, nativeMods);
    // A combination held by another shortcut of this process stays with it.
    if (nativeKey == 0 || shortcuts().contains(combination))
        return false;
    registered = Platform::registerHotKey(nativeKey, nativeMods);
    if (registered)
        shortcuts().insert(combination, q);
    return registered;
}

bool QxtGlobalShortcutPrivate::activateShortcut(quint32 nativeKey, quint32 nativeMods)
{
    QxtGlobalShortcut *shortcut = shortcuts().value(Combination(nativeKey, nativeMods));
    if (!shortcut || !shortcut->isEnabled())
        return false;
    emit shortcut->activated(shortcut);
    return true;
}

bool QxtNativeKeyFilter::nativeEventFilter(const QByteArray &eventType, void *message, long *result)
{
    Q_UNUSED(result)
    const Platform::NativeKeyEvent event = Platform::readNativeKeyEvent(eventType, message);
    if (event.kind == Platform::NativeKeyEvent::HotKey)
        QxtGlobalShortcutPrivate::activateShortcut(event.key, event.mods);
    else if (event.kind == Platform::NativeKeyEvent::KeyDown)
        emit CUiManager::instance()->sig_GlobalKeyPress_Win(event.code);
    return false;
}

QxtGlobalShortcut::QxtGlobalShortcut(QObject *parent) : QObject(parent), d(new QxtGlobalShortcutPrivate(this))
{
}

QxtGlobalShortcut::QxtGlobalShortcut(const QKeySequence &shortcut, QObject *parent)
    : QxtGlobalShortcut(parent)
{
    setShortcut(shortcut);
}

QxtGlobalShortcut::~QxtGlobalShortcut()
{
    delete d;
}

QKeySequence QxtGlobalShortcut::shortcut() const
{
    if (d->key == 0)
        return QKeySequence();
    return QKeySequence(int(d->key) | int(d->mods));
}

bool QxtGlobalShortcut::setShortcut(const QKeySequence &shortcut)
{
    return d->setShortcut(shortcut);
}

bool QxtGlobalShortcut::isEnabled() const
{
    return d->enabled;
}

bool QxtGlobalShortcut::isRegistered() const
{
    return d->registered;
}

void QxtGlobalShortcut::setEnabled(bool enabled)
{
    d->enabled = enabled;
}

void QxtGlobalShortcut::setDisabled(bool disabled)
{
    d->enabled = !disabled;
}
