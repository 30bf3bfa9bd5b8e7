#pragma once

#include <QKeySequence>
#include <QObject>

class QxtGlobalShortcutPrivate;

// Binds a key sequence to a system-wide hot key: `activated` is emitted
// whenever the combination is pressed, whichever program has the focus.
class QxtGlobalShortcut : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(QKeySequence shortcut READ shortcut WRITE setShortcut)
public:
    explicit QxtGlobalShortcut(QObject *parent = nullptr);
    explicit QxtGlobalShortcut(const QKeySequence &shortcut, QObject *parent = nullptr);
    ~QxtGlobalShortcut() override;

    QKeySequence shortcut() const;
    // False when the system refuses the combination (another program, or
    // another shortcut of this one, holds it) or the sequence is empty.
    bool setShortcut(const QKeySequence &shortcut);

    bool isEnabled() const;
    bool isRegistered() const;

public slots:
    void setEnabled(bool enabled = true);
    void setDisabled(bool disabled = true);

signals:
    void activated(QxtGlobalShortcut *self);

private:
    friend class QxtGlobalShortcutPrivate;
    QxtGlobalShortcutPrivate *d;
};
