#include "WindowFixture.h"
#include "app/desktop/Fonts.h"

#include <QAction>
#include <QMenu>

namespace {

constexpr int entries = 3000;

QString largeRegister()
{
    QString text;
    for (int i = 1; i <= entries; ++i)
        text += QStringLiteral("%1;%2;15.01.2009;;ЭКР;%3;Иванов;\r\n").arg(i).arg(i * 7).arg(i % 97);
    return text;
}

// Opens the large register and blanks its blocking dates (unless open is
// false), then clicks a cell;
// when the click's pass has yielded `after` times, `action` runs inside it.
void clickWhileThePassYields(WindowFixture& f, int after, const std::function<void()>& action, bool open = true)
{
    if (open) {
        f.open(largeRegister());
        for (int r = 1; r < f.grid().Rows(); ++r)
            f.grid().setTextMatrix(r, 3, QString());
    }
    const int start = f.desktop.yields;
    bool done = false;
    f.desktop.duringYield = [&](int yield) {
        if (!done && yield == start + after) {
            done = true;
            action();
        }
    };
    f.clickCell(2, 6);
    f.desktop.duringYield = nullptr;
    QVERIFY(done);
}

// Every row the pass can reach carries the blocking date of its activation date.
void verifyDerived(FlexGrid& grid)
{
    if (grid.Cols() <= 3)
        return;
    for (int r = 1; r < grid.Rows() && !grid.TextMatrix(r, 2).isEmpty(); ++r)
        QCOMPARE(grid.TextMatrix(r, 3), QStringLiteral("01.03.2010"));
}

} // namespace

class TestReentrancy : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void openingAgainDuringThePass();
    void undoDuringThePass();
    void deletingColumnsAndRowsDuringThePass();
    void savingDuringThePassWritesWhatTheGridHolds();
    void closeBoxDuringThePassAsksAndThePassGoesOn();
    void exitQuestionAnsweredDuringThePass();
};

void TestReentrancy::openingAgainDuringThePass()
{
    WindowFixture f;
    clickWhileThePassYields(f, 500, [&] {
        f.desktop.replies = {true}; // the blanked dates are unsaved: "Да", load
        f.press("CmdZagruz");
    });
    QCOMPARE(f.grid().Rows(), entries + 1);
    verifyDerived(f.grid());
    // Nothing the pass wrote into the register before the load is a step
    // whose undo would write into the one loaded.
    QTest::keyClick(f.button("CmdProd"), Qt::Key_Z, Qt::ControlModifier);
    verifyDerived(f.grid());
}

// Ctrl+Z while the pass pauses takes back the edit before it, and what the
// pass wrote before and after stays apart: undoing all of it gives the grid
// as it was before the click.
void TestReentrancy::undoDuringThePass()
{
    WindowFixture f;
    f.open(largeRegister());
    for (int r = 1; r < f.grid().Rows(); ++r)
        f.grid().setTextMatrix(r, 3, QString());
    QStringList before;
    for (int r = 1; r < f.grid().Rows(); ++r)
        before << f.grid().TextMatrix(r, 3) + f.grid().TextMatrix(r, 6);
    f.retype(1, 6, QStringLiteral("Петров"));
    // The menu's «Отменить»: Ctrl+Z in the cell box the click opened is the box's own.
    const auto undoEntry = [&] { return f.window->findChild<QMenu*>()->actions().at(0); };
    clickWhileThePassYields(
        f, 300, [&] { undoEntry()->trigger(); }, false);
    QCOMPARE(f.grid().TextMatrix(1, 6), QStringLiteral("Иванов"));
    verifyDerived(f.grid());
    while (f.window->undoStack().canUndo())
        undoEntry()->trigger();
    QStringList after;
    for (int r = 1; r < f.grid().Rows(); ++r)
        after << f.grid().TextMatrix(r, 3) + f.grid().TextMatrix(r, 6);
    QCOMPARE(after, before);
}

void TestReentrancy::deletingColumnsAndRowsDuringThePass()
{
    WindowFixture f;
    clickWhileThePassYields(f, 100, [&] {
        for (int i = 0; i < 5; ++i)
            f.press("CmdDelC"); // column 3 goes: the pass must not write it back
        f.grid().setRows(1000);
    });
    QCOMPARE(f.grid().Cols(), 3);
    QCOMPARE(f.grid().Rows(), 1000);
    for (int r = 1; r < f.grid().Rows(); ++r)
        QCOMPARE(f.grid().TextMatrix(r, 3), QString());
}

void TestReentrancy::savingDuringThePassWritesWhatTheGridHolds()
{
    WindowFixture f;
    clickWhileThePassYields(f, 1000, [&] { f.press("CmdSave"); });
    // Saved half-way through: rows the pass had reached carry their dates.
    const QList<QByteArray> lines = f.readBytes().split('\n');
    QVERIFY(lines[0].contains(";15.01.2009;01.03.2010;"));
    QVERIFY(lines[2500].contains(";15.01.2009;;"));
    verifyDerived(f.grid());
}

void TestReentrancy::closeBoxDuringThePassAsksAndThePassGoesOn()
{
    WindowFixture f;
    clickWhileThePassYields(f, 10, [&] { f.window->close(); });
    QCOMPARE(f.desktop.quits, 0);
    const QWidgetList windows = QApplication::topLevelWidgets();
    QVERIFY(std::any_of(windows.begin(), windows.end(),
        [](QWidget* w) { return w->objectName() == QStringLiteral("Dialog") && w->isVisible(); }));
    verifyDerived(f.grid());
}

void TestReentrancy::exitQuestionAnsweredDuringThePass()
{
    WindowFixture f;
    f.open(largeRegister());
    f.clickCell(1, 0); // the register is touched: "Выход" asks
    const int start = f.desktop.yields;
    f.desktop.duringYield = [&](int yield) {
        if (yield == start + 50)
            f.press("CmdProd");
        if (yield == start + 60) {
            QWidget* dialog = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == QStringLiteral("Dialog") && w->isVisible())
                    dialog = w;
            QVERIFY(dialog);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("OKButton")), Qt::LeftButton);
        }
    };
    f.clickCell(2, 6);
    f.desktop.duringYield = nullptr;
    QCOMPARE(f.desktop.quits, 1);
    QVERIFY(f.readBytes().startsWith("1;7;15.01.2009;01.03.2010;"));
}

QTEST_MAIN(TestReentrancy)
#include "tst_reentrancy.moc"
