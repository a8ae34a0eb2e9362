#include "rules/BlockingStatus.h"

#include "rules/BlockingDate.h"

BlockingStatus BlockingStatus::of(QStringView blockingDate, QDate today)
{
    const std::optional<QDate> date = BlockingDate::readDate(blockingDate);
    if (!date || !today.isValid())
        return {};
    const auto until = static_cast<int>(today.daysTo(*date));
    if (until <= 0)
        return {State::Blocked, -until};
    if (until <= soonDays)
        return {State::Soon, until};
    return {};
}
