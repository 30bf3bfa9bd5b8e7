#pragma once

#include "remote/thttpresponses.h"

#include <QWidget>

class QTimer;
class CWebView;

// The WeChat QR page of the server in a web view, polled once a second
// while shown: mode 0 signs in (a fresh nonce per showing), any other mode
// binds WeChat to the signed-in author.
class Widget_WeChatLogin : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_WeChatLogin(int mode, QWidget *parent = nullptr);

    QString nonce() const { return m_nonce; }
    bool isPolling() const;
    CWebView *view() const { return m_view; }

    void pollingWx(TS_Author_PollingWx &res);
    void pollingBindWx(TS_Author_PollingBindWx &res);

signals:
    void sig_toggle(int index);
    void sig_quit();
    void sig_bind(bool bound);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void onPollTick();
    void onPollAnswer(int jobType, int code, int status, int isBindPhone);
    QString loginUrl();
    QString bindUrl();

    int m_mode;
    CWebView *m_view;
    QTimer *m_timer;
    QString m_nonce;
};
