#include "desktop/AutoSwitch.h"

namespace orvane::desktop {

std::optional<int> IntervalOf(int choice)
{
    static constexpr int kPeriods[kIntervalChoices] = {10000, 60000, 600000, 3600000};
    if (choice < 0 || choice >= kIntervalChoices)
        return std::nullopt;
    return kPeriods[choice];
}

} // namespace orvane::desktop
