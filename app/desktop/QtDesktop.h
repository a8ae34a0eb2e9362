#pragma once

#include "app/desktop/Desktop.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QWidget>
#include <memory>

class QtDesktop : public Desktop {
public:
    // Boxes are centred on the main window once it is known.
    void setMainWindow(QWidget* window) { mainWindow_ = window; }

    QString inputBox(const QString& prompt, const QString& title, const QString& initial = QString()) override;
    QString nameQuestion(const QString& text, const QString& title, const QString& initial) override;
    void messageBox(const QString& text, const QString& title) override;
    QString saveFileBox(const QString& title, const QString& suggested, const QString& filter) override;
    bool askYesNo(const QString& text, const QString& title) override;
    bool askYesNoDefaultYes(const QString& text, const QString& title) override;
    void setBusy(bool busy) override;
    bool processEvents() override;
    void flushEvents() override;
    void quit() override;
    std::unique_ptr<QPrinter> defaultPrinter() override;
    bool printProgress(int page, int pages, const QString& what) override;
    void printEnded() override;
    std::optional<std::vector<bool>> chooseVersions(
        const QString& intro, const std::vector<Conflict>& conflicts) override;

private:
    // A box shows the default pointer, even inside a busy operation.
    class DialogShown;
    bool ask(const QString& text, const QString& title, bool yesIsDefault);

    QPointer<QWidget> mainWindow_;
    std::unique_ptr<QProgressDialog> printing_;
    QPushButton* cancelButton_ = nullptr; // printing_'s
    int busyDepth_ = 0;
    QElapsedTimer sinceEvents_;
    int callsSinceClock_ = 0;
};
