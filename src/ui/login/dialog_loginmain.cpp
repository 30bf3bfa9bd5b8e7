#include "dialog_loginmain.h"

#include "apppaths.h"
#include "manager/cjobmanager.h"
#include "ui/bookshelf/widget_banner.h"
#include "ui/bookshelf/widget_bindwechat.h"
#include "ui/framelesshelper.h"
#include "ui/widget_tips.h"
#include "widget_forgetpwd.h"
#include "widget_login.h"
#include "widget_register.h"
#include "widget_wechatlogin.h"

#include <QApplication>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const int kTipsDelayMs = 1000;
const int kShadowMargin = 20;
const QSize kBannerSize(547, 416);
const int kFormWidth = 380;
} // namespace

Dialog_LoginMain::Dialog_LoginMain(QWidget *parent) : QDialog(parent)
{
    setObjectName("Dialog_LoginMain");
    setWindowTitle(tr("Login"));
    setWindowIcon(QIcon(":/res/skin/light/main/iquorvin.ico"));
    const bool translucent = FramelessHelper::prepareWindow(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    auto *frameless = new FramelessHelper(this);
    frameless->activateOn(this);
    frameless->setWidgetResizable(false);

    auto *outer = new QVBoxLayout(this);
    const int margin = translucent ? kShadowMargin : 0;
    outer->setContentsMargins(margin, margin, margin, margin);
    auto *bg = new QWidget(this);
    bg->setObjectName("CommonWidgetBg");
    bg->setAttribute(Qt::WA_StyledBackground);
    outer->addWidget(bg);
    auto *row = new QHBoxLayout(bg);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_banner = new Widget_Banner(bg);
    m_banner->setFixedSize(kBannerSize);
    row->addWidget(m_banner);

    auto *form = new QWidget(bg);
    form->setObjectName("Dialog_LoginMain_Form");
    form->setFixedWidth(kFormWidth);
    auto *column = new QVBoxLayout(form);
    column->setContentsMargins(0, 12, 12, 0);
    auto *closeRow = new QHBoxLayout;
    closeRow->addStretch(1);
    m_close = new QPushButton(form);
    m_close->setObjectName("btn_close_popup");
    m_close->setToolTip(tr("Close"));
    m_close->setFixedSize(16, 16);
    QSizePolicy keepPlace = m_close->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    m_close->setSizePolicy(keepPlace);
    m_close->setCursor(Qt::PointingHandCursor);
    closeRow->addWidget(m_close);
    column->addLayout(closeRow);
    m_stack = new QStackedWidget(form);
    m_stack->setObjectName("Dialog_LoginMain_Stack");
    m_login = new Widget_Login(m_stack);
    m_register = new Widget_Register(m_stack);
    m_forget = new Widget_ForgetPwd(m_stack);
    m_stack->addWidget(m_login);
    m_stack->addWidget(m_register);
    m_stack->addWidget(m_forget);
    column->addWidget(m_stack, 1);
    row->addWidget(form);

    m_tips = new widget_tips(this, kTipsDelayMs);
    m_tips->hide();

    connect(m_close, &QPushButton::clicked, qApp, &QApplication::quit);
    connect(m_login, &Widget_Login::sig_toggle, this, &Dialog_LoginMain::onDealToggle);
    connect(m_register, &Widget_Register::sig_toggle, this, &Dialog_LoginMain::onDealToggle);
    connect(m_forget, &Widget_ForgetPwd::sig_toggle, this, &Dialog_LoginMain::onDealToggle);
    connect(m_register, &Widget_Register::sig_tips, this, &Dialog_LoginMain::onDealTips);
    connect(m_forget, &Widget_ForgetPwd::sig_tips, this, &Dialog_LoginMain::onDealTips);
    connect(m_register, &Widget_Register::sig_registerMsg, this,
            [this](const QString &account, const QString &pwd) {
                m_login->setAccount(account, pwd);
                onDealToggle(0);
            });
    connect(m_forget, &Widget_ForgetPwd::sig_forgetpwdMsg, this, [this](const QString &account) {
        m_login->setAccount(account, QString());
        onDealToggle(0);
    });
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);
    m_stack->setCurrentWidget(m_login);
    m_login->focusFirstEmpty();
}

