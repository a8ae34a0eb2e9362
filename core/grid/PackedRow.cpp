#include "grid/PackedRow.h"

#include "grid/Windows1251.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr qsizetype shortNarrow = 0x80;
constexpr qsizetype shortWide = 0x8000;

template<typename Out> void appendNarrowPrefix(Out& out, qsizetype length)
{
    if (length < shortNarrow) {
        out.append(static_cast<char>(length));
        return;
    }
    const char prefix[4] = {static_cast<char>(0x80 | (length >> 24)), static_cast<char>(length >> 16),
        static_cast<char>(length >> 8), static_cast<char>(length)};
    out.append(prefix, 4);
}

template<typename Out> void appendWide(Out& out, QStringView text)
{
    const qsizetype length = text.size();
    if (length < shortWide) {
        const char16_t prefix = static_cast<char16_t>(length);
        out.append(reinterpret_cast<const char*>(&prefix), 2);
    } else {
        const char16_t prefix[2] = {
            static_cast<char16_t>(0x8000 | (length >> 15)), static_cast<char16_t>(length & 0x7fff)};
        out.append(reinterpret_cast<const char*>(prefix), 4);
    }
    out.append(reinterpret_cast<const char*>(text.utf16()), 2 * length);
}

} // namespace

template<bool Wide> bool RowView::locateIn(int column, Span& span) const
{
    qsizetype pos = 0;
    for (int c = 0; pos < size_; ++c) {
        const Span at = Wide ? wideSpanAt(pos) : narrowSpanAt(pos);
        if (c == column) {
            span = at;
            return true;
        }
        pos = at.end;
    }
    return false;
}

template<bool Wide> int RowView::countIn() const
{
    int count = 0;
    for (qsizetype pos = 0; pos < size_; ++count)
        pos = (Wide ? wideSpanAt(pos) : narrowSpanAt(pos)).end;
    return count;
}

bool RowView::locate(int column, Span& span) const
{
    return wide_ ? locateIn<true>(column, span) : locateIn<false>(column, span);
}

int RowView::cellCount() const
{
    return wide_ ? countIn<true>() : countIn<false>();
}

CellText RowView::cell(int column) const
{
    Span span {};
    if (!locate(column, span))
        return {};
    return textOf(span);
}

template<bool Wide> void RowView::readIn(std::span<CellText> cells) const
{
    qsizetype pos = 0;
    for (CellText& cell : cells) {
        if (pos >= size_) {
            cell = CellText();
            continue;
        }
        const Span span = Wide ? wideSpanAt(pos) : narrowSpanAt(pos);
        cell = textOf(span);
        pos = span.end;
    }
}

bool RowView::wellFormed() const
{
    if (size_ < 0 || (wide_ && size_ % 2 != 0))
        return false;
    for (qsizetype pos = 0; pos < size_;) {
        const bool longPrefix = wide_ ? (reinterpret_cast<const char16_t*>(data_ + pos)[0] & 0x8000) != 0
                                      : (quint8(data_[pos]) & 0x80) != 0;
        if (longPrefix && pos + 4 > size_)
            return false;
        pos = spanAt(pos).end;
        if (pos > size_)
            return false;
    }
    return true;
}

void RowView::readCells(std::span<CellText> cells) const
{
    wide_ ? readIn<true>(cells) : readIn<false>(cells);
}

qsizetype RowView::join(int columns, char separator, char* out) const
{
    if (wide_)
        return -1;
    // Copied one byte back, every cell's prefix but the first stands where
    // the separator before it goes; one walk puts the separators there.
    if (size_ > 0)
        std::memcpy(out, data_ + 1, size_t(size_ - 1));
    const auto* lengths = reinterpret_cast<const quint8*>(data_);
    qsizetype end = 0;
    int stored = 0;
    for (; stored < columns && end < size_; ++stored) {
        if (lengths[end] >= shortNarrow)
            return -1;
        end += 1 + lengths[end];
        out[end - 1] = separator;
    }
    qsizetype written = end;
    for (int c = stored; c < columns; ++c)
        out[written++] = separator;
    return written;
}

bool PackedRow::encode(CellText text, Encoded& out) const
{
    if (wide_) {
        CellText::Scratch scratch;
        appendWide(out, text.view(scratch));
        return true;
    }
    appendNarrowPrefix(out, text.size());
    if (text.isNarrow()) {
        out.append(text.bytes().data(), text.size());
        return true;
    }
    const qsizetype start = out.size();
    out.resize(start + text.size());
    return Windows1251::encode(text.wideText(), out.data() + start);
}

void PackedRow::put(int column, QByteArrayView encodedCell)
{
    RowView::Span span {};
    if (column < cellCount() && view().locate(column, span)) {
        replace(span, encodedCell);
        return;
    }
    Encoded empty;
    encode(CellText(), empty);
    for (int c = cellCount(); c < column; ++c)
        bytes_.append(empty.data(), empty.size());
    bytes_.append(encodedCell);
    count_ = column + 1;
}

