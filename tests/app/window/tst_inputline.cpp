#include "WindowFixture.h"
#include "app/desktop/Fonts.h"
#include "app/unithistory/UnitHistoryWindow.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QTableView>
#include <sys/stat.h>

namespace {
const QString sample = QStringLiteral("3;300;15.01.2009;;ЭКР;10;Сидоров;\r\n"
                                      "1;100;01.11.2008;;АМС;9;Иванов;\r\n"
                                      "2;200;29.02.2008;;ЭЛВЕС;100;Петров;\r\n");

QStringList column(FlexGrid& grid, int col)
{
    QStringList texts;
    for (int r = 1; r < grid.Rows(); ++r)
        texts.append(grid.TextMatrix(r, col));
    return texts;
}

void releaseOverHeader(WindowFixture& f, int col)
{
    QWidget* viewport = f.window->gridWidget()->viewport();
    const QPoint at = f.cellCentre(0, col);
    QTest::mousePress(viewport, Qt::LeftButton, {}, at);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
}

} // namespace

class TestInputLine : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void cellStaysOneKeyBehind();
    void enterButtonCopiesTheWholeText();
    void clickIntoTheInputLineDropsThePendingEdit();
    void searchMovesToTheMatchAndCommitsFirst();
    void searchCancelledChangesNothing();
    void headerReleaseSortsThenOpensTheOverlayOnTheCaption_data();
    void headerReleaseSortsThenOpensTheOverlayOnTheCaption();
    void rowAndColumnButtons();
    void archiveRoundTrip_data();
    void archiveRoundTrip();
    void missingArchivesAreReported();
    void archiveNameThatLeavesTheFolderIsRefused();
    void unitHistoryFindsEveryEntry_data();
    void unitHistoryFindsEveryEntry();
    void severalCellsPasteIntoTheGrid_data();
    void severalCellsPasteIntoTheGrid();
};

void TestInputLine::cellStaysOneKeyBehind()
{
    WindowFixture f;
    f.open(sample);
    f.grid().setRow(1);
    f.grid().setCol(6);
    QLineEdit* input = f.lineEdit("TxtVvod");
    QTest::keyClick(input, 'a');
    QTest::keyClick(input, 'b');
    QTest::keyClick(input, 'c');
    QCOMPARE(f.grid().TextMatrix(1, 6), QStringLiteral("ab"));
    QTest::keyClick(input, Qt::Key_Return);
    QCOMPARE(f.grid().TextMatrix(1, 6), QStringLiteral("abc"));
    QTest::keyClick(input, Qt::Key_Backspace);
    QCOMPARE(f.grid().TextMatrix(1, 6), QStringLiteral("abc"));
    QTest::keyClick(input, Qt::Key_Escape);
    QCOMPARE(f.grid().TextMatrix(1, 6), QStringLiteral("ab"));
    QTest::keyClick(input, Qt::Key_Left); // moves the cursor only
    WindowFixture::type(input, QStringLiteral("Ж"));
    QCOMPARE(f.grid().TextMatrix(1, 6), QStringLiteral("ab"));
    QVERIFY(!f.window->isGridEdited());
}

void TestInputLine::enterButtonCopiesTheWholeText()
{
    WindowFixture f;
    f.grid().setRow(1);
    f.grid().setCol(2);
    f.lineEdit("TxtVvod")->setText(QStringLiteral("15.01.2009"));
    f.press("CmdEdit");
    QCOMPARE(f.grid().TextMatrix(1, 2), QStringLiteral("15.01.2009"));
    f.lineEdit("TxtVvod")->setText(QStringLiteral("x"));
    QTest::keyClick(f.button("CmdEdit"), 'q'); // a key on the button copies too
    QCOMPARE(f.grid().TextMatrix(1, 2), QStringLiteral("x"));
}

void TestInputLine::clickIntoTheInputLineDropsThePendingEdit()
{
    WindowFixture f;
    f.open(sample);
    f.retype(2, 6, QStringLiteral("Новый"));
    QTest::mouseClick(f.lineEdit("TxtVvod"), Qt::LeftButton);
    QVERIFY(f.cellBox()->isHidden());
    QVERIFY(f.lineEdit("TxtVvod")->hasFocus());
    f.clickCell(1, 0);
    QCOMPARE(f.grid().TextMatrix(2, 6), QStringLiteral("Иванов"));
}

