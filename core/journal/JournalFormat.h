#pragma once

#include "grid/GridChange.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <vector>

class FlexGrid;

// The work journal's file, as pure functions from data to bytes and back.
//
// A journal is a short file header, then frames. Each frame carries its kind,
// the number of undo steps it ends, the time it was written, its length and a
// checksum of its payload, so that a journal cut off anywhere is read up to
// its last whole frame. The first frame is the start: where the grid came
// from and a snapshot of the grid as the journal began. Every later frame is
// a batch of the grid's changes, replayed on the snapshot in order.
namespace JournalFormat {

// The register the grid came from, as the window knew it when the journal began.
struct Origin
{
    QString programFolder;
    int source = 0;       // the window's own code for what the grid holds
    QString name;         // an archive's name, where it holds one
    bool stamped = false; // the file was there when it was loaded or saved
    qint64 device = 0, inode = 0, size = 0, modifiedNs = 0, changedNs = 0;
    bool hashed = false;  // the file was read whole, unchanged, to hash it
    quint64 hash = 0;
    QString registerPath;
};

// The checksum of a frame's payload.
quint64 hashOf(QByteArrayView bytes);

QByteArray fileHeader();
enum class FrameKind : quint8 { Start = 1, Changes = 2, FileHash = 3 };
// What stands before payload in its frame.
QByteArray frameHeader(FrameKind kind, quint32 steps, qint64 timeMs, QByteArrayView payload);

// The payload of a FileHash frame, which may follow the start: the hash of
// the file the grid came from, taken once the journal began.
QByteArray hashPayload(quint64 hash);

// The start frame's payload: the origin, then the grid's columns, their
// widths and alignments, and every row's packed cells.
QByteArray startPayload(const Origin& origin, const FlexGrid& grid);
// A change appended to a batch.
void appendChange(QByteArray& batch, const GridChange& change);

// A journal read back.
struct Contents
{
    Origin origin;
    QByteArrayView snapshot;             // into the bytes read
    std::vector<QByteArrayView> batches; // likewise
    int steps = 0;
    qint64 lastChangeMs = 0;
    qint64 wholeLength = 0; // the bytes up to the end of the last whole frame
};
// nullopt when the bytes hold no journal with a whole start frame.
std::optional<Contents> read(QByteArrayView bytes);

// Puts the snapshot into grid, then every batch; false when any of it does
// not make sense (the grid then holds what was applied before).
bool rebuild(const Contents& contents, FlexGrid& grid);

} // namespace JournalFormat
