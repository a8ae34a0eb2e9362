#include "app/desktop/QtDesktop.h"
#include "app/desktop/ConflictWindow.h"
#include "app/desktop/ProgramTitle.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>

class QtDesktop::DialogShown {
public:
    // The default pointer while a dialog is up; and after it, the main window
    // active again, so that the keys go back to it: without a window manager
    // (a kiosk, a remote X session) nothing else gives it the keyboard back,
    // and what the user types next would reach no box.
    explicit DialogShown(const QtDesktop& desktop)
        : desktop_(desktop)
        , lifted_(desktop.busyDepth_ > 0)
    {
        if (lifted_)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~DialogShown()
    {
        if (lifted_)
            QApplication::restoreOverrideCursor();
        if (desktop_.mainWindow_ && desktop_.mainWindow_->isVisible())
            desktop_.mainWindow_->activateWindow();
    }

private:
    const QtDesktop& desktop_;
    bool lifted_;
};

QString QtDesktop::inputBox(const QString& prompt, const QString& title, const QString& initial)
{
    const DialogShown shown(*this);
    bool accepted = false;
    const QString text = QInputDialog::getText(mainWindow_, title, prompt, QLineEdit::Normal, initial, &accepted);
    return accepted ? text : QString();
}

QString QtDesktop::nameQuestion(const QString& text, const QString& title, const QString& initial)
{
    const DialogShown shown(*this);
    QInputDialog dialog(mainWindow_);
    dialog.setWindowTitle(title);
    dialog.setLabelText(text);
    dialog.setTextValue(initial);
    dialog.setOkButtonText(QStringLiteral("Да"));
    dialog.setCancelButtonText(QStringLiteral("Нет"));
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

void QtDesktop::messageBox(const QString& text, const QString& title)
{
    const DialogShown shown(*this);
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, mainWindow_);
    box.exec();
}

std::optional<std::vector<bool>> QtDesktop::chooseVersions(const QString& intro, const std::vector<Conflict>& conflicts)
{
    const DialogShown shown(*this);
    ConflictWindow window(intro, conflicts, mainWindow_);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.choices();
}

QString QtDesktop::saveFileBox(const QString& title, const QString& suggested, const QString& filter)
{
    const DialogShown shown(*this);
    // Qt's own dialog, in Russian like the rest of the program, whatever the desktop's.
    QFileDialog dialog(mainWindow_, title, suggested, filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QFileInfo(suggested).suffix());
    dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

bool QtDesktop::askYesNo(const QString& text, const QString& title)
{
    return ask(text, title, false);
}

bool QtDesktop::askYesNoDefaultYes(const QString& text, const QString& title)
{
    return ask(text, title, true);
}

bool QtDesktop::ask(const QString& text, const QString& title, bool yesIsDefault)
{
    const DialogShown shown(*this);
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, mainWindow_);
    QPushButton* yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
    box.setDefaultButton(yesIsDefault ? yes : no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() != no && box.clickedButton() != nullptr;
}

void QtDesktop::setBusy(bool busy)
{
    if (busy && busyDepth_++ == 0)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (!busy && busyDepth_ > 0 && --busyDepth_ == 0)
        QApplication::restoreOverrideCursor();
}

bool QtDesktop::processEvents()
{
    // The blocking pass yields on every row, a million times on a large
    // register. Handling events costs far more than a row, and nothing a user
    // does needs an answer within a couple of milliseconds, so events are
    // handled at most once per slice; a nested handler still runs between two
    // rows, as it would otherwise.
    // Even the clock is read only every few calls.
    constexpr qint64 sliceNs = 2'000'000;
    constexpr int callsPerClockRead = 32;
    if (++callsSinceClock_ < callsPerClockRead)
        return false;
    callsSinceClock_ = 0;
    if (sinceEvents_.isValid() && sinceEvents_.nsecsElapsed() < sliceNs)
        return false;
    QCoreApplication::processEvents();
    sinceEvents_.start();
    return true;
}

void QtDesktop::flushEvents()
{
    QCoreApplication::processEvents();
}

void QtDesktop::quit()
{
    // Every save has been committed by the time anything can quit, so nothing
    // is left to flush but the standard streams.
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

bool QtDesktop::printProgress(int page, int pages, const QString& what)
{
    if (pages <= 1)
        return true;
    if (!printing_) {
        printing_ = std::make_unique<QProgressDialog>(QString(), QStringLiteral("Отмена"), 0, pages, mainWindow_);
        cancelButton_ = new QPushButton(QStringLiteral("Отмена"));
        printing_->setCancelButton(cancelButton_);
        printing_->setWindowTitle(programTitle());
        printing_->setWindowModality(Qt::WindowModal); // the window waits; its pages do not change
        printing_->setMinimumDuration(0);
        printing_->setAutoReset(false);
    }
    printing_->setLabelText(QStringLiteral("%1: страница %2 из %3").arg(what).arg(std::min(page, pages)).arg(pages));
    printing_->setValue(std::min(page, pages) - 1);
    QCoreApplication::processEvents(); // "Отмена" and the window's painting
    // A press on "Отмена" whose release has not come yet is a click under
    // way: the job waits for it rather than run on, or be handed over, under
    // the user's finger.
    QElapsedTimer held;
    held.start();
    while (cancelButton_ && cancelButton_->isDown() && !printing_->wasCanceled() && held.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (printing_->wasCanceled())
        return false;
    // About to be handed over: no "Отмена" is shown that could no longer act.
    if (page > pages)
        printing_->hide();
    return true;
}

void QtDesktop::printEnded()
{
    cancelButton_ = nullptr;
    printing_.reset();
}

std::unique_ptr<QPrinter> QtDesktop::defaultPrinter()
{
    // Qt's CUPS back end says nothing about a job that cannot reach a
    // printer, so there must be a default printer before printing at all.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}
