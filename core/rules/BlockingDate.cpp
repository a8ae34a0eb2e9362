#include "rules/BlockingDate.h"

namespace BlockingDate {

namespace {

// Reads 'minDigits' to 'maxDigits' ASCII digits at pos.
std::optional<int> readDigits(QStringView text, qsizetype& pos, int minDigits, int maxDigits)
{
    int value = 0;
    int digits = 0;
    while (pos < text.size() && digits < maxDigits && text[pos] >= u'0' && text[pos] <= u'9') {
        value = value * 10 + (text[pos].unicode() - u'0');
        ++pos;
        ++digits;
    }
    if (digits < minDigits)
        return std::nullopt;
    return value;
}

bool skipPoint(QStringView text, qsizetype& pos)
{
    if (pos >= text.size() || text[pos] != u'.')
        return false;
    ++pos;
    return true;
}

// A calendar date as numbers; the pass works on these rather than on QDate,
// whose conversions cost more than the rest of a row's work.
struct Civil {
    int year;
    int month;
    int day;
};

bool isLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : days[month - 1];
}

// Days since 1 March of year 0 in the proleptic Gregorian calendar, and back
// (H. Hinnant's civil-day algorithms, for years 1 to 9999).
int daysFromCivil(Civil date)
{
    const int year = date.year - (date.month <= 2 ? 1 : 0);
    const int era = year / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra;
}

Civil civilFromDays(int days)
{
    const int era = days / 146097;
    const int dayOfEra = days - era * 146097;
    const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const int month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

std::optional<Civil> readCivil(QStringView text)
{
    text = text.trimmed();
    qsizetype pos = 0;
    const auto day = readDigits(text, pos, 1, 2);
    if (!day || !skipPoint(text, pos))
        return std::nullopt;
    const auto month = readDigits(text, pos, 1, 2);
    if (!month || !skipPoint(text, pos))
        return std::nullopt;
    const auto year = readDigits(text, pos, 4, 4);
    if (!year || pos != text.size() || *year == 0 || *month < 1 || *month > 12 || *day < 1 ||
        *day > daysInMonth(*year, *month))
        return std::nullopt;
    return Civil {*year, *month, *day};
}

// The first day of the month in which the day daysToBlock after the
// activation falls; nullopt past the year 9999.
std::optional<Civil> blockingOf(Civil activation)
{
    const Civil reference = civilFromDays(daysFromCivil(activation) + daysToBlock);
    if (reference.year > 9999)
        return std::nullopt;
    return Civil {reference.year, reference.month, 1};
}

// dd.mm.yyyy, as the register stores dates; written out by hand, since the
// pass formats a date for every row it reaches.
DateText format(Civil date)
{
    const int day = date.day;
    const int month = date.month;
    const int year = date.year;
    return {{char16_t(u'0' + day / 10), char16_t(u'0' + day % 10), u'.', char16_t(u'0' + month / 10),
        char16_t(u'0' + month % 10), u'.', char16_t(u'0' + year / 1000 % 10), char16_t(u'0' + year / 100 % 10),
        char16_t(u'0' + year / 10 % 10), char16_t(u'0' + year % 10)}};
}

} // namespace

std::optional<QDate> readDate(QStringView text)
{
    const auto date = readCivil(text);
    if (!date)
        return std::nullopt;
    return QDate(date->year, date->month, date->day);
}

std::optional<int> dayNumber(QStringView text)
{
    const auto date = readCivil(text);
    if (!date)
        return std::nullopt;
    return daysFromCivil(*date);
}

std::optional<DateText> forActivationText(QStringView activation)
{
    const auto date = readCivil(activation);
    if (!date)
        return std::nullopt;
    const auto blocking = blockingOf(*date);
    if (!blocking)
        return std::nullopt;
    return format(*blocking);
}

std::optional<QDate> forActivation(QStringView activation)
{
    const auto date = readCivil(activation);
    const auto blocking = date ? blockingOf(*date) : std::nullopt;
    if (!blocking)
        return std::nullopt;
    return QDate(blocking->year, blocking->month, blocking->day);
}

} // namespace BlockingDate
