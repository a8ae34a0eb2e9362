#pragma once

#include <QString>
#include <QStringView>
#include <span>

// The cells of one grid row, packed into a single string: each cell is its
// length followed by its characters. A register of a million entries then costs
// one allocation per row instead of one per cell. Cells past the stored ones
// read as empty, so growing the column count touches no row.
//
// A length below 0x8000 takes one character; a longer one takes two, the first
// with its top bit set.
class PackedRow
{
public:
    PackedRow() = default;

    int cellCount() const;
    QStringView cell(int column) const;
    // The first cells.size() cells in one walk, empty past the stored ones.
    void readCells(std::span<QStringView> cells) const;
    // Answers whether the text changed.
    bool setCell(int column, QStringView text);
    // Stores text as the cell after the stored ones: how a row is built.
    void append(QStringView text) { appendCell(packed_, text); }
    void reserve(qsizetype characters) { packed_.reserve(characters); }

    void truncate(int columns);
    void removeCell(int column);
    void moveCell(int from, int to);

private:
    struct Span
    {
        qsizetype start; // index of the length prefix
        qsizetype textStart;
        qsizetype length;
    };
    static constexpr char16_t longFlag = 0x8000;

    // The cell whose length prefix stands at pos; here, to be inlined into
    // the walks over a row.
    static Span spanAt(const char16_t* data, qsizetype pos)
    {
        const qsizetype first = data[pos];
        if (first & longFlag)
            return {pos, pos + 2, ((first & 0x7fff) << 15) | data[pos + 1]};
        return {pos, pos + 1, first};
    }
    bool locate(int column, Span& span) const;
    static void appendCell(QString& packed, QStringView text);

    QString packed_;
};
