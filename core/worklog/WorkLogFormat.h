#pragma once

#include "grid/GridChange.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class GridModel;
class QIODevice;
struct GridSnapshot;

// The work log's file, as pure functions from data to bytes and back.
//
// A log is a short file header, then frames. Each frame carries its kind,
// the number of undo steps it ends, the time it was written, its length and a
// checksum of its payload, so that a log cut off anywhere is read up to
// its last whole frame. The first frame is the start: where the grid came
// from and a snapshot of the grid as the log began. Every later frame is
// a batch of the grid's changes, replayed on the snapshot in order.
namespace WorkLogFormat {

// What the grid holds, written as a 32-bit number in these values.
enum class GridHolds : qint32 { Nothing, Register, PartOfRegister, Archive };

// The register the grid came from, as the window knew it when the log began.
struct Origin {
    QString programFolder;
    GridHolds holds = GridHolds::Nothing;
    QString name; // an archive's name, where it holds one
    bool stamped = false; // the file was there when it was loaded or saved
    qint64 device = 0, inode = 0, size = 0, modifiedNs = 0, changedNs = 0;
    bool hashed = false; // the file was read whole, unchanged, to hash it
    quint64 hash = 0;
    QString registerPath;
};

// The checksum of a frame's payload.
quint64 hashOf(QByteArrayView bytes);

QByteArray fileHeader();
enum class FrameKind : quint8 { Start = 1, Changes = 2, FileHash = 3 };
// What stands before payload in its frame.
QByteArray frameHeader(FrameKind kind, quint32 steps, qint64 timeMs, QByteArrayView payload);
// The same for a payload of that length and hash, made a piece at a time.
QByteArray frameHeader(FrameKind kind, quint32 steps, qint64 timeMs, quint32 length, quint64 hash);

// The payload of a FileHash frame, which may follow the start: the hash of
// the file the grid came from, taken once the log began.
QByteArray hashPayload(quint64 hash);

// The start frame's payload, handed to piece a megabyte or so at a time:
// the origin, then the grid's columns, their widths and alignments, and
// every row's packed cells.
void startPayload(const Origin& origin, const GridSnapshot& grid, const std::function<void(QByteArrayView)>& piece);
// A change appended to a batch.
void appendChange(QByteArray& batch, const GridChange& change);

// A log read back: its frames found and checked, their payloads left
// where they are in the file until the grid is rebuilt from them.
struct Frame {
    qint64 start = 0; // of the frame, its header
    qint64 offset = 0; // of the payload
    quint32 length = 0;
};
struct Contents {
    Origin origin;
    Frame snapshot;
    std::vector<Frame> batches;
    int steps = 0;
    qint64 lastChangeMs = 0;
    qint64 wholeLength = 0; // the bytes up to the end of the last whole frame
};
// Reads the log from the device's start; nullopt when it holds no
// log with a whole start frame.
std::optional<Contents> read(QIODevice& device);
// Whether a device read holds a log cut off while its start was still
// being written (a power cut right as it began): then no change can follow,
// nothing of the work is in it, and it is no damage to speak of.
bool cutWhileBeginning(QIODevice& device);

// Puts the snapshot into grid, then every batch, all read from device again.
// A batch that does not make sense (a damaged log, or one whose counts
// lie) is not left half done: the grid is built anew with the batches before
// it. Answers how many batches it holds, or nullopt when not even the
// snapshot makes sense (the grid then holds whatever it reached).
std::optional<size_t> rebuild(const Contents& contents, QIODevice& device, GridModel& grid);

} // namespace WorkLogFormat
