#pragma once

#include "widget_codeform.h"

// Registration with phone number, SMS code and a password given twice.
class Widget_Register : public Widget_CodeForm
{
    Q_OBJECT
public:
    explicit Widget_Register(QWidget *parent = nullptr);

signals:
    // A second after a successful registration: the login page takes them.
    void sig_registerMsg(QString account, QString pwd);

protected:
    int send(const QString &account, const QString &code, const QString &digest, T_Http_S &res) override;
    QString successText() const override;
    void announce(const QString &account, const QString &password) override;
};
