#include "app/window/FrmEKLZ.h"
#include "app/desktop/ProgramTitle.h"

#include "app/desktop/AppIcon.h"
#include "app/desktop/Desktop.h"
#include "app/desktop/Fonts.h"
#include "app/window/Dialog.h"
#include "editing/GridOperations.h"
#include "grid/Twips.h"
#include "register/RegisterLayout.h"
#include "rules/BlockingDate.h"
#include "rules/BlockingPass.h"
#include "ui/GridWidget.h"
#include "ui/InputLine.h"
#include "ui/RegisterPrinter.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>

namespace {

// What the user is told when the register was not printed, as far as Qt says.
QString printFailure(const QPrinter* printer, std::optional<RegisterPrinter::Outcome> outcome)
{
    if (!printer) {
        return QStringLiteral("Журнал не напечатан: в системе нет доступного принтера. Назначьте "
                              "принтер по умолчанию и повторите печать.");
    }
    const QString name = printer->printerName().isEmpty() ? printer->outputFileName() : printer->printerName();
    if (outcome == RegisterPrinter::Outcome::Cancelled)
        return QStringLiteral("Журнал не напечатан: печать отменена, на принтер ничего не отправлено.");
    const QString why = outcome == RegisterPrinter::Outcome::NotStarted
                            ? QStringLiteral("принтер «%1» не начал задание печати")
                            : QStringLiteral("задание печати не удалось передать принтеру «%1»");
    return QStringLiteral("Журнал не напечатан: %1. Проверьте принтер и повторите печать.").arg(why.arg(name));
}

} // namespace

FrmEKLZ::FrmEKLZ(Desktop& desktop, QString programFolder, QString logFolder, QWidget* parent)
    : QWidget(parent)
    , desktop_(desktop)
    , MSFGAZ(register_)
    , controls_(*this, MSFGAZ)
    , cellBox_(
          MSFGAZ, *controls_.txtDataEntry, [this] { desktop_.flushEvents(); }, [this] { blocdata(); },
          [this](int row, int col, const QString& text) {
              undo_.writeCell(row, col, text, SetCellCommand::Control::CellBox);
          })
    , document_(MSFGAZ, cellBox_, std::move(programFolder), desktop)
    , undo_(MSFGAZ, cellBox_)
    , clipboard_(MSFGAZ, desktop, undo_, cellBox_)
    , marks_(MSFGAZ, *controls_.gridWidget)
    , menu_(*this, *controls_.gridWidget, *controls_.txtDataEntry, undo_, clipboard_, cellBox_)
    , shown_(*this, MSFGAZ, desktop, cellBox_, document_)
    , pdf_(MSFGAZ, desktop, shown_)
    , unitHistory_(*this, MSFGAZ, desktop, document_, shown_)
    , blockingDates_(*this, MSFGAZ, desktop, document_, shown_)
    , newYear_(MSFGAZ, desktop, document_)
    , recovery_(register_, MSFGAZ, document_, undo_, cellBox_, desktop, std::move(logFolder))
{
    setWindowIcon(appIcon());
    setWindowTitle(programTitle());
    setFont(msSansSerif(8.25, false));
    resize(Twips::toPixels(QSize(10575, 4995)));
    inputLine_ = new InputLine(
        MSFGAZ, *controls_.TxtVvod, *controls_.CmdEdit, cellBox_,
        [this](int row, int col, const QString& text) {
            undo_.writeCell(row, col, text, SetCellCommand::Control::InputLine);
        },
        this);
    clipboard_.watchCellBox(*controls_.txtDataEntry);
    shown_.addTo(menu_.menu());
    menu_.menu().addAction(QStringLiteral("Сохранить в PDF…"), this, [this] { pdf_.run(); });
    // Ctrl+H and Ctrl+B anywhere in the window; what is typed is part of what they read.
    addListAction(QStringLiteral("История ЭКЛЗ…"), Qt::Key_H, [this] { unitHistory_.run(); });
    addListAction(QStringLiteral("Сроки блокировки…"), Qt::Key_B, [this] { blockingDates_.run(); });
    menu_.menu().addAction(QStringLiteral("Начать новый год…"), this, [this] {
        cellBox_.settle(); // what is typed belongs to the year saved
        newYear_.run();
    });
    connect(&undo_, &UndoSteps::stepTaken, &shown_, &ShownEntries::reapply);
    clipboard_.watchInputLine(*controls_.TxtVvod);
    register_.setDateReader(&BlockingDate::dayNumber);
    connectHandlers();
    listenToDocument();
    Form_Load();
    document_.markSaved();
    workLog().setRecording(true); // from the first change after the start
    controls_.TxtVvod->setFocus();
}

