#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// Asks for the old password and the new one twice. Accepted only with
// matching new passwords; the caller reads the fields and sends them.
class Dialog_ChangePwd : public QDialog
{
    Q_OBJECT
public:
    explicit Dialog_ChangePwd(QWidget *parent = nullptr);

    QString oldPassword() const;
    QString newPassword() const;

private:
    void updateConfirm();
    void onConfirm();

    QLineEdit *m_lineEditOldPwd;
    QLineEdit *m_lineEditNewPwd;
    QLineEdit *m_lineEditVerifyPwd;
    QPushButton *m_btnConfirm;
    QPushButton *m_btnCancel;
};
