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

// The keys as the comparison needs them, one slot per key of every row, kept
// in as few bytes as a million rows allow: each key's kind, its value where it
// is a number or a date, and its place among all the keys' texts in the
// Russian collation (equal places for texts that collate equal) where any key
// is a text.
enum Kind : quint8 { EarlyText, Number, Date, Text };

struct Keys {
    std::vector<quint8> kind;
    std::vector<double> value; // empty when no key is a number or a date
    std::vector<int> textRank; // empty when no key is a text
};

// Ranks the distinct texts only: a register's columns repeat their texts
// (owners, models), and a collation key costs far more than a lookup. Texts
// that collate before "0" are marked early.
std::vector<int> rankTexts(Keys& keys, const KeyText& keyAt)
{
    const size_t slotCount = keys.kind.size();
    // Bytes and wide texts are told apart by separate tables: a text held
    // both ways is two distinct texts that collate equal.
    QHash<QByteArrayView, int> distinctBytes;
    QHash<QStringView, int> distinctWide;
    std::vector<CellText> distinct;
    std::vector<int> ranks(slotCount); // first the distinct text's index, then its rank
    const auto indexOf = [&distinct](auto& table, auto key, CellText text) {
        auto it = table.constFind(key);
        if (it == table.constEnd()) {
            it = table.insert(key, int(distinct.size()));
            distinct.push_back(text);
        }
        return it.value();
    };
    for (size_t i = 0; i < slotCount; ++i) {
        if (keys.kind[i] != Text)
            continue;
        const CellText key = keyAt(i);
        ranks[i] =
            key.isNarrow() ? indexOf(distinctBytes, key.bytes(), key) : indexOf(distinctWide, key.wideText(), key);
    }
    const QCollator collator {QLocale(QLocale::Russian, QLocale::Russia)};
    const QCollatorSortKey zero = collator.sortKey(QStringLiteral("0"));
    std::vector<QCollatorSortKey> sortKeys;
    sortKeys.reserve(distinct.size());
    for (const CellText& text : distinct)
        sortKeys.push_back(collator.sortKey(text.toString()));
    std::vector<int> byCollation(distinct.size());
    std::iota(byCollation.begin(), byCollation.end(), 0);
    std::sort(
        byCollation.begin(), byCollation.end(), [&](int a, int b) { return sortKeys[a].compare(sortKeys[b]) < 0; });
    std::vector<int> rank(distinct.size());
    std::vector<bool> early(distinct.size());
    for (size_t i = 0; i < byCollation.size(); ++i) {
        const bool sameAsBefore = i > 0 && sortKeys[byCollation[i - 1]].compare(sortKeys[byCollation[i]]) == 0;
        rank[byCollation[i]] = sameAsBefore ? rank[byCollation[i - 1]] : int(i);
        early[byCollation[i]] = sortKeys[byCollation[i]].compare(zero) < 0;
    }
    for (size_t i = 0; i < slotCount; ++i) {
        if (keys.kind[i] != Text)
            continue;
        if (early[ranks[i]])
            keys.kind[i] = EarlyText;
        ranks[i] = rank[ranks[i]];
    }
    return ranks;
}

Keys prepare(size_t slotCount, const KeyText& keyAt, const DateReader& readDate)
{
    Keys keys;
    keys.kind.resize(slotCount, Text);
    bool anyText = false;
    CellText::Scratch scratch;
    for (size_t i = 0; i < slotCount; ++i) {
        const QStringView text = keyAt(i).view(scratch);
        std::optional<double> value = readNumber(text);
        Kind kind = Number;
        if (!value && readDate) {
            if (const auto day = readDate(text)) {
                value = *day;
                kind = Date;
            }
        }
        if (!value) {
            anyText = true;
            continue;
        }
        if (keys.value.empty())
            keys.value.resize(slotCount);
        keys.kind[i] = kind;
        keys.value[i] = *value;
    }
    // A column of numbers or dates never compares texts.
    if (anyText)
        keys.textRank = rankTexts(keys, keyAt);
    return keys;
}

template<typename T> int compare(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

std::vector<quint32> stableOrder(size_t rowCount, int keyCount, const KeyText& keyAt, const DateReader& readDate)
{
    const size_t width = static_cast<size_t>(std::max(keyCount, 1));
    const Keys keys = prepare(rowCount * width, keyAt, readDate);
    auto compareSlot = [&keys](size_t a, size_t b) {
        if (keys.kind[a] != keys.kind[b])
            return compare(keys.kind[a], keys.kind[b]);
        if (keys.kind[a] == Number || keys.kind[a] == Date)
            return compare(keys.value[a], keys.value[b]);
        return compare(keys.textRank[a], keys.textRank[b]);
    };
    std::vector<quint32> order(rowCount);
    std::iota(order.begin(), order.end(), quint32 {0});
    std::stable_sort(order.begin(), order.end(), [&](quint32 a, quint32 b) {
        for (size_t k = 0; k < width; ++k) {
            const int result = compareSlot(a * width + k, b * width + k);
            if (result != 0)
                return result < 0;
        }
        return false;
    });
    return order;
}

} // namespace GenericOrder
