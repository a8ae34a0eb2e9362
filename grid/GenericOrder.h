#pragma once

#include <QStringView>
#include <QtGlobal>
#include <functional>
#include <optional>
#include <vector>

// The grid's generic ascending order: two texts that both read as numbers
// compare by value, any other pair by the Russian collation. Rows with equal
// keys keep their order.
namespace GenericOrder {

// A number as a cell holds it: optional blanks and sign, digits with at most
// one decimal point or comma, an optional exponent. Dates (two points) are not.
std::optional<double> readNumber(QStringView text);

// The text of key slot i: key i % keyCount of row i / keyCount.
using KeyText = std::function<QStringView(size_t slot)>;

// The row indices of rowCount rows with keyCount keys each, in sorted order.
std::vector<quint32> stableOrder(size_t rowCount, int keyCount, const KeyText& keyAt);

} // namespace GenericOrder
