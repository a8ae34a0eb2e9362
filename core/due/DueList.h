#pragma once

#include "due/DueRecords.h"
#include "storage/ArchiveName.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <atomic>
#include <vector>

// Whose units block when, across every year's register: the grid and the
// archives, newest file first.
//  - One entry per unit (its serial number): the entry of the newest file
//    counts; within one file, the one activated last.
//  - An entry is replaced when another entry, in any file, names the same
//    cash register with a later activation date: a new unit went in.
//  - An entry whose activation date does not read is counted with its file,
//    never dropped without a word.
// Reads, never writes.
namespace DueList {

// A file the list reads; an empty path stands for the grid's snapshot.
using Source = ArchiveName::ListedFile;

struct Entry {
    int source = 0;
    int row = 0; // the grid's row, or the file's line
    QDate blocking;
    bool replaced = false;
    QStringList cells; // the seven
};

struct Read {
    RegisterReader::Status status = RegisterReader::Status::Ok;
    int undated = 0; // its units whose activation date does not read
};

struct Result {
    std::vector<Entry> entries; // blocking within the period, soonest first; replaced ones too, marked
    std::vector<Read> sources; // one to a source, in its order
};

// The units of files (one to a source, newest first) that block from
// keepFrom to keepTo, both included, as their DueRecords were made for.
Result combine(const std::vector<DueRecords>& files);

// Reads the sources at once, one file to a thread: the grid from its
// snapshot, with its columns where they stand.
Result make(const std::vector<Source>& sources, const GridSnapshot& grid, DueRecords::Columns gridColumns,
    QDate keepFrom, QDate keepTo, const std::atomic<bool>* stop = nullptr);

// «заблокирована», or «через N дн.».
QString stateOn(QDate blocking, QDate today);

} // namespace DueList
