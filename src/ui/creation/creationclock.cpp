#include "creationclock.h"

#include "db/cquorvindb.h"

namespace {

std::function<int()> &source()
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

} // namespace CreationClock
