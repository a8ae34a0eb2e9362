#include "grid/GenericOrder.h"

#include <QByteArray>
#include <QCollator>
#include <QHash>
#include <QLocale>
#include <QVarLengthArray>
#include <algorithm>
#include <charconv>
#include <numeric>

namespace GenericOrder {

std::optional<double> readNumber(QStringView text)
{
    text = text.trimmed();
    // The number in the C locale's form, in a buffer on the stack: a sort
    // reads a million of them.
    QVarLengthArray<char, 64> plain;
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        plain.append(static_cast<char>(text[i++].unicode()));
    int digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch >= u'0' && ch <= u'9') {
            ++digits;
            plain.append(static_cast<char>(ch.unicode()));
        } else if ((ch == u'.' || ch == u',') && !point) {
            point = true;
            plain.append('.');
        } else {
            break;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        plain.append('e');
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
            plain.append(static_cast<char>(text[i++].unicode()));
        int exponentDigits = 0;
        for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++exponentDigits)
            plain.append(static_cast<char>(text[i].unicode()));
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    // from_chars takes no '+'; a value out of range is left to Qt, whose
    // answer the order has always followed.
    const char* first = plain.data() + (plain.front() == '+' ? 1 : 0);
    double value = 0;
    const auto [end, error] = std::from_chars(first, plain.data() + plain.size(), value);
    if (error == std::errc() && end == plain.data() + plain.size())
        return value;
    bool ok = false;
    value = QByteArrayView(plain.data(), plain.size()).toByteArray().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

namespace {

// A key as the comparison needs it: its value where it reads as a number, and
// its place among all the keys' texts in the Russian collation, equal places
// for texts that collate equal.
struct Key
{
    double number = 0;
    bool isNumber = false;
    int textRank = 0;
};

// Ranks the distinct texts only: a register's columns repeat their texts
// (owners, models), and a collation key costs far more than a lookup.
void rankTexts(const std::vector<QStringView>& keys, std::vector<Key>& prepared)
{
    QHash<QStringView, int> distinctIndex;
    std::vector<QStringView> distinct;
    std::vector<int> keyToDistinct(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        auto it = distinctIndex.constFind(keys[i]);
        if (it == distinctIndex.constEnd()) {
            it = distinctIndex.insert(keys[i], int(distinct.size()));
            distinct.push_back(keys[i]);
        }
        keyToDistinct[i] = it.value();
    }
    const QCollator collator{QLocale(QLocale::Russian, QLocale::Russia)};
    std::vector<QCollatorSortKey> sortKeys;
    sortKeys.reserve(distinct.size());
    for (QStringView text : distinct)
        sortKeys.push_back(collator.sortKey(text.toString()));
    std::vector<int> byCollation(distinct.size());
    std::iota(byCollation.begin(), byCollation.end(), 0);
    std::sort(byCollation.begin(), byCollation.end(),
              [&](int a, int b) { return sortKeys[a].compare(sortKeys[b]) < 0; });
    std::vector<int> rank(distinct.size());
    for (size_t i = 0; i < byCollation.size(); ++i) {
        const bool sameAsBefore =
            i > 0 && sortKeys[byCollation[i - 1]].compare(sortKeys[byCollation[i]]) == 0;
        rank[byCollation[i]] = sameAsBefore ? rank[byCollation[i - 1]] : int(i);
    }
    for (size_t i = 0; i < keys.size(); ++i)
        prepared[i].textRank = rank[keyToDistinct[i]];
}

} // namespace

std::vector<size_t> stableOrder(const std::vector<QStringView>& keys, int keyCount)
{
    const size_t width = static_cast<size_t>(std::max(keyCount, 1));
    const size_t rowCount = keys.size() / width;
    std::vector<Key> prepared(keys.size());
    bool allNumbers = true;
    for (size_t i = 0; i < keys.size(); ++i) {
        const auto number = readNumber(keys[i]);
        prepared[i].isNumber = number.has_value();
        prepared[i].number = number.value_or(0);
        allNumbers = allNumbers && number;
    }
    // A column of numbers never compares texts.
    if (!allNumbers)
        rankTexts(keys, prepared);
    auto compareKey = [](const Key& a, const Key& b) {
        if (a.isNumber && b.isNumber)
            return a.number < b.number ? -1 : (b.number < a.number ? 1 : 0);
        return a.textRank < b.textRank ? -1 : (b.textRank < a.textRank ? 1 : 0);
    };
    std::vector<size_t> order(rowCount);
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        for (size_t k = 0; k < width; ++k) {
            const int result = compareKey(prepared[a * width + k], prepared[b * width + k]);
            if (result != 0)
                return result < 0;
        }
        return false;
    });
    return order;
}

} // namespace GenericOrder
