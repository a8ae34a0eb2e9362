#pragma once

#include "journal/WorkJournal.h"

#include <QObject>
#include <QString>

class CellOverlay;
class Desktop;
class EditHistory;
class FlexGrid;
class GridModel;
class OrphanedJournal;
class RegisterDocument;

// The main window's work journal: it keeps the work since the last save on
// disk (WorkJournal) and, at start, offers back the work of windows that
// ended without saving it, one journal at a time, until one is taken into
// this window; what is not taken back is kept in Backup.
class WorkRecovery : public QObject
{
    Q_OBJECT
public:
    // folder holds the journals.
    WorkRecovery(GridModel& model, FlexGrid& grid, RegisterDocument& document, EditHistory& history,
                 CellOverlay& overlay, Desktop& desktop, QString folder, QString title);

    WorkJournal& journal() { return journal_; }
    void offerRecovery();

private:
    bool takeRecovered(OrphanedJournal& orphan, bool sameFolder);
    void keepRecoveredAside(OrphanedJournal& orphan);
    // A journal whose changes cannot be rebuilt: said, and moved aside.
    void reportUnrebuilt(OrphanedJournal& orphan);

    FlexGrid& grid_;
    RegisterDocument& document_;
    EditHistory& history_;
    CellOverlay& overlay_;
    Desktop& desktop_;
    const QString folder_;
    const QString title_;
    WorkJournal journal_;
};
