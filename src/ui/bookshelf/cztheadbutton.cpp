#include "cztheadbutton.h"

#include <QPainter>
#include <QPainterPath>

namespace {

const int kVeilAlpha = 51;
const int kStripHeight = 16;
const int kStripBottom = 8;
const int kEditFontPixels = 11;

} // namespace

void paintRoundHead(QPainter &painter, const QRect &rect, const QPixmap &image)
{
    if (image.isNull())
        return;
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    QPainterPath circle;
    circle.addEllipse(QRectF(rect));
    painter.setClipPath(circle);
    painter.drawPixmap(rect,
                       image.scaled(rect.size(), Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation));
    painter.restore();
}

CZtHeadButton::CZtHeadButton(QWidget *parent) : QPushButton(parent)
{
    setObjectName("CZtHeadButton");
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
    setStyleSheet("border: none; background: transparent;");
    setHeadSize(m_size);
}

void CZtHeadButton::setHeadSize(int pixels)
{
    m_size = pixels;
    setFixedSize(pixels, pixels);
    update();
}

void CZtHeadButton::setHeadImage(const QString &path)
{
    m_head = QPixmap(path);
    update();
}

void CZtHeadButton::enterEvent(QEvent *event)
{
    m_hover = true;
    update();
    QPushButton::enterEvent(event);
}

void CZtHeadButton::leaveEvent(QEvent *event)
{
    m_hover = false;
    update();
    QPushButton::leaveEvent(event);
}

void CZtHeadButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect circle(0, 0, m_size, m_size);
    paintRoundHead(painter, circle, m_head);
    if (!m_hover)
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath clip;
    clip.addEllipse(QRectF(circle));
    painter.setClipPath(clip);
    painter.fillRect(circle, QColor(255, 255, 255, kVeilAlpha));
    const QRect strip(0, m_size - kStripBottom - kStripHeight, m_size, kStripHeight);
    painter.drawPixmap(strip, QPixmap(":/res/skin/light/left/icon_head_shade.png"));
    QFont font("Microsoft YaHei");
    font.setPixelSize(kEditFontPixels);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(strip, Qt::AlignCenter, tr("Edit"));
}
