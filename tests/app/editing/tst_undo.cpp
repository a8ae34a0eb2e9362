#include "WindowFixture.h"
#include "app/desktop/Fonts.h"

#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <functional>

namespace {

const QString sample = QStringLiteral("2;200;31.10.2008;01.12.2009;АМС;8;Петров;\r\n"
                                      "1;100;15.01.2009;01.03.2010;ЭКР;7;Иванов;\r\n"
                                      "3;300;01.11.2008;01.01.2010;ЭКР;9;Сидоров;\r\n");

// Every text, and so the row order, the column order and the column count;
// the column widths and alignments too, which a sort makes standard again.
QStringList snapshot(FlexGrid& grid)
{
    QStringList texts;
    for (int r = 0; r < grid.Rows(); ++r) {
        QStringList row;
        for (int c = 0; c < grid.Cols(); ++c)
            row << grid.TextMatrix(r, c) + u'@' + QString::number(grid.ColWidth(c)) +
                       QString::number(int(grid.ColAlignment(c)));
        texts << row.join(u'|');
    }
    return texts;
}

// Ctrl+key anywhere in the window but the input line and the cell box.
void ctrl(WindowFixture& f, Qt::Key key)
{
    f.button("CmdProd")->setFocus();
    QTest::keyClick(f.button("CmdProd"), key, Qt::ControlModifier);
}

// What the user does, in the window of a fixture.
using Operation = std::function<void(WindowFixture&)>;

} // namespace

Q_DECLARE_METATYPE(Operation)

class TestUndo : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void everyChangeIsOneStep_data();
    void everyChangeIsOneStep();
    void undoTakesBackWhatTheWindowChanged_data();
    void undoTakesBackWhatTheWindowChanged();
    void historyStaysWithinItsCeiling();
};

void TestUndo::everyChangeIsOneStep_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<Operation>("operate");
    QTest::addColumn<QString>("action"); // undo, redo, save then undo, the context menu
    // A new activation date brings its blocking date in the same step.
    const QString activation = QStringLiteral("01.11.2025");
    const auto typeIntoLine = [](WindowFixture& f, const QString& text) {
        QLineEdit* line = f.lineEdit("TxtVvod");
        line->setFocus();
        f.type(line, text);
        QTest::keyClick(line, Qt::Key_Return); // the copies merge into one step
    };
    const auto press = [](const char* button) { return Operation([button](WindowFixture& f) { f.press(button); }); };
    const std::vector<std::pair<const char*, Operation>> operations {
        {"cell box", [](WindowFixture& f) { f.retype(2, 6, QStringLiteral("Кузнецов")); }},
        {"input line", [=](WindowFixture& f) { typeIntoLine(f, QStringLiteral("ЭКЛЗ")); }},
        {"Ввод",
            [](WindowFixture& f) {
                f.lineEdit("TxtVvod")->setText(QStringLiteral("новое"));
                f.press("CmdEdit");
            }},
        {"CmdAddS", press("CmdAddS")},
        {"CmdDelS", press("CmdDelS")},
        {"CmdAddC", press("CmdAddC")},
        {"CmdDelC", press("CmdDelC")},
        {"CmdSortC", press("CmdSortC")},
        {"header sort",
            [](WindowFixture& f) {
                QTest::mouseClick(f.window->gridWidget()->viewport(), Qt::LeftButton, {}, f.cellCentre(0, 6));
            }},
        {"activation date, cell box", [=](WindowFixture& f) { f.retype(2, 2, activation); }},
        {"activation date, input line",
            [=](WindowFixture& f) {
                f.grid().setCol(2);
                typeIntoLine(f, activation);
            }},
    };
    for (const auto& [operation, operate] : operations)
        for (const char* action : {"undo", "redo", "save, undo", "menu"})
            QTest::addRow("%s, %s", operation, action)
                << QString::fromUtf8(operation) << operate << QString::fromLatin1(action);
    // An untouched cell box is closed by the undo, not committed as a step.
    QTest::newRow("CmdDelS under an open cell box, undo") << "box, CmdDelS" << Operation([](WindowFixture& f) {
        f.clickCell(2, 0);
        f.press("CmdDelS");
    }) << "undo";
}

