#pragma once

#include "app/document/ArchiveFolder.h"
#include "app/document/RegisterMerger.h"

#include "storage/FileReplacement.h"
#include "storage/FileStamp.h"
#include "storage/RegisterReader.h"
#include "storage/RegisterWriter.h"
#include "storage/SaveOutcome.h"
#include "worklog/WorkLogFormat.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class CellBox;
class Desktop;
class GridCommand;
class FlexGrid;
class GridModel;

// The register behind the main window's grid: loading thisyear.csv and the
// archives into the grid's model, and saving every entry of it back, with
// every question and message these ask; it shows every entry of what it
// loads. It uses no widget: the grid, the program folder and the desktop
// layer are all it needs.
//
// It also remembers what the grid holds, so that a save never replaces a
// thisyear.csv the user has not seen: the one read whole by the last load or
// written by the last save, as stamped on disk at that moment, with its
// entries (shared with the grid, not copied); or something else (nothing
// opened yet, an archive, a load that stopped part-way). When another desk
// has saved the register since, a save joins that desk's work with the
// grid's (RegisterMerger) and writes both.
class RegisterDocument : public QObject {
    Q_OBJECT
public:
    RegisterDocument(FlexGrid& grid, const CellBox& cellBox, QString programFolder, Desktop& desktop);

    // Whether the grid differs from what the last load or save left in it,
    // an edit pending in the cell box included.
    bool hasUnsavedChanges() const;
    // What the grid holds now counts as saved.
    void markSaved();

    // Where the grid came from, for a work log.
    WorkLogFormat::Origin origin() const;
    // The grid holds work recovered from a log of origin: changes not
    // yet saved, which a save asks about as it would have before the crash,
    // and as for a file changed by someone else when it has changed since.
    void recovered(const WorkLogFormat::Origin& origin);
    // origin as a grid taken into this folder's window from another folder
    // holds it: nothing of this folder.
    static WorkLogFormat::Origin fromElsewhere(WorkLogFormat::Origin origin);
    // The file the grid came from, as the user knows it.
    static QString originName(const WorkLogFormat::Origin& origin);
    // Writes the grid into Backup as a kept version NAME-recovered-...: the
    // recovered work the user did not take back into the window.
    RegisterWriter::KeptWork keepRecovered(const GridModel& grid, const WorkLogFormat::Origin& origin);
    QString backupFolder() const;

    // Header row and one empty entry row, seven columns.
    void resetGrid();
    // thisyear.csv into the grid; an archive or a kept version by a name asked for.
    void loadRegister();
    void loadArchiveByName();
    // Loads the archive (or kept version) at path as "Загрузить архив" does,
    // asking first when changes are unsaved; answers whether it loaded whole.
    bool loadArchive(const QString& path);
    QString archiveFolder() const { return archives_.path(); }
    // The archive or kept version the grid holds, by its file name; empty
    // when it holds the register (or nothing loaded).
    QString archiveHeld() const { return holds_ == GridHolds::Archive ? archiveName_ : QString(); }
    // Both saves tell the user what went wrong and answer whether they saved.
    // The register takes the grid, or contents when given.
    bool saveRegister(const GridModel* contents = nullptr);
    bool saveAsArchive();
    // Into Archive under name (upper-cased, staying inside it), asking
    // first when that archive exists.
    bool saveAsArchive(const QString& name);
    ArchiveFolder& archives() { return archives_; }

signals:
    // What is typed but not yet in the grid belongs to what the document is
    // about to read, replace or ask about: whoever holds it puts it in now.
    void editsWanted();
    // A load is about to empty the grid.
    void replacing();
    // thisyear.csv was read whole: what the blocking pass writes now is part
    // of the load, not a change.
    void registerRead();
    // The grid now holds another register, or an archive.
    void loaded();
    // The grid is now what a file holds.
    void saved();
    // A save joined another desk's work with the grid: the receiver pushes
    // the step onto the undo stack, which does it, and keeps it.
    void merged(GridCommand* step);

private:
    QString registerPath() const;

    bool mayReplaceRegister();
    // The register is no longer what was last read or written here.
    bool registerChanged() const;
    // Joins the register on disk with the grid; false when the save is to
    // stop, and notMerged set when it is to ask instead, as about any file
    // changed elsewhere. toTell is set when the join brought something or
    // asked something: the save then says what it joined.
    bool joinRegister(RegisterMerge::Counts& counts, QString& otherDesk, bool& notMerged, bool& toTell);
    void keepBase(const GridModel& model);
    bool mayLeaveTextUnsaved();
    // keptName names the replaced file's kept versions; seen is what the user
    // saw of the file, when known. Answers how the save ended, or nothing
    // when it did not (the user has been told why).
    std::optional<SaveOutcome> saveTo(const QString& path, const QString& keptName,
        const std::function<bool()>& mayWrite, std::optional<FileReplacement::Guards::Seen> seen = std::nullopt,
        const GridModel* contents = nullptr);
    // Asks before a load replaces unsaved changes; what is to be loaded
    // completes the question.
    bool mayDropChanges(const QString& whatLoads);
    // Where the current cell rests after a load or a save.
    void placeAfterLoad(RegisterReader::Status status, int lastColumn);
    void placeAfterSave(const SaveOutcome& outcome);

    FlexGrid& grid_;
    const CellBox& cellBox_;
    const QString programFolder_;
    Desktop& desktop_;
    ArchiveFolder archives_;
    std::optional<quint64> savedRevision_; // none: never saved, as after a recovery

    using GridHolds = WorkLogFormat::GridHolds;
    GridHolds holds_ = GridHolds::Nothing;
    QString archiveName_; // with GridHolds::Archive
    std::optional<FileStamp> registerStamp_; // with GridHolds::Register; nullopt: no file then
    std::optional<quint64> registerContents_; // their checksum, when read or written whole
    // The entries of that register, when read or written whole: the base of a merge.
    std::optional<RowStore::Snapshot> base_;
    // A save found the register replaced since it was seen here, whatever
    // the file's attributes said: the question that follows asks about it.
    bool changedMeanwhile_ = false;
    // Within one save: the user agreed to leave text past the saved columns.
    bool textAgreed_ = false;
};
