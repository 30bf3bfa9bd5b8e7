#pragma once

#include "widget_codeform.h"

// Password recovery: a new password set with an SMS code.
class Widget_ForgetPwd : public Widget_CodeForm
{
    Q_OBJECT
public:
    explicit Widget_ForgetPwd(QWidget *parent = nullptr);

signals:
    // A second after a successful reset: the login page takes the account.
    void sig_forgetpwdMsg(QString account);

protected:
    int send(const QString &account, const QString &code, const QString &digest, T_Http_S &res) override;
    QString successText() const override;
    void announce(const QString &account, const QString &password) override;
};
