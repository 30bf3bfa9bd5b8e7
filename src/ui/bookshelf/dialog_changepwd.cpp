#include "dialog_changepwd.h"

#include "manager/cuimanager.h"
#include "ui/login/loginfields.h"
#include "ui/popupframe.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

Dialog_ChangePwd::Dialog_ChangePwd(QWidget *parent) : QDialog(parent)
{
    setObjectName("Dialog_ChangePwd");
    setWindowTitle(QStringLiteral("修改账号密码"));
    QPushButton *close = nullptr;
    QWidget *bg = PopupFrame::build(this, &close);
    auto *column = new QVBoxLayout(bg);
    column->setContentsMargins(24, 16, 16, 24);
    column->setSpacing(16);
    auto *titleRow = new QHBoxLayout;
    auto *title = new QLabel(QStringLiteral("修改账号密码"), bg);
    title->setObjectName("CommonWidgetTitle");
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    titleRow->addWidget(close, 0, Qt::AlignTop);
    column->addLayout(titleRow);

    auto *grid = new QGridLayout;
    grid->setContentsMargins(8, 0, 8, 0);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(12);
    m_lineEditOldPwd = LoginFields::password(bg, "lineEdit_oldPwd", tr("Please enter the original password"));
    m_lineEditNewPwd =
        LoginFields::password(bg, "lineEdit_newPwd", tr("Please enter a new 8-16 bit password"));
    m_lineEditVerifyPwd =
        LoginFields::password(bg, "lineEdit_verifyPwd", tr("Please enter a new 8-16 bit password again"));
    const QStringList captions{QStringLiteral("原始密码"), QStringLiteral("新密码"),
                               QStringLiteral("确认新密码")};
    const QList<QLineEdit *> edits{m_lineEditOldPwd, m_lineEditNewPwd, m_lineEditVerifyPwd};
    for (int i = 0; i < edits.size(); ++i) {
        auto *caption = new QLabel(captions.at(i), bg);
        caption->setObjectName("Dialog_UserInfo_Caption");
        grid->addWidget(caption, i, 0);
        edits.at(i)->setFixedWidth(260);
        grid->addWidget(edits.at(i), i, 1);
        connect(edits.at(i), &QLineEdit::textChanged, this, &Dialog_ChangePwd::updateConfirm);
    }
    column->addLayout(grid);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_btnCancel = new QPushButton(QStringLiteral("取消"), bg);
    m_btnCancel->setObjectName("btnCancel");
    m_btnCancel->setFixedSize(92, 30);
    m_btnConfirm = new QPushButton(QStringLiteral("提交"), bg);
    m_btnConfirm->setObjectName("btnConfirm");
    m_btnConfirm->setFixedSize(92, 30);
    buttons->addWidget(m_btnCancel);
    buttons->addSpacing(8);
    buttons->addWidget(m_btnConfirm);
    column->addLayout(buttons);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_btnConfirm, &QPushButton::clicked, this, &Dialog_ChangePwd::onConfirm);
    updateConfirm();
}

QString Dialog_ChangePwd::oldPassword() const
{
    return m_lineEditOldPwd->text();
}

QString Dialog_ChangePwd::newPassword() const
{
    return m_lineEditNewPwd->text();
}

void Dialog_ChangePwd::updateConfirm()
{
    bool ok = true;
    for (QLineEdit *edit : {m_lineEditOldPwd, m_lineEditNewPwd, m_lineEditVerifyPwd})
        ok = ok && edit->text().size() >= LoginFields::kMinPassword;
    m_btnConfirm->setEnabled(ok);
}

void Dialog_ChangePwd::onConfirm()
{
    if (m_lineEditNewPwd->text() != m_lineEditVerifyPwd->text()) {
        CUiManager::instance()->showTips(tr("The two passwords do not match"), 0);
        return;
    }
    accept();
}
