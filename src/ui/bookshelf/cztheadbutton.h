#pragma once

#include <QPixmap>
#include <QPushButton>

class QPainter;

// The author's round head image; while the pointer is over it a light veil
// and an "Edit" strip invite a click.
class CZtHeadButton : public QPushButton
{
    Q_OBJECT
public:
    explicit CZtHeadButton(QWidget *parent = nullptr);

    void setHeadSize(int pixels);
    void setHeadImage(const QString &path);
    bool isHovered() const { return m_hover; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QPixmap m_head;
    int m_size = 80;
    bool m_hover = false;
};

// Paints `image` clipped to the circle inscribed in `rect`.
void paintRoundHead(QPainter &painter, const QRect &rect, const QPixmap &image);
