#include "widget_banner.h"

#include <QButtonGroup>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {
const int kFadeMs = 1000;
const int kSwitchMs = 3000;
} // namespace

Widget_Banner::Widget_Banner(QWidget *parent)
    : QWidget(parent), m_timer(new QTimer(this)), m_fade(new QPropertyAnimation(this, "ImageOpacity", this)),
      m_indicators(new QButtonGroup(this))
{
    setObjectName("Widget_Banner");
    resize(547, 416);
    m_timer->setInterval(kSwitchMs);
    connect(m_timer, &QTimer::timeout, this, &Widget_Banner::onImageChangeTimeout);
    m_fade->setDuration(kFadeMs);
    m_fade->setStartValue(1.0);
    m_fade->setEndValue(0.0);
    m_indicators->setExclusive(true);
    connect(m_indicators, &QButtonGroup::idClicked, this, &Widget_Banner::onIndicator);
}

void Widget_Banner::addBanner(const QString &imagePath, const QString &link, const QString &text)
{
    m_images << imagePath;
    m_links << link;
    m_texts << text;
    m_pixmaps << QPixmap(imagePath);
}

void Widget_Banner::start()
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 20);
    column->addStretch(1);
    auto *row = new QHBoxLayout;
    row->setSpacing(14);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch(1);
    for (int i = 0; i < m_images.size(); ++i) {
        auto *button = new QPushButton(this);
        button->setObjectName("bannerBtn");
        button->setCheckable(true);
        button->setFixedSize(8, 8);
        button->setToolTip(tr("Picture %1").arg(i + 1));
        m_indicators->addButton(button, i);
        row->addWidget(button);
    }
    row->addStretch(1);
    column->addLayout(row);
    if (m_images.isEmpty())
        return;
    m_indicators->button(0)->setChecked(true);
    updateCursor();
    if (m_images.size() > 1) {
        m_next = m_pixmaps.first();
        m_timer->start();
    }
    update();
}

void Widget_Banner::setImageOpacity(qreal opacity)
{
    m_opacity = opacity;
    update();
}

void Widget_Banner::fade()
{
    m_fade->stop();
    m_fade->start();
    updateCursor();
}

void Widget_Banner::updateCursor()
{
    if (m_links.value(m_index).isEmpty())
        unsetCursor();
    else
        setCursor(Qt::PointingHandCursor);
}

void Widget_Banner::onImageChangeTimeout()
{
    if (m_pixmaps.size() < 2)
        return;
    m_current = m_pixmaps.value(m_index);
    m_index = (m_index + 1) % m_pixmaps.size();
    m_next = m_pixmaps.value(m_index);
    m_indicators->button(m_index)->setChecked(true);
    fade();
}

void Widget_Banner::onIndicator(int n)
{
    if (n < 0 || n >= m_pixmaps.size())
        return;
    m_current = m_pixmaps.value(n == 0 ? m_pixmaps.size() - 1 : n - 1);
    m_index = n;
    m_next = m_pixmaps.value(n);
    m_indicators->button(n)->setChecked(true);
    fade();
    if (m_pixmaps.size() > 1)
        m_timer->start();
    update();
}

void Widget_Banner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_pixmaps.isEmpty()) {
        painter.fillRect(rect(), QColor("#D8D8D8"));
        return;
    }
    if (m_pixmaps.size() == 1) {
        painter.drawPixmap(rect(), m_pixmaps.first());
    } else {
        painter.drawPixmap(rect(), m_next);
        painter.setOpacity(m_opacity);
        painter.drawPixmap(rect(), m_current);
        painter.setOpacity(1.0);
    }
    const QString text = m_texts.value(m_index);
    if (text.isEmpty())
        return;
    // The banner's words, white on a soft shadow, above the indicators.
    QFont font(QStringLiteral("Microsoft YaHei"));
    font.setPixelSize(24);
    font.setBold(true);
    painter.setFont(font);
    const QRect area = rect().adjusted(40, 0, -40, -64);
    painter.setPen(QColor(0, 0, 0, 90));
    painter.drawText(area.translated(1, 2), Qt::AlignLeft | Qt::AlignBottom | Qt::TextWordWrap, text);
    painter.setPen(Qt::white);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignBottom | Qt::TextWordWrap, text);
}

void Widget_Banner::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_index >= 0 && m_index < m_links.size() &&
        !m_links.at(m_index).isEmpty())
        QDesktopServices::openUrl(QUrl(m_links.at(m_index)));
    QWidget::mousePressEvent(event);
}
