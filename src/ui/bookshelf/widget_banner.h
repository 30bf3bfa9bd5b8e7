#pragma once

#include <QList>
#include <QPixmap>
#include <QStringList>
#include <QWidget>

class QButtonGroup;
class QPropertyAnimation;
class QTimer;

// The picture banner beside the login form: the server's pictures, each
// with a link, cross-fading every 3 s, with one indicator button each.
class Widget_Banner : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qreal ImageOpacity READ imageOpacity WRITE setImageOpacity)
public:
    explicit Widget_Banner(QWidget *parent = nullptr);

    // `text` is written over the picture (empty: the picture alone).
    void addBanner(const QString &imagePath, const QString &link, const QString &text = QString());
    // After every banner was added: the indicators and the switch timer.
    void start();

    int index() const { return m_index; }
    QString textAt(int i) const { return m_texts.value(i); }
    int count() const { return m_images.size(); }
    qreal imageOpacity() const { return m_opacity; }
    void setImageOpacity(qreal opacity);

public slots:
    void onImageChangeTimeout();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void onIndicator(int n);
    void fade();
    // A pointing hand only over a banner that opens something.
    void updateCursor();

    QStringList m_images;
    QStringList m_links;
    QStringList m_texts;
    QList<QPixmap> m_pixmaps;
    QPixmap m_current;
    QPixmap m_next;
    int m_index = 0;
    qreal m_opacity = 1.0;
    QTimer *m_timer;
    QPropertyAnimation *m_fade;
    QButtonGroup *m_indicators;
};
