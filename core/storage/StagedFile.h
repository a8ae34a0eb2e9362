#pragma once

#include <QByteArrayView>
#include <QString>

// The new contents of a file, written beside it under a temporary name and
// put in its place by a rename only once whole and synced, so that a kill or
// a power cut leaves the old file or the new one.
//
// QSaveFile would do the same, but names its temporary file NAME.XXXXXX, a
// name a user's own file may have ("thisyear.csv.backup", "2009.csv.311224"):
// what a killed save left could not be told from it, and removing it would
// remove the user's file. The temporary name here is hidden and says whose it
// is, ".NAME.palomet-new-<16 hex digits>", and it is created exclusively,
// never through a link someone planted in its place.
class StagedFile {
public:
    explicit StagedFile(QString target);
    ~StagedFile(); // a file neither committed nor cancelled is removed
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Creates the temporary file with the given permission bits; false with
    // errno telling why.
    bool open(unsigned mode = 0644);
    int handle() const { return fd_; }
    // False with errno once a write fails.
    bool write(QByteArrayView bytes);
    // Syncs the new contents, renames them over the target and syncs the
    // folder, so that the rename survives a power cut too; false with errno.
    bool commit();
    void cancel();

    // Whether a file in the target's folder is a temporary file that a save
    // of the target left.
    static bool isLeftover(const QString& fileName, const QString& targetName);

private:
    QString target_;
    QString temporary_;
    int fd_ = -1;
};
