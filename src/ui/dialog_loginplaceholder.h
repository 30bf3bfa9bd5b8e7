#pragma once

#include <QDialog>

// Stands for the login dialog until the account pages exist: tells the
// author that signing in is not available yet.
class Dialog_LoginPlaceholder : public QDialog
{
    Q_OBJECT
public:
    explicit Dialog_LoginPlaceholder(QWidget *parent = nullptr);
};