void TestInputLine::searchMovesToTheMatchAndCommitsFirst()
{
    WindowFixture f;
    f.open(sample);
    f.retype(1, 6, QStringLiteral("Сидоренко"));
    f.desktop.answers = QStringList {QStringLiteral("пет")};
    f.press("CmdSearh");
    QCOMPARE(f.desktop.prompts.value(0),
        QStringLiteral("Нажмите на любую ячейку в колонке поиска. Потом введите здесь слово. "
                       "Выделение всей колонки производит сортировку."));
    QCOMPARE(f.grid().TextMatrix(1, 6), QStringLiteral("Сидоренко"));
    QCOMPARE(f.grid().Row(), 3);
    QCOMPARE(f.grid().RowSel(), 2); // the last row: the one above
    // Delete row now removes the row next to the match.
    f.press("CmdDelS");
    QCOMPARE(column(f.grid(), 6), (QStringList {"Сидоренко", "Петров"}));
}

void TestInputLine::searchCancelledChangesNothing()
{
    WindowFixture f;
    f.open(sample);
    f.grid().setRow(2);
    f.press("CmdSearh");
    f.desktop.answers = QStringList {QStringLiteral("zzz")};
    f.press("CmdSearh");
    QCOMPARE(f.grid().Row(), 2);
    QCOMPARE(f.desktop.prompts.size(), 2);
}

void TestInputLine::headerReleaseSortsThenOpensTheOverlayOnTheCaption_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<QStringList>("sorted");
    QTest::newRow("numbers by value") << 5 << QStringList {"9", "10", "100"};
    QTest::newRow("texts by collation") << 6 << QStringList {"Иванов", "Петров", "Сидоров"};
    QTest::newRow("dates by date") << 2 << QStringList {"29.02.2008", "01.11.2008", "15.01.2009"};
}

void TestInputLine::headerReleaseSortsThenOpensTheOverlayOnTheCaption()
{
    QFETCH(int, col);
    QFETCH(QStringList, sorted);
    WindowFixture f;
    f.open(sample);
    f.grid().setTextMatrix(0, 0, QStringLiteral("typed")); // sorting puts the standard captions back
    releaseOverHeader(f, col);
    QCOMPARE(column(f.grid(), col), sorted);
    QCOMPARE(f.grid().TextMatrix(0, 0), QStringLiteral("Зав. № ЭКЛЗ "));
    QCOMPARE(f.grid().Row(), 0);
    QCOMPARE(f.grid().Col(), col);
    QVERIFY(f.window->gridWidget()->isVisible());
    QVERIFY(f.cellBox()->isVisible());
    QCOMPARE(f.cellBox()->text(), f.grid().TextMatrix(0, col));
    QVERIFY(f.window->isGridEdited());
}

void TestInputLine::rowAndColumnButtons()
{
    WindowFixture f;
    f.open(sample);
    FlexGrid& grid = f.grid();
    f.press("CmdAddS");
    QCOMPARE(grid.Rows(), 5);
    grid.setCol(0);
    f.press("CmdAddC");
    QCOMPARE(grid.Cols(), 9);
    QCOMPARE(grid.TextMatrix(1, 1), QStringLiteral("3"));
    f.press("CmdDelC");
    f.press("CmdDelC");
    QCOMPARE(grid.Cols(), 7);
    grid.setCol(6);
    f.press("CmdSortC");
    QCOMPARE(grid.TextMatrix(1, 6), QStringLiteral("10")); // unchanged: the last is current
    // Saving writes the first seven columns in their new order.
    grid.setCol(0);
    f.press("CmdSortC");
    f.press("CmdSave");
    QVERIFY(f.readBytes().startsWith("10;;3;300;"));
}

void TestInputLine::archiveRoundTrip_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("lower") << "arch";
    QTest::newRow("upper") << "ARCH";
    QTest::newRow("mixed") << "Arch";
}

