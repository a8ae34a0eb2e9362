#include "app/document/RegisterDocument.h"
#include "ui/CellBox.h"

#include "app/desktop/Desktop.h"
#include "app/desktop/ProgramTitle.h"
#include "app/document/ProgramFolder.h"
#include "app/document/SaveMessages.h"
#include "editing/EntriesCommand.h"
#include "grid/FlexGrid.h"
#include "register/RegisterLayout.h"
#include "storage/ArchiveName.h"
#include "storage/KeptVersions.h"
#include "storage/RegisterReader.h"
#include "storage/RegisterWriter.h"
#include "worklog/WorkLog.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>

namespace {

const QString registerFile = RegisterLayout::registerFile.toString();
const QString archiveFolderName = RegisterLayout::archiveFolder.toString();
const QString archiveMissing = QStringLiteral("Не могу найти  указанный год.");
const QString backupFolderName = RegisterLayout::backupFolder.toString();

} // namespace

RegisterDocument::RegisterDocument(FlexGrid& grid, const CellBox& cellBox, QString programFolder, Desktop& desktop)
    : grid_(grid)
    , cellBox_(cellBox)
    , programFolder_(std::move(programFolder))
    , desktop_(desktop)
    , archives_(QDir(programFolder_).filePath(archiveFolderName), desktop)
{
}

bool RegisterDocument::hasUnsavedChanges() const
{
    return grid_.model().revision() != savedRevision_ || cellBox_.pending();
}

void RegisterDocument::markSaved()
{
    savedRevision_ = grid_.model().revision();
}

bool RegisterDocument::mayDropChanges(const QString& whatLoads)
{
    if (!hasUnsavedChanges())
        return true;
    return desktop_.askYesNo(QStringLiteral("Изменения в таблице не сохранены. Если %1, они будут "
                                            "потеряны. Продолжить?")
                                 .arg(whatLoads),
        programTitle());
}

QString RegisterDocument::registerPath() const
{
    return QDir(programFolder_).filePath(registerFile);
}

void RegisterDocument::resetGrid()
{
    // Rows go first, so that narrowing the grid has no rows to cut.
    GridModel& model = grid_.model();
    grid_.showAll();
    model.setRows(1);
    model.setCols(RegisterLayout::savedColumns);
    model.numberColumns();
    model.AddItem(QString());
    grid_.setFormatString(RegisterLayout::headerFormat.toString());
}

void RegisterDocument::placeAfterLoad(RegisterReader::Status status, int lastColumn)
{
    // Where the reading ended: on the last entry, in the column where its
    // line ended; after a failure on the row being filled, in column 0.
    if (grid_.Rows() <= FlexGrid::FixedRows)
        return;
    grid_.setRow(grid_.Rows() - 1);
    grid_.setCol(status == RegisterReader::Status::Ok ? lastColumn : 0);
}

void RegisterDocument::loadRegister()
{
    if (!mayDropChanges(QStringLiteral("открыть журнал")))
        return;
    bool whole = true;
    RegisterReader::Status status = RegisterReader::Status::Ok;
    {
        const Desktop::BusyScope busy(desktop_);
        // A pending edit goes into the contents being replaced, never into
        // the header or into a loaded entry.
        emit editsWanted();
        emit replacing();
        resetGrid();
        const QString path = registerPath();
        // Stamped before reading: a change made while we read shows at the save.
        const std::optional<FileStamp> stamp = FileStamp::of(path);
        quint64 contents = 0;
        int lastColumn = 0;
        if (QFileInfo::exists(path)) {
            status = RegisterReader::loadInto(grid_.model(), path, {&contents, false, &lastColumn});
            placeAfterLoad(status, lastColumn);
        }
        whole = status == RegisterReader::Status::Ok;
        holds_ = whole ? GridHolds::Register : GridHolds::PartOfRegister;
        registerStamp_ = stamp;
        registerContents_.reset();
        base_.reset();
        if (whole && stamp)
            registerContents_ = contents;
        if (whole)
            emit registerRead();
        // What the grid counts as saved, the blocking dates the load
        // derived included: the base of a merge with another desk's save.
        if (registerContents_)
            keepBase(grid_.model());
        markSaved();
        emit loaded();
    }
    const QFileInfo link(registerPath());
    if (link.isSymLink() && !link.exists()) // an unplugged stick: the link is all there is
        desktop_.messageBox(SaveMessages::danglingLink(registerPath(), link.symLinkTarget()) + u'\n' +
                                QStringLiteral("Не могу найти thisyear.csv."),
            programTitle());
    else if (!whole)
        desktop_.messageBox(
            SaveMessages::loadFailure(status, registerFile, QStringLiteral("Не могу найти thisyear.csv.")),
            programTitle());
}

