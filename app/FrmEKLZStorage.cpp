// The main window's register procedures: loading thisyear.csv, saving it and
// saving under a name into the Archive folder.
#include "app/FrmEKLZ.h"

#include "app/Desktop.h"
#include "app/SaveMessages.h"
#include "storage/ArchiveName.h"
#include "storage/RegisterReader.h"
#include "storage/RegisterWriter.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString registerFile = QStringLiteral("thisyear.csv");
const QString archiveFolder = QStringLiteral("Archive");

bool holdsAnyFile(const QDir& folder)
{
    return folder.exists() &&
           !folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort).isEmpty();
}

} // namespace

void FrmEKLZ::resetGrid()
{
    MSFGAZ.setCols(7);
    MSFGAZ.setRows(1);
    MSFGAZ.AddItem(QString());
    headerFormat = headerFormatText;
    MSFGAZ.setFormatString(headerFormat);
}

void FrmEKLZ::loadgrid()
{
    desktop_.setBusy(true);
    // A pending overlay edit goes into the contents being replaced, never into
    // the header or into a loaded entry.
    CommitCellEdit();
    resetGrid();
    const QString path = QDir(programFolder_).filePath(registerFile);
    bool loaded = true;
    if (QFileInfo::exists(path))
        loaded = RegisterReader::loadInto(MSFGAZ, path) == RegisterReader::Status::Ok;
    if (loaded) {
        blocdata();
        desktop_.setBusy(false);
    } else {
        desktop_.setBusy(false);
        desktop_.messageBox(QStringLiteral("Не могу найти thisyear.csv."), programTitle);
    }
}

bool FrmEKLZ::saveTo(const QString& path)
{
    // The pending overlay edit is part of what is saved, wherever the current
    // cell stands.
    CommitCellEdit();
    const RegisterWriter::Outcome outcome = RegisterWriter::save(MSFGAZ, path);
    if (outcome.saved())
        return true;
    if (outcome.kind == RegisterWriter::Outcome::Kind::CellUnwritable)
        MSFGAZ.scrollIntoView(outcome.row, outcome.col);
    desktop_.messageBox(SaveMessages::failure(outcome, path, MSFGAZ.TextMatrix(0, outcome.col)),
                        programTitle);
    return false;
}

bool FrmEKLZ::SaveGridn()
{
    return saveTo(QDir(programFolder_).filePath(registerFile));
}

bool FrmEKLZ::askArchiveName(const QString& prompt, QString& name)
{
    name = desktop_.inputBox(prompt, prompt).toUpper();
    if (name.isEmpty())
        return false;
    if (!ArchiveName::staysInside(name)) {
        desktop_.messageBox(SaveMessages::nameRefused(name), programTitle);
        return false;
    }
    return true;
}

void FrmEKLZ::loadgridarch()
{
    QString name;
    if (!askArchiveName(QStringLiteral("Введите год (или другое имя файла)"), name))
        return;
    desktop_.setBusy(true);
    CommitCellEdit();
    resetGrid();
    const QDir archive(QDir(programFolder_).filePath(archiveFolder));
    // An empty or missing Archive folder has nothing to load either, and the
    // user is told so like for any other name that is not there.
    const bool loaded =
        holdsAnyFile(archive) &&
        RegisterReader::loadInto(MSFGAZ, ArchiveName::pathIn(archive.path(), name)) ==
            RegisterReader::Status::Ok;
    desktop_.setBusy(false);
    if (!loaded)
        desktop_.messageBox(QStringLiteral("Не могу найти  указанный год."), programTitle);
}

bool FrmEKLZ::SaveAsGridn()
{
    QString name;
    if (!askArchiveName(QStringLiteral("Введите имя файла"), name))
        return false;
    const QDir archive(QDir(programFolder_).filePath(archiveFolder));
    if (!holdsAnyFile(archive))
        QDir(programFolder_).mkdir(archiveFolder); // a failure shows when the file is written
    return saveTo(ArchiveName::pathIn(archive.path(), name));
}
