#pragma once

#include "app/RegisterDocument.h"
#include "editing/GridCommands.h"
#include "grid/FlexGrid.h"
#include "journal/WorkJournal.h"

#include <QDate>
#include <QPointer>
#include <QString>
#include <QUndoStack>
#include <QWidget>
#include <memory>

class CellOverlay;
class Desktop;
class Dialog;
class GridWidget;
class InputLine;
class OrphanedJournal;
class QAction;
class QLineEdit;
class QMenu;
class QPushButton;

// The main window: the register grid MSFGAZ, the input line, the cell
// overlay and the thirteen buttons. Every user action begins in one of its
// handlers; the shared procedures (loading, saving, the blocking pass, the
// overlay's commit) are its members, as the rest of the program knows them,
// and loading and saving are handed on to the RegisterDocument.
class FrmEKLZ : public QWidget
{
    Q_OBJECT
public:
    // programFolder holds thisyear.csv and the Archive folder; journalFolder
    // the journals of the work not yet saved.
    FrmEKLZ(Desktop& desktop, QString programFolder,
            QString journalFolder = WorkJournal::defaultFolder(), QWidget* parent = nullptr);
    ~FrmEKLZ() override;

    FlexGrid& grid() { return MSFGAZ; }
    GridWidget* gridWidget() const { return gridWidget_; }
    bool isGridEdited() const { return gridEdited; }
    QUndoStack& history() { return history_; }
    // "Выход" and the close box ask first: the grid was clicked, or it holds
    // changes not yet saved.
    bool mayLoseWork() const;

    static const QString programTitle;

    // Work journals (FrmEKLZJournal.cpp). At start: offers the work of
    // windows that ended without saving it, one journal at a time, until
    // one is taken into this window.
    void offerRecovery();
    WorkJournal& journal() { return *journal_; }
    // The day the blocking marks are judged on; the clock's when not set.
    void setToday(QDate today);
    // The session ends: with interaction allowed, unsaved work gets the exit
    // question; otherwise it is written to the journal. Answers false when
    // the user chose to stay.
    bool endOfSession(bool interactionAllowed);
    // A signal ends the program: the journal is written, and offered at the
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
    // Layout and start-up (FrmEKLZLayout.cpp).
    void createControls();
    QPushButton* addButton(const char* name, const QString& caption, QRect twips);
    void placeControl(QWidget* control, QRect twips);
    void setTabOrder();
    // Ctrl+F and F3.
    void createKeys();
    // Blocked and blocking soon (FrmEKLZMarks.cpp).
    void createMarks();
    bool eventFilter(QObject* watched, QEvent* event) override;
    void connectHandlers();
    void Form_Load();
    void Form_Resize();

    void showExitQuestion();
    bool takeRecovered(OrphanedJournal& orphan, bool sameFolder);
    void keepRecoveredAside(OrphanedJournal& orphan);
    // A journal whose changes cannot be rebuilt: said, and moved aside.
    void reportUnrebuilt(OrphanedJournal& orphan);

    // Undo and redo (FrmEKLZHistory.cpp).
    void createHistory();
    // boxStep, when given, is what the keys do in the input line or the cell box.
    void takeStep(bool undo, void (QLineEdit::*boxStep)());
    // The step at index, or null where there is none.
    const GridCommand* stepAt(int index) const;
    bool canUndo() const;
    bool canRedo() const;
    void updateHistoryActions();
    void writeCell(int row, int col, const QString& text, SetCellCommand::Source source);
    // The cell of the row that follows from text written into (row, col).
    std::optional<SetCellCommand::Derived> derivedCell(int row, int col, QStringView text) const;
    // Pushes a step, after the blocking pass's writes made so far, and keeps
    // the history within its memory ceiling. Handlers that change rows,
    // columns or the order settle the cell box first.
    void addToHistory(QUndoCommand* step);
    void pushPassStep();
    void keepHistoryWithinCeiling();
    // The blocking pass of a load: its dates belong to the load.
    void passOfLoad();

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
    // Ctrl+C and Ctrl+V on the grid (FrmEKLZClipboard.cpp).
    void copyCells();
    void pasteCells();
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

    FlexGrid MSFGAZ;
    GridWidget* gridWidget_ = nullptr;
    QLineEdit* TxtVvod = nullptr;
    QLineEdit* txtDataEntry = nullptr;
    QPushButton* CmdPrint = nullptr;
    QPushButton* CmdSave = nullptr;
    QPushButton* CmdEdit = nullptr;
    QPushButton* CmdSaveAs = nullptr;
    QPushButton* CmdZagruz = nullptr;
    QPushButton* CmdSearh = nullptr;
    QPushButton* CmdZArch = nullptr;
    QPushButton* CmdSortC = nullptr;
    QPushButton* CmdAddS = nullptr;
    QPushButton* CmdDelS = nullptr;
    QPushButton* CmdAddC = nullptr;
    QPushButton* CmdDelC = nullptr;
    QPushButton* CmdProd = nullptr;
    std::unique_ptr<CellOverlay> overlay_;
    InputLine* inputLine_ = nullptr;
    QPointer<Dialog> dialog_;
    RegisterDocument document_;
    QUndoStack history_;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    QMenu* historyMenu_ = nullptr;
    std::unique_ptr<CellsCommand> passStep_; // the blocking pass's writes while it runs
    int passDepth_ = 0;                      // passes running, nested through their yields
    const QString journalFolder_;
    std::unique_ptr<WorkJournal> journal_;

    bool gridEdited = false;
    QDate today_;
    struct LastSearch
    {
        QString word;
        int col = 0;
        int row = -1; // its last match
    } lastSearch_;
};
