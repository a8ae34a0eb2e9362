// The activation-date reader: any text reads without a crash; a date it
// accepts is a real date that reads back the same from its dd.mm.yyyy form,
// and its blocking date is what QDate's own calendar gives: the first of the
// month in which the day 426 days later falls.
#include "rules/BlockingDate.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto date = BlockingDate::readDate(text);
    const auto blocking = BlockingDate::forActivationText(text);
    if (!date) {
        if (blocking)
            std::abort();
        return 0;
    }
    if (!date->isValid() || BlockingDate::readDate(date->toString(u"dd.MM.yyyy")) != date)
        std::abort();
    const QDate reference = date->addDays(BlockingDate::daysToBlock);
    if (reference.year() > 9999) {
        if (blocking)
            std::abort();
        return 0;
    }
    const QDate expected(reference.year(), reference.month(), 1);
    if (!blocking || BlockingDate::readDate(blocking->view()) != expected)
        std::abort();
    return 0;
}
