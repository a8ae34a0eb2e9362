#pragma once

#include "storage/SaveOutcome.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// Replaces the contents of a register or an archive so that nothing is lost
// on the way: under a lock shared by every Palomet window (RegisterLock),
// taken for the write alone, after a last check, right before the file is
// replaced, that it is still the one the user agreed to replace, with the
// replaced file kept in the Backup folder first. A save killed on the way
// leaves temporary files that the next save removes.
//
// Where the folder can be written and the file has one name, the new content
// goes to a temporary file that takes the old one's place by a rename (the
// kept version is then a hard link, no copy). Otherwise (a read-only folder, a
// file with several hard links) the file is written in place, ended by
// fdatasync; the kept version is a copy, and a failed write puts the old
// contents back from it. The new file takes the old one's permission bits,
// group and, where allowed, owner; a symbolic link stays a link to the
// updated target. Only regular files are written or replaced.
namespace FileReplacement {

struct Guards {
    QString backupFolder; // where the replaced file is kept
    QString keptName; // NAME of NAME-YYYY-MM-DD-HHMMSS.csv
    // Asked before the file is touched, with no lock held; false declines.
    std::function<bool()> mayWrite;
    // Asked when no version of the file could be kept, with the errno of
    // why, and with no lock held; false declines.
    std::function<bool(int error)> mayWriteWithoutCopy;
    // The version of the file the user saw (as loaded or last saved here),
    // when known. A save claims it under the lock by creating a marker beside
    // the file named after it; a marker there already means another desk has
    // saved over that version, however stale this desk's view of the file's
    // attributes (a file server's client caches them for a second or more),
    // and the save ends as ChangedMeanwhile.
    struct Seen {
        quint64 contents = 0; // their checksum
        qint64 modifiedNs = 0; // the file's modification time then
    };
    std::optional<Seen> seen = {};
};

// Hands the new content to the sink a block at a time; the sink answers
// false once writing failed. Answers an outcome to stop with instead (a cell
// that cannot be written after all), or nullopt when all was handed over.
using Sink = std::function<bool(const QByteArray& block)>;
using Producer = std::function<std::optional<SaveOutcome>(const Sink& sink)>;

SaveOutcome write(const QString& path, const Guards& guards, const Producer& produce);

// Who replaced the version of the file at path that seen describes, as its
// save's marker names them ("Иванов на ПК-3"); empty when unknown.
QString replacedBy(const QString& path, const Guards::Seen& seen);

} // namespace FileReplacement
