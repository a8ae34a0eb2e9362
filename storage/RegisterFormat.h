#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// The register file: Windows-1251 text, one entry per line, every field
// followed by ';', lines ended by CR LF. No quoting, no escaping, no trimming.
//
// Reading is lenient about line ends: CR LF or a lone CR ends a line, a LF on
// its own is an ordinary character, and the last line may lack its end.
namespace RegisterFormat {

// Longest line the program reads, in characters (one byte each on disk).
constexpr qsizetype maxLineLength = 32766;

QString decode(QByteArrayView bytes);

// Hands every complete line of text to onLine, in order, and returns how many
// characters it consumed. Unless atEnd, a line is complete only when its end
// has been seen (a CR at the very end may still be followed by its LF). With
// atEnd, what follows the last line end is the last line. Stops early, and
// answers nullopt, at a line longer than maxLineLength.
std::optional<qsizetype> splitLines(QStringView text, bool atEnd,
                                    const std::function<void(QStringView)>& onLine);

// The fields of one line: split at every ';', the text after the last ';'
// being one more (possibly empty) field. A line with s semicolons gives s + 1.
QStringList splitFields(QStringView line);

// The whole file as rows of fields; nullopt when a line is too long.
std::optional<std::vector<QStringList>> parse(QByteArrayView bytes);

} // namespace RegisterFormat
