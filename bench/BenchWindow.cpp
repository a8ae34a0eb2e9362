#include "BenchWindow.h"

#include "ui/GridWidget.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>

std::unique_ptr<QPrinter> BenchDesktop::defaultPrinter()
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdfPath);
    return printer;
}

BenchWindow::BenchWindow(const QString& registerFile)
    : folderPath_(dir_.path())
    , window_(desktop_, dir_.path(), dir_.filePath(QStringLiteral("logs")))
{
    if (!QFile::copy(registerFile, dir_.filePath(QStringLiteral("thisyear.csv"))))
        qFatal("cannot copy the register");
    desktop_.pdfPath = dir_.filePath(QStringLiteral("register.pdf"));
    desktop_.exportPath = dir_.filePath(QStringLiteral("export.pdf"));
    desktop_.setMainWindow(&window_);
    window_.show();
    QCoreApplication::processEvents();
    press("CmdZagruz");
    window_.marks().duplicates().waitForCount();
}

void BenchWindow::press(const char* button)
{
    window_.findChild<QPushButton*>(QLatin1String(button))->click();
}

void BenchWindow::clickCell(int row, int col)
{
    window_.grid().userPress(row, col);
    window_.grid().userRelease(row, col);
}

void BenchWindow::releaseOverHeader(int col)
{
    window_.grid().userPress(0, col);
    window_.grid().userRelease(0, col);
}

void BenchWindow::searchFor(const QString& word)
{
    desktop_.answer = word;
    press("CmdSearh");
}

void BenchWindow::saveAs(const QString& name)
{
    desktop_.answer = name;
    press("CmdSaveAs");
}

void BenchWindow::show(const QString& entry, const QString& answer)
{
    desktop_.answer = answer;
    for (QAction* action : window_.findChildren<QAction*>())
        if (action->text() == entry)
            return action->trigger();
    qFatal("no menu entry %s", qPrintable(entry));
}

void BenchWindow::exportPdf()
{
    show(QStringLiteral("Сохранить в PDF…"));
}

void BenchWindow::scrollThrough(const std::function<void(double)>& frame)
{
    GridWidget* widget = window_.gridWidget();
    FlexGrid& grid = window_.grid();
    grid.setTopRow(1);
    QScrollBar* bar = widget->verticalScrollBar();
    widget->viewport()->repaint();
    // Page by page where a person would; on a huge register the thumb is
    // dragged down in two thousand steps instead.
    const bool drag = grid.Rows() > 100000;
    const int steps = drag ? 2000 : grid.Rows();
    for (int step = 1; step <= steps && grid.TopRow() < grid.maxTopRow(); ++step) {
        QElapsedTimer timer;
        timer.start();
        if (drag) {
            bar->setValue(static_cast<int>(static_cast<long long>(bar->maximum()) * step / steps));
        } else {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
            QApplication::sendEvent(widget, &key);
        }
        widget->viewport()->repaint();
        frame(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
}
