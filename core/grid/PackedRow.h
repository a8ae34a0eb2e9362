#pragma once

#include "grid/CellText.h"

#include <QByteArray>
#include <span>

// The cells of one grid row packed into one piece of memory: each cell is its
// length followed by its text. Cells past the stored ones read as empty, so
// growing the column count touches no row.
//
// A row is narrow, its texts in Windows-1251 bytes, the file's own form,
// unless one of its cells holds a character that code page lacks: then the
// whole row is wide, in UTF-16, until no such character is left in it.
// Narrow: a length below 0x80 takes one byte, a longer one four, the first
// with its top bit set. Wide: a length below 0x8000 takes one UTF-16 unit, a
// longer one two, the first with its top bit set.
class RowView {
public:
    RowView() = default;
    RowView(const char* data, qsizetype size, bool wide)
        : data_(data)
        , size_(size)
        , wide_(wide)
    {
    }

    const char* data() const { return data_; }
    qsizetype size() const { return size_; } // in bytes
    bool isWide() const { return wide_; }

    int cellCount() const;
    // Whether every length prefix and text lies inside the row: true for
    // every row the program packs, checked where bytes come from a file.
    bool wellFormed() const;
    CellText cell(int column) const;
    // The first cells.size() cells in one walk, empty past the stored ones.
    void readCells(std::span<CellText> cells) const;
    // A narrow row's first `columns` cells, each followed by separator, as
    // assignSplit reads them: written to out, which has room for size() +
    // columns bytes, with one copy. Answers the bytes written, or -1 for a
    // wide row or one with a cell of 0x80 bytes or more.
    qsizetype join(int columns, char separator, char* out) const;

    // Where a cell stands, in bytes: its length prefix, its text, its end.
    struct Span {
        qsizetype start;
        qsizetype textStart;
        qsizetype end;
    };
    // The cell whose prefix starts at byte pos, which must be inside the row.
    Span spanAt(qsizetype pos) const { return wide_ ? wideSpanAt(pos) : narrowSpanAt(pos); }
    bool locate(int column, Span& span) const;
    CellText textOf(const Span& span) const
    {
        if (!wide_)
            return CellText::fromBytes(QByteArrayView(data_ + span.textStart, span.end - span.textStart));
        return QStringView(reinterpret_cast<const char16_t*>(data_ + span.textStart), (span.end - span.textStart) / 2);
    }

private:
    // The walks, one per form: the grid's hottest loops.
    template<bool Wide> bool locateIn(int column, Span& span) const;
    template<bool Wide> int countIn() const;
    template<bool Wide> void readIn(std::span<CellText> cells) const;
    Span narrowSpanAt(qsizetype pos) const
    {
        const auto* bytes = reinterpret_cast<const quint8*>(data_);
        if (!(bytes[pos] & 0x80))
            return {pos, pos + 1, pos + 1 + bytes[pos]};
        const qsizetype length = (qsizetype(bytes[pos] & 0x7f) << 24) | (qsizetype(bytes[pos + 1]) << 16) |
                                 (qsizetype(bytes[pos + 2]) << 8) | bytes[pos + 3];
        return {pos, pos + 4, pos + 4 + length};
    }
    Span wideSpanAt(qsizetype pos) const
    {
        const auto* units = reinterpret_cast<const char16_t*>(data_ + pos);
        if (!(units[0] & 0x8000))
            return {pos, pos + 2, pos + 2 + 2 * qsizetype(units[0])};
        const qsizetype length = (qsizetype(units[0] & 0x7fff) << 15) | units[1];
        return {pos, pos + 4, pos + 4 + 2 * length};
    }

    const char* data_ = nullptr;
    qsizetype size_ = 0;
    bool wide_ = false;
};

// A row of its own, built, edited and then handed to the grid, or held
// aside by an undo step.
class PackedRow {
public:
    PackedRow() = default;
    explicit PackedRow(RowView row)
        : bytes_(row.data(), row.size())
        , wide_(row.isWide())
        , count_(-1)
    {
    }

    RowView view() const { return {bytes_.constData(), bytes_.size(), wide_}; }
    bool isWide() const { return wide_; }
    int cellCount() const
    {
        if (count_ < 0)
            count_ = view().cellCount();
        return count_;
    }
    CellText cell(int column) const { return view().cell(column); }

    // Answers whether the text changed.
    bool setCell(int column, CellText text);
    // Stores text as the cell after the stored ones: how a row is built.
    void append(CellText text);
    // Becomes a copy of row, keeping this one's room.
    void assign(RowView row);
    // Becomes the narrow row of the fields of line, bytes split at every
    // separator, the text after the last one being one more (possibly empty)
    // field; answers how many. One walk over the bytes, no call per field.
    int assignSplit(QByteArrayView line, char separator);

    void truncate(int columns);
    void removeCell(int column);
    void moveCell(int from, int to);

private:
    using Encoded = QVarLengthArray<char, 256>;
    // The cell as the row stores it, prefix and text, in this row's form;
    // false when a narrow row cannot hold the text.
    bool encode(CellText text, Encoded& out) const;
    void put(int column, QByteArrayView encodedCell);
    void replace(const RowView::Span& span, QByteArrayView encodedCell);
    int splitSlowly(QByteArrayView line, char separator);
    // Stores text in the column, widening the row when it must.
    void write(int column, CellText text);
    void widen();
    void narrowIfPossible();

    QByteArray bytes_;
    bool wide_ = false;
    mutable int count_ = 0; // -1 until counted: saves a walk where it is known
};
