#pragma once

#include <QDialog>
#include <QHash>
#include <QList>

class QAbstractButton;
class QHBoxLayout;
class QLabel;
class QPushButton;
class FramelessHelper;

// The program's themed modal message box. Results: the ZtStandardButton
// value of a clicked standard button, the index of a clicked button added by
// text, Escape (512) for the Escape key and the close button, -1 for reject().
class ZtMessageBox : public QDialog
{
    Q_OBJECT
public:
    // The same names and values as the toolkit's message-box buttons.
    enum ZtStandardButton
    {
        NoButton = 0x00000000,
        Ok = 0x00000400,
        Save = 0x00000800,
        SaveAll = 0x00001000,
        Open = 0x00002000,
        Yes = 0x00004000,
        YesToAll = 0x00008000,
        No = 0x00010000,
        NoToAll = 0x00020000,
        Abort = 0x00040000,
        Retry = 0x00080000,
        Ignore = 0x00100000,
        Close = 0x00200000,
        Cancel = 0x00400000,
        Discard = 0x00800000,
        Help = 0x01000000,
        Apply = 0x02000000,
        Reset = 0x04000000,
        RestoreDefaults = 0x08000000,

        FirstButton = Ok,
        LastButton = RestoreDefaults,

        YesAll = YesToAll,
        NoAll = NoToAll,

        Default = 0x00000100,
        Escape = 0x00000200,
        FlagMask = 0x00000300,
        ButtonMask = ~FlagMask
    };
    Q_ENUM(ZtStandardButton)
    Q_DECLARE_FLAGS(ZtStandardButtons, ZtStandardButton)
    Q_FLAG(ZtStandardButtons)

    // Icon types: 1 and 4 information, 2 warning, 3 error, others none.
    ZtMessageBox(int type, const QString &title, const QString &text, QWidget *parent = nullptr);

    QPushButton *addButton(ZtStandardButton button);
    QPushButton *addButton(const QString &text);
    QList<QPushButton *> buttons() const { return m_buttons; }
    void setDefaultButton(QPushButton *button);

    // The translated caption of a standard button (empty for NoButton and flags).
    static QString standardText(ZtStandardButton button);

    // Standard-button form: one button per flag of `buttons`, in the order
    // of their values; returns the clicked button's value.
    static int question(QWidget *parent, const QString &title, const QString &text,
                        ZtStandardButtons buttons = Ok, ZtStandardButton defaultButton = NoButton);
    // The same with the warning icon (something was not done, nothing broke)
    // and with the error icon (an operation failed).
    static int warning(QWidget *parent, const QString &title, const QString &text,
                       ZtStandardButtons buttons = Ok, ZtStandardButton defaultButton = NoButton);
    static int critical(QWidget *parent, const QString &title, const QString &text,
                        ZtStandardButtons buttons = Ok, ZtStandardButton defaultButton = NoButton);
    // Two-choice form: returns the index (0 or 1) of the clicked button.
    static int question(QWidget *parent, const QString &title, const QString &text,
                        const QString &button0Text, const QString &button1Text, int defaultButtonNumber = 0);

    QLabel *iconLabel() const { return m_icon; }
    QLabel *textLabel() const { return m_text; }

public slots:
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    static int standard(int type, QWidget *parent, const QString &title, const QString &text,
                        ZtStandardButtons buttons, ZtStandardButton defaultButton);
    QPushButton *appendButton(const QString &caption);
    void onButtonClicked();

    QLabel *m_icon = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_text = nullptr;
    QHBoxLayout *m_buttonRow = nullptr;
    FramelessHelper *m_frameless = nullptr;
    QHash<QAbstractButton *, int> m_standard;
    QList<QPushButton *> m_buttons;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(ZtMessageBox::ZtStandardButtons)
