#include "app/FrmEKLZ.h"

#include "app/AppIcon.h"
#include "app/Desktop.h"
#include "app/Dialog.h"
#include "ui/CellOverlay.h"
#include "editing/GridOperations.h"
#include "ui/InputLine.h"
#include "ui/RegisterPrinter.h"
#include "register/RegisterLayout.h"
#include "rules/BlockingDate.h"
#include "rules/BlockingPass.h"

#include <QCloseEvent>
#include <QDir>
#include <QDate>
#include <QPrinter>
#include <QLineEdit>
#include <QPushButton>

namespace {

// What the user is told when the register was not printed, as far as Qt says.
QString printFailure(const QPrinter* printer, std::optional<RegisterPrinter::Outcome> outcome)
{
    if (!printer) {
        return QStringLiteral("Журнал не напечатан: в системе нет доступного принтера. Назначьте "
                              "принтер по умолчанию и повторите печать.");
    }
    const QString name =
        printer->printerName().isEmpty() ? printer->outputFileName() : printer->printerName();
    if (outcome == RegisterPrinter::Outcome::Cancelled)
        return QStringLiteral("Журнал не напечатан: печать отменена, на принтер ничего не отправлено.");
    const QString why = outcome == RegisterPrinter::Outcome::NotStarted
                            ? QStringLiteral("принтер «%1» не начал задание печати")
                            : QStringLiteral("задание печати не удалось передать принтеру «%1»");
    return QStringLiteral("Журнал не напечатан: %1. Проверьте принтер и повторите печать.")
        .arg(why.arg(name));
}

} // namespace

FrmEKLZ::FrmEKLZ(Desktop& desktop, QString programFolder, QString journalFolder, QWidget* parent)
    : QWidget(parent)
    , desktop_(desktop)
    , document_(MSFGAZ, std::move(programFolder), desktop, programTitle,
                {.editPending = [this] { return overlay_->pending(); },
                 .commitEdit = [this] { CommitCellEdit(); },
                 .blockingPass = [this] { passOfLoad(); },
                 .replacing =
                     [this] {
                         journal_->end();
                         journal_->setRecording(false);
                     },
                 .loaded =
                     [this] {
                         history_.clear();
                         journal_->setRecording(true);
                     },
                 .saved = [this] { journal_->end(); }})
    , journalFolder_(std::move(journalFolder))
{
    setWindowIcon(appIcon());
    createControls();
    overlay_ = std::make_unique<CellOverlay>(
        MSFGAZ, *txtDataEntry, [this] { desktop_.flushEvents(); }, [this] { blocdata(); },
        [this](int row, int col, const QString& text) {
            writeCell(row, col, text, SetCellCommand::Source::CellBox);
        });
    inputLine_ = new InputLine(
        MSFGAZ, *TxtVvod, *CmdEdit, *overlay_,
        [this](int row, int col, const QString& text) {
            writeCell(row, col, text, SetCellCommand::Source::InputLine);
        },
        this);
    createHistory();
    MSFGAZ.setDateReader(&BlockingDate::dayNumber);
    connectHandlers();
    Form_Load();
    document_.markSaved();
    journal_ = std::make_unique<WorkJournal>(MSFGAZ, journalFolder_, [this] { return document_.origin(); });
    connect(&history_, &QUndoStack::indexChanged, journal_.get(), &WorkJournal::stepEnded);
    // Said once the change that found it is done, never inside it.
    connect(journal_.get(), &WorkJournal::troubled, this, [this] {
        desktop_.messageBox(
            QStringLiteral("Palomet не может записывать несохранённую работу в папку «%1» (нет места на "
                           "диске или прав на папку). При сбое изменения после последнего сохранения "
                           "пропадут: сохраняйте журнал, пока это не исправлено.")
                .arg(QDir::toNativeSeparators(journalFolder_)),
            programTitle);
    }, Qt::QueuedConnection);
    journal_->setRecording(true);
    TxtVvod->setFocus();
}

bool FrmEKLZ::mayLoseWork() const
{
    return gridEdited || document_.hasUnsavedChanges();
}

FrmEKLZ::~FrmEKLZ()
{
    delete dialog_;
}