void TestInputLine::archiveRoundTrip()
{
    QFETCH(QString, answer);
    WindowFixture f;
    f.open(sample);
    f.desktop.answers = QStringList {QStringLiteral("arch")};
    f.press("CmdSaveAs");
    QCOMPARE(f.desktop.prompts.value(0), QStringLiteral("Введите имя файла"));
    QVERIFY(QFile::exists(f.path(QStringLiteral("Archive/ARCH.csv"))));

    f.grid().setTextMatrix(1, 3, QStringLiteral("stored"));
    f.desktop.answers = QStringList {QStringLiteral("arch")};
    f.desktop.replies = {true}; // "Да": replace the archive
    f.press("CmdSaveAs");
    QCOMPARE(f.desktop.questions.size(), size_t {1});
    f.press("CmdZagruz");
    f.desktop.answers = QStringList {answer};
    f.press("CmdZArch");
    QCOMPARE(f.desktop.prompts.last(), QStringLiteral("Введите год (или другое имя файла)"));
    QCOMPARE(f.grid().Rows(), 4);
    QCOMPARE(f.grid().Cols(), 8);
    QCOMPARE(f.grid().TextMatrix(1, 3), QStringLiteral("stored")); // no pass on archives
    QVERIFY(f.desktop.messages.empty());
    QCOMPARE(f.desktop.busyChanges.back(), false);
}

void TestInputLine::missingArchivesAreReported()
{
    WindowFixture f;
    f.open(sample);
    f.desktop.answers = QStringList {QStringLiteral("2009")};
    f.press("CmdZArch"); // no Archive folder at all
    QCOMPARE(f.grid().Rows(), 2);
    QCOMPARE(f.desktop.messages.size(), size_t {1});
    QCOMPARE(f.desktop.messages[0].text, QStringLiteral("Не могу найти  указанный год."));

    f.desktop.answers = QStringList {QStringLiteral("2009")};
    f.press("CmdSaveAs");
    f.desktop.answers = QStringList {QStringLiteral("2008")};
    f.press("CmdZArch");
    QCOMPARE(f.desktop.messages.size(), size_t {2});
    QCOMPARE(f.grid().Rows(), 2);

    f.press("CmdZagruz");
    f.press("CmdZArch"); // cancelled: nothing happens
    QCOMPARE(f.grid().Rows(), 4);
    QCOMPARE(f.desktop.messages.size(), size_t {2});
}

void TestInputLine::archiveNameThatLeavesTheFolderIsRefused()
{
    WindowFixture f;
    f.open(sample);
    f.desktop.answers = QStringList {QStringLiteral("../thisyear"), QStringLiteral("..")};
    f.press("CmdSaveAs");
    f.press("CmdZArch");
    QCOMPARE(f.desktop.messages.size(), size_t {2});
    QVERIFY(f.desktop.messages[0].text.contains(QStringLiteral("«../THISYEAR»")));
    QVERIFY(!QDir(f.path(QStringLiteral("Archive"))).exists());
    QCOMPARE(f.grid().Rows(), 4); // the refused load left the grid alone
}

void TestInputLine::severalCellsPasteIntoTheGrid_data()
{
    QTest::addColumn<QString>("into"); // where Ctrl+V is pressed
    QTest::newRow("the cell box") << "txtDataEntry";
    QTest::newRow("the input line") << "TxtVvod";
}

