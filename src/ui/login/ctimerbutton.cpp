#include "ctimerbutton.h"

#include <QTimer>

namespace {
const int kCountdownSeconds = 60;
const int kTickMs = 1000;
} // namespace

CTimerButton::CTimerButton(QWidget *parent) : QPushButton(parent), m_timer(new QTimer(this))
{
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    m_timer->setInterval(kTickMs);
    connect(m_timer, &QTimer::timeout, this, &CTimerButton::onTick);
    connect(this, &QPushButton::clicked, this, &CTimerButton::onClicked);
    reset();
}

bool CTimerButton::isRunning() const
{
    return m_timer->isActive();
}

void CTimerButton::reset()
{
    m_timer->stop();
    m_remaining = kCountdownSeconds;
    setText(tr("Send Code"));
    setChecked(false);
}

void CTimerButton::onClicked()
{
    setText(tr("%1s after").arg(m_remaining));
    m_timer->start();
}

void CTimerButton::onTick()
{
    if (m_remaining == 0) {
        reset();
        emit sig_timeout();
        return;
    }
    --m_remaining;
    setText(tr("%1s after").arg(m_remaining));
}