QString RegisterDocument::backupFolder() const
{
    // Beside the register where its folder can be written, else with the
    // user's data.
    const QString folder = QFileInfo(programFolder_).isWritable() ? programFolder_ : ProgramFolder::dataFolder();
    return folder + u'/' + backupFolderName;
}

bool RegisterDocument::mayReplaceRegister()
{
    const std::optional<FileStamp> onDisk = FileStamp::of(registerPath());
    if (!onDisk)
        return true; // no register there to lose
    const QString file = QDir::toNativeSeparators(registerPath());
    QString question;
    switch (holds_) {
    case GridHolds::Register:
        if (registerStamp_ == onDisk && !changedMeanwhile_)
            return true;
        question = QStringLiteral("Файл «%1» изменён другой программой или другим окном Palomet "
                                  "после того, как его открыли или сохранили здесь. Заменить его "
                                  "содержимым таблицы? Изменения, сделанные там, пропадут.")
                       .arg(file);
        break;
    case GridHolds::Nothing:
        question = QStringLiteral("Файл «%1» уже есть, но в этом окне журнал не открывался: "
                                  "таблица не содержит его записей. Заменить файл содержимым "
                                  "таблицы?")
                       .arg(file);
        break;
    case GridHolds::PartOfRegister:
        question = QStringLiteral("Журнал «%1» был загружен не полностью: в таблице только строки "
                                  "до места ошибки. Заменить ими весь журнал?")
                       .arg(file);
        break;
    case GridHolds::Archive:
        question = QStringLiteral("В таблице архив «%1», а не журнал этого года. Записать архив "
                                  "поверх журнала «%2»?")
                       .arg(archiveName_, file);
        break;
    }
    return desktop_.askYesNo(question, programTitle());
}

bool RegisterDocument::mayLeaveTextUnsaved()
{
    const std::optional<RegisterWriter::Cell> cell = RegisterWriter::firstTextNotSaved(grid_.model());
    if (!cell)
        return true;
    grid_.scrollIntoView(grid_.viewRow(cell->row), cell->col);
    return desktop_.askYesNo(
        SaveMessages::textNotSaved(cell->row, cell->col, grid_.model().TextMatrix(cell->row, cell->col)),
        programTitle());
}

std::optional<SaveOutcome> RegisterDocument::saveTo(const QString& path, const QString& keptName,
    const std::function<bool()>& mayWrite, std::optional<FileReplacement::Guards::Seen> seen, const GridModel* contents)
{
    // The pending edit is part of what is saved, wherever the current cell
    // stands: put in here, once, before anything is read.
    emit editsWanted();
    if (!textAgreed_ && !mayLeaveTextUnsaved())
        return std::nullopt;
    FileReplacement::Guards guards {backupFolder(), keptName, mayWrite,
        [&](int error) {
            return desktop_.askYesNo(SaveMessages::noKeptVersion(path, backupFolder(), error), programTitle());
        },
        seen};
    RegisterWriter::Outcome outcome;
    // Written by someone else since it was seen: asked again, with the file
    // as it is now; a "Да" then replaces whatever stands there.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const Desktop::BusyScope busy(desktop_);
        outcome = RegisterWriter::save(contents ? *contents : grid_.model(), path, guards);
        if (outcome.kind != RegisterWriter::Outcome::Kind::ChangedMeanwhile)
            break;
        changedMeanwhile_ = true;
        guards.seen.reset();
    }
    changedMeanwhile_ = false;
    placeAfterSave(outcome);
    if (outcome.saved()) {
        markSaved();
        emit saved();
        return outcome;
    }
    if (outcome.kind == RegisterWriter::Outcome::Kind::Declined)
        return std::nullopt;
    desktop_.messageBox(SaveMessages::failure(outcome, path, grid_.TextMatrix(0, outcome.col)), programTitle());
    return std::nullopt;
}

void RegisterDocument::placeAfterSave(const SaveOutcome& outcome)
{
    // On the cell to mend; otherwise where a save leaves the current cell,
    // the last entry shown, column 6 (the seventh).
    if (outcome.kind == SaveOutcome::Kind::CellUnwritable || outcome.kind == SaveOutcome::Kind::LineTooLong) {
        const int row = grid_.viewRow(outcome.row);
        if (row >= 0) {
            grid_.setRow(row);
            grid_.setCol(outcome.col);
            grid_.scrollIntoView(row, outcome.col);
        }
    } else if (grid_.Rows() > FlexGrid::FixedRows) {
        grid_.setRow(grid_.Rows() - 1);
        grid_.setCol(std::min(RegisterLayout::savedColumns, grid_.Cols()) - 1);
    }
}

