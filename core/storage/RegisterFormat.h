#pragma once

#include "grid/PackedRow.h"
#include "register/RegisterLayout.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <span>
#include <vector>

// The register file: Windows-1251 text, one entry per line, every field
// followed by ';', lines ended by CR LF. No quoting, no escaping, no trimming.
//
// Reading is lenient about line ends: CR LF, a lone CR or a lone LF ends a
// line (files written on Linux end lines with LF), and the last line may lack
// its end. The program itself writes CR LF and never a lone LF in a cell.
namespace RegisterFormat {

// Longest line the program reads, in characters (one byte each on disk).
constexpr qsizetype maxLineLength = 32766;

// Whether this Qt converts Windows-1251 one byte to one character; without it
// the grid could not keep cells as the file's bytes. Checked once, when the
// program starts.
bool codecAvailable();

QString decode(QByteArrayView bytes);

// Hands every complete line of the bytes to onLine, in order, and returns how
// many bytes it consumed. Unless atEnd, a line is complete only when its end
// has been seen (a CR at the very end may still be followed by its LF). With
// atEnd, what follows the last line end is the last line. Stops early, and
// answers nullopt, at a line longer than maxLineLength.
std::optional<qsizetype> splitLines(
    QByteArrayView bytes, bool atEnd, const std::function<void(QByteArrayView)>& onLine);

// Makes cells the fields of one line, split at every ';', the text after
// the last ';' being one more (possibly empty) field: a line with s semicolons
// gives s + 1, the answer. The one place where a line becomes fields.
int splitFields(QByteArrayView line, PackedRow& cells);

// The whole file as rows of fields; nullopt when a line is too long.
std::optional<std::vector<QStringList>> parse(QByteArrayView bytes);

// Columns 0 to 6 of every entry are written; the rest never reach the file.
using RegisterLayout::savedColumns;

// The position of the first character in a cell text that the file cannot
// carry unchanged: a ';' or a line end (they would split the cell) or a
// character with no Windows-1251 code. nullopt when the whole text is fine.
std::optional<qsizetype> firstUnwritable(QStringView text);

// The character at that position, a surrogate pair taken whole.
char32_t characterAt(QStringView text, qsizetype position);

// A field that appendLine refused: its column and the character.
struct Unwritable {
    int column = 0;
    char32_t character = 0;
    bool lineTooLong = false; // the whole line: longer than maxLineLength
};

// Appends one line as written: savedColumns fields in Windows-1251, each
// followed by ';', then CR LF; a field held as bytes is copied as it is.
// Missing fields are written empty, fields past savedColumns not at all. A
// field the file cannot carry, or a line longer than maxLineLength, appends
// nothing and is answered instead.
std::optional<Unwritable> appendLine(QByteArray& out, std::span<const CellText> fields);
// The same for a grid row; a narrow one is written with one copy. A row
// that an earlier call found writable, in a grid unchanged since, is not
// looked through again.
enum class Checked { No, Already };
std::optional<Unwritable> appendLine(QByteArray& out, RowView row, Checked checked = Checked::No);

// The form of a kept version that the register's own form cannot hold:
// recovered work with a character Windows-1251 lacks, a ';' or a line end in
// a cell, or text past the seventh column. UTF-8 after a byte-order mark;
// every column, each field followed by ';' as in the register, and quoted
// as spreadsheets quote ("a;b", "say ""hi""") where it holds a ';', a '"'
// or a line end; lines ended by CR LF. Only kept versions are written in it,
// and only they are read in it: a register or an archive that happens to
// begin with those three bytes is read as the bytes it holds.
constexpr QByteArrayView unicodeMark = "\xEF\xBB\xBF";
void appendUnicodeLine(QByteArray& out, std::span<const CellText> fields);
// What follows the mark, as rows of fields, the ';' after each field ending
// it: a line holds as many fields as were written. Lines of any length: this
// form exists for what the register cannot hold, a cell longer than a
// register's line included.
std::vector<QStringList> parseUnicode(QByteArrayView bytes);

} // namespace RegisterFormat
