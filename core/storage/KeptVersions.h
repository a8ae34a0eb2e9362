#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// The versions a save replaces, kept in a Backup folder as
// NAME-YYYY-MM-DD-HHMMSS.csv (NAME being "thisyear" or an archive's name), so
// that no save, nor a kill in the middle of one, can lose a register. The
// newest versions of each name are kept, the older ones removed.
namespace KeptVersions {

constexpr int versionsKept = 30;

// Keeps the file at path under folder, created when missing. A hard link
// costs no copy and is used where allowed (linkAllowed: the file is about to
// be replaced by a rename, not rewritten in place) and the file system can;
// otherwise the file is copied under a temporary name, synced and renamed, so
// that a version is whole or absent. Answers the kept file's path, or the
// errno of why no version could be kept.
struct Kept {
    QString path;
    int error = 0;
};
Kept keep(const QString& path, const QString& folder, const QString& name, bool linkAllowed,
    const QDateTime& when = QDateTime::currentDateTime());

// A temporary name in folder for a file that is to become one of name's
// versions, which prune removes once a killed save has left it.
QString temporaryPath(const QString& folder, const QString& name);
// Gives the whole file at part the next free version name of name, taken
// exclusively even on a file server another desk shares (see keep).
Kept place(const QString& part, const QString& folder, const QString& name,
    const QDateTime& when = QDateTime::currentDateTime());

// name's versions in folder, oldest first: by the time in the name, then by
// the number of a later version within the same second.
QStringList versions(const QString& folder, const QString& name);

// Removes all but the newest versionsKept versions of name, never justKept
// (the version a save has just made, whatever its name's time), and the
// temporary copies killed saves left.
void prune(const QString& folder, const QString& name, const QString& justKept = {});

// Whether two files hold the same bytes.
bool sameContents(const QString& a, const QString& b);

// How many of name's kept versions in folder are hard links to the file at
// path: a save killed after keeping its link leaves one behind.
int linksTo(const QString& folder, const QString& name, const QString& path);

// The kept version a typed name stands for (any case, with or without
// ".csv"), or an empty text when folder holds none.
QString find(const QString& folder, const QString& typed);

} // namespace KeptVersions
