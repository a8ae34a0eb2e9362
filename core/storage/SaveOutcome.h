#pragma once

#include "storage/FileStamp.h"

#include <QString>
#include <QtGlobal>
#include <optional>

// How a save ended, with what the user must be told about it.
struct SaveOutcome {
    enum class Kind {
        Saved,
        CellUnwritable, // row, col and character name the cell
        LineTooLong, // row names the entry
        Declined, // the user said no to a question
        Busy, // another save holds the file's lock: holder names it
        LockBlocked, // a link, a folder or a FIFO stands at the lock's name: linkTarget
        NotRegularFile, // a FIFO, a socket or a device stands there
        CannotOpen,
        WriteFailed,
        ChangedMeanwhile, // someone wrote the file while this save was writing
        DanglingLink, // the path is a link to where there is nothing: linkTarget
    };
    Kind kind = Kind::Saved;
    int row = 0;
    int col = 0;
    char32_t character = 0;
    int systemError = 0; // errno of the failing call, 0 when unknown
    qint64 bytes = 0; // what the whole file would have taken
    QString keptVersion; // where the replaced file was kept, when it was
    bool inPlace = false; // written into the existing file rather than replacing it
    bool restored = false; // in place and failed: the old contents were put back
    QString holder; // with Busy: who holds the lock, as the user knows them
    QString linkTarget; // with DanglingLink; with LockBlocked, the lock's path
    // After a save, read under its lock: the file as it now stands, and the
    // checksum of what was written.
    std::optional<FileStamp> stampAfter;
    quint64 contentHash = 0;

    bool saved() const { return kind == Kind::Saved; }
};
