#pragma once

#include <QWidget>

class CTimerButton;
class QLabel;
class QLineEdit;
class QPushButton;

// After a WeChat sign-in of an account without a phone: binds a phone
// number with its SMS code, then enters the program.
class Widget_BindWechat : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_BindWechat(QWidget *parent = nullptr);

private:
    void updateButtons();
    void onGetCode();
    void onBind();

    QLineEdit *m_lineEditAccount;
    QLineEdit *m_lineEditCode;
    CTimerButton *m_btnGetCode;
    QPushButton *m_btnBind;
    QLabel *m_labelError;
};
