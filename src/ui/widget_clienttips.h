#pragma once

#include <QWidget>

class QGraphicsOpacityEffect;
class QLabel;
class QPropertyAnimation;
class QPushButton;
class QTimer;

// The toast shown inside a window: an icon and a one-line text on a
// coloured bar that waits 2000 ms and then fades out. Types: 0 error,
// 1 success, 2 and 3 information.
class Widget_ClientTips : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_ClientTips(QWidget *parent = nullptr);

    void showTips(const QString &text, int type, int fadeMs);

    // Background colour of a tip type in a theme (1 light, 2 dark).
    static QString backgroundColour(int type, int style);

    QLabel *label() const { return m_label; }
    QPushButton *infoIcon() const { return m_infoIcon; }
    QPushButton *tipsIcon() const { return m_tipsIcon; }
    QWidget *background() const { return m_bg; }
    QTimer *waitTimer() const { return m_timer; }
    QPropertyAnimation *fade() const { return m_fade; }
    qreal opacity() const;

private:
    void startFade();
    void onFadeFinished();

    QWidget *m_bg = nullptr;
    QLabel *m_label = nullptr;
    QPushButton *m_infoIcon = nullptr;
    QPushButton *m_tipsIcon = nullptr;
    QGraphicsOpacityEffect *m_opacity = nullptr;
    QPropertyAnimation *m_fade = nullptr;
    QTimer *m_timer = nullptr;
    int m_fadeMs = 1000;
};