bool RegisterDocument::registerChanged() const
{
    return changedMeanwhile_ || FileStamp::of(registerPath()) != registerStamp_;
}

void RegisterDocument::keepBase(const GridModel& model)
{
    base_ = model.snapshot().rows;
}

bool RegisterDocument::joinRegister(RegisterMerge::Counts& counts, QString& otherDesk, bool& notMerged, bool& toTell)
{
    // What is typed belongs to this desk's side of the merge.
    emit editsWanted();
    if (registerStamp_ && registerContents_ && otherDesk.isEmpty())
        otherDesk = FileReplacement::replacedBy(registerPath(), {*registerContents_, registerStamp_->modifiedNs});
    RegisterMerger::Joined joined;
    switch (RegisterMerger::join(grid_, *base_, registerPath(), otherDesk, desktop_, joined)) {
    case RegisterMerger::Outcome::Cancelled:
        return false;
    case RegisterMerger::Outcome::NotARegister:
        notMerged = true;
        return true;
    case RegisterMerger::Outcome::Joined:
        break;
    }
    if (joined.step) {
        GridCommand* step = joined.step.release();
        emit merged(step);
        if (!step->isDone()) { // nobody took it: done here, without undo
            step->redo();
            delete step;
        }
    }
    // A file rewritten with what this desk saw brings nothing to tell.
    toTell = toTell || joined.asked || joined.counts.added + joined.counts.changed + joined.counts.deleted > 0;
    counts.added += joined.counts.added;
    counts.changed += joined.counts.changed;
    counts.deleted += joined.counts.deleted;
    // The grid now holds what the file holds: the next merge starts there.
    base_ = std::move(joined.base);
    registerStamp_ = joined.stamp;
    registerContents_ = joined.contents;
    changedMeanwhile_ = false;
    return true;
}

bool RegisterDocument::saveRegister(const GridModel* contents)
{
    // Another desk's save since this one's view: joined with the grid, then
    // written; a third desk saving meanwhile is joined in turn, a few times.
    constexpr int joinsAtMost = 4;
    RegisterMerge::Counts counts;
    QString otherDesk;
    bool joinedAny = false;
    bool foundChanged = false; // by the last write, under its lock
    // Text the file cannot carry is asked about once, not at every join.
    const auto asked = qScopeGuard([this] { textAgreed_ = false; });
    for (int joins = 0;; ++joins) {
        bool notMerged = false;
        const bool mayJoin = !contents && holds_ == GridHolds::Register && base_ && joins < joinsAtMost;
        if (mayJoin && (foundChanged || registerChanged())) {
            if (!joinRegister(counts, otherDesk, notMerged, joinedAny))
                return false;
        }
        std::optional<FileReplacement::Guards::Seen> seen;
        if (holds_ == GridHolds::Register && registerStamp_ && registerContents_)
            seen = FileReplacement::Guards::Seen {*registerContents_, registerStamp_->modifiedNs};
        bool joinAgain = false;
        const auto mayWrite = [&] {
            textAgreed_ = true;
            if (mayJoin && !notMerged && registerChanged()) {
                joinAgain = true;
                return false;
            }
            return mayReplaceRegister();
        };
        const std::optional<SaveOutcome> saved =
            saveTo(registerPath(), RegisterLayout::registerKeptName.toString(), mayWrite, seen, contents);
        if (!saved) {
            if (!joinAgain)
                return false;
            foundChanged = true;
            continue;
        }
        holds_ = GridHolds::Register;
        // Read under the save's lock: a write by anyone after it shows at the next save.
        registerStamp_ = saved->stampAfter;
        registerContents_ = saved->contentHash;
        keepBase(contents ? *contents : grid_.model());
        if (joinedAny)
            desktop_.messageBox(QStringLiteral("Журнал сохранён вместе с изменениями, сделанными на %1: %2.")
                                    .arg(RegisterMerger::otherDeskText(otherDesk), RegisterMerger::countsText(counts)),
                programTitle());
        return true;
    }
}

void RegisterDocument::loadArchiveByName()
{
    QString name;
    if (!archives_.askName(QStringLiteral("Введите год (или другое имя файла)"), name) || archives_.refuseUnreadable())
        return;
    const std::optional<QString> path =
        archives_.find(name, {backupFolder(), ProgramFolder::dataFolder() + u'/' + backupFolderName});
    if (path)
        loadArchive(*path);
}

