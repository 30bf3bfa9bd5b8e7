#include "widget_login.h"

#include "loginfields.h"
#include "manager/cjobmanager.h"
#include "remote/chttputil.h"
#include "remote/cquorvinhttp.h"
#include "ui/cbusyguard.h"

#include <QCheckBox>
#include <QDebug>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

Widget_Login::Widget_Login(QWidget *parent) : QWidget(parent)
{
    setObjectName("Widget_Login");
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(40, 8, 40, 24);
    column->setSpacing(14);
    column->addWidget(LoginFields::title(this, tr("Login")));
    column->addSpacing(8);

    m_lineEditAccount = LoginFields::account(this);
    m_lineEditPwd = LoginFields::password(this, "lineEditPwd", tr("Please enter password"));
    column->addWidget(m_lineEditAccount);
    column->addWidget(m_lineEditPwd);

    auto *options = new QHBoxLayout;
    m_checkBoxAuto = new QCheckBox(tr("Auto Login"), this);
    m_checkBoxAuto->setObjectName("checkBoxAuto");
    m_checkBoxAuto->setChecked(true);
    m_btnGotoForgetPwd = LoginFields::link(this, "btnGotoForgetPwd", tr("Forget Password"));
    options->addWidget(m_checkBoxAuto);
    options->addStretch(1);
    options->addWidget(m_btnGotoForgetPwd);
    column->addLayout(options);

    m_labelError = LoginFields::error(this);
    column->addWidget(m_labelError);
    m_btnLogin = LoginFields::primary(this, "btnLogin", tr("Login"));
    column->addWidget(m_btnLogin);
    m_btnGotoRegister = LoginFields::link(this, "btnGotoRegister", tr("Free Registration"));
    column->addWidget(m_btnGotoRegister, 0, Qt::AlignHCenter);
    m_btnCancel = LoginFields::link(this, "btnCancelLogin", tr("Cancel sign-in"));
    m_btnCancel->hide();
    column->addWidget(m_btnCancel, 0, Qt::AlignHCenter);
    column->addStretch(1);

    auto *other = new QHBoxLayout;
    m_labelOther = new QLabel(tr("Other login methods"), this);
    m_labelOther->setObjectName("labelOther");
    m_btnWechat = new QPushButton(this);
    m_btnWechat->setObjectName("btnWechat");
    m_btnWechat->setToolTip(tr("WeChat Login"));
    m_btnWechat->setCursor(Qt::PointingHandCursor);
    m_btnWechat->setFixedSize(32, 32);
    other->addStretch(1);
    other->addWidget(m_labelOther);
    other->addSpacing(8);
    other->addWidget(m_btnWechat);
    other->addStretch(1);
    column->addLayout(other);

    for (QLineEdit *edit : {m_lineEditAccount, m_lineEditPwd})
        connect(edit, &QLineEdit::textChanged, this, &Widget_Login::updateLoginButton);
    connect(m_btnLogin, &QPushButton::clicked, this, &Widget_Login::onLogin);
    connect(m_btnGotoRegister, &QPushButton::clicked, this, [this] { emit sig_toggle(1); });
    connect(m_btnGotoForgetPwd, &QPushButton::clicked, this, [this] { emit sig_toggle(2); });
    connect(m_btnWechat, &QPushButton::clicked, this, [this] { emit sig_toggle(3); });
    connect(m_btnCancel, &QPushButton::clicked, this, [this] {
        m_cancelRequested = true;
        CQuorvinHttp::instance()->cancelWaiting();
    });
    updateLoginButton();
}

void Widget_Login::setAccount(const QString &account, const QString &password)
{
    m_lineEditAccount->setText(account);
    m_lineEditPwd->setText(password);
    focusFirstEmpty();
}

void Widget_Login::focusFirstEmpty()
{
    (m_lineEditAccount->text().isEmpty() ? m_lineEditAccount : m_lineEditPwd)->setFocus();
}

void Widget_Login::updateLoginButton()
{
    m_labelError->clear();
    m_btnLogin->setEnabled(!m_lineEditAccount->text().isEmpty() &&
                           m_lineEditPwd->text().size() >= LoginFields::kMinPassword);
}

void Widget_Login::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_btnCancel->isVisible()) {
        m_btnCancel->click();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_btnLogin->isEnabled()) {
        onLogin();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Widget_Login::onLogin()
{
    if (!m_btnLogin->isEnabled())
        return;
    TC_Author_Login req;
    req.phone = m_lineEditAccount->text();
    req.password = HttpUtil::passwordDigest(m_lineEditPwd->text());
    req.autoLogin = m_checkBoxAuto->isChecked();
    TS_Author_Login res;
    QPointer<Widget_Login> self(this);
    int result = 0;
    {
        CBusyGuard busy({m_btnLogin, m_btnWechat});
        m_cancelRequested = false;
        setWaiting(true);
        result = CJobManager::instance()->authorLogin(req, res);
    }
    qDebug() << "login:" << result << res.code << res.msg;
    if (!self)
        return; // signed in: the dialog has gone
    setWaiting(false);
    updateLoginButton();
    if (m_cancelRequested && result != 200)
        m_labelError->setText(tr("Sign-in cancelled"));
    else if (result != 200 || res.code != 200)
        m_labelError->setText(res.msg);
}

void Widget_Login::setWaiting(bool waiting)
{
    m_btnLogin->setText(waiting ? tr("Signing in...") : tr("Login"));
    m_btnGotoRegister->setVisible(!waiting);
    m_btnCancel->setVisible(waiting);
    if (waiting) {
        m_labelError->setText(tr("Waiting for the server; press Esc or Cancel to stop"));
        m_btnCancel->setFocus();
    }
}
