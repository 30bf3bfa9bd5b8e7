#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The password sign-in page of the login dialog.
class Widget_Login : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Login(QWidget *parent = nullptr);

    // Fills the fields (after a registration or a password reset).
    void setAccount(const QString &account, const QString &password);
    void focusFirstEmpty();

signals:
    // 0 login, 1 registration, 2 password recovery, 3 WeChat login.
    void sig_toggle(int index);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void updateLoginButton();
    void onLogin();
    void setWaiting(bool waiting);

    QLineEdit *m_lineEditAccount;
    QLineEdit *m_lineEditPwd;
    QCheckBox *m_checkBoxAuto;
    QPushButton *m_btnGotoForgetPwd;
    QLabel *m_labelError;
    QPushButton *m_btnLogin;
    QPushButton *m_btnGotoRegister;
    // Shown in place of btnGotoRegister while a sign-in waits for the server.
    QPushButton *m_btnCancel;
    bool m_cancelRequested = false;
    QPushButton *m_btnWechat;
    QLabel *m_labelOther;
};
