#pragma once

#include "grid/CellText.h"

#include <QStringView>
#include <QtGlobal>
#include <functional>
#include <optional>
#include <vector>

// The grid's generic ascending order. Every key is of one kind, and the kinds
// come in this order: texts that collate before "0" (empty cells, blanks,
// punctuation), numbers by value, dates by day, then every other text in the
// Russian collation. Ordering the kinds first keeps the whole comparison a
// strict weak order in a column that mixes them. Rows with equal keys keep
// their order.
namespace GenericOrder {

// A day number for a text that reads as a date, nullopt for any other.
using DateReader = std::function<std::optional<int>(QStringView text)>;

// A number as a cell holds it: optional blanks and sign, digits with at most
// one decimal point or comma, an optional exponent. Dates (two points) are not.
std::optional<double> readNumber(QStringView text);

// The text of key slot i: key i % keyCount of row i / keyCount.
using KeyText = std::function<CellText(size_t slot)>;

// The row indices of rowCount rows with keyCount keys each, in sorted order.
// Without a date reader no key is a date.
std::vector<quint32> stableOrder(size_t rowCount, int keyCount, const KeyText& keyAt, const DateReader& readDate = {});

} // namespace GenericOrder