bool RegisterDocument::loadArchive(const QString& path)
{
    if (archives_.refuseLinkLeaving(path, QStringLiteral("Архив не загружен.")))
        return false;
    // An empty or missing Archive folder has nothing to load either, and the
    // user is told so like for any other name that is not there.
    const bool kept = !archives_.holds(path);
    const bool found = (kept || archives_.holdsAnyFile()) && QFileInfo::exists(path);
    if (!found && hasUnsavedChanges()) {
        // Nothing to load: unsaved changes are not emptied away for it.
        desktop_.messageBox(archiveMissing, programTitle());
        return false;
    }
    if (found && !mayDropChanges(QStringLiteral("загрузить архив «%1»").arg(QFileInfo(path).fileName())))
        return false;
    RegisterReader::Status status = RegisterReader::Status::CannotOpen;
    {
        const Desktop::BusyScope busy(desktop_);
        // A pending edit goes into the contents being replaced, never into
        // the header or into a loaded entry.
        emit editsWanted();
        emit replacing();
        resetGrid();
        int lastColumn = 0;
        if (found) {
            status = RegisterReader::loadInto(grid_.model(), path, {nullptr, kept, &lastColumn});
            placeAfterLoad(status, lastColumn);
        }
        holds_ = found ? GridHolds::Archive : GridHolds::Nothing;
        archiveName_ = QFileInfo(path).fileName();
        base_.reset();
        markSaved();
        emit loaded();
    }
    if (status != RegisterReader::Status::Ok)
        desktop_.messageBox(
            SaveMessages::loadFailure(status, QFileInfo(path).fileName(), archiveMissing), programTitle());
    return status == RegisterReader::Status::Ok;
}

bool RegisterDocument::saveAsArchive()
{
    QString name;
    return archives_.askName(QStringLiteral("Введите имя файла"), name) && saveAsArchive(name);
}

bool RegisterDocument::saveAsArchive(const QString& name)
{
    if (!archives_.holdsAnyFile())
        QDir(programFolder_).mkdir(archiveFolderName); // a failure shows when the file is written
    const QString path = ArchiveName::pathIn(archives_.path(), name);
    if (archives_.refuseLinkLeaving(path, QStringLiteral("Архив не записан.")))
        return false;
    return saveTo(path, QFileInfo(path).completeBaseName(), [&] { return archives_.mayReplace(name); }).has_value();
}

WorkLogFormat::Origin RegisterDocument::origin() const
{
    WorkLogFormat::Origin origin;
    origin.programFolder = QFileInfo(programFolder_).absoluteFilePath();
    origin.holds = holds_;
    origin.name = archiveName_;
    origin.registerPath = registerPath();
    if (registerStamp_) {
        origin.stamped = true;
        origin.device = qint64(registerStamp_->device);
        origin.inode = qint64(registerStamp_->inode);
        origin.size = registerStamp_->size;
        origin.modifiedNs = registerStamp_->modifiedNs;
        origin.changedNs = registerStamp_->changedNs;
    }
    return origin;
}

void RegisterDocument::recovered(const WorkLogFormat::Origin& origin)
{
    holds_ = origin.holds;
    archiveName_ = origin.name;
    registerStamp_.reset();
    base_.reset(); // the register as read then is gone with the program
    if (origin.stamped) {
        registerStamp_ =
            FileStamp {quint64(origin.device), quint64(origin.inode), origin.size, origin.modifiedNs, origin.changedNs};
        // A file rewritten since with its times put back still counts as changed.
        const bool sameStamp = FileStamp::of(registerPath()) == registerStamp_;
        if (sameStamp && origin.hashed && WorkLog::fileHash(registerPath()) != origin.hash)
            registerStamp_->size = -1;
    }
    savedRevision_.reset();
}

WorkLogFormat::Origin RegisterDocument::fromElsewhere(WorkLogFormat::Origin origin)
{
    origin.holds = GridHolds::Nothing;
    origin.stamped = false;
    origin.name.clear();
    return origin;
}

QString RegisterDocument::originName(const WorkLogFormat::Origin& origin)
{
    if (origin.holds == GridHolds::Archive)
        return origin.name;
    return QDir::toNativeSeparators(origin.registerPath);
}

RegisterWriter::KeptWork RegisterDocument::keepRecovered(const GridModel& grid, const WorkLogFormat::Origin& origin)
{
    QString name = RegisterLayout::registerKeptName.toString();
    if (origin.holds == GridHolds::Archive)
        name = QFileInfo(origin.name).completeBaseName();
    // Never pruned: each is the only copy of work the user chose not to take back.
    return RegisterWriter::keepAsVersion(grid, backupFolder(), name + QStringLiteral("-recovered"));
}
