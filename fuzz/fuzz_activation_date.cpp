// The activation-date reader: any text reads without a crash; a date it
// accepts is a real date that reads back the same from its dd.mm.yyyy form,
// and its blocking date is the first of a month after it.
#include "rules/BlockingDate.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data),
                                           static_cast<qsizetype>(size));
    const auto date = BlockingDate::readDate(text);
    const auto blocking = BlockingDate::forActivationText(text);
    if (!date) {
        if (blocking)
            std::abort();
        return 0;
    }
    if (!date->isValid() || BlockingDate::readDate(BlockingDate::format(*date)) != date)
        std::abort();
    if (blocking) {
        const auto back = BlockingDate::readDate(*blocking);
        if (!back || back->day() != 1 || *back <= *date || back->daysTo(*date) < -426)
            std::abort();
    }
    return 0;
}
