#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

// When the job queue tries the server again after a transient failure: a
// few seconds after the first failure, the delay doubling with every
// failure in a row up to a minute, each delay shortened by a random part
// (up to a quarter) so that many clients do not come back at once. A
// success starts the delays from the beginning again.
//
// The wake-up runs on a monotonic timer. Tests take it over with setArm():
// the timer is then never started, and fire() stands for the delay passing.
class CRetryTimer : public QObject
{
    Q_OBJECT
public:
    static constexpr int kFirstDelayMs = 2000;
    static constexpr int kMaxDelayMs = 60000;

    explicit CRetryTimer(QObject *parent = nullptr);

    // After a failure: arms the next wake-up unless one is armed already,
    // and returns its delay in milliseconds (the armed one's when armed).
    int schedule();
    // The server answered: the delays start again from the first. Returns
    // whether a wake-up was armed (it is disarmed: the caller retries now).
    bool reset();
    bool isPending() const { return m_pending; }
    // Failures in a row since the last success.
    int failures() const { return m_failures; }
    int pendingDelay() const { return m_pending ? m_delayMs : 0; }

    // The nominal delay after `failures` failures in a row, before the random part.
    static int nominalDelay(int failures);

    // Tests: `arm` receives each delay instead of a real timer; fire()
    // then stands for the delay passing. `random` gives numbers in [0, 1).
    using Arm = std::function<void(int delayMs)>;
    void setArm(Arm arm) { m_arm = std::move(arm); }
    void setRandom(std::function<double()> random) { m_random = std::move(random); }
    void fire();

signals:
    // The delay has passed: time to try again.
    void sig_Due();

private:
    QTimer m_timer;
    Arm m_arm;
    std::function<double()> m_random;
    int m_failures = 0;
    int m_delayMs = 0;
    bool m_pending = false;
};
