#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>
#include <vector>

// Names typed for the Archive folder ("Сохранить как", "Загрузить архив").
namespace ArchiveName {

// The file a typed name stands for: the name upper-cased, ".csv" appended.
QString fileName(QStringView typed);

// A name that stays inside the Archive folder: no '/' or '\', no control
// character, and not "." or "..".
bool staysInside(QStringView name);

// The file's path in the Archive folder. Joined by hand: QDir would take a
// name that begins with ':' for one of the program's own resources.
QString pathIn(const QString& archiveFolder, QStringView typed);

// The files of the Archive folder whose names are the typed name's file name
// in another case ("2008.CSV", "Arch.csv"): archives copied from systems that
// ignore case. The exact name itself is not among them.
QStringList otherCaseNames(const QString& archiveFolder, QStringView typed);

// Where a symbolic link at path leads when that is outside the folder, or
// nowhere (a dangling link counts as leaving); nullopt for a link that stays
// inside and for anything that is not a link. The folder itself may be a link.
std::optional<QString> linkLeaving(const QString& folder, const QString& path);

// The archives of the folder (its *.csv files, in any case; never Backup's),
// newest first: by the time they were written, then by name. Paths.
QStringList newestFirst(const QString& archiveFolder);

// A file a list reads: its name as the list shows it, and its path, empty
// for the register as the grid holds it.
struct ListedFile {
    QString name;
    QString path;
};
// first, when given, then every archive of archiveFolder, newest first,
// named by its file name.
std::vector<ListedFile> listed(const QString& archiveFolder, std::optional<ListedFile> first = std::nullopt);

} // namespace ArchiveName
