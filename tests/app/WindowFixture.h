#pragma once

#include "ScriptedDesktop.h"
#include "app/window/FrmEKLZ.h"
#include "grid/Twips.h"
#include "ui/GridWidget.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// A main window over a scripted desktop and a temporary program folder, with
// the helpers the window tests share: writing the register, clicking cells and
// buttons through real mouse events.
struct WindowFixture {
    // Three entries out of order, blocking dates to be derived.
    static inline const QString threeEntries = QStringLiteral("3;300;15.01.2009;;ЭКР;10;Сидоров;\r\n"
                                                              "1;100;01.11.2008;;АМС;9;Иванов;\r\n"
                                                              "2;200;29.02.2008;;ЭЛВЕС;100;Петров;\r\n");
    QTemporaryDir temporary;
    QTemporaryDir logs;
    QDir folder;
    ScriptedDesktop desktop;
    std::unique_ptr<FrmEKLZ> window;

    // In a temporary program folder, with its logs in a temporary folder
    // of their own, unless given.
    explicit WindowFixture(const QString& programFolder = {}, const QString& logFolder = {})
        : folder(programFolder.isEmpty() ? temporary.path() : programFolder)
        , window(std::make_unique<FrmEKLZ>(desktop, folder.path(), logFolder.isEmpty() ? logs.path() : logFolder))
    {
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("the main window was not exposed");
    }

    FlexGrid& grid() { return window->grid(); }
    QPushButton* button(const char* name) { return window->findChild<QPushButton*>(QLatin1String(name)); }
    QLineEdit* lineEdit(const char* name) { return window->findChild<QLineEdit*>(QLatin1String(name)); }
    QLineEdit* cellBox() { return lineEdit("txtDataEntry"); }

    QString path(const QString& name) const { return folder.filePath(name); }

    void writeRegister(const QString& text, const QString& name = QStringLiteral("thisyear.csv"))
    {
        QStringEncoder encoder("windows-1251");
        writeBytes(encoder.encode(text), name);
    }

    void writeBytes(const QByteArray& bytes, const QString& name = QStringLiteral("thisyear.csv"))
    {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the register");
    }

    QByteArray readBytes(const QString& name = QStringLiteral("thisyear.csv")) const
    {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return file.readAll();
    }

    // The centre of a cell on screen, relative to the grid's viewport.
    QPoint cellCentre(int row, int col)
    {
        FlexGrid& g = grid();
        const int x = g.colLeft(col) + g.ColWidth(col) / 2;
        const int y = g.rowTop(row) + g.RowHeight(row) / 2;
        return QPoint(Twips::toPixels(x), Twips::toPixels(y));
    }

    void clickCell(int row, int col)
    {
        grid().scrollIntoView(row, col);
        QTest::mouseClick(window->gridWidget()->viewport(), Qt::LeftButton, {}, cellCentre(row, col));
    }

    // Types any text, Cyrillic included, one key event per character.
    static void type(QWidget* widget, const QString& text)
    {
        for (QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }

    // "Открыть журнал" on a register holding text.
    void open(const QString& registerText)
    {
        writeRegister(registerText);
        press("CmdZagruz");
    }

    // Clicks a cell and replaces the cell box's text by typing.
    void retype(int row, int col, const QString& text)
    {
        clickCell(row, col);
        cellBox()->selectAll();
        type(cellBox(), text);
    }

    void press(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }

    // The grid's context menu once it has opened, or null.
    QMenu* shownMenu()
    {
        for (QMenu* menu : window->findChildren<QMenu*>())
            if (menu->isVisible())
                return menu;
        return nullptr;
    }
};