void TestUndo::everyChangeIsOneStep()
{
    QFETCH(QString, operation);
    QFETCH(Operation, operate);
    QFETCH(QString, action);
    WindowFixture f;
    f.open(sample);
    if (operation == u"CmdDelS") { // a step that changes nothing is no step
        f.grid().setRow(0);
        f.press("CmdDelS");
        QCOMPARE(f.window->undoStack().count(), 0);
    }
    f.grid().setRow(2);
    f.grid().setCol(1);
    const QStringList before = snapshot(f.grid());
    operate(f);
    if (!operation.startsWith(u"box"))
        f.window->CommitCellEdit();
    const QStringList after = snapshot(f.grid());
    QVERIFY(after != before);
    QCOMPARE(f.window->undoStack().count(), 1);
    if (operation.startsWith(u"activation"))
        QCOMPARE(f.grid().TextMatrix(2, 3), QStringLiteral("01.01.2027"));

    if (operation == u"input line") { // there Ctrl+Z is the line's own
        QLineEdit* line = f.lineEdit("TxtVvod");
        QTest::keyClick(line, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(line->text() != QStringLiteral("ЭКЛЗ"));
        QCOMPARE(snapshot(f.grid()), after);
    }
    if (action == u"menu") {
        const int row = f.grid().Row();
        const QPoint at = f.cellCentre(1, 0);
        QContextMenuEvent press(QContextMenuEvent::Mouse, at, f.window->gridWidget()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(f.window->gridWidget()->viewport(), &press);
        QTRY_VERIFY(f.shownMenu());
        QMenu* menu = f.shownMenu();
        QCOMPARE(f.grid().Row(), row); // the right press moved nothing
        QVERIFY(menu->actions().at(0)->text().startsWith(QStringLiteral("Отменить: ")));
        QVERIFY(!menu->actions().at(1)->isEnabled()); // nothing to redo
        menu->actions().at(0)->trigger();
        menu->close();
    } else {
        if (action == u"save, undo")
            f.press("CmdSave");
        if (action == u"save, undo" && operation.startsWith(u"activation"))
            QVERIFY(f.readBytes().contains(";01.11.2025;01.01.2027;"));
        ctrl(f, Qt::Key_Z);
    }
    QCOMPARE(snapshot(f.grid()), before);
    if (action == u"redo") {
        ctrl(f, Qt::Key_Y);
        QCOMPARE(snapshot(f.grid()), after);
    }
    if (action == u"undo") { // a load clears the steps
        f.desktop.replies = {true};
        f.press("CmdZagruz");
        QCOMPARE(f.window->undoStack().count(), 0);
    }
    if (action == u"save, undo") {
        f.press("CmdProd"); // undone after the save: there is something to lose
        QCOMPARE(f.desktop.quits, 0);
    }
}

void TestUndo::undoTakesBackWhatTheWindowChanged_data()
{
    // Steps separated by '/': a button, "click:ROW,COL", "box" (a click into
    // the cell box, which lies over its cell), "retype:ROW,COL,TEXT",
    // "undo", "redo", "menu:TEXT" (the menu's undo entry reads TEXT),
    // "select:ROW,COL,ROW,COL", "copy" and "paste" (Ctrl+C and Ctrl+V on the
    // grid), "boxcopy" (Ctrl+C in the cell box), "clip:TEXT" (the clipboard).
    QTest::addColumn<QString>("script");
    // '|'-separated: "loaded" (the grid as loaded), "ROW,COL=TEXT", "rows=N",
    // "cols=N", "text=CLIPBOARD", "csv=CLIPBOARD'S CSV", "message=PART".
    QTest::addColumn<QString>("expected");
    QTest::newRow("the pass over moved owners, one undo") << "CmdDelC/click:1,3/CmdSortC/click:2,0/undo"
                                                          << "1,6=Петров|2,6=Иванов|cols=7";
    QTest::newRow("the pass over moved owners, all undone") << "CmdDelC/click:1,3/CmdSortC/click:2,0/undo/undo"
                                                            << "loaded";
    QTest::newRow("an activation date undone with its blocking date") << "retype:1,2,01.06.2010/click:2,0/undo"
                                                                      << "loaded";
    QTest::newRow("an activation date redone with its blocking date") << "retype:1,2,01.06.2010/click:2,0/undo/redo"
                                                                      << "1,2=01.06.2010|1,3=01.08.2011";
    QTest::newRow("typed, clicked again, a row added, undone")
        << "retype:2,6,NEW/box/CmdAddS/menu:Отменить: добавление строки 4/undo"
        << "2,6=NEW|rows=4";
    QTest::newRow("steps named by the entry's serial number, not its row")
        << "retype:2,6,NEW/click:1,0/menu:Отменить: изменение ячейки записи 1, колонка 7/CmdDelS/"
           "menu:Отменить: удаление записи 2/undo/undo"
        << "2,6=Иванов|rows=4";
    QTest::newRow("typed, a row deleted, undone") << "retype:2,6,NEW/CmdDelS/undo"
                                                  << "2,6=NEW|rows=4";
    QTest::newRow("the box after a row deletion") << "click:1,0/CmdDelS/click:2,1"
                                                  << "1,0=1|rows=3";
    QTest::newRow("the box after two column deletions") << "click:1,6/CmdDelC/CmdDelC/click:2,1"
                                                        << "1,5=8";
    QTest::newRow("copied as tab-separated lines and CSV")
        << "select:1,5,2,6/copy"
        << "text=8\tПетров\n7\tИванов\n|csv=8,Петров\r\n7,Иванов\r\n";
    QTest::newRow("pasted past the last row, which it adds") << "select:1,5,2,6/copy/select:3,5,3,5/paste"
                                                             << "3,5=8|3,6=Петров|4,5=7|4,6=Иванов|rows=5";
    QTest::newRow("a paste is one step") << "select:1,5,2,6/copy/select:3,5,3,5/paste/undo"
                                         << "loaded";
    QTest::newRow("a register line pasted") << "clip:5;500;;;ЭКР;;Орлов;\r\n/select:2,0,2,0/paste"
                                            << "2,0=5|2,1=500|2,2=|2,6=Орлов|cols=8";
    QTest::newRow("a character the file cannot hold") << "clip:ЭКЛЗ 😀/select:1,6,1,6/paste"
                                                      << "loaded|message=«😀» (U+1F600)";
    QTest::newRow("the box copies its cell when nothing is selected") << "click:1,6/boxcopy"
                                                                      << "text=Петров\n";
}

void TestUndo::undoTakesBackWhatTheWindowChanged()
{
    QFETCH(QString, script);
    QFETCH(QString, expected);
    WindowFixture f;
    f.open(sample);
    const QStringList loaded = snapshot(f.grid());
    for (const QString& step : script.split(u'/')) {
        const QString arguments = step.section(u':', 1);
        const QStringList at = arguments.split(u',');
        if (step.startsWith(u"click:")) {
            f.clickCell(at[0].toInt(), at[1].toInt());
        } else if (step.startsWith(u"retype:")) {
            f.retype(at[0].toInt(), at[1].toInt(), at[2]);
        } else if (step == u"box") {
            QTest::mouseClick(f.cellBox(), Qt::LeftButton);
        } else if (step.startsWith(u"select:")) {
            f.grid().setRow(at[0].toInt());
            f.grid().setCol(at[1].toInt());
            f.grid().setRowSel(at[2].toInt());
            f.grid().setColSel(at[3].toInt());
        } else if (step == u"copy" || step == u"paste") {
            f.window->gridWidget()->setFocus();
            QTest::keyClick(f.window->gridWidget(), step == u"copy" ? Qt::Key_C : Qt::Key_V, Qt::ControlModifier);
        } else if (step == u"boxcopy") {
            f.cellBox()->deselect();
            QTest::keyClick(f.cellBox(), Qt::Key_C, Qt::ControlModifier);
        } else if (step.startsWith(u"clip:")) {
            QGuiApplication::clipboard()->setText(arguments);
        } else if (step.startsWith(u"menu:")) {
            QCOMPARE(f.window->findChild<QMenu*>()->actions().at(0)->text(), arguments);
        } else if (step == u"undo" || step == u"redo") {
            ctrl(f, step == u"undo" ? Qt::Key_Z : Qt::Key_Y);
        } else {
            f.press(step.toLatin1().constData());
        }
    }
    for (const QString& check : expected.split(u'|')) {
        const QString value = check.section(u'=', 1);
        const QStringList place = check.section(u'=', 0, 0).split(u',');
        const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
        if (check == u"loaded")
            QCOMPARE(snapshot(f.grid()), loaded);
        else if (place[0] == u"text")
            QCOMPARE(clipboard->text(), value);
        else if (place[0] == u"csv")
            QCOMPARE(QString::fromUtf8(clipboard->data(QStringLiteral("text/csv"))), value);
        else if (place[0] == u"message")
            QVERIFY(f.desktop.messages.size() == 1 && f.desktop.messages[0].text.contains(value));
        else if (place[0] == u"rows")
            QCOMPARE(f.grid().Rows(), value.toInt());
        else if (place[0] == u"cols")
            QCOMPARE(f.grid().Cols(), value.toInt());
        else
            QCOMPARE(f.grid().TextMatrix(place[0].toInt(), place[1].toInt()), value);
    }
}

// Seventy deleted rows of a megabyte each hold more than the history may
// keep: the oldest are forgotten, the newest still come back.
void TestUndo::historyStaysWithinItsCeiling()
{
    constexpr int deletions = 70;
    WindowFixture f;
    f.grid().setRows(deletions + 2);
    for (int row = 1; row <= deletions + 1; ++row)
        f.grid().setTextMatrix(row, 6, QString(1 << 20, QChar(u'a' + row % 26)));
    for (int i = 0; i < deletions; ++i) {
        f.grid().setRow(1);
        f.press("CmdDelS");
    }
    QCOMPARE(f.grid().Rows(), 2);
    for (int i = 0; i < deletions; ++i)
        ctrl(f, Qt::Key_Z);
    const int back = f.grid().Rows() - 2;
    QVERIFY2(back > 50 && back < 64, qPrintable(QString::number(back)));
    QCOMPARE(f.grid().TextMatrix(1, 6), QString(1 << 20, QChar(u'a' + (deletions - back + 1) % 26)));

    // The newest step the user made stays, whatever the blocking pass's step
    // after it holds: here 65 MB of text its dates are written over.
    WindowFixture g;
    g.open(sample);
    g.retype(1, 6, QStringLiteral("Кузнецов"));
    g.grid().setRows(66);
    const QString junk(1 << 20, u'x');
    for (int row = 1; row < 66; ++row) {
        g.grid().setTextMatrix(row, 2, QStringLiteral("15.01.2009"));
        g.grid().setTextMatrix(row, 3, junk);
    }
    g.clickCell(2, 0);
    QCOMPARE(g.grid().TextMatrix(1, 3), QStringLiteral("01.03.2010"));
    ctrl(g, Qt::Key_Z);
    QCOMPARE(g.grid().TextMatrix(1, 6), QStringLiteral("Петров"));
    QCOMPARE(g.grid().TextMatrix(65, 3), junk);
}

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
