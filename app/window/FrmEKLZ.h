#pragma once

#include "app/document/NewYear.h"
#include "app/document/RegisterDocument.h"
#include "app/due/BlockingDates.h"
#include "app/editing/CellClipboard.h"
#include "app/editing/UndoSteps.h"
#include "app/session/WorkRecovery.h"
#include "app/shown/EntryMarks.h"
#include "app/shown/PdfExport.h"
#include "app/shown/ShownEntries.h"
#include "app/unithistory/UnitHistory.h"
#include "app/window/ContextMenu.h"
#include "app/window/MainControls.h"
#include "grid/FlexGrid.h"
#include "grid/GridModel.h"
#include "ui/CellBox.h"
#include "worklog/WorkLog.h"

#include <QDate>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class Desktop;
class Dialog;
class InputLine;
class QUndoStack;

// The main window: the register grid MSFGAZ, the input line, the cell box
// and the thirteen buttons. Every user action begins in one of its
// handlers; the shared procedures (loading, saving, the blocking pass, the
// cell box's commit) are its members, as the rest of the program knows them.
// The work behind them is its parts', each with its own members: the
// register (RegisterDocument), undo and redo (UndoSteps), the clipboard
// (CellClipboard), the marks (EntryMarks), the grid's menu (ContextMenu),
// what the grid shows (ShownEntries), the PDF (PdfExport), a unit's history
// (UnitHistory), the blocking dates across the years (BlockingDates) and
// the work log (WorkRecovery).
class FrmEKLZ : public QWidget {
    Q_OBJECT
public:
    // programFolder holds thisyear.csv and the Archive folder; logFolder
    // the logs of the work not yet saved.
    FrmEKLZ(Desktop& desktop, QString programFolder, QString logFolder = WorkLog::defaultFolder(),
        QWidget* parent = nullptr);
    ~FrmEKLZ() override;

    FlexGrid& grid() { return MSFGAZ; }
    GridModel& model() { return register_; }
    GridWidget* gridWidget() const { return controls_.gridWidget; }
    bool isGridEdited() const { return gridEdited; }
    QUndoStack& undoStack() { return undo_.stack(); }
    UnitHistory& unitHistory() { return unitHistory_; }
    BlockingDates& blockingDates() { return blockingDates_; }
    EntryMarks& marks() { return marks_; }
    // "Выход" and the close box ask first: the grid was clicked, or it holds
    // changes not yet saved.
    bool mayLoseWork() const;

    // At start: offers the work of windows that ended without saving it.
    void offerRecovery() { recovery_.offerRecovery(); }
    WorkLog& workLog() { return recovery_.workLog(); }
    // The day the blocking marks are judged on; the clock's when not set.
    void setToday(QDate today)
    {
        marks_.setToday(today);
        shown_.setToday(today);
        blockingDates_.setToday(today);
        newYear_.setToday(today);
    }
    // The session ends: with interaction allowed, unsaved work gets the exit
    // question; otherwise it is written to the log. Answers false when
    // the user chose to stay.
    bool endOfSession(bool interactionAllowed);
    // A signal ends the program: the log is written, and offered at the
    // next start.
    void endBySignal();

    // Shared procedures.
    void loadgrid();
    void loadgridarch();
    void blocdata();
    void CommitCellEdit();
    // Both saves tell the user what went wrong and answer whether they saved.
    bool SaveGridn();
    bool SaveAsGridn();
    void SortByColumn(int col);
    void tabPrint();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void connectHandlers();
    void listenToCellBoxKeys();
    void Form_Load();
    void Form_Resize();
    void showExitQuestion();
    // The blocking pass of a load: its dates belong to the load.
    void passOfLoad();
    // Loads and saves tell the window what it must do around them.
    void listenToDocument();
    // A command of the grid's menu opening a list of entries, on Ctrl+key.
    void addListAction(const QString& text, Qt::Key key, const std::function<void()>& open);

    // Handlers.
    void CmdZagruz_Click();
    void CmdZArch_Click();
    void CmdSave_Click();
    void CmdSaveAs_Click();
    void CmdProd_Click();
    void OKButton_Click();
    void CancelButton_Click();
    void CmdSearh_Click();
    // F3: the last search again, from the row after its last match.
    void findNext();
    void CmdPrint_Click();
    void CmdAddS_Click();
    void CmdDelS_Click();
    void CmdAddC_Click();
    void CmdDelC_Click();
    void CmdSortC_Click();
    void MSFGAZ_Click();
    void MSFGAZ_MouseUp();
    void MSFGAZ_LeaveCell();
    void MSFGAZ_GotFocus();

    Desktop& desktop_;
    GridModel register_; // every entry; MSFGAZ shows them
    FlexGrid MSFGAZ;
    MainControls controls_;
    CellBox cellBox_;
    InputLine* inputLine_ = nullptr;
    QPointer<Dialog> dialog_;
    RegisterDocument document_;
    UndoSteps undo_;
    CellClipboard clipboard_;
    EntryMarks marks_;
    ContextMenu menu_;
    ShownEntries shown_;
    PdfExport pdf_;
    UnitHistory unitHistory_;
    BlockingDates blockingDates_;
    NewYear newYear_;
    WorkRecovery recovery_;

    bool gridEdited = false;
    struct LastSearch {
        QString word;
        int col = 0;
        int row = -1; // its last match
    } lastSearch_;
};