void Dialog_LoginMain::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Without a window manager nobody else activates the window: the
    // author must be able to type the phone number at once.
    activateWindow();
    if (m_stack->currentWidget() == m_login)
        m_login->focusFirstEmpty();
    // The banner list is asked for once the dialog is up, so that the
    // dialog never waits for the network before it is drawn.
    if (!m_bannersLoaded) {
        m_bannersLoaded = true;
        QTimer::singleShot(0, this, &Dialog_LoginMain::loadBanners);
    }
}

void Dialog_LoginMain::loadBanners()
{
    // The last banners the server gave are kept beside their pictures, so
    // that a machine without network still shows them.
    const QString cache = AppPaths::dataDir() + QStringLiteral("/banner/banners.json");
    QJsonArray banners;
    TS_Author_BannerList res;
    if (CJobManager::instance()->authorBannerList(res) == 200 && res.code == 200) {
        for (const T_Author_BannerListItemPtr &item : qAsConst(res.bannerList)) {
            if (item->localPic.isEmpty())
                continue;
            banners.append(QJsonObject{{QStringLiteral("pic"), item->localPic},
                                       {QStringLiteral("link"), item->linkUrl},
                                       {QStringLiteral("text"), item->content}});
        }
        QSaveFile file(cache);
        if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(banners).toJson()) < 0 ||
            !file.commit())
            qWarning() << "banner list not cached:" << cache << file.errorString();
    } else {
        QFile file(cache);
        if (file.open(QIODevice::ReadOnly))
            banners = QJsonDocument::fromJson(file.readAll()).array();
        qDebug() << "banners from the cache:" << banners.size();
    }
    for (const QJsonValue &value : qAsConst(banners)) {
        const QJsonObject banner = value.toObject();
        const QString pic = banner.value(QStringLiteral("pic")).toString();
        if (pic.isEmpty() || !QFileInfo::exists(pic))
            continue;
        qDebug() << "banner" << pic << banner.value(QStringLiteral("link")).toString();
        m_banner->addBanner(pic, banner.value(QStringLiteral("link")).toString(),
                            banner.value(QStringLiteral("text")).toString());
    }
    m_banner->start();
}

void Dialog_LoginMain::keyPressEvent(QKeyEvent *event)
{
    // Escape never closes the way in; Return belongs to the pages.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Dialog_LoginMain::onDealToggle(int index)
{
    switch (index) {
    case 0:
    case 1:
    case 2:
        m_stack->setCurrentIndex(index);
        if (index == 0)
            m_login->focusFirstEmpty();
        break;
    case 3:
        if (!m_wechat) {
            m_wechat = new Widget_WeChatLogin(0, m_stack);
            m_stack->addWidget(m_wechat);
            connect(m_wechat, &Widget_WeChatLogin::sig_toggle, this, &Dialog_LoginMain::onDealToggle);
            // The coordinator has already entered the program: the view goes.
            connect(m_wechat, &Widget_WeChatLogin::sig_quit, this, [this] {
                if (m_wechat)
                    m_wechat->deleteLater();
            });
        }
        m_stack->setCurrentWidget(m_wechat);
        break;
    case 4:
        m_stack->setCurrentWidget(m_login);
        // The close button goes but keeps its place, so that nothing moves;
        // the binding view covers the pages exactly, title included.
        m_close->hide();
        if (!m_bind)
            m_bind = new Widget_BindWechat(m_stack);
        m_bind->setGeometry(m_stack->rect());
        m_bind->show();
        m_bind->raise();
        // The covered login page takes no keys (its caret would blink under
        // the view): typing goes into the binding's phone field.
        m_login->setEnabled(false);
        if (auto *phone = m_bind->findChild<QLineEdit *>(QStringLiteral("lineEditAccount")))
            phone->setFocus();
        break;
    default:
        break;
    }
}

void Dialog_LoginMain::onDealTips(QString tips)
{
    m_tips->setText(tips);
}
