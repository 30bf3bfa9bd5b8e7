#pragma once

#include <QPushButton>

class QTimer;

// The "get code" button: a click starts a 60-second countdown shown on the
// button ("60s后重发" down to 0), after which it reads "获取验证码" again.
class CTimerButton : public QPushButton
{
    Q_OBJECT
public:
    explicit CTimerButton(QWidget *parent = nullptr);

    bool isRunning() const;
    int remaining() const { return m_remaining; }
    // Stops the countdown and shows the button's own text again.
    void reset();

signals:
    void sig_timeout();

public slots:
    // One second of the countdown; the button's timer calls it (tests may
    // call it directly instead of waiting).
    void onTick();

private:
    void onClicked();

    QTimer *m_timer;
    int m_remaining = 60;
};
