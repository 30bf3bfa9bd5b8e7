#pragma once

#include <QWidget>

class CTimerButton;
class QBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
struct T_Http_S;

// What registration and password recovery share: phone number, SMS code
// with its countdown button, the new password twice, the error label and
// the submit button with their enabling rules. A subclass sends the form.
class Widget_CodeForm : public QWidget
{
    Q_OBJECT
public:
    Widget_CodeForm(const QString &title, const char *submitName, const QString &submitText,
                    QWidget *parent = nullptr);

    // Where subclasses add their links below the submit button.
    QBoxLayout *footer() const { return m_footer; }

signals:
    // 0 login, 1 registration, 2 password recovery.
    void sig_toggle(int index);
    void sig_tips(QString tips);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    // Each visit starts without the last visit's error, in the first empty field.
    void showEvent(QShowEvent *event) override;
    // Sends account, code and password digest; returns the call's result
    // and fills `res`.
    virtual int send(const QString &account, const QString &code, const QString &digest, T_Http_S &res) = 0;
    // After a success: the tip to show and, a second later while the page
    // is still shown, what to hand to the login page.
    virtual QString successText() const = 0;
    virtual void announce(const QString &account, const QString &password) = 0;

    QLineEdit *m_lineEditAccount;
    QLineEdit *m_lineEditCode;
    CTimerButton *m_btnGetCode;
    QLineEdit *m_lineEditPwd;
    QLineEdit *m_lineEditPwdV;
    QLabel *m_labelError;
    QPushButton *m_btnSubmit;

private:
    void updateButtons();
    void onGetCode();
    void onSubmit();

    QBoxLayout *m_footer;
};
