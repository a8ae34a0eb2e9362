#include "WindowFixture.h"
#include "app/desktop/Fonts.h"

#include <QClipboard>
#include <QGuiApplication>

namespace {
const QString sample = QStringLiteral("1;100;15.01.2009;01.03.2010;ЭКР;7;Иванов;\r\n"
                                      "2;200;31.10.2008;01.12.2009;АМС;8;Петров;\r\n");
}

class TestCellEdit : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void cellBoxCoversTheClickedCell();
    void clickingAnotherCellCommitsTheFirst();
    void clickingAgainWithoutTypingKeepsTheText();
    void emptiedOverlayCommitsAnEmptyCell();
    void keysInTheBoxCommitOrDrop_data();
    void keysInTheBoxCommitOrDrop();
    void saveCommitsThePendingEditFirst();
    void clickMarksTheRegisterAndRunsThePass();
    void cellBoxShowsTheBlockingDateThePassWrote();
    void nestedClickDuringThePassIsSafe();
    void gridKeysMoveTheCellButDoNotOpenTheOverlay();
    void onlyTheLeftButtonClicks_data();
    void onlyTheLeftButtonClicks();
    void composedTextReachesTheCell();
};

void TestCellEdit::cellBoxCoversTheClickedCell()
{
    WindowFixture f;
    f.open(sample);
    f.clickCell(2, 4);
    QLineEdit* box = f.cellBox();
    QVERIFY(box->isVisible());
    QTRY_VERIFY(box->hasFocus());
    QCOMPARE(box->text(), QStringLiteral("АМС"));
    FlexGrid& grid = f.grid();
    const QRect cell(grid.Left() + grid.colLeft(4), grid.Top() + grid.rowTop(2), grid.ColWidth(4), grid.RowHeight(2));
    QCOMPARE(box->geometry(), Twips::toPixels(cell));
    QVERIFY(!box->hasFrame());
}

void TestCellEdit::clickingAnotherCellCommitsTheFirst()
{
    WindowFixture f;
    f.open(sample);
    f.retype(1, 4, QStringLiteral("Меркурий"));
    f.clickCell(2, 6);
    QCOMPARE(f.grid().TextMatrix(1, 4), QStringLiteral("Меркурий"));
    QCOMPARE(f.grid().TextMatrix(2, 4), QStringLiteral("АМС"));
    QVERIFY(f.cellBox()->isVisible());
    QCOMPARE(f.cellBox()->text(), QStringLiteral("Петров"));
}

void TestCellEdit::clickingAgainWithoutTypingKeepsTheText()
{
    WindowFixture f;
    f.open(sample);
    f.clickCell(1, 6);
    f.clickCell(1, 6);
    QCOMPARE(f.grid().TextMatrix(1, 6), QStringLiteral("Иванов"));
    QVERIFY(f.cellBox()->isVisible());
    QCOMPARE(f.cellBox()->text(), QStringLiteral("Иванов"));
    QVERIFY(f.window->isGridEdited());
}

void TestCellEdit::emptiedOverlayCommitsAnEmptyCell()
{
    WindowFixture f;
    f.open(sample);
    f.clickCell(1, 0);
    f.cellBox()->selectAll();
    QTest::keyClick(f.cellBox(), Qt::Key_Delete);
    f.clickCell(2, 0);
    QCOMPARE(f.grid().TextMatrix(1, 0), QString());
}

void TestCellEdit::keysInTheBoxCommitOrDrop_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("cell"); // the text of cell (1, 5) after the key
    QTest::addColumn<QPoint>("current"); // column, row
    QTest::newRow("Enter: put in, the cell stays") << int(Qt::Key_Return) << 0 << "79" << QPoint(5, 1);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "79" << QPoint(5, 1);
    QTest::newRow("Tab: put in, one to the right") << int(Qt::Key_Tab) << 0 << "79" << QPoint(6, 1);
    QTest::newRow("Down: put in, one down") << int(Qt::Key_Down) << 0 << "79" << QPoint(5, 2);
    QTest::newRow("Page Down: put in, a page down") << int(Qt::Key_PageDown) << 0 << "79" << QPoint(5, 2);
    QTest::newRow("Escape: dropped") << int(Qt::Key_Escape) << 0 << "7" << QPoint(5, 1);
}

