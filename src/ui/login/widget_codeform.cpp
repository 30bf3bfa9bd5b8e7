#include "widget_codeform.h"

#include "ctimerbutton.h"
#include "loginfields.h"
#include "manager/cjobmanager.h"
#include "remote/chttputil.h"
#include "ui/cbusyguard.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const int kAnnounceDelayMs = 1000;
} // namespace

Widget_CodeForm::Widget_CodeForm(const QString &title, const char *submitName, const QString &submitText,
                                 QWidget *parent)
    : QWidget(parent)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(40, 8, 40, 16);
    column->setSpacing(12);
    column->addWidget(LoginFields::title(this, title));

    m_lineEditAccount = LoginFields::account(this);
    column->addWidget(m_lineEditAccount);
    auto *codeRow = new QHBoxLayout;
    codeRow->setSpacing(8);
    m_lineEditCode = LoginFields::code(this, false);
    m_btnGetCode = new CTimerButton(this);
    m_btnGetCode->setObjectName("btnGetCode");
    m_btnGetCode->setFixedSize(110, 40);
    codeRow->addWidget(m_lineEditCode, 1);
    codeRow->addWidget(m_btnGetCode);
    column->addLayout(codeRow);
    m_lineEditPwd = LoginFields::password(this, "lineEditPwd", tr("Please enter 8-16 bit password"));
    m_lineEditPwdV = LoginFields::password(this, "lineEditPwdV", tr("Please enter 8-16 bit password again"));
    column->addWidget(m_lineEditPwd);
    column->addWidget(m_lineEditPwdV);
    m_labelError = LoginFields::error(this);
    column->addWidget(m_labelError);
    m_btnSubmit = LoginFields::primary(this, submitName, submitText);
    column->addWidget(m_btnSubmit);
    m_footer = new QVBoxLayout;
    m_footer->setSpacing(4);
    column->addLayout(m_footer);
    column->addStretch(1);

    for (QLineEdit *edit : {m_lineEditAccount, m_lineEditCode, m_lineEditPwd, m_lineEditPwdV})
        connect(edit, &QLineEdit::textChanged, this, &Widget_CodeForm::updateButtons);
    connect(m_btnGetCode, &QPushButton::clicked, this, &Widget_CodeForm::onGetCode);
    connect(m_btnGetCode, &CTimerButton::sig_timeout, this, &Widget_CodeForm::updateButtons);
    connect(m_btnSubmit, &QPushButton::clicked, this, &Widget_CodeForm::onSubmit);
    updateButtons();
}

void Widget_CodeForm::updateButtons()
{
    m_labelError->clear();
    m_btnGetCode->setEnabled(m_lineEditAccount->text().size() == LoginFields::kPhoneDigits &&
                             !m_btnGetCode->isRunning());
    m_btnSubmit->setEnabled(m_lineEditPwd->text().size() >= LoginFields::kMinPassword &&
                            m_lineEditPwdV->text().size() >= LoginFields::kMinPassword &&
                            !m_lineEditCode->text().isEmpty() && !m_lineEditAccount->text().isEmpty());
}

void Widget_CodeForm::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_btnSubmit->isEnabled()) {
        onSubmit();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Widget_CodeForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    m_labelError->clear();
    for (QLineEdit *edit : {m_lineEditAccount, m_lineEditCode, m_lineEditPwd, m_lineEditPwdV}) {
        if (edit->text().isEmpty()) {
            edit->setFocus();
            return;
        }
    }
    m_btnSubmit->setFocus();
}

void Widget_CodeForm::onGetCode()
{
    LoginFields::requestCode(m_lineEditAccount, m_lineEditCode, m_btnGetCode, m_labelError);
}

void Widget_CodeForm::onSubmit()
{
    if (!m_btnSubmit->isEnabled())
        return;
    if (m_lineEditPwd->text() != m_lineEditPwdV->text()) {
        m_labelError->setText(tr("The two passwords do not match"));
        return;
    }
    const QString account = m_lineEditAccount->text();
    const QString password = m_lineEditPwd->text();
    T_Http_S res;
    QPointer<Widget_CodeForm> self(this);
    int result = 0;
    {
        CBusyGuard busy({m_btnSubmit});
        result = send(account, m_lineEditCode->text(), HttpUtil::passwordDigest(password), res);
    }
    qDebug() << metaObject()->className() << "submit:" << result << res.code << res.msg;
    if (!self)
        return;
    updateButtons();
    if (result != 200 || res.code != 200) {
        m_labelError->setText(res.msg);
        return;
    }
    emit sig_tips(successText());
    QTimer::singleShot(kAnnounceDelayMs, this, [this, account, password] {
        if (isVisible())
            announce(account, password);
    });
}
