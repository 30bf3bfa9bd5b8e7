#pragma once

#include <QLabel>
#include <QPixmap>

// A clickable head image: a click opens the file dialog, and a chosen
// picture is announced with sigPath. The overlay marks it as changeable.
class CZtHeadLabel : public QLabel
{
    Q_OBJECT
public:
    explicit CZtHeadLabel(QWidget *parent = nullptr);

    QString path() const { return m_path; }
    // Shows the image at `path` (nothing when it cannot be read).
    void setImage(const QString &path);
    void setOverlay(const QString &path);

signals:
    void sigPath(QString path);

public slots:
    // Asks for a picture and announces it.
    void onDealModific();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_path;
    QPixmap m_image;
    QPixmap m_overlay;
};
