#include "cretrytimer.h"

#include <QRandomGenerator>

CRetryTimer::CRetryTimer(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::CoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CRetryTimer::fire);
}

int CRetryTimer::nominalDelay(int failures)
{
    int delay = kFirstDelayMs;
    for (int i = 1; i < failures && delay < kMaxDelayMs; ++i)
        delay *= 2;
    return qMin(delay, kMaxDelayMs);
}

int CRetryTimer::schedule()
{
    if (m_pending)
        return m_delayMs;
    ++m_failures;
    const int nominal = nominalDelay(m_failures);
    const double random = m_random ? m_random() : QRandomGenerator::global()->generateDouble();
    m_delayMs = nominal - int(nominal * 0.25 * qBound(0.0, random, 1.0));
    m_pending = true;
    if (m_arm)
        m_arm(m_delayMs);
    else
        m_timer.start(m_delayMs);
    return m_delayMs;
}

bool CRetryTimer::reset()
{
    const bool wasPending = m_pending;
    m_failures = 0;
    m_pending = false;
    m_delayMs = 0;
    m_timer.stop();
    return wasPending;
}

void CRetryTimer::fire()
{
    if (!m_pending)
        return;
    m_pending = false;
    m_timer.stop();
    emit sig_Due();
}
