#include "WindowFixture.h"
#include "app/desktop/Fonts.h"

#include <QGuiApplication>

// The input line: typing copies into the current cell, «Ввод» copies the
// whole text, a click into it drops a pending cell box edit.
class TestInputLine : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void cellStaysOneKeyBehind();
    void enterButtonCopiesTheWholeText();
    void clickIntoTheInputLineDropsThePendingEdit();
};

void TestInputLine::cellStaysOneKeyBehind()
{
    WindowFixture f;
    f.open(WindowFixture::threeEntries);
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
    f.open(WindowFixture::threeEntries);
    f.retype(2, 6, QStringLiteral("Новый"));
    QTest::mouseClick(f.lineEdit("TxtVvod"), Qt::LeftButton);
    QVERIFY(f.cellBox()->isHidden());
    QVERIFY(f.lineEdit("TxtVvod")->hasFocus());
    f.clickCell(1, 0);
    QCOMPARE(f.grid().TextMatrix(2, 6), QStringLiteral("Иванов"));
}

QTEST_MAIN(TestInputLine)
#include "tst_inputline.moc"
