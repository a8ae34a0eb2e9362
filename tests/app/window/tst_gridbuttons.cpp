#include "WindowFixture.h"
#include "app/desktop/Fonts.h"

#include <QGuiApplication>

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

// «Поиск», a sort from a caption and the row and column buttons, through
// the window.
class TestGridButtons : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void searchMovesToTheMatchAndCommitsFirst();
    void searchCancelledChangesNothing();
    void headerReleaseSortsThenOpensTheOverlayOnTheCaption_data();
    void headerReleaseSortsThenOpensTheOverlayOnTheCaption();
    void rowAndColumnButtons();
};

void TestGridButtons::searchMovesToTheMatchAndCommitsFirst()
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

void TestGridButtons::searchCancelledChangesNothing()
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

void TestGridButtons::headerReleaseSortsThenOpensTheOverlayOnTheCaption_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<QStringList>("sorted");
    QTest::newRow("numbers by value") << 5 << QStringList {"9", "10", "100"};
    QTest::newRow("texts by collation") << 6 << QStringList {"Иванов", "Петров", "Сидоров"};
    QTest::newRow("dates by date") << 2 << QStringList {"29.02.2008", "01.11.2008", "15.01.2009"};
}

void TestGridButtons::headerReleaseSortsThenOpensTheOverlayOnTheCaption()
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

void TestGridButtons::rowAndColumnButtons()
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

QTEST_MAIN(TestGridButtons)
#include "tst_gridbuttons.moc"
