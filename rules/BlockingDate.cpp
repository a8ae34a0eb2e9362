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

} // namespace

std::optional<QDate> readDate(QStringView text)
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
    if (!year || pos != text.size() || *year == 0)
        return std::nullopt;
    const QDate date(*year, *month, *day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

std::optional<QDate> fromActivation(QDate activation)
{
    const QDate reference = activation.addDays(daysToBlock);
    if (!reference.isValid() || reference.year() > 9999)
        return std::nullopt;
    return QDate(reference.year(), reference.month(), 1);
}

QString format(QDate date)
{
    // Written out by hand: the pass formats a date for every row it reaches.
    const int day = date.day();
    const int month = date.month();
    const int year = date.year();
    const char16_t text[] = {
        char16_t(u'0' + day / 10),          char16_t(u'0' + day % 10),          u'.',
        char16_t(u'0' + month / 10),        char16_t(u'0' + month % 10),        u'.',
        char16_t(u'0' + year / 1000 % 10),  char16_t(u'0' + year / 100 % 10),
        char16_t(u'0' + year / 10 % 10),    char16_t(u'0' + year % 10)};
    return QString(reinterpret_cast<const QChar*>(text), 10);
}

std::optional<QString> forActivationText(QStringView activation)
{
    const auto date = readDate(activation);
    if (!date)
        return std::nullopt;
    const auto blocking = fromActivation(*date);
    if (!blocking)
        return std::nullopt;
    return format(*blocking);
}

} // namespace BlockingDate
