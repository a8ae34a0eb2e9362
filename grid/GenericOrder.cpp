#include "grid/GenericOrder.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <numeric>

namespace GenericOrder {

std::optional<double> readNumber(QStringView text)
{
    text = text.trimmed();
    QString plain;
    plain.reserve(text.size());
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        plain.append(text[i++]);
    int digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch >= u'0' && ch <= u'9') {
            ++digits;
            plain.append(ch);
        } else if ((ch == u'.' || ch == u',') && !point) {
            point = true;
            plain.append(u'.');
        } else {
            break;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        plain.append(u'e');
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
            plain.append(text[i++]);
        int exponentDigits = 0;
        for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++exponentDigits)
            plain.append(text[i]);
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    bool ok = false;
    const double value = plain.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

namespace {

struct Key
{
    std::optional<double> number;
    std::optional<QCollatorSortKey> text;
};

} // namespace

std::vector<size_t> stableOrder(const std::vector<QStringView>& keys, int keyCount)
{
    const size_t width = static_cast<size_t>(std::max(keyCount, 1));
    const size_t rowCount = keys.size() / width;

    std::vector<Key> prepared(keys.size());
    bool allNumbers = true;
    for (size_t i = 0; i < keys.size(); ++i) {
        prepared[i].number = readNumber(keys[i]);
        allNumbers = allNumbers && prepared[i].number;
    }
    // Collation keys are dear; a column of numbers never needs them.
    if (!allNumbers) {
        QCollator collator{QLocale(QLocale::Russian, QLocale::Russia)};
        for (size_t i = 0; i < keys.size(); ++i)
            prepared[i].text = collator.sortKey(keys[i].toString());
    }

    auto compareKey = [](const Key& a, const Key& b) {
        if (a.number && b.number)
            return *a.number < *b.number ? -1 : (*b.number < *a.number ? 1 : 0);
        return a.text->compare(*b.text);
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
