#include "widget_wechatlogin.h"

#include "db/records.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/cuserjobmanager.h"
#include "remote/thttpresponses.h"
#include "ui/cwebview.h"
#include "ui/login/loginfields.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <QUrlQuery>
#include <QUuid>
#include <QVBoxLayout>

namespace {
const int kPollMs = 1000;
} // namespace

Widget_WeChatLogin::Widget_WeChatLogin(int mode, QWidget *parent)
    : QWidget(parent), m_mode(mode), m_view(new CWebView(this)), m_timer(new QTimer(this))
{
    setObjectName("Widget_WeChatLogin");
    setWindowTitle(tr("WeChat Login"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 0, 0, 8);
    column->setSpacing(4);
    if (m_mode == 0) {
        auto *back = LoginFields::link(this, "btnGotoLogin", tr("Back to account login"));
        connect(back, &QPushButton::clicked, this, [this] { emit sig_toggle(0); });
        column->addWidget(back, 0, Qt::AlignLeft);
    }
    auto *layoutH5 = new QHBoxLayout;
    layoutH5->setObjectName("layoutH5");
    layoutH5->setContentsMargins(0, 0, 0, 0);
    layoutH5->addWidget(m_view);
    column->addLayout(layoutH5, 1);
    m_timer->setInterval(kPollMs);
    connect(m_timer, &QTimer::timeout, this, &Widget_WeChatLogin::onPollTick);
    connect(CUserJobManager::instance(), &CUserJobManager::sig_PollingWx, this,
            &Widget_WeChatLogin::onPollAnswer);
}

bool Widget_WeChatLogin::isPolling() const
{
    return m_timer->isActive();
}

QString Widget_WeChatLogin::loginUrl()
{
    m_nonce = QString::fromLatin1(
        QCryptographicHash::hash(QUuid::createUuid().toString().toUtf8(), QCryptographicHash::Md5).toHex());
    TC_Author_WxCodeLogin req;
    req.nonceStr = m_nonce;
    TS_Author_WxCodeLogin res;
    if (CJobManager::instance()->authorWxCodeLogin(req, res) == 200 && res.code == 200)
        return res.url;
    qWarning() << "get wechat url error";
    return QString();
}

QString Widget_WeChatLogin::bindUrl()
{
    const QString token = T_SessionData::instance().author.token;
    qDebug() << "author token" << token;
    m_nonce = token;
    TC_Author_WxCodeLogin req;
    req.nonceStr = token;
    TS_Author_WxCodeLogin res;
    if (CJobManager::instance()->authorWxCodeLogin(req, res) == 200 && res.code == 200) {
        qDebug() << "wechat bind url:" << res.url;
        return res.url;
    }
    qWarning() << "get wechat bind url error";
    return QString();
}

void Widget_WeChatLogin::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    const QString url = m_mode == 0 ? loginUrl() : bindUrl();
    if (!isVisible())
        return; // hidden again while the address was fetched
    // The page follows the program's theme; the address the server gave
    // (and its QR code) stays as it is.
    const bool dark = CQssManager::instance()->getStyle() == StyleDark;
    m_view->setBackgroundColor(dark ? QColor(0x24, 0x27, 0x2C) : QColor(Qt::white));
    QUrl address(url);
    if (!url.isEmpty()) {
        QUrlQuery query(address);
        query.addQueryItem(QStringLiteral("theme"), QString::number(dark ? StyleDark : StyleLight));
        address.setQuery(query);
    }
    m_view->load(address);
    m_timer->start();
}

void Widget_WeChatLogin::hideEvent(QHideEvent *event)
{
    m_timer->stop();
    QWidget::hideEvent(event);
}

void Widget_WeChatLogin::onPollTick()
{
    qDebug() << "------author_pollingWx-------";
    CJobManager::instance()->authorPollingWx(m_nonce, m_mode != 0);
}

void Widget_WeChatLogin::onPollAnswer(int jobType, int code, int status, int isBindPhone)
{
    if (!m_timer->isActive() || code != 200)
        return;
    TS_Author_PollingBindWx res;
    res.code = code;
    res.status = status;
    res.isBindPhone = isBindPhone;
    if (m_mode == 0 && jobType == JobType_WxLoginPolling)
        pollingWx(res);
    else if (m_mode != 0 && jobType == JobType_WxBindPolling)
        pollingBindWx(res);
}

void Widget_WeChatLogin::pollingWx(TS_Author_PollingWx &res)
{
    qDebug() << "pollingWx:" << res.status << res.isBindPhone;
    if (res.status == 0)
        return;
    m_timer->stop();
    if (res.isBindPhone == 1) {
        close();
        emit sig_quit();
    } else if (res.isBindPhone == 2) {
        emit sig_toggle(4);
        close();
    }
}

void Widget_WeChatLogin::pollingBindWx(TS_Author_PollingBindWx &res)
{
    qDebug() << "pollingBindWx:" << res.status << res.isBindPhone << res.msg;
    if (res.status == 0)
        return;
    m_timer->stop();
    emit sig_bind(res.isBindPhone == 4);
    close();
}
