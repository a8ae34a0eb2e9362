#include "WindowFixture.h"
#include "app/desktop/Fonts.h"

#include <QGuiApplication>
#include <functional>

namespace {

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
// What the user does with the columns, in the window of a fixture.
using ColumnOperation = std::function<void(WindowFixture&)>;

void ctrl(WindowFixture& f, Qt::Key key)
{
    QTest::keyClick(f.button("CmdProd"), key, Qt::ControlModifier);
}

} // namespace

Q_DECLARE_METATYPE(ColumnOperation)

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
    void columnOperationsKeepMarksAndFilters_data();
    void columnOperationsKeepMarksAndFilters();
};

void TestGridButtons::searchMovesToTheMatchAndCommitsFirst()
{
    WindowFixture f;
    f.open(WindowFixture::threeEntries);
    f.retype(1, 6, QStringLiteral("Сидоренко"));
    f.desktop.answers = QStringList {QStringLiteral("пет")};
    f.press("CmdSearh");
    QCOMPARE(f.desktop.prompts.value(0),
        QStringLiteral("Нажмите на любую ячейку в колонке поиска. Потом введите здесь слово. "
                       "Выделение всей колонки производит сортировку."));
    QCOMPARE(f.grid().TextMatrix(1, 6), QStringLiteral("Сидоренко"));
    QCOMPARE(f.grid().Row(), 3);
    QCOMPARE(f.grid().RowSel(), 3);
    // Found, it is painted as selected though the focus stays on «Поиск».
    const QImage image = f.window->gridWidget()->viewport()->grab().toImage();
    const auto backAt = [&](int row) {
        return QColor(image.pixel(Twips::toPixels(f.grid().colLeft(6)) + 2, Twips::toPixels(f.grid().rowTop(row)) + 2));
    };
    QCOMPARE(backAt(3), QColor(255, 128, 128));
    QCOMPARE(backAt(2), QColor(Qt::white));
    // « Удалить строку» now removes the entry found, not its neighbour.
    f.press("CmdDelS");
    QCOMPARE(column(f.grid(), 6), (QStringList {"Сидоренко", "Иванов"}));
}

void TestGridButtons::searchCancelledChangesNothing()
{
    WindowFixture f;
    f.open(WindowFixture::threeEntries);
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
    f.open(WindowFixture::threeEntries);
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
    f.open(WindowFixture::threeEntries);
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

void TestGridButtons::columnOperationsKeepMarksAndFilters_data()
{
    QTest::addColumn<ColumnOperation>("operate");
    QTest::addColumn<int>("serial"); // where the serial numbers stand after it
    QTest::addColumn<int>("activation");
    QTest::addColumn<int>("blocking");
    const auto at = [](int col, const char* button, int times = 1) {
        return ColumnOperation([=](WindowFixture& f) {
            f.grid().setCol(col);
            for (int i = 0; i < times; ++i)
                f.press(button);
        });
    };
    QTest::newRow("a column added before the serial numbers") << at(0, "CmdAddC") << 1 << 3 << 4;
    QTest::newRow("a column added after the blocking date") << at(4, "CmdAddC") << 0 << 2 << 3;
    QTest::newRow("the last column moved first") << at(0, "CmdSortC") << 1 << 3 << 4;
    QTest::newRow("a column added, undone") << ColumnOperation([=](WindowFixture& f) {
        at(0, "CmdAddC")(f);
        ctrl(f, Qt::Key_Z);
    }) << 0 << 2 << 3;
    QTest::newRow("columns deleted past the blocking date, undone") << ColumnOperation([=](WindowFixture& f) {
        at(0, "CmdDelC", 5)(f); // the empty one after the last ';', then from the owner on
        for (int i = 0; i < 5; ++i)
            ctrl(f, Qt::Key_Z);
    }) << 0 << 2 << 3;
    QTest::newRow("the blocking date's column deleted") << at(0, "CmdDelC", 5) << 0 << 2 << -1;
}

// The marks stay on the serial numbers, the activation and the blocking
// dates wherever the column buttons move them, and «Содержащие…» on its
// column through the operation, an edit and the edit's undo.
void TestGridButtons::columnOperationsKeepMarksAndFilters()
{
    QFETCH(ColumnOperation, operate);
    QFETCH(int, serial);
    QFETCH(int, activation);
    QFETCH(int, blocking);
    WindowFixture f;
    f.window->setToday(QDate(2026, 12, 9));
    f.open(QStringLiteral("101;1;01.01.2020;01.03.2021;M;1;Лютик;\r\n"
                          "202;2;01.01.2030;01.03.2031;M;2;Ромашка;\r\n"
                          "101;3;15.13.2024;;M;3;лютик и К;\r\n"));
    f.grid().setCol(6);
    f.desktop.answers = {QStringLiteral("лютик")};
    ctrl(f, Qt::Key_4);
    QCOMPARE(f.grid().Rows(), 3);
    operate(f);
    f.retype(1, serial, QStringLiteral("101")); // an edit and its undo pick the entries again
    f.clickCell(2, serial);
    ctrl(f, Qt::Key_Z);
    QCOMPARE(f.grid().Rows(), 3);
    QCOMPARE(
        f.window->windowTitle(), QStringLiteral("Palomet — показано 2 из 3: содержащие «лютик» в колонке «Владелец»"));

    ctrl(f, Qt::Key_1);
    const auto backAt = [&](int row, int col) {
        f.grid().setRow(row == 3 ? 2 : 3); // no selection over the cell looked at
        f.grid().setRowSel(f.grid().Row());
        f.grid().setCol(f.grid().Cols() - 1);
        const QImage image = f.window->gridWidget()->viewport()->grab().toImage();
        return QColor(
            image.pixel(Twips::toPixels(f.grid().colLeft(col)) + 2, Twips::toPixels(f.grid().rowTop(row)) + 2));
    };
    const QColor repeated(106, 27, 154);
    const QColor unreadable(0, 96, 100);
    const QColor blocked(139, 0, 0);
    QTRY_COMPARE(backAt(1, serial), repeated);
    QCOMPARE(backAt(3, serial), repeated);
    QCOMPARE(backAt(3, activation), unreadable);
    if (blocking >= 0)
        QCOMPARE(backAt(1, blocking), blocked);
    for (int col = 0; col < f.grid().Cols(); ++col) {
        if (col != serial && col != blocking)
            QVERIFY2(backAt(1, col) == QColor(Qt::white), qPrintable(QString::number(col)));
    }
}

QTEST_MAIN(TestGridButtons)
#include "tst_gridbuttons.moc"
