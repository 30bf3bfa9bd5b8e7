#include "cztheadlabel.h"

#include "cztheadbutton.h"

#include <QFileDialog>
#include <QMouseEvent>
#include <QPainter>

CZtHeadLabel::CZtHeadLabel(QWidget *parent) : QLabel(parent)
{
    setObjectName("CZtHeadLabel");
    setCursor(Qt::PointingHandCursor);
}

void CZtHeadLabel::setImage(const QString &path)
{
    m_path = path;
    m_image = QPixmap(path);
    update();
}

void CZtHeadLabel::setOverlay(const QString &path)
{
    m_overlay = QPixmap(path);
    update();
}

void CZtHeadLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        onDealModific();
    QLabel::mousePressEvent(event);
}

void CZtHeadLabel::onDealModific()
{
    const QString filter =
        tr("Files (%1)").arg("*.jpg *.png *.gif *.bmp *.jpeg *.JPG *.PNG *.GIF *.BMP *.JPEG");
    const QString path = QFileDialog::getOpenFileName(this, tr("Select one picture"), QString(), filter);
    if (path.isEmpty())
        return;
    emit sigPath(path);
}

void CZtHeadLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int side = qMin(width(), height());
    const QRect circle(0, 0, side, side);
    paintRoundHead(painter, circle, m_image);
    if (!m_overlay.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const int badge = side / 3;
        painter.drawPixmap(QRect(side - badge, side - badge, badge, badge), m_overlay);
    }
}
