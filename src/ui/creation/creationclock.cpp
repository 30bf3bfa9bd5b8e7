#include "creationclock.h"

#include "db/cquorvindb.h"

#include <QElapsedTimer>

namespace {

std::function<int()> &source()
{
    static std::function<int()> clock;
    return clock;
}

std::function<int()> &monotonicSource()
{
    static std::function<int()> clock;
    return clock;
}

} // namespace

namespace CreationClock {

int now()
{
    return source() ? source()() : CQuorvinDb::instance()->currentTime();
}

void setSource(std::function<int()> clock)
{
    source() = std::move(clock);
}

int monotonic()
{
    if (monotonicSource())
        return monotonicSource()();
    if (source())
        return source()();
    static QElapsedTimer started = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return int(started.elapsed() / 1000);
}

void setMonotonicSource(std::function<int()> clock)
{
    monotonicSource() = std::move(clock);
}

} // namespace CreationClock
