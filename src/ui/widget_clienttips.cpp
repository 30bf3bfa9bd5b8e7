#include "widget_clienttips.h"

#include "manager/cqssmanager.h"

#include <QDebug>
#include <QFont>
#include <QFontMetrics>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

namespace {

const int kWaitMs = 2000;
const int kExtraWidth = 86;
const int kHeight = 40;

QPushButton *makeIcon(const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(name);
    button->setCheckable(true);
    button->setFixedSize(20, 20);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAttribute(Qt::WA_TransparentForMouseEvents);
    return button;
}

} // namespace

Widget_ClientTips::Widget_ClientTips(QWidget *parent) : QWidget(parent)
{
    setObjectName("Widget_ClientTips");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedHeight(kHeight);

    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_bg = new QWidget(this);
    m_bg->setObjectName("Widget_ClientTips_Bg");
    m_bg->setAttribute(Qt::WA_StyledBackground);
    outer->addWidget(m_bg);

    auto *row = new QHBoxLayout(m_bg);
    row->setContentsMargins(24, 0, 24, 0);
    row->setSpacing(10);
    m_infoIcon = makeIcon("Widget_ClientTips_Info", m_bg);
    m_tipsIcon = makeIcon("Widget_ClientTips_Tips", m_bg);
    m_label = new QLabel(m_bg);
    m_label->setObjectName("Widget_ClientTips_Text");
    row->addWidget(m_infoIcon);
    row->addWidget(m_tipsIcon);
    row->addWidget(m_label, 1);

    m_opacity = new QGraphicsOpacityEffect(this);
    m_opacity->setOpacity(1.0);
    setGraphicsEffect(m_opacity);
    m_fade = new QPropertyAnimation(m_opacity, "opacity", this);
    connect(m_fade, &QPropertyAnimation::finished, this, &Widget_ClientTips::onFadeFinished);

    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setInterval(kWaitMs);
    connect(m_timer, &QTimer::timeout, this, &Widget_ClientTips::startFade);
    hide();
}

QString Widget_ClientTips::backgroundColour(int type, int style)
{
    switch (type) {
    case 0:
        return "#FDEAE8";
    case 2:
    case 3:
        return style == 2 ? "#8FA3D4" : "#D6E2FF";
    default:
        return "#CFF4DE";
    }
}

qreal Widget_ClientTips::opacity() const
{
    return m_opacity->opacity();
}

void Widget_ClientTips::showTips(const QString &text, int type, int fadeMs)
{
    qDebug() << "showTips:" << text << type;
    m_fadeMs = fadeMs;
    if (m_fade->state() != QAbstractAnimation::Stopped) {
        m_fade->stop();
        m_opacity->setOpacity(1.0);
    }
    const bool info = type == 2 || type == 3;
    m_infoIcon->setVisible(info);
    m_tipsIcon->setVisible(!info);
    if (info)
        m_infoIcon->setChecked(type == 2);
    else
        m_tipsIcon->setChecked(type != 0);
    // Text colour follows the type through the "tipType" property.
    m_label->setProperty("tipType", type == 0 ? "error" : (info ? "info" : "success"));
    m_label->style()->unpolish(m_label);
    m_label->style()->polish(m_label);
    m_bg->setStyleSheet(QString("#Widget_ClientTips_Bg {background:%1; border-radius:2px;}")
                            .arg(backgroundColour(type, CQssManager::instance()->getStyle())));

    m_label->setText(text);
    QFont font("Microsoft Yahei");
    font.setPixelSize(16);
    setFixedWidth(QFontMetrics(font).horizontalAdvance(text) + kExtraWidth);
    show();
    raise();
    m_timer->start();
}

void Widget_ClientTips::startFade()
{
    m_fade->stop();
    m_fade->setDuration(m_fadeMs);
    m_fade->setStartValue(1.0);
    m_fade->setEndValue(0.0);
    m_fade->start();
}

void Widget_ClientTips::onFadeFinished()
{
    hide();
    m_opacity->setOpacity(1.0);
}
