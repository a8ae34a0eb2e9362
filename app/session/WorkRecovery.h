#pragma once

#include "worklog/WorkLog.h"

#include <QObject>
#include <QString>

class CellBox;
class Desktop;
class UndoSteps;
class FlexGrid;
class GridModel;
class OrphanedWorkLog;
class RegisterDocument;

// The main window's work log: it keeps the work since the last save on
// disk (WorkLog) and, at start, offers back the work of windows that
// ended without saving it, one log at a time, until one is taken into
// this window; what is not taken back is kept in Backup.
class WorkRecovery : public QObject {
    Q_OBJECT
public:
    // folder holds the logs.
    WorkRecovery(GridModel& model, FlexGrid& grid, RegisterDocument& document, UndoSteps& undo, CellBox& cellBox,
        Desktop& desktop, QString folder);

    WorkLog& workLog() { return log_; }
    void offerRecovery();

private:
    bool takeRecovered(OrphanedWorkLog& orphan, bool sameFolder);
    void keepRecoveredAside(OrphanedWorkLog& orphan);
    // A log whose changes cannot be rebuilt: said, and moved aside.
    void reportUnrebuilt(OrphanedWorkLog& orphan);

    GridModel& model_;
    FlexGrid& grid_;
    RegisterDocument& document_;
    UndoSteps& undo_;
    CellBox& cellBox_;
    Desktop& desktop_;
    const QString folder_;
    WorkLog log_;
};