void FrmEKLZ::connectHandlers()
{
    const std::pair<QPushButton*, void (FrmEKLZ::*)()> buttons[] = {
        {CmdZagruz, &FrmEKLZ::CmdZagruz_Click}, {CmdZArch, &FrmEKLZ::CmdZArch_Click},
        {CmdSave, &FrmEKLZ::CmdSave_Click},     {CmdSaveAs, &FrmEKLZ::CmdSaveAs_Click},
        {CmdProd, &FrmEKLZ::CmdProd_Click},     {CmdSearh, &FrmEKLZ::CmdSearh_Click},
        {CmdAddS, &FrmEKLZ::CmdAddS_Click},     {CmdDelS, &FrmEKLZ::CmdDelS_Click},
        {CmdAddC, &FrmEKLZ::CmdAddC_Click},     {CmdDelC, &FrmEKLZ::CmdDelC_Click},
        {CmdSortC, &FrmEKLZ::CmdSortC_Click},   {CmdPrint, &FrmEKLZ::CmdPrint_Click},
    };
    for (const auto& [button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, handler);
    connect(&MSFGAZ, &FlexGrid::MouseUp, this, &FrmEKLZ::MSFGAZ_MouseUp);
    connect(&MSFGAZ, &FlexGrid::Click, this, &FrmEKLZ::MSFGAZ_Click);
    connect(&MSFGAZ, &FlexGrid::LeaveCell, this, &FrmEKLZ::MSFGAZ_LeaveCell);
    connect(&MSFGAZ, &FlexGrid::GotFocus, this, &FrmEKLZ::MSFGAZ_GotFocus);
}

void FrmEKLZ::closeEvent(QCloseEvent* event)
{
    // The close box is "Выход": edits are not dropped without the question.
    if (mayLoseWork()) {
        event->ignore();
        showExitQuestion();
        return;
    }
    event->accept();
    journal_->end(); // nothing in it is unsaved
    desktop_.quit();
}

void FrmEKLZ::loadgrid()
{
    document_.loadgrid();
}

void FrmEKLZ::loadgridarch()
{
    document_.loadgridarch();
}

bool FrmEKLZ::SaveGridn()
{
    return document_.SaveGridn();
}

bool FrmEKLZ::SaveAsGridn()
{
    return document_.SaveAsGridn();
}

void FrmEKLZ::CmdZagruz_Click()
{
    loadgrid();
}

void FrmEKLZ::CmdZArch_Click()
{
    loadgridarch();
}

void FrmEKLZ::CmdSave_Click()
{
    SaveGridn();
}

void FrmEKLZ::CmdSaveAs_Click()
{
    SaveAsGridn();
}

void FrmEKLZ::CmdProd_Click()
{
    if (mayLoseWork())
        showExitQuestion();
    else
        close();
}

void FrmEKLZ::showExitQuestion()
{
    // A dialog that has closed waits for its deletion; it is not the one open.
    if (dialog_ && dialog_->isVisible()) {
        dialog_->raise();
        dialog_->activateWindow();
        return;
    }
    dialog_ = new Dialog;
    connect(dialog_, &Dialog::saveAndEnd, this, &FrmEKLZ::OKButton_Click);
    connect(dialog_, &Dialog::endWithoutSaving, this, &FrmEKLZ::CancelButton_Click);
    dialog_->show();
    dialog_->activateWindow(); // the keyboard goes to "ДА" at once
}

void FrmEKLZ::OKButton_Click()
{
    const bool saved = SaveGridn();
    dialog_->close();
    // A register that could not be saved keeps the program open: the user has
    // been told why and can mend it.
    if (saved)
        desktop_.quit();
}

void FrmEKLZ::CancelButton_Click()
{
    dialog_->close();
    journal_->end(); // the user chose to drop the work
    desktop_.quit();
}

void FrmEKLZ::CmdSearh_Click()
{
    const QString prompt = QStringLiteral(
        "Нажмите на любую ячейку в колонке поиска. Потом введите здесь слово. Выделение всей "
        "колонки производит сортировку.");
    const QString word = desktop_.inputBox(prompt, prompt).toUpper();
    if (word.isEmpty())
        return;
    const Desktop::BusyScope busy(desktop_);
    lastSearch_ = {word, MSFGAZ.ColSel(), -1};
    if (GridOperations::search(MSFGAZ, word))
        lastSearch_.row = MSFGAZ.Row();
}

void FrmEKLZ::findNext()
{
    if (lastSearch_.word.isEmpty())
        return;
    const Desktop::BusyScope busy(desktop_);
    const std::optional<int> row =
        GridOperations::findRow(MSFGAZ, lastSearch_.word, lastSearch_.col, lastSearch_.row + 1, true);
    if (!row)
        return; // silent, as the first search; the selection stays
    GridOperations::showMatch(MSFGAZ, *row);
    lastSearch_.row = *row;
}

void FrmEKLZ::CmdPrint_Click()
{
    tabPrint();
}

void FrmEKLZ::tabPrint()
{
    // A pending overlay edit is committed by the walk's first move of the
    // current cell, into the cell current then.
    const QString date = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    const QString time = QTime::currentTime().toString(QStringLiteral("H:mm:ss"));
    const std::unique_ptr<QPrinter> printer = desktop_.defaultPrinter();
    std::optional<RegisterPrinter::Outcome> outcome; // none without a printer
    {
        const Desktop::BusyScope busy(desktop_);
        if (printer)
            outcome = RegisterPrinter::print(MSFGAZ, *printer, date, time, [this](int page, int pages) {
                return desktop_.printProgress(page, pages);
            });
        else
            RegisterPrinter::walkOnly(MSFGAZ, date, time);
        desktop_.printEnded();
    }
    if (outcome != RegisterPrinter::Outcome::Printed)
        desktop_.messageBox(printFailure(printer.get(), outcome), programTitle);
}

void FrmEKLZ::CmdAddS_Click()
{
    overlay_->settle();
    addToHistory(new AddRowCommand(MSFGAZ));
}

void FrmEKLZ::CmdDelS_Click()
{
    overlay_->settle();
    addToHistory(new DeleteRowCommand(MSFGAZ, MSFGAZ.RowSel()));
}

void FrmEKLZ::CmdAddC_Click()
{
    overlay_->settle();
    addToHistory(new InsertColumnCommand(MSFGAZ));
}

void FrmEKLZ::CmdDelC_Click()
{
    overlay_->settle();
    addToHistory(new DeleteColumnCommand(MSFGAZ));
}

void FrmEKLZ::CmdSortC_Click()
{
    overlay_->settle();
    addToHistory(new MoveColumnCommand(MSFGAZ));
}

void FrmEKLZ::blocdata()
{
    // What the pass writes over becomes a step of its own, which undo takes
    // together with the step before it. Passes nested through the yields
    // write into the same step; the outermost pushes it.
    if (passDepth_++ == 0)
        passStep_ = std::make_unique<CellsCommand>(MSFGAZ, QString(), true);
    runBlockingPass(MSFGAZ, [this] { return desktop_.processEvents(); },
                    [this](int row, int col, CellText before, CellText after) {
                        passStep_->add(row, col, before, after);
                    });
    if (--passDepth_ == 0) {
        pushPassStep();
        passStep_.reset();
    }
}

void FrmEKLZ::passOfLoad()
{
    runBlockingPass(MSFGAZ, [this] { return desktop_.processEvents(); });
}

void FrmEKLZ::MSFGAZ_Click()
{
    gridEdited = true;
    overlay_->open();
}

void FrmEKLZ::MSFGAZ_MouseUp()
{
    if (MSFGAZ.MouseRow() == 0 && MSFGAZ.MouseCol() >= 0)
        SortByColumn(MSFGAZ.MouseCol());
}

void FrmEKLZ::SortByColumn(int col)
{
    overlay_->settle();
    const Desktop::BusyScope busy(desktop_);
    addToHistory(new SortCommand(MSFGAZ, col, RegisterLayout::headerFormat.toString()));
}

void FrmEKLZ::CommitCellEdit()
{
    overlay_->commit();
}

void FrmEKLZ::MSFGAZ_LeaveCell()
{
    CommitCellEdit();
}

void FrmEKLZ::MSFGAZ_GotFocus()
{
    CommitCellEdit();
}
