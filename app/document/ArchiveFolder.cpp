#include "app/document/ArchiveFolder.h"

#include "app/desktop/Desktop.h"
#include "app/desktop/ProgramTitle.h"
#include "app/document/SaveMessages.h"
#include "storage/ArchiveName.h"
#include "storage/FileStamp.h"
#include "storage/KeptVersions.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString quotedList(const QStringList& names)
{
    return QStringLiteral("«") + names.join(QStringLiteral("», «")) + QStringLiteral("»");
}

} // namespace

ArchiveFolder::ArchiveFolder(QString folder, Desktop& desktop)
    : folder_(std::move(folder))
    , desktop_(desktop)
{
}

bool ArchiveFolder::holdsAnyFile() const
{
    const QDir folder(folder_);
    return folder.exists() && !folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort).isEmpty();
}

bool ArchiveFolder::refuseUnreadable()
{
    const QFileInfo folder(folder_);
    if (!folder.isDir() || folder.isReadable())
        return false;
    desktop_.messageBox(QStringLiteral("Папку «%1» нельзя прочитать: нет прав на чтение. Архив не "
                                       "загружен.")
                            .arg(QDir::toNativeSeparators(folder_)),
        programTitle());
    return true;
}

bool ArchiveFolder::holds(const QString& path) const
{
    return path.startsWith(folder_ + u'/');
}

bool ArchiveFolder::askName(const QString& prompt, QString& name)
{
    name = desktop_.inputBox(prompt, prompt);
    return acceptName(name);
}

bool ArchiveFolder::acceptName(QString& name)
{
    name = name.toUpper();
    if (name.isEmpty())
        return false;
    if (!ArchiveName::staysInside(name)) {
        desktop_.messageBox(SaveMessages::nameRefused(name), programTitle());
        return false;
    }
    return true;
}

std::optional<QString> ArchiveFolder::find(const QString& name, const QStringList& backupFolders)
{
    const QString exact = ArchiveName::pathIn(folder_, name);
    if (QFileInfo::exists(exact))
        return exact;
    const QStringList others = ArchiveName::otherCaseNames(folder_, name);
    if (others.size() == 1)
        return QDir(folder_).filePath(others.first());
    if (others.size() > 1) {
        desktop_.messageBox(QStringLiteral("В папке Archive несколько файлов с именем «%1», которые отличаются "
                                           "только регистром букв: %2. Архив не загружен: оставьте один из них "
                                           "и повторите загрузку.")
                                .arg(ArchiveName::fileName(name), quotedList(others)),
            programTitle());
        return std::nullopt;
    }
    // Not in Archive: a version kept by a save, for restoring it.
    for (const QString& backup : backupFolders) {
        const QString kept = KeptVersions::find(backup, name);
        if (!kept.isEmpty())
            return kept;
    }
    return exact; // not there: the load reports it
}

bool ArchiveFolder::refuseLinkLeaving(const QString& path, const QString& whatFails)
{
    const std::optional<QString> target = ArchiveName::linkLeaving(folder_, path);
    if (target) {
        desktop_.messageBox(QStringLiteral("«%1» — ссылка на «%2», а это вне папки Archive. %3")
                                .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(*target), whatFails),
            programTitle());
    }
    return target.has_value();
}

bool ArchiveFolder::mayReplace(const QString& name)
{
    const QString path = ArchiveName::pathIn(folder_, name);
    const QString file = QDir::toNativeSeparators(path);
    const QStringList others = ArchiveName::otherCaseNames(folder_, name);
    const bool exists = FileStamp::of(path).has_value();
    if (!exists && others.isEmpty())
        return true;
    QString question;
    if (!exists) {
        question = QStringLiteral("В папке Archive уже есть %1: тот же архив, имя которого отличается "
                                  "только регистром букв. Записать рядом с ним «%2»?")
                       .arg(quotedList(others), file);
    } else if (others.isEmpty()) {
        question = QStringLiteral("Архив «%1» уже существует. Заменить его?").arg(file);
    } else {
        question = QStringLiteral("Архив «%1» уже существует (в папке Archive есть и %2, имя "
                                  "которого отличается только регистром букв). Заменить его?")
                       .arg(file, quotedList(others));
    }
    return desktop_.askYesNo(question, programTitle());
}
