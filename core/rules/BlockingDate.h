#pragma once

#include <QDate>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

// An EKLZ blocks on the first day of the month in which the day 426 days after
// its activation falls.
namespace BlockingDate {

constexpr int daysToBlock = 426;

// An activation date as typed: day.month.year with a one- or two-digit day and
// month and a four-digit year, blanks around it allowed. Anything else, or a
// day that does not exist, is no date.
std::optional<QDate> readDate(QStringView text);

// The same date as a day number that orders dates: what the header sort
// compares dates by.
std::optional<int> dayNumber(QStringView text);

// A date as the register writes it, dd.mm.yyyy, held without an allocation:
// the pass makes one for every row.
struct DateText {
    std::array<char16_t, 10> units;
    QStringView view() const { return {units.data(), qsizetype(units.size())}; }
    QString toString() const { return view().toString(); }
};

// Column 3's text for column 2's text, or nullopt when column 2 holds no date
// or the blocking date would fall past the year 9999.
std::optional<DateText> forActivationText(QStringView activation);

// The blocking date itself for column 2's text, under the same rule.
std::optional<QDate> forActivation(QStringView activation);

} // namespace BlockingDate
