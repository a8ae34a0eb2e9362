#pragma once

#include "storage/FileStamp.h"

#include <QString>
#include <functional>
#include <optional>

class Desktop;
class FlexGrid;

// The register behind the main window's grid: loading thisyear.csv and the
// archives into the grid, and saving the grid back, with every question and
// message these ask. It uses no widget: the grid, the program folder and the
// desktop layer are all it needs.
//
// It also remembers what the grid holds, so that a save never replaces a
// thisyear.csv the user has not seen: the one read whole by the last load or
// written by the last save, as stamped on disk at that moment; or something
// else (nothing opened yet, an archive, a load that stopped part-way).
class RegisterDocument
{
public:
    static const QString headerFormatText;

    // commitEdit puts a pending overlay edit into the grid; blockingPass runs
    // the blocking-date pass after a load.
    RegisterDocument(FlexGrid& grid, QString programFolder, Desktop& desktop, QString title,
                     std::function<void()> commitEdit, std::function<void()> blockingPass);

    // Header row and one empty entry row, seven columns.
    void resetGrid();
    void loadgrid();
    void loadgridarch();
    // Both saves tell the user what went wrong and answer whether they saved.
    bool SaveGridn();
    bool SaveAsGridn();

private:
    enum class Source { Nothing, Register, PartOfRegister, Archive };

    QString registerPath() const;
    QString archiveFolder() const;
    bool askArchiveName(const QString& prompt, QString& name);
    // The archive file a typed name stands for; empty when none can be
    // chosen (the user has been told why).
    std::optional<QString> findArchive(const QString& name);
    bool mayReplaceRegister();
    bool mayReplaceArchive(const QString& name);
    bool saveTo(const QString& path, const std::function<bool()>& mayWrite);

    FlexGrid& grid_;
    const QString programFolder_;
    Desktop& desktop_;
    const QString title_;
    std::function<void()> commitEdit_;
    std::function<void()> blockingPass_;

    Source source_ = Source::Nothing;
    QString archiveName_;                      // with Source::Archive
    std::optional<FileStamp> registerStamp_;   // with Source::Register; nullopt: no file then
};
