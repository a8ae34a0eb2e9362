// The register's archives: "Загрузить архив" and "Сохранить как", the names
// typed for them, and the kept versions found by those names.
#include "app/RegisterDocument.h"

#include "app/Desktop.h"
#include "app/ProgramFolder.h"
#include "app/SaveMessages.h"
#include "grid/FlexGrid.h"
#include "register/RegisterLayout.h"
#include "storage/ArchiveName.h"
#include "storage/KeptVersions.h"
#include "storage/RegisterReader.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString archiveFolderName = RegisterLayout::archiveFolder.toString();
const QString backupFolderName = RegisterLayout::backupFolder.toString();
const QString archiveMissing = QStringLiteral("Не могу найти  указанный год.");

bool holdsAnyFile(const QDir& folder)
{
    return folder.exists() &&
           !folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort).isEmpty();
}

QString quotedList(const QStringList& names)
{
    return QStringLiteral("«") + names.join(QStringLiteral("», «")) + QStringLiteral("»");
}

} // namespace

bool RegisterDocument::askArchiveName(const QString& prompt, QString& name)
{
    name = desktop_.inputBox(prompt, prompt).toUpper();
    if (name.isEmpty())
        return false;
    if (!ArchiveName::staysInside(name)) {
        desktop_.messageBox(SaveMessages::nameRefused(name), title_);
        return false;
    }
    return true;
}

std::optional<QString> RegisterDocument::findArchive(const QString& name)
{
    const QString exact = ArchiveName::pathIn(archiveFolder(), name);
    if (QFileInfo::exists(exact))
        return exact;
    const QStringList others = ArchiveName::otherCaseNames(archiveFolder(), name);
    if (others.size() == 1)
        return QDir(archiveFolder()).filePath(others.first());
    if (others.size() > 1) {
        desktop_.messageBox(
            QStringLiteral("В папке Archive несколько файлов с именем «%1», которые отличаются "
                           "только регистром букв: %2. Архив не загружен: оставьте один из них "
                           "и повторите загрузку.")
                .arg(ArchiveName::fileName(name), quotedList(others)),
            title_);
        return std::nullopt;
    }
    // Not in Archive: a version kept by a save, for restoring it.
    for (const QString& backup : {backupFolder(), ProgramFolder::dataFolder() + u'/' + backupFolderName}) {
        const QString kept = KeptVersions::find(backup, name);
        if (!kept.isEmpty())
            return kept;
    }
    return exact; // not there: the load reports it
}

bool RegisterDocument::refuseLinkLeavingArchive(const QString& path, const QString& whatFails)
{
    const std::optional<QString> target = ArchiveName::linkLeaving(archiveFolder(), path);
    if (target) {
        desktop_.messageBox(
            QStringLiteral("«%1» — ссылка на «%2», а это вне папки Archive. %3")
                .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(*target), whatFails),
            title_);
    }
    return target.has_value();
}

void RegisterDocument::loadgridarch()
{
    QString name;
    if (!askArchiveName(QStringLiteral("Введите год (или другое имя файла)"), name))
        return;
    const QFileInfo folder(archiveFolder());
    if (folder.isDir() && !folder.isReadable()) {
        desktop_.messageBox(QStringLiteral("Папку «%1» нельзя прочитать: нет прав на чтение. Архив не "
                                           "загружен.")
                                .arg(QDir::toNativeSeparators(archiveFolder())),
                            title_);
        return;
    }
    const std::optional<QString> path = findArchive(name);
    if (!path || refuseLinkLeavingArchive(*path, QStringLiteral("Архив не загружен.")))
        return;
    // An empty or missing Archive folder has nothing to load either, and the
    // user is told so like for any other name that is not there.
    const bool kept = !path->startsWith(archiveFolder() + u'/');
    const bool found = (kept || holdsAnyFile(QDir(archiveFolder()))) && QFileInfo::exists(*path);
    if (!found && hasUnsavedChanges()) {
        // Nothing to load: unsaved changes are not emptied away for it.
        desktop_.messageBox(archiveMissing, title_);
        return;
    }
    if (found && !mayDropChanges(QStringLiteral("загрузить архив «%1»").arg(QFileInfo(*path).fileName())))
        return;
    RegisterReader::Status status = RegisterReader::Status::CannotOpen;
    {
        const Desktop::BusyScope busy(desktop_);
        hooks_.commitEdit();
        hooks_.replacing();
        resetGrid();
        int lastColumn = 0;
        if (found) {
            status = RegisterReader::loadInto(grid_.model(), *path, {nullptr, kept, &lastColumn});
            placeAfterLoad(status, lastColumn);
        }
        source_ = found ? Source::Archive : Source::Nothing;
        archiveName_ = QFileInfo(*path).fileName();
        markSaved();
        hooks_.loaded();
    }
    if (status != RegisterReader::Status::Ok)
        desktop_.messageBox(SaveMessages::loadFailure(status, QFileInfo(*path).fileName(), archiveMissing),
                            title_);
}

bool RegisterDocument::mayReplaceArchive(const QString& name)
{
    const QString path = ArchiveName::pathIn(archiveFolder(), name);
    const QString file = QDir::toNativeSeparators(path);
    const QStringList others = ArchiveName::otherCaseNames(archiveFolder(), name);
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
    return desktop_.askYesNo(question, title_);
}

bool RegisterDocument::SaveAsGridn()
{
    QString name;
    if (!askArchiveName(QStringLiteral("Введите имя файла"), name))
        return false;
    if (!holdsAnyFile(QDir(archiveFolder())))
        QDir(programFolder_).mkdir(archiveFolderName); // a failure shows when the file is written
    const QString path = ArchiveName::pathIn(archiveFolder(), name);
    if (refuseLinkLeavingArchive(path, QStringLiteral("Архив не записан.")))
        return false;
    return saveTo(path, QFileInfo(path).completeBaseName(), [&] { return mayReplaceArchive(name); }).has_value();
}
