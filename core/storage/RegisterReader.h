#pragma once

#include <QByteArrayView>
#include <QString>
#include <atomic>
#include <functional>

class ContentHash;
class GridModel;

// Reads a register file line by line, a block at a time, so that a file of a
// million entries never sits in memory twice.
namespace RegisterReader {

// Unreadable: the file is there but may not be read. NotRegularFile: a FIFO,
// a socket or a device stands there; it is never opened for reading, so it
// cannot hang the window. A folder there cannot be opened. TooManyRows: more
// lines than the grid holds (GridModel::maxRows); the grid keeps those it holds.
// Stopped: the reader was asked to stop before the end; the lines before
// were handed on.
enum class Status { Ok, CannotOpen, Unreadable, NotRegularFile, ReadFailed, LineTooLong, TooManyRows, Stopped };

// Why a file listed as read was not read whole, as a list of files says it
// («нет прав на чтение файла»); empty for Ok, TooManyRows and Stopped.
QString whyUnread(Status status);

// Hands every line's bytes to onLine, undecoded; adds every byte read to
// hash when one is given. When stop is given and becomes true, the reading
// ends at the next block: a search cancelled on a slow share does not read
// the rest of a big file first.
Status readLines(const QString& path, const std::function<void(QByteArrayView)>& onLine, ContentHash* hash = nullptr,
    const std::atomic<bool>* stop = nullptr);

// The reading loop shared by the register and the archives: every line of the
// file becomes the next entry row of the model, its cells the file's bytes,
// whose columns grow to the widest line. On success the empty row appended
// after the last line is removed again; lastColumn, when given, receives the
// column where the last line ended. On failure the model keeps the rows read
// so far and the row that was being filled, the last.
// contentHash, when given, receives the checksum of the file read whole.
// A kept version (keptVersion) that begins with the byte-order mark is read
// in the form of kept work the register cannot hold (RegisterFormat).
struct Options {
    quint64* contentHash = nullptr;
    bool keptVersion = false;
    int* lastColumn = nullptr;
};
Status loadInto(GridModel& grid, const QString& path, const Options& options = {});

} // namespace RegisterReader
