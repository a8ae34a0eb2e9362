#pragma once

#include <QString>
#include <optional>

// What a file on disk is at one moment: which file (device and inode), its
// size and its modification and change times to the nanosecond. An atomic save
// by anyone puts a new inode in place, and a write in place moves the times,
// so two stamps of the same path that compare equal mean nobody wrote the file
// in between.
struct FileStamp {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    long long size = 0;
    long long modifiedNs = 0;
    long long changedNs = 0;

    // The stamp of the file at path now; nullopt when there is no file there
    // (nothing, or a folder or another kind of entry).
    static std::optional<FileStamp> of(const QString& path);

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
