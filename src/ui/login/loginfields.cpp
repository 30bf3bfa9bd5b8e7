#include "loginfields.h"

#include "manager/cjobmanager.h"
#include "ui/login/cphonevalidator.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegExpValidator>
#include <QToolTip>

namespace {
const int kFieldHeight = 40;
} // namespace

namespace LoginFields {

QLineEdit *account(QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName("lineEditAccount");
    edit->setPlaceholderText(QObject::tr("Please enter account"));
    // The validator keeps the 11 digits: a length limit on the field would
    // cut a pasted "138 0013 8000" before its blanks could be dropped.
    auto *validator = new CPhoneValidator(kPhoneDigits, edit);
    edit->setValidator(validator);
    edit->setMaxLength(kPhoneDigits * 3);
    edit->setFixedHeight(kFieldHeight);
    QObject::connect(validator, &CPhoneValidator::sig_tooLong, edit, [edit] {
        QToolTip::showText(edit->mapToGlobal(QPoint(0, edit->height())),
                           QObject::tr("A phone number has 11 digits"), edit);
    });
    return edit;
}

QLineEdit *password(QWidget *parent, const char *objectName, const QString &placeholder)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setPlaceholderText(placeholder);
    edit->setEchoMode(QLineEdit::Password);
    edit->setMaxLength(kMaxPassword);
    edit->setFixedHeight(kFieldHeight);
    return edit;
}

QLineEdit *code(QWidget *parent, bool digitsOnly)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName("lineEditCode");
    edit->setPlaceholderText(QObject::tr("Please Enter Verify Code"));
    if (digitsOnly) {
        edit->setValidator(new QRegExpValidator(QRegExp("[0-9]+$"), edit));
        edit->setMaxLength(kCodeDigits);
    }
    edit->setFixedHeight(kFieldHeight);
    return edit;
}

QLabel *error(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName("labelError");
    label->setWordWrap(true);
    label->setMinimumHeight(18);
    return label;
}

QLabel *title(QWidget *parent, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName("LoginTitle");
    return label;
}

QPushButton *primary(QWidget *parent, const char *objectName, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    button->setProperty("primary", true);
    button->setFixedHeight(kFieldHeight);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

QPushButton *link(QWidget *parent, const char *objectName, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    button->setProperty("loginLink", true);
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

void requestCode(QLineEdit *account, QLineEdit *code, QPushButton *button, QLabel *error)
{
    if (account->text().size() != kPhoneDigits)
        return;
    button->setEnabled(false);
    code->setFocus();
    TC_Author_SendCode req;
    req.phone = account->text();
    TS_Author_SendCode res;
    QPointer<QLabel> label(error);
    const int result = CJobManager::instance()->authorSendCode(req, res);
    if (!label)
        return;
    if (result == 200 && res.code == 200)
        label->clear();
    else
        label->setText(res.msg);
}

} // namespace LoginFields
