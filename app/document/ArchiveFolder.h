#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class Desktop;

// The Archive folder beside the register, as "Загрузить архив" and
// "Сохранить как" use it: the names typed for it, the file a name stands
// for (in any case, or a kept version of that name), the links that would
// lead out of it, and the questions before a file there is replaced.
class ArchiveFolder {
public:
    ArchiveFolder(QString folder, Desktop& desktop);

    const QString& path() const { return folder_; }
    bool holdsAnyFile() const;
    // Whether path names a file of this folder rather than a kept version.
    bool holds(const QString& path) const;
    // Says so and answers true when the folder is there but cannot be read.
    bool refuseUnreadable();
    // Asks for a name, upper-cased; false when none was given or it would
    // leave the folder (the user has been told).
    bool askName(const QString& prompt, QString& name);
    // The same for a name given: upper-cased; false when empty or it would
    // leave the folder (the user has been told).
    bool acceptName(QString& name);
    // The file a typed name stands for, or the kept version of that name in
    // backupFolders when the folder holds none; empty when none can be
    // chosen (the user has been told why).
    std::optional<QString> find(const QString& name, const QStringList& backupFolders);
    // Says so and answers true when path is a link in the folder leading out of it.
    bool refuseLinkLeaving(const QString& path, const QString& whatFails);
    // Asked before "Сохранить как" writes name: an archive there, or one
    // whose name differs only in case.
    bool mayReplace(const QString& name);

private:
    const QString folder_;
    Desktop& desktop_;
};
