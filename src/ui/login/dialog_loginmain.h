#pragma once

#include "ui/bookshelf/widget_bindwechat.h"
#include "widget_wechatlogin.h"

#include <QDialog>
#include <QPointer>

class QPushButton;
class QStackedWidget;
class Widget_Banner;
class Widget_ForgetPwd;
class Widget_Login;
class Widget_Register;
class widget_tips;

// The way in: password sign-in, registration, password recovery and the
// WeChat views beside the server's banner. Closing it ends the program.
class Dialog_LoginMain : public QDialog
{
    Q_OBJECT
public:
    explicit Dialog_LoginMain(QWidget *parent = nullptr);

    Widget_Login *loginPage() const { return m_login; }
    Widget_Register *registerPage() const { return m_register; }
    Widget_ForgetPwd *forgetPage() const { return m_forget; }
    Widget_WeChatLogin *wechatView() const { return m_wechat; }
    Widget_BindWechat *bindView() const { return m_bind; }
    Widget_Banner *banner() const { return m_banner; }
    QStackedWidget *stack() const { return m_stack; }

public slots:
    void onDealToggle(int index);
    void onDealTips(QString tips);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void loadBanners();

    QPushButton *m_close = nullptr;
    QStackedWidget *m_stack = nullptr;
    Widget_Login *m_login = nullptr;
    Widget_Register *m_register = nullptr;
    Widget_ForgetPwd *m_forget = nullptr;
    QPointer<Widget_WeChatLogin> m_wechat;
    QPointer<Widget_BindWechat> m_bind;
    Widget_Banner *m_banner = nullptr;
    widget_tips *m_tips = nullptr;
    bool m_bannersLoaded = false;
};
