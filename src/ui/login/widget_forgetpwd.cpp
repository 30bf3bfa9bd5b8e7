#include "widget_forgetpwd.h"

#include "loginfields.h"
#include "manager/cjobmanager.h"

#include <QHBoxLayout>
#include <QPushButton>

Widget_ForgetPwd::Widget_ForgetPwd(QWidget *parent)
    : Widget_CodeForm(tr("Retrieve Password"), "btnResetPwd", tr("Reset Password"), parent)
{
    setObjectName("Widget_ForgetPwd");
    auto *links = new QHBoxLayout;
    auto *btnGotoRegister = LoginFields::link(this, "btnGotoRegister", tr("Free Registration"));
    auto *btnGotoLogin = LoginFields::link(this, "btnGotoLogin", tr("GotoLogin"));
    links->addStretch(1);
    links->addWidget(btnGotoRegister);
    links->addSpacing(24);
    links->addWidget(btnGotoLogin);
    links->addStretch(1);
    footer()->addLayout(links);
    connect(btnGotoRegister, &QPushButton::clicked, this, [this] { emit sig_toggle(1); });
    connect(btnGotoLogin, &QPushButton::clicked, this, [this] { emit sig_toggle(0); });
}

int Widget_ForgetPwd::send(const QString &account, const QString &code, const QString &digest, T_Http_S &res)
{
    TC_Author_EditPwd req;
    req.phone = account;
    req.code = code;
    req.password = digest;
    TS_Author_EditPwd answer;
    const int result = CJobManager::instance()->authorResetPwd(req, answer);
    res = answer;
    return result;
}

QString Widget_ForgetPwd::successText() const
{
    return tr("Password reset Successful");
}

void Widget_ForgetPwd::announce(const QString &account, const QString &)
{
    emit sig_forgetpwdMsg(account);
}