// The keyboard alone edits: a key in the box puts its text into the cell
// (Escape drops it), closes the box and gives the grid the focus; F2 and
// Enter on the grid open it again.
void TestCellEdit::keysInTheBoxCommitOrDrop()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, cell);
    QFETCH(QPoint, current);
    WindowFixture f;
    f.open(sample);
    f.clickCell(1, 5);
    WindowFixture::type(f.cellBox(), QStringLiteral("9"));
    QTest::keyClick(f.cellBox(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QVERIFY(f.cellBox()->isHidden());
    QCOMPARE(f.grid().TextMatrix(1, 5), cell);
    QCOMPARE(QPoint(f.grid().Col(), f.grid().Row()), current);
    QVERIFY(f.window->gridWidget()->hasFocus());
    for (const Qt::Key open : {Qt::Key_F2, Qt::Key_Return}) {
        QTest::keyClick(f.window->gridWidget(), open);
        QVERIFY(f.cellBox()->isVisible());
        QCOMPARE(f.cellBox()->text(), f.grid().Text());
        QTest::keyClick(f.cellBox(), Qt::Key_Escape);
    }
}

void TestCellEdit::saveCommitsThePendingEditFirst()
{
    WindowFixture f;
    f.open(sample);
    f.retype(2, 6, QStringLiteral("Сидоров"));
    f.press("CmdSave");
    QVERIFY(f.cellBox()->isHidden());
    QCOMPARE(f.grid().TextMatrix(2, 6), QStringLiteral("Сидоров"));
    QVERIFY(f.readBytes().contains(QByteArray(QStringEncoder("windows-1251").encode(QStringLiteral(";Сидоров;\r\n")))));
    // Committed once, wherever the current cell stands, and the save leaves
    // it on the last entry, column 6 (the seventh).
    f.retype(1, 0, QStringLiteral("first"));
    f.press("CmdSave");
    QVERIFY(f.readBytes().startsWith("first;100;"));
    QCOMPARE(f.grid().Row(), f.grid().Rows() - 1);
    QCOMPARE(f.grid().Col(), 6);
    QVERIFY(f.window->isGridEdited()); // saving does not clear it
}

void TestCellEdit::clickMarksTheRegisterAndRunsThePass()
{
    WindowFixture f;
    f.open(sample);
    f.grid().setTextMatrix(2, 2, QStringLiteral("05.11.2009"));
    QCOMPARE(f.grid().TextMatrix(2, 3), QStringLiteral("01.12.2009")); // not yet
    QVERIFY(!f.window->isGridEdited());
    f.clickCell(1, 1);
    QVERIFY(f.window->isGridEdited());
    QCOMPARE(f.grid().TextMatrix(2, 3), QStringLiteral("01.01.2011"));
}

void TestCellEdit::cellBoxShowsTheBlockingDateThePassWrote()
{
    WindowFixture f;
    f.open(sample);
    // A new activation date typed into row 1, then a click on its blocking date.
    f.retype(1, 2, QStringLiteral("05.11.2009"));
    f.clickCell(1, 3);
    QCOMPARE(f.grid().TextMatrix(1, 3), QStringLiteral("01.01.2011"));
    QCOMPARE(f.cellBox()->text(), QStringLiteral("01.01.2011"));
    f.clickCell(2, 0);
    QCOMPARE(f.grid().TextMatrix(1, 3), QStringLiteral("01.01.2011"));
}

void TestCellEdit::nestedClickDuringThePassIsSafe()
{
    WindowFixture f;
    QString text;
    for (int i = 0; i < 200; ++i)
        text += QStringLiteral("%1;r;15.01.2009;;m;n;o;\r\n").arg(i);
    f.open(text);
    // While the click's pass yields, the user clicks another cell, and while
    // that click's pass yields, rows go.
    const int start = f.desktop.yields;
    f.desktop.duringYield = [&](int yield) {
        if (yield == start + 10)
            f.clickCell(3, 1);
        else if (yield == start + 20)
            f.grid().setRows(50);
    };
    f.clickCell(2, 6);
    f.desktop.duringYield = nullptr;
    QCOMPARE(f.grid().Rows(), 50);
    QCOMPARE(f.grid().TextMatrix(49, 3), QStringLiteral("01.03.2010"));
    QCOMPARE(f.grid().Row(), 3);
    QVERIFY(f.cellBox()->isVisible());
}

void TestCellEdit::gridKeysMoveTheCellButDoNotOpenTheOverlay()
{
    WindowFixture f;
    f.open(sample);
    f.clickCell(1, 0);
    WindowFixture::type(f.cellBox(), QStringLiteral("X"));
    QWidget* grid = f.window->gridWidget();
    grid->setFocus(); // the grid takes the focus: the edit is committed
    QCOMPARE(f.grid().TextMatrix(1, 0), QStringLiteral("1X"));
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Right);
    QCOMPARE(QPoint(f.grid().Col(), f.grid().Row()), QPoint(1, 2));
    QTest::keyClick(grid, Qt::Key_PageDown);
    QCOMPARE(f.grid().Row(), 2); // the last row already
    QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(QPoint(f.grid().Col(), f.grid().Row()), QPoint(0, 1));
    QTest::keyClick(grid, 'a');
    QVERIFY(f.cellBox()->isHidden());
    QCOMPARE(f.grid().TextMatrix(1, 0), QStringLiteral("1X"));
    // Shift with the arrows widens the selection from the current cell.
    QTest::keyClick(grid, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(QPoint(f.grid().Col(), f.grid().Row()), QPoint(0, 1));
    QCOMPARE(QPoint(f.grid().ColSel(), f.grid().RowSel()), QPoint(1, 2));
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("1X\t100\n2\t200\n"));
}

