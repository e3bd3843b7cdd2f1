#pragma once
// The automatic background switch: the interval choices of the "Desktop
// background" group and what a tick of its timer does.
#include <optional>

namespace orvane::desktop {

// Number of entries of the interval list: "10 seconds", "1 minute",
// "10 minutes", "1 hour".
inline constexpr int kIntervalChoices = 4;

// The timer period in milliseconds for an interval choice (0 to 3); no
// period for any other choice, which leaves the timer as it is.
std::optional<int> IntervalOf(int choice);

// A tick moves to the next item and sets it as the background only while
// "Autoswitch every" is ticked.
inline bool SwitchOnTick(bool autoswitchTicked)
{
    return autoswitchTicked;
}

} // namespace orvane::desktop
