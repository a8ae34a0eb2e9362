#pragma once

#include <QStringView>
#include <optional>
#include <vector>

// The grid's generic ascending order: two texts that both read as numbers
// compare by value, any other pair by the Russian collation. Rows with equal
// keys keep their order.
namespace GenericOrder {

// A number as a cell holds it: optional blanks and sign, digits with at most
// one decimal point or comma, an optional exponent. Dates (two points) are not.
std::optional<double> readNumber(QStringView text);

// keys holds keyCount texts per row, row after row. Returns the row indices in
// sorted order.
std::vector<size_t> stableOrder(const std::vector<QStringView>& keys, int keyCount);

} // namespace GenericOrder