void TestCellEdit::onlyTheLeftButtonClicks_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QString>("place");
    QTest::addColumn<bool>("acts"); // the cell clicked, the header sorted, the cell box dropped
    for (const QString& place : {QStringLiteral("cell"), QStringLiteral("header"), QStringLiteral("input")}) {
        QTest::addRow("left, %s", qPrintable(place)) << Qt::LeftButton << place << true;
        QTest::addRow("right, %s", qPrintable(place)) << Qt::RightButton << place << false;
        QTest::addRow("middle, %s", qPrintable(place)) << Qt::MiddleButton << place << false;
    }
}

void TestCellEdit::onlyTheLeftButtonClicks()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(QString, place);
    QFETCH(bool, acts);
    WindowFixture f;
    f.open(QStringLiteral("2;200;31.10.2008;01.12.2009;АМС;8;Петров;\r\n") + sample);
    if (place == u"input")
        f.clickCell(1, 0); // a cell box for the input line to drop
    const int row = f.grid().Row();
    QWidget* viewport = f.window->gridWidget()->viewport();
    if (place == u"cell") {
        QTest::mouseClick(viewport, button, {}, f.cellCentre(2, 1));
        QCOMPARE(f.grid().Row() == 2 && f.grid().Col() == 1, acts);
        QCOMPARE(f.grid().Row() == row, !acts);
        QCOMPARE(f.cellBox()->isVisible(), acts);
        QCOMPARE(f.window->isGridEdited(), acts);
        f.press("CmdProd");
        QCOMPARE(f.desktop.quits, acts ? 0 : 1);
    } else if (place == u"header") {
        QTest::mouseClick(viewport, button, {}, f.cellCentre(0, 6));
        QCOMPARE(f.grid().TextMatrix(1, 6), acts ? QStringLiteral("Иванов") : QStringLiteral("Петров"));
    } else {
        QTest::mouseClick(f.lineEdit("TxtVvod"), button);
        QCOMPARE(f.cellBox()->isVisible(), !acts);
    }
}

void TestCellEdit::composedTextReachesTheCell()
{
    WindowFixture f;
    f.open(sample);
    auto compose = [](QWidget* widget, const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QCoreApplication::sendEvent(widget, &event);
    };
    QLineEdit* input = f.lineEdit("TxtVvod");
    input->setFocus();
    compose(input, QStringLiteral("é"));
    compose(input, QStringLiteral("ё"));
    QCOMPARE(f.grid().Text(), QStringLiteral("é")); // one composed text behind
    QTest::keyClick(input, Qt::Key_Return);
    QCOMPARE(f.grid().Text(), QStringLiteral("éё"));

    f.clickCell(2, 6);
    f.cellBox()->selectAll();
    compose(f.cellBox(), QStringLiteral("Ёлкин"));
    f.clickCell(1, 6);
    QCOMPARE(f.grid().TextMatrix(2, 6), QStringLiteral("Ёлкин"));
}

QTEST_MAIN(TestCellEdit)
#include "tst_celledit.moc"