void PackedRow::replace(const RowView::Span& span, QByteArrayView encodedCell)
{
    // Resized and moved by hand: the room a row has is kept.
    const qsizetype grown = encodedCell.size() - (span.end - span.start);
    const qsizetype size = bytes_.size();
    if (grown > 0)
        bytes_.resize(size + grown);
    char* data = bytes_.data();
    std::memmove(data + span.end + grown, data + span.end, size_t(size - span.end));
    std::memcpy(data + span.start, encodedCell.data(), size_t(encodedCell.size()));
    if (grown < 0)
        bytes_.truncate(size + grown);
}

void PackedRow::write(int column, CellText text)
{
    Encoded cellBytes;
    if (!encode(text, cellBytes)) {
        widen();
        cellBytes.clear();
        encode(text, cellBytes);
    }
    put(column, QByteArrayView(cellBytes.data(), cellBytes.size()));
}

bool PackedRow::setCell(int column, CellText text)
{
    RowView::Span span {};
    const bool stored = view().locate(column, span);
    if ((stored ? view().textOf(span) : CellText()) == text)
        return false;
    Encoded cellBytes;
    if (stored && encode(text, cellBytes))
        replace(span, QByteArrayView(cellBytes.data(), cellBytes.size()));
    else
        write(column, text);
    if (wide_)
        narrowIfPossible(); // the last character the code page lacks may just have left
    return true;
}

void PackedRow::append(CellText text)
{
    if (wide_ || !text.isNarrow()) {
        write(cellCount(), text);
        return;
    }
    // How a file's line becomes a row: straight into the row's bytes.
    appendNarrowPrefix(bytes_, text.size());
    bytes_.append(text.bytes());
    if (count_ >= 0)
        ++count_;
}

void PackedRow::assign(RowView row)
{
    bytes_.resize(row.size());
    count_ = -1;
    if (row.size() > 0) // an empty row may have no data at all
        std::memcpy(bytes_.data(), row.data(), size_t(row.size()));
    wide_ = row.isWide();
}

int PackedRow::assignSplit(QByteArrayView line, char separator)
{
    // The line copied one byte on: each separator then stands where the next
    // field's prefix goes, and a line of short fields is packed once every
    // separator is overwritten by the length after it.
    wide_ = false;
    bytes_.resize(line.size() + 1);
    if (!line.isEmpty())
        std::memcpy(bytes_.data() + 1, line.data(), size_t(line.size()));
    const char* const in = line.data();
    const char* const end = in + line.size();
    qsizetype prefixAt = 0;
    int fields = 0;
    for (const char* field = in;; ++fields) {
        const auto* found =
            field == end ? nullptr : static_cast<const char*>(std::memchr(field, separator, size_t(end - field)));
        const char* const fieldEnd = found ? found : end;
        const qsizetype length = fieldEnd - field;
        if (length >= shortNarrow)
            return splitSlowly(line, separator);
        bytes_.data()[prefixAt] = static_cast<char>(length);
        if (!found)
            return count_ = fields + 1;
        prefixAt = found - in + 1;
        field = found + 1;
    }
}

int PackedRow::splitSlowly(QByteArrayView line, char separator)
{
    bytes_.resize(0);
    count_ = 0;
    int fields = 0;
    for (QByteArrayView rest = line;; ++fields) {
        const qsizetype at = rest.indexOf(separator);
        append(CellText::fromBytes(at < 0 ? rest : rest.first(at)));
        if (at < 0)
            return fields + 1;
        rest = rest.sliced(at + 1);
    }
}

void PackedRow::widen()
{
    QByteArray wide;
    const RowView narrow = view();
    CellText::Scratch scratch;
    for (qsizetype pos = 0; pos < narrow.size();) {
        const RowView::Span span = narrow.spanAt(pos);
        appendWide(wide, narrow.textOf(span).view(scratch));
        pos = span.end;
    }
    bytes_ = std::move(wide);
    wide_ = true;
}

void PackedRow::narrowIfPossible()
{
    const RowView wide = view();
    for (qsizetype pos = 0; pos < wide.size();) {
        const RowView::Span span = wide.spanAt(pos);
        if (!Windows1251::encodable(wide.textOf(span).wideText()))
            return;
        pos = span.end;
    }
    PackedRow narrow;
    for (qsizetype pos = 0; pos < wide.size();) {
        const RowView::Span span = wide.spanAt(pos);
        narrow.append(wide.textOf(span));
        pos = span.end;
    }
    *this = std::move(narrow);
}

void PackedRow::truncate(int columns)
{
    RowView::Span span {};
    if (view().locate(columns, span))
        bytes_.truncate(span.start);
    count_ = std::min(count_, columns);
}

void PackedRow::removeCell(int column)
{
    RowView::Span span {};
    if (view().locate(column, span)) {
        bytes_.remove(span.start, span.end - span.start);
        count_ = -1;
    }
}

void PackedRow::moveCell(int from, int to)
{
    if (from == to)
        return;
    const int count = cellCount();
    if (from >= count && to >= count)
        return; // both empty and unstored
    RowView::Span span {};
    QByteArray moved;
    if (view().locate(from, span)) {
        moved = bytes_.sliced(span.start, span.end - span.start);
        bytes_.remove(span.start, span.end - span.start);
    } else {
        Encoded empty;
        encode(CellText(), empty);
        moved = QByteArray(empty.data(), empty.size());
    }
    count_ = -1;
    if (view().locate(to, span))
        bytes_.insert(span.start, moved);
    else
        put(to, moved);
}
