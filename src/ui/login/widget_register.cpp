#include "widget_register.h"

#include "loginfields.h"
#include "manager/cjobmanager.h"
#include "remote/cquorvinhttp.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace {

void openPage(const QString &path)
{
    QDesktopServices::openUrl(QUrl(CQuorvinHttp::instance()->baseUrl() + path));
}

} // namespace

Widget_Register::Widget_Register(QWidget *parent)
    : Widget_CodeForm(tr("Register"), "btnRegister", tr("Register"), parent)
{
    setObjectName("Widget_Register");
    auto *agreement = new QHBoxLayout;
    agreement->setSpacing(0);
    auto *consent = new QLabel(tr("Consent"), this);
    consent->setObjectName("labelAgreement");
    auto *btnAgreement = LoginFields::link(this, "btnAgreement", tr("QuorVin Agreement"));
    auto *and_ = new QLabel(tr("and"), this);
    and_->setObjectName("labelAgreement");
    auto *btnPrivacy = LoginFields::link(this, "btnPrivacy", tr("Privacy Policy"));
    agreement->addStretch(1);
    agreement->addWidget(consent);
    agreement->addWidget(btnAgreement);
    agreement->addWidget(and_);
    agreement->addWidget(btnPrivacy);
    agreement->addStretch(1);
    footer()->addLayout(agreement);
    auto *btnGotoLogin = LoginFields::link(this, "btnGotoLogin", tr("GotoLogin"));
    footer()->addWidget(btnGotoLogin, 0, Qt::AlignHCenter);

    connect(btnAgreement, &QPushButton::clicked, this, [] { openPage(QStringLiteral("/agreement.html")); });
    connect(btnPrivacy, &QPushButton::clicked, this, [] { openPage(QStringLiteral("/privacy.html")); });
    connect(btnGotoLogin, &QPushButton::clicked, this, [this] { emit sig_toggle(0); });
}

int Widget_Register::send(const QString &account, const QString &code, const QString &digest, T_Http_S &res)
{
    TC_Author_Register req;
    req.phone = account;
    req.code = code;
    req.password = digest;
    TS_Author_Register answer;
    const int result = CJobManager::instance()->authorRegister(req, answer);
    res = answer;
    return result;
}

QString Widget_Register::successText() const
{
    return tr("Registration Successful");
}

void Widget_Register::announce(const QString &account, const QString &password)
{
    emit sig_registerMsg(account, password);
}
