#include "widget_bindwechat.h"

#include "manager/cjobmanager.h"
#include "ui/cbusyguard.h"
#include "ui/login/ctimerbutton.h"
#include "ui/login/loginfields.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

Widget_BindWechat::Widget_BindWechat(QWidget *parent) : QWidget(parent)
{
    setObjectName("Widget_BindWechat");
    setAttribute(Qt::WA_StyledBackground);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(40, 24, 40, 24);
    column->setSpacing(14);
    column->addWidget(LoginFields::title(this, tr("Bind PhoneNumber")));
    auto *hint = new QLabel(tr("Your WeChat account has no phone number yet; bind one to continue."), this);
    hint->setObjectName("labelAgreement");
    hint->setWordWrap(true);
    column->addWidget(hint);
    m_lineEditAccount = LoginFields::account(this);
    column->addWidget(m_lineEditAccount);
    auto *codeRow = new QHBoxLayout;
    m_lineEditCode = LoginFields::code(this, true);
    m_btnGetCode = new CTimerButton(this);
    m_btnGetCode->setObjectName("btnGetCode");
    m_btnGetCode->setFixedSize(110, 40);
    codeRow->addWidget(m_lineEditCode, 1);
    codeRow->addWidget(m_btnGetCode);
    column->addLayout(codeRow);
    m_labelError = LoginFields::error(this);
    column->addWidget(m_labelError);
    m_btnBind = LoginFields::primary(this, "btnBind", tr("Bind"));
    column->addWidget(m_btnBind);
    column->addStretch(1);

    connect(m_lineEditAccount, &QLineEdit::textChanged, this, &Widget_BindWechat::updateButtons);
    connect(m_lineEditCode, &QLineEdit::textChanged, this, &Widget_BindWechat::updateButtons);
    connect(m_btnGetCode, &QPushButton::clicked, this, &Widget_BindWechat::onGetCode);
    connect(m_btnGetCode, &CTimerButton::sig_timeout, this, &Widget_BindWechat::updateButtons);
    connect(m_btnBind, &QPushButton::clicked, this, &Widget_BindWechat::onBind);
    updateButtons();
}

void Widget_BindWechat::updateButtons()
{
    m_labelError->clear();
    m_btnGetCode->setEnabled(m_lineEditAccount->text().size() == LoginFields::kPhoneDigits &&
                             !m_btnGetCode->isRunning());
    m_btnBind->setEnabled(!m_lineEditAccount->text().isEmpty() && !m_lineEditCode->text().isEmpty());
}

void Widget_BindWechat::onGetCode()
{
    LoginFields::requestCode(m_lineEditAccount, m_lineEditCode, m_btnGetCode, m_labelError);
}

void Widget_BindWechat::onBind()
{
    TC_Author_WxBindPhone req;
    req.phone = m_lineEditAccount->text();
    req.code = m_lineEditCode->text();
    TS_Author_Login res;
    QPointer<Widget_BindWechat> self(this);
    int result = 0;
    {
        CBusyGuard busy({m_btnBind});
        result = CJobManager::instance()->authorWxBindPhone(req, res);
    }
    if (!self)
        return;
    if (result == 200 && res.code == 200)
        m_labelError->clear();
    else
        m_labelError->setText(res.msg);
}
