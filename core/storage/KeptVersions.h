#pragma once

#include <QDateTime>
#include <QString>

// The versions a save replaces, kept in a Backup folder as
// NAME-YYYY-MM-DD-HHMMSS.csv (NAME being "thisyear" or an archive's name), so
// that no save, nor a kill in the middle of one, can lose a register. The
// newest versions of each name are kept, the older ones removed.
namespace KeptVersions {

constexpr int versionsKept = 30;

// Keeps the file at path under folder, created when missing. A hard link
// costs no copy and is used where allowed (linkAllowed: the file is about to
// be replaced by a rename, not rewritten in place) and the file system can;
// otherwise the file is copied and the copy synced to disk. Answers the kept
// file's path, or an empty text when no version could be kept.
QString keep(const QString& path, const QString& folder, const QString& name, bool linkAllowed,
             const QDateTime& when = QDateTime::currentDateTime());

// A path for a new version of name that no file holds yet, as keep names it.
QString unusedPath(const QString& folder, const QString& name,
                   const QDateTime& when = QDateTime::currentDateTime());

// Removes all but the newest versionsKept versions of name.
void prune(const QString& folder, const QString& name);

// How many of name's kept versions in folder are hard links to the file at
// path: a save killed after keeping its link leaves one behind.
int linksTo(const QString& folder, const QString& name, const QString& path);

// The kept version a typed name stands for (any case, with or without
// ".csv"), or an empty text when folder holds none.
QString find(const QString& folder, const QString& typed);

} // namespace KeptVersions