FrmEKLZ::~FrmEKLZ()
{
    delete dialog_;
}

void FrmEKLZ::addListAction(const QString& text, Qt::Key key, const std::function<void()>& open)
{
    auto* action = new QAction(text, this);
    action->setShortcut(QKeySequence(Qt::CTRL | key));
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
    menu_.menu().addAction(action);
    connect(action, &QAction::triggered, this, [this, open] {
        cellBox_.settle();
        open();
    });
}

void FrmEKLZ::listenToDocument()
{
    connect(&document_, &RegisterDocument::editsWanted, this, &FrmEKLZ::CommitCellEdit);
    connect(&document_, &RegisterDocument::replacing, this, [this] {
        workLog().end();
        workLog().setRecording(false);
    });
    connect(&document_, &RegisterDocument::registerRead, this, &FrmEKLZ::passOfLoad);
    connect(&document_, &RegisterDocument::loaded, this, [this] {
        undo_.clear();
        workLog().setRecording(true);
    });
    connect(&document_, &RegisterDocument::saved, this, [this] { workLog().end(); });
    // The other desk's work joined with the grid is on disk in the log
    // before the save writes it: a crash in between recovers both.
    connect(&document_, &RegisterDocument::merged, this, [this](GridCommand* step) {
        undo_.push(step);
        workLog().flush();
    });
}

bool FrmEKLZ::mayLoseWork() const
{
    return gridEdited || document_.hasUnsavedChanges();
}

void FrmEKLZ::connectHandlers()
{
    const std::pair<QPushButton*, void (FrmEKLZ::*)()> buttons[] = {
        {controls_.CmdZagruz, &FrmEKLZ::CmdZagruz_Click},
        {controls_.CmdZArch, &FrmEKLZ::CmdZArch_Click},
        {controls_.CmdSave, &FrmEKLZ::CmdSave_Click},
        {controls_.CmdSaveAs, &FrmEKLZ::CmdSaveAs_Click},
        {controls_.CmdProd, &FrmEKLZ::CmdProd_Click},
        {controls_.CmdSearh, &FrmEKLZ::CmdSearh_Click},
        {controls_.CmdAddS, &FrmEKLZ::CmdAddS_Click},
        {controls_.CmdDelS, &FrmEKLZ::CmdDelS_Click},
        {controls_.CmdAddC, &FrmEKLZ::CmdAddC_Click},
        {controls_.CmdDelC, &FrmEKLZ::CmdDelC_Click},
        {controls_.CmdSortC, &FrmEKLZ::CmdSortC_Click},
        {controls_.CmdPrint, &FrmEKLZ::CmdPrint_Click},
    };
    for (const auto& [button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, handler);
    connect(&MSFGAZ, &FlexGrid::MouseUp, this, &FrmEKLZ::MSFGAZ_MouseUp);
    connect(&MSFGAZ, &FlexGrid::Click, this, &FrmEKLZ::MSFGAZ_Click);
    connect(&MSFGAZ, &FlexGrid::LeaveCell, this, &FrmEKLZ::MSFGAZ_LeaveCell);
    connect(&MSFGAZ, &FlexGrid::GotFocus, this, &FrmEKLZ::MSFGAZ_GotFocus);
    // From the keyboard as with the mouse: F2 or Enter opens the cell box on
    // the current cell, and Escape closes it, the cell keeping its text.
    connect(controls_.gridWidget, &GridWidget::editRequested, this, &FrmEKLZ::MSFGAZ_Click);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), controls_.txtDataEntry, nullptr, nullptr, Qt::WidgetShortcut),
        &QShortcut::activated, this, [this] {
            cellBox_.drop();
            controls_.gridWidget->setFocus(Qt::OtherFocusReason);
        });
    listenToCellBoxKeys();
    // The undo keys anywhere in the window; in the input line and the cell
    // box they act on the box's own text.
    const auto undoKeys = [this](const QList<QKeySequence>& keys, bool undo, void (QLineEdit::*boxStep)()) {
        for (const QKeySequence& key : keys) {
            connect(new QShortcut(key, this), &QShortcut::activated, this, [this, undo, boxStep] {
                for (QLineEdit* box : {controls_.TxtVvod, controls_.txtDataEntry}) {
                    if (box->hasFocus())
                        return (box->*boxStep)();
                }
                undo_.takeStep(undo);
            });
        }
    };
    undoKeys(UndoSteps::undoKeys, true, &QLineEdit::undo);
    undoKeys(UndoSteps::redoKeys, false, &QLineEdit::redo);
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, &FrmEKLZ::CmdSearh_Click);
    connect(new QShortcut(QKeySequence::FindNext, this), &QShortcut::activated, this, &FrmEKLZ::findNext);
}

