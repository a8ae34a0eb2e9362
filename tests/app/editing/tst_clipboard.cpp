#include "WindowFixture.h"
#include "app/desktop/Fonts.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>

// Copy and paste through the window.
class TestClipboard : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void severalCellsPasteIntoTheGrid_data();
    void severalCellsPasteIntoTheGrid();
};

void TestClipboard::severalCellsPasteIntoTheGrid_data()
{
    QTest::addColumn<QString>("into"); // where Ctrl+V is pressed
    QTest::newRow("the cell box") << "txtDataEntry";
    QTest::newRow("the input line") << "TxtVvod";
}

// Text of several cells goes into the grid from the cell, one step to undo,
// rather than into one cell; the box's right press is the grid's menu.
void TestClipboard::severalCellsPasteIntoTheGrid()
{
    QFETCH(QString, into);
    WindowFixture f;
    f.open(WindowFixture::threeEntries);
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

QTEST_MAIN(TestClipboard)
#include "tst_clipboard.moc"