// Text of several cells goes into the grid from the cell, one step to undo,
// rather than into one cell; the box's right press is the grid's menu.
void TestInputLine::severalCellsPasteIntoTheGrid()
{
    QFETCH(QString, into);
    WindowFixture f;
    f.open(sample);
    f.clickCell(1, 4);
    if (into == u"TxtVvod")
        f.lineEdit("TxtVvod")->setFocus();
    QLineEdit* box = f.lineEdit(into.toLatin1().constData());
    QGuiApplication::clipboard()->setText(QStringLiteral("X\tY\nZ\tW\n"));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(f.grid().TextMatrix(1, 4), QStringLiteral("X"));
    QCOMPARE(f.grid().TextMatrix(1, 5), QStringLiteral("Y"));
    QCOMPARE(f.grid().TextMatrix(2, 4), QStringLiteral("Z"));
    QCOMPARE(f.grid().TextMatrix(2, 5), QStringLiteral("W"));
    QVERIFY(f.cellBox()->isHidden());
    QCOMPARE(f.lineEdit("TxtVvod")->text(), QString());
    QCOMPARE(f.window->undoStack().count(), 1);

    f.clickCell(3, 0);
    QContextMenuEvent press(QContextMenuEvent::Mouse, QPoint(2, 2), f.cellBox()->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(f.cellBox(), &press);
    QTRY_VERIFY(f.shownMenu());
    QMenu* menu = f.shownMenu();
    const QList<QAction*> entries = menu->actions();
    QVERIFY(std::any_of(
        entries.begin(), entries.end(), [](QAction* action) { return action->text() == QStringLiteral("Показать"); }));
    menu->close();
}

void TestInputLine::unitHistoryFindsEveryEntry_data()
{
    QTest::addColumn<int>("chosen"); // the row of the results chosen with Enter
    QTest::addColumn<bool>("unsaved"); // changes in the window when it is chosen
    QTest::addColumn<bool>("reply"); // to the question before an archive replaces them
    QTest::addColumn<QString>("current"); // the current entry's owner after
    QTest::addColumn<QString>("first"); // the first entry's owner after: which file is in the window
    QTest::newRow("the register's entry") << 0 << false << false << "Иванов"
                                          << "Сидоров";
    QTest::newRow("an archive's entry") << 1 << false << false << "ООО РОМАШКА"
                                        << "Петров";
    QTest::newRow("an archive's entry over unsaved changes, Нет") << 1 << true << false << ""
                                                                  << "Сидоров";
    QTest::newRow("an archive's entry over unsaved changes, Да") << 1 << true << true << "ООО РОМАШКА"
                                                                 << "Петров";
}

// «История ЭКЛЗ…» finds the word in any cell, any case, in the register
// and in every archive (never in Backup), newest file first, names the
// archive it cannot read, and takes the user to the entry chosen.
void TestInputLine::unitHistoryFindsEveryEntry()
{
    QFETCH(int, chosen);
    QFETCH(bool, unsaved);
    QFETCH(bool, reply);
    QFETCH(QString, current);
    QFETCH(QString, first);
    WindowFixture f;
    QVERIFY(QDir(f.folder.path()).mkpath(QStringLiteral("Archive")) &&
            QDir(f.folder.path()).mkpath(QStringLiteral("Backup")));
    f.writeRegister(QStringLiteral("1;;;;;;ООО Ромашка;\r\n"), QStringLiteral("Archive/2024.csv"));
    f.writeRegister(QStringLiteral("2;;;;;;Петров;\r\n3;;;;;;ООО РОМАШКА;\r\n"), QStringLiteral("Archive/2025.csv"));
    f.writeRegister(QStringLiteral("4;;;;;;ромашка;\r\n"), QStringLiteral("Backup/thisyear-2026-01-01-120000.csv"));
    QFile older(f.path(QStringLiteral("Archive/2024.csv")));
    QVERIFY(older.open(QIODevice::ReadWrite) &&
            older.setFileTime(QDateTime::currentDateTime().addDays(-400), QFileDevice::FileModificationTime));
    older.close();
    QCOMPARE(::mkfifo(QFile::encodeName(f.path(QStringLiteral("Archive/BAD.csv"))).constData(), 0600), 0);
    f.open(QStringLiteral("10;;;;;;Сидоров;\r\n20;;;;Ромашка-К;;Иванов;\r\n30;;;;;;;\r\n"));
    if (unsaved)
        f.grid().setTextMatrix(1, 1, QStringLiteral("правка"));
    f.grid().setRow(3);
    f.grid().setCol(6);
    f.desktop.answers = {QStringLiteral("рОмАшКа")}; // the current cell is empty: a word is asked for
    QTest::keyClick(f.button("CmdProd"), Qt::Key_H, Qt::ControlModifier);
    UnitHistoryWindow* results = f.window->unitHistory().results();
    QVERIFY(results);
    results->waitForSearch();
    QCOMPARE(results->windowTitle(), QStringLiteral("История ЭКЛЗ"));
    const UnitHistoryTable& table = results->table();
    QStringList found;
    for (int row = 0; row < table.rowCount(); ++row)
        found << table.data(table.index(row, 0)).toString() + u':' + table.data(table.index(row, 1)).toString();
    QCOMPARE(found, (QStringList {"текущий журнал:2", "2025.csv:2", "2024.csv:1"}));
    QCOMPARE(table.data(table.index(0, 8)).toString(), QStringLiteral("Иванов"));
    QVERIFY2(results->failures().contains(QStringLiteral("«BAD.csv»: это не обычный файл")),
        qPrintable(results->failures()));

    auto* view = results->findChild<QTableView*>();
    view->setCurrentIndex(table.index(chosen, 0));
    f.desktop.replies = {reply};
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(f.desktop.questions.size(), size_t(unsaved ? 1 : 0));
    QCOMPARE(f.grid().TextMatrix(f.grid().Row(), 6), current);
    QCOMPARE(f.grid().TextMatrix(1, 6), first);
}

QTEST_MAIN(TestInputLine)
#include "tst_inputline.moc"