void FrmEKLZ::listenToCellBoxKeys()
{
    // Enter puts the text into the cell and the focus back on the grid, the
    // current cell staying where it is, as a spreadsheet's Enter; Tab puts
    // it in and moves right; the keys that move in the grid put it in and
    // move there.
    QLineEdit* box = controls_.txtDataEntry;
    const auto onKey = [&](QKeySequence keys, auto action) {
        connect(new QShortcut(keys, box, nullptr, nullptr, Qt::WidgetShortcut), &QShortcut::activated, this, action);
    };
    for (const Qt::Key enter : {Qt::Key_Return, Qt::Key_Enter}) {
        onKey(QKeySequence(enter), [this] {
            CommitCellEdit();
            controls_.gridWidget->setFocus(Qt::OtherFocusReason);
        });
    }
    onKey(QKeySequence(Qt::Key_Tab), [this] {
        CommitCellEdit();
        controls_.gridWidget->setFocus(Qt::TabFocusReason);
        MSFGAZ.userMoveTo(MSFGAZ.Row(), MSFGAZ.Col() + 1);
    });
    for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown}) {
        onKey(QKeySequence(key), [this, key] {
            CommitCellEdit();
            controls_.gridWidget->setFocus(Qt::OtherFocusReason);
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(controls_.gridWidget, &press);
        });
    }
}

void FrmEKLZ::Form_Load()
{
    MSFGAZ.setFormatString(RegisterLayout::headerFormat.toString());
    MSFGAZ.model().setColWidth(0, 1500);
    MSFGAZ.setRowHeight(0, 300);
    controls_.TxtVvod->setText(QString());
}

void FrmEKLZ::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void FrmEKLZ::Form_Resize()
{
    // Computed in single precision; a negative size is refused by the grid,
    // which then keeps its size in that dimension.
    const QSize client = Twips::fromPixels(size());
    const float width = static_cast<float>(client.width()) - 850.0f;
    const float height = static_cast<float>(client.height()) - 1900.0f;
    MSFGAZ.setWidth(static_cast<int>(width));
    MSFGAZ.setHeight(static_cast<int>(height));
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
    workLog().end(); // nothing in it is unsaved
    desktop_.quit();
}

void FrmEKLZ::loadgrid()
{
    document_.loadRegister();
}

void FrmEKLZ::loadgridarch()
{
    document_.loadArchiveByName();
}

bool FrmEKLZ::SaveGridn()
{
    return document_.saveRegister();
}

bool FrmEKLZ::SaveAsGridn()
{
    return document_.saveAsArchive();
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
    workLog().end(); // the user chose to drop the work
    desktop_.quit();
}

