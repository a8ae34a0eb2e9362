#include "grid/PackedRow.h"

#include <algorithm>

void PackedRow::appendCell(QString& packed, QStringView text)
{
    // One resize and plain writes: loading appends every field of a file.
    const qsizetype length = text.size();
    const qsizetype at = packed.size();
    const qsizetype prefix = length < longFlag ? 1 : 2;
    packed.resize(at + prefix + length);
    char16_t* out = reinterpret_cast<char16_t*>(packed.data()) + at;
    if (prefix == 1) {
        *out++ = static_cast<char16_t>(length);
    } else {
        *out++ = static_cast<char16_t>(longFlag | (length >> 15));
        *out++ = static_cast<char16_t>(length & 0x7fff);
    }
    std::copy(text.utf16(), text.utf16() + length, out);
}

bool PackedRow::locate(int column, Span& span) const
{
    // Written out rather than stepping with spanAt: this is the grid's
    // hottest loop, and it only needs each length until the column is found.
    const char16_t* data = reinterpret_cast<const char16_t*>(packed_.constData());
    const qsizetype size = packed_.size();
    qsizetype pos = 0;
    for (int c = 0; pos < size; ++c) {
        qsizetype length = data[pos];
        qsizetype textStart = pos + 1;
        if (length & longFlag) {
            length = ((length & 0x7fff) << 15) | data[pos + 1];
            textStart = pos + 2;
        }
        if (c == column) {
            span = {pos, textStart, length};
            return true;
        }
        pos = textStart + length;
    }
    return false;
}

int PackedRow::cellCount() const
{
    const char16_t* data = reinterpret_cast<const char16_t*>(packed_.constData());
    int count = 0;
    for (qsizetype pos = 0; pos < packed_.size(); ++count) {
        const Span span = spanAt(data, pos);
        pos = span.textStart + span.length;
    }
    return count;
}

QStringView PackedRow::cell(int column) const
{
    Span span{};
    if (!locate(column, span))
        return {};
    return QStringView(packed_).sliced(span.textStart, span.length);
}

void PackedRow::readCells(std::span<QStringView> cells) const
{
    const char16_t* data = reinterpret_cast<const char16_t*>(packed_.constData());
    const qsizetype size = packed_.size();
    qsizetype pos = 0;
    for (QStringView& cell : cells) {
        if (pos >= size) {
            cell = QStringView();
            continue;
        }
        const Span span = spanAt(data, pos);
        cell = QStringView(packed_).sliced(span.textStart, span.length);
        pos = span.textStart + span.length;
    }
}

bool PackedRow::setCell(int column, QStringView text)
{
    Span span{};
    if (locate(column, span)) {
        const QStringView old = QStringView(packed_).sliced(span.textStart, span.length);
        if (old == text)
            return false;
        const qsizetype oldPrefix = span.textStart - span.start;
        const qsizetype newPrefix = text.size() < longFlag ? 1 : 2;
        if (oldPrefix == newPrefix && span.length == text.size()) {
            std::copy(text.begin(), text.end(), packed_.begin() + span.textStart);
            return true;
        }
        // Built anew at its exact size: one allocation, and no slack kept on
        // each of a million rows.
        const qsizetype end = span.textStart + span.length;
        QString next;
        next.reserve(packed_.size() - (end - span.start) + newPrefix + text.size());
        next.append(QStringView(packed_).first(span.start));
        appendCell(next, text);
        next.append(QStringView(packed_).sliced(end));
        packed_ = std::move(next);
        return true;
    }
    if (text.isEmpty())
        return false; // cells past the stored ones are empty already
    for (int c = cellCount(); c < column; ++c)
        appendCell(packed_, QStringView());
    appendCell(packed_, text);
    return true;
}

void PackedRow::truncate(int columns)
{
    Span span{};
    if (locate(columns, span))
        packed_.truncate(span.start);
}

void PackedRow::removeCell(int column)
{
    Span span{};
    if (locate(column, span))
        packed_.remove(span.start, span.textStart - span.start + span.length);
}

void PackedRow::moveCell(int from, int to)
{
    if (from == to)
        return;
    const QString text = cell(from).toString();
    const int count = cellCount();
    if (from >= count && to >= count)
        return; // both empty and unstored
    if (from < count)
        removeCell(from);
    Span span{};
    if (locate(to, span)) {
        QString encoded;
        appendCell(encoded, text);
        packed_.insert(span.start, encoded);
    } else {
        setCell(to, text);
    }
}
