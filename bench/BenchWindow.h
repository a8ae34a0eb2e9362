#pragma once

#include "app/desktop/QtDesktop.h"
#include "app/window/FrmEKLZ.h"

#include <QTemporaryDir>

// The real desktop, but printing to a PDF file in place of the default
// printer, and with an input box that answers without a person.
class BenchDesktop : public QtDesktop {
public:
    QString pdfPath;
    QString answer;
    QString inputBox(const QString&, const QString&, const QString& = QString()) override { return answer; }
    // The same archive is saved again and again.
    bool askYesNo(const QString&, const QString&) override { return true; }
    std::unique_ptr<QPrinter> defaultPrinter() override;
    QString exportPath; // what «Сохранить в PDF…» is given
    QString saveFileBox(const QString&, const QString&, const QString&) override { return exportPath; }
    QString lastMessage; // a message box is kept here, not shown
    void messageBox(const QString& text, const QString&) override { lastMessage = text; }
};

// The main window over a program folder of its own holding a copy of the
// register, opened and shown; and the user's actions on it, through the
// window's real handlers.
class BenchWindow {
public:
    explicit BenchWindow(const QString& registerFile);

    FrmEKLZ& window() { return window_; }
    BenchDesktop& desktop() { return desktop_; }
    const QString& folder() const { return folderPath_; }

    void press(const char* button);
    void clickCell(int row, int col);
    void releaseOverHeader(int col);
    void searchFor(const QString& word);
    void saveAs(const QString& name);
    // A «Показать» entry of the grid's menu, by its text; answer for «Содержащие…».
    void show(const QString& entry, const QString& answer = {});
    void exportPdf();
    // Scrolls from the first row to the last, painting every screen; calls
    // frame() with each screen's time in milliseconds.
    void scrollThrough(const std::function<void(double)>& frame);

private:
    QTemporaryDir dir_;
    QString folderPath_;
    BenchDesktop desktop_;
    FrmEKLZ window_;
};