bool FrmEKLZ::endOfSession(bool interactionAllowed)
{
    if (!mayLoseWork())
        return true;
    if (!interactionAllowed) {
        cellBox_.settle(); // typed but not committed is work too
        workLog().flush();
        return true;
    }
    showExitQuestion();
    // Ends with the question: "НЕТ" ends the program, "ДА" when its save
    // succeeded, "НАЗАД" or a failed save keeps it open.
    bool ends = false;
    QEventLoop answered;
    connect(dialog_, &QObject::destroyed, &answered, &QEventLoop::quit);
    connect(dialog_, &Dialog::saveAndEnd, &answered, [&] { ends = !document_.hasUnsavedChanges(); });
    connect(dialog_, &Dialog::endWithoutSaving, &answered, [&] { ends = true; });
    answered.exec();
    workLog().flush();
    return ends;
}

void FrmEKLZ::endBySignal()
{
    cellBox_.settle(); // typed but not committed is work too
    workLog().flush();
    desktop_.quit();
}

void FrmEKLZ::CmdSearh_Click()
{
    const QString prompt =
        QStringLiteral("Нажмите на любую ячейку в колонке поиска. Потом введите здесь слово. Выделение всей "
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
    // A pending cell box edit is committed by the walk's first move of the
    // current cell, into the cell current then.
    const QString date = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    const QString time = QTime::currentTime().toString(QStringLiteral("H:mm:ss"));
    const std::unique_ptr<QPrinter> printer = desktop_.defaultPrinter();
    std::optional<RegisterPrinter::Outcome> outcome; // none without a printer
    {
        const Desktop::BusyScope busy(desktop_);
        if (printer)
            outcome = RegisterPrinter::print(MSFGAZ, *printer, {date, time, shown_.note()},
                [this](int page, int pages) { return desktop_.printProgress(page, pages, QStringLiteral("Печать")); });
        else
            RegisterPrinter::walkOnly(MSFGAZ, {date, time});
        desktop_.printEnded();
    }
    if (outcome != RegisterPrinter::Outcome::Printed)
        desktop_.messageBox(printFailure(printer.get(), outcome), programTitle());
}

void FrmEKLZ::CmdAddS_Click()
{
    undo_.push(new AddRowCommand(MSFGAZ));
}

void FrmEKLZ::CmdDelS_Click()
{
    undo_.push(new DeleteRowCommand(MSFGAZ, MSFGAZ.RowSel()));
}

void FrmEKLZ::CmdAddC_Click()
{
    undo_.push(new InsertColumnCommand(MSFGAZ));
}

void FrmEKLZ::CmdDelC_Click()
{
    undo_.push(new DeleteColumnCommand(MSFGAZ));
}

void FrmEKLZ::CmdSortC_Click()
{
    undo_.push(new MoveColumnCommand(MSFGAZ));
}

void FrmEKLZ::blocdata()
{
    // Over every entry, shown or not. What the pass writes over becomes a
    // step of its own, which undo takes together with the step before it.
    undo_.passBegins();
    runBlockingPass(
        register_, [this] { return desktop_.processEvents(); },
        [this](int row, int col, CellText before, CellText after) { undo_.passWrites(row, col, before, after); });
    undo_.passEnds();
}

void FrmEKLZ::passOfLoad()
{
    runBlockingPass(register_, [this] { return desktop_.processEvents(); });
}

void FrmEKLZ::MSFGAZ_Click()
{
    gridEdited = true;
    cellBox_.open();
}

void FrmEKLZ::MSFGAZ_MouseUp()
{
    if (MSFGAZ.MouseRow() == 0 && MSFGAZ.MouseCol() >= 0)
        SortByColumn(MSFGAZ.MouseCol());
}

void FrmEKLZ::SortByColumn(int col)
{
    const Desktop::BusyScope busy(desktop_);
    undo_.push(new SortCommand(MSFGAZ, col, RegisterLayout::headerFormat.toString()));
}

void FrmEKLZ::CommitCellEdit()
{
    cellBox_.commit();
}

void FrmEKLZ::MSFGAZ_LeaveCell()
{
    CommitCellEdit();
}

void FrmEKLZ::MSFGAZ_GotFocus()
{
    CommitCellEdit();
}
