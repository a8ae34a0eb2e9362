#pragma once

#include "grid/GridSnapshot.h"
#include "storage/RegisterReader.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <vector>

// A unit's history: every entry that holds a word in any of its cells,
// compared without regard to case as "Поиск" compares, in the register as the
// window holds it and in an archive file. Reads, never writes; safe on any
// thread, one search to a file.
namespace HistorySearch {

struct Hit {
    int row = 0; // the entry's row: in the register, or the archive's line
    QStringList cells; // its cells, as many as the file's seven and more
};

struct Found {
    std::vector<Hit> hits;
    bool truncated = false; // more were there than the limit
    // Of the file read; Stopped when the search was cancelled before its end.
    RegisterReader::Status status = RegisterReader::Status::Ok;
};

// At most limit hits are kept: a word that nearly every entry holds would
// otherwise copy the register.
constexpr size_t hitsKept = 10'000;

// In the register's entries, rows 1 on (a snapshot the window took).
Found inRegister(
    const GridSnapshot& grid, const QString& word, const std::atomic<bool>& cancelled, size_t limit = hitsKept);
// In an archive file, read a block at a time.
Found inFile(const QString& path, const QString& word, const std::atomic<bool>& cancelled, size_t limit = hitsKept);

} // namespace HistorySearch
