#include "WindowFixture.h"
#include "app/desktop/Fonts.h"
#include "app/desktop/QtTexts.h"

#include <QAccessible>
#include <QClipboard>
#include <QDialogButtonBox>

#include <QDir>
#include <QToolTip>
#include <sys/stat.h>

class TestFrmEKLZ : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void qtsOwnTextsAreRussian();
    void startsWithTheHeaderAndOneEmptyEntry();
    void buttonsStandWhereTheyBelong_data();
    void buttonsStandWhereTheyBelong();
    void tabOrderSkipsTheHiddenOverlay();
    void resizeRuleKeepsTheMargins_data();
    void resizeRuleKeepsTheMargins();
    void openLoadsAndDerivesBlockingDates();
    void openWithoutFileLeavesOneEmptyEntry();
    void failedLoadShowsItsMessage_data();
    void failedLoadShowsItsMessage();
    void pendingEditNeverLandsInTheLoadedRegister();
    void blockingDatesAreMarked_data();
    void blockingDatesAreMarked();
    void findNextGoesThroughTheMatches();
    void addedRowComesIntoView();
    void wrongEntriesAreMarked_data();
    void wrongEntriesAreMarked();
    void filterActsOnTheEntriesShown_data();
    void filterActsOnTheEntriesShown();
};

void TestFrmEKLZ::startsWithTheHeaderAndOneEmptyEntry()
{
    WindowFixture f;
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Palomet"));
    QVERIFY(!f.window->windowIcon().isNull());
    QCOMPARE(Twips::fromPixels(f.window->size()), QSize(10575, 4995));
    FlexGrid& grid = f.grid();
    QCOMPARE(grid.Rows(), 2);
    QCOMPARE(grid.Cols(), 7);
    QCOMPARE(grid.TextMatrix(0, 0), QStringLiteral("Зав. № ЭКЛЗ "));
    QCOMPARE(grid.TextMatrix(0, 6), QStringLiteral("Владелец            "));
    for (int c = 0; c < 7; ++c)
        QCOMPARE(grid.ColAlignment(c), Qt::AlignHCenter);
    QCOMPARE(grid.ColWidth(0), 1500);
    QCOMPARE(grid.RowHeight(0), 300);
    QVERIFY(grid.ColWidth(6) > grid.ColWidth(3)); // twelve trailing blanks
    QCOMPARE(QRect(grid.Left(), grid.Top(), grid.Width(), grid.Height()), QRect(480, 1560, 9725, 3095));
    QCOMPARE(f.window->gridWidget()->geometry(), Twips::toPixels(QRect(480, 1560, 9725, 3095)));

    QLineEdit* input = f.lineEdit("TxtVvod");
    QCOMPARE(input->text(), QString());
    QTRY_VERIFY(input->hasFocus());
    QVERIFY(f.cellBox()->isHidden());
    QCOMPARE(f.cellBox()->text(), QStringLiteral("Text1"));
    QVERIFY(!f.window->isGridEdited());
}

void TestFrmEKLZ::buttonsStandWhereTheyBelong_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("print") << "CmdPrint"
                           << "Печать" << QRect(7920, 120, 855, 615);
    QTest::newRow("save") << "CmdSave"
                          << "Сохранить изменения" << QRect(5280, 720, 1335, 615);
    QTest::newRow("delete row") << "CmdDelS"
                                << " Удалить строку" << QRect(1560, 120, 1095, 615);
    QTest::newRow("exit") << "CmdProd"
                          << "Выход" << QRect(9120, 120, 855, 615);
    QTest::newRow("input line") << "TxtVvod"
                                << "" << QRect(6840, 840, 3135, 435);
}

void TestFrmEKLZ::buttonsStandWhereTheyBelong()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    WindowFixture f;
    auto* control = f.window->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), Twips::toPixels(twips));
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        QCOMPARE(button->text(), caption);
        QVERIFY(button->font().bold());
        QCOMPARE(button->font().pointSizeF(), 8.25);
        QCOMPARE(button->palette().color(QPalette::Button), QColor(224, 224, 224));
        QVERIFY(!button->isDefault() && !button->autoDefault());
    }
    QCOMPARE(f.window->findChildren<QPushButton*>().size(), 13);
}

void TestFrmEKLZ::tabOrderSkipsTheHiddenOverlay()
{
    WindowFixture f;
    QWidget* input = f.lineEdit("TxtVvod");
    input->setFocus();
    QStringList visited;
    QWidget* current = input;
    for (int i = 0; i < 15; ++i) {
        QTest::keyClick(current, Qt::Key_Tab);
        current = QApplication::focusWidget();
        visited.append(current->objectName());
    }
    // The rows of buttons as they stand, each left to right.
    QCOMPARE(visited, (QStringList {"MSFGAZ", "CmdDelC", "CmdDelS", "CmdSortC", "CmdZArch", "CmdSaveAs", "CmdEdit",
                          "CmdPrint", "CmdProd", "CmdAddC", "CmdAddS", "CmdSearh", "CmdZagruz", "CmdSave", "TxtVvod"}));
}

void TestFrmEKLZ::resizeRuleKeepsTheMargins_data()
{
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QSize>("grid");
    QTest::newRow("larger") << QSize(15000, 9000) << QSize(14150, 7100);
    QTest::newRow("just above the margins") << QSize(1200, 1905) << QSize(350, 5);
    QTest::newRow("minimised to nothing") << QSize(0, 0) << QSize(9725, 3095);
    QTest::newRow("too narrow") << QSize(600, 4500) << QSize(9725, 2600);
    QTest::newRow("too low") << QSize(3000, 1500) << QSize(2150, 3095);
}

void TestFrmEKLZ::resizeRuleKeepsTheMargins()
{
    QFETCH(QSize, client);
    QFETCH(QSize, grid);
    WindowFixture f;
    f.window->resize(Twips::toPixels(client));
    QTRY_COMPARE(Twips::fromPixels(f.window->size()), client);
    QTRY_COMPARE(QSize(f.grid().Width(), f.grid().Height()), grid);
    QCOMPARE(QPoint(f.grid().Left(), f.grid().Top()), QPoint(480, 1560));
    QCOMPARE(f.button("CmdProd")->geometry(), Twips::toPixels(QRect(9120, 120, 855, 615)));
}

void TestFrmEKLZ::openLoadsAndDerivesBlockingDates()
{
    WindowFixture f;
    f.writeRegister(QStringLiteral("1;100;15.01.2009;;ЭКР 2102К;7;Иванов;\r\n"
                                   "2;200;29.02.2008;01.01.2000;АМС-100К;8;Петров;\r\n"
                                   "3;300;;01.01.2000;;;;\r\n"));
    f.press("CmdZagruz");
    FlexGrid& grid = f.grid();
    QCOMPARE(grid.Rows(), 4);
    QCOMPARE(grid.Cols(), 8);
    QCOMPARE(grid.TextMatrix(1, 3), QStringLiteral("01.03.2010"));
    QCOMPARE(grid.TextMatrix(2, 3), QStringLiteral("01.04.2009"));
    QCOMPARE(grid.TextMatrix(3, 3), QStringLiteral("01.01.2000"));
    QCOMPARE(grid.TextMatrix(1, 6), QStringLiteral("Иванов"));
    QCOMPARE(grid.TextMatrix(0, 2), QStringLiteral("Дата актив. "));
    QCOMPARE(grid.Row(), 3);
    QCOMPARE(grid.Col(), 7);
    QVERIFY(f.desktop.messages.empty());
    QCOMPARE(f.desktop.busyChanges, (std::vector<bool> {true, false}));
    QVERIFY(!f.window->isGridEdited());

    // Opening twice gives the same grid.
    f.press("CmdZagruz");
    QCOMPARE(grid.Rows(), 4);
    QCOMPARE(grid.Cols(), 8);
    QCOMPARE(grid.TextMatrix(2, 4), QStringLiteral("АМС-100К"));
}

void TestFrmEKLZ::openWithoutFileLeavesOneEmptyEntry()
{
    WindowFixture f;
    f.grid().setTextMatrix(1, 0, QStringLiteral("old"));
    f.desktop.replies = {true}; // drop the change
    f.press("CmdZagruz");
    QCOMPARE(f.grid().Rows(), 2);
    QCOMPARE(f.grid().Cols(), 7);
    QCOMPARE(f.grid().TextMatrix(1, 0), QString());
    QVERIFY(f.desktop.messages.empty());

    f.writeBytes(QByteArray());
    f.press("CmdZagruz");
    QCOMPARE(f.grid().Rows(), 1);
    QVERIFY(f.desktop.messages.empty());
}

void TestFrmEKLZ::failedLoadShowsItsMessage_data()
{
    QTest::addColumn<QString>("standing"); // at thisyear.csv
    QTest::addColumn<int>("rowsLeft");
    QTest::addColumn<QString>("message");
    const QString cannotFind = QStringLiteral("Не могу найти thisyear.csv.");
    QTest::newRow("a folder named thisyear.csv") << "folder" << 2 << cannotFind;
    QTest::newRow("a line too long") << "long line" << 3
                                     << QStringLiteral(
                                            "«thisyear.csv» загружен не полностью: в нём есть строка длиннее "
                                            "32\u00A0766 знаков. В таблице строки файла до неё.");
    QTest::newRow("a FIFO, which never blocks")
        << "fifo" << 2 << "«thisyear.csv» не загружен: на его месте не обычный файл, а канал, сокет или устройство.";
    // A link to an unplugged stick: said as what it is, and a save says the same.
    QTest::newRow("a link to nowhere")
        << "dangling" << 2
        << "«thisyear.csv» ведёт на «/nonexistent-stick/thisyear.csv», которого нет (возможно, диск или "
           "сетевая папка не подключены).\n" +
               cannotFind;
}

void TestFrmEKLZ::failedLoadShowsItsMessage()
{
    QFETCH(QString, standing);
    QFETCH(int, rowsLeft);
    QFETCH(QString, message);
    WindowFixture f;
    if (standing == u"folder")
        QVERIFY(QDir(f.folder.path()).mkdir(QStringLiteral("thisyear.csv")));
    else if (standing == u"fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(f.path(QStringLiteral("thisyear.csv"))).constData(), 0600), 0);
    else if (standing == u"dangling")
        QVERIFY(QFile::link(QStringLiteral("/nonexistent-stick/thisyear.csv"), f.path(QStringLiteral("thisyear.csv"))));
    else
        f.writeBytes("a;b;15.01.2009;old;\r\n" + QByteArray(40000, 'x') + "\r\n");
    f.press("CmdZagruz");
    QCOMPARE(f.desktop.messages.size(), size_t {1});
    QCOMPARE(f.desktop.messages[0].text, message);
    QCOMPARE(f.desktop.messages[0].title, QStringLiteral("Palomet"));
    QCOMPARE(f.grid().Rows(), rowsLeft);
    // No pass after a failed load.
    QCOMPARE(f.grid().TextMatrix(1, 3), standing == u"long line" ? QStringLiteral("old") : QString());
    if (standing != u"dangling") { // nothing was read there
        QCOMPARE(f.grid().Row(), rowsLeft - 1); // the row being filled, from its start
        QCOMPARE(f.grid().Col(), 0);
    }
    QCOMPARE(f.desktop.busyChanges.back(), false);
    if (standing == u"dangling") {
        f.press("CmdSave");
        QCOMPARE(f.desktop.messages.size(), size_t {2});
        QVERIFY2(f.desktop.messages[1].text.contains(QStringLiteral("ведёт на «/nonexistent-stick/thisyear.csv»")),
            qPrintable(f.desktop.messages[1].text));
    }
}

void TestFrmEKLZ::pendingEditNeverLandsInTheLoadedRegister()
{
    WindowFixture f;
    f.writeRegister(QStringLiteral("a;b;;;;;;\r\nc;d;;;;;;\r\n"));
    f.press("CmdZagruz");
    f.clickCell(1, 1);
    QVERIFY(f.cellBox()->isVisible());
    f.type(f.cellBox(), QStringLiteral("ПРАВКА"));
    f.desktop.replies = {true};
    f.press("CmdZagruz");
    QVERIFY(f.cellBox()->isHidden());
    for (int r = 0; r < f.grid().Rows(); ++r)
        for (int c = 0; c < f.grid().Cols(); ++c)
            QVERIFY(!f.grid().TextMatrix(r, c).contains(QStringLiteral("ПРАВКА")));
    QCOMPARE(f.grid().TextMatrix(1, 1), QStringLiteral("b"));
    QCOMPARE(f.grid().TextMatrix(0, 1), QStringLiteral("Рег. № ЭКЛЗ  "));
}

void TestFrmEKLZ::qtsOwnTextsAreRussian()
{
    QVERIFY(installRussianQtTexts()); // qt6-translations-l10n is installed
    const QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
}

void TestFrmEKLZ::blockingDatesAreMarked_data()
{
    QTest::addColumn<QString>("blocking");
    QTest::addColumn<QColor>("back"); // of its cell and its serial number
    QTest::addColumn<QString>("tip");
    const QColor blocked(139, 0, 0);
    const QColor soon(255, 193, 7);
    QTest::newRow("yesterday") << "06.12.2026" << blocked << "заблокирована 1 день назад";
    QTest::newRow("today") << "07.12.2026" << blocked << "заблокирована сегодня";
    QTest::newRow("in 30 days") << "06.01.2027" << soon << "блокируется в течение 30 дней: через 30 дней";
    QTest::newRow("in 31 days") << "07.01.2027" << QColor(Qt::white) << "";
    QTest::newRow("not a date") << "31.02.2026" << QColor(Qt::white) << "";
}

// The marks follow the entry through a sort and its undo; "today" is given.
void TestFrmEKLZ::blockingDatesAreMarked()
{
    QFETCH(QString, blocking);
    QFETCH(QColor, back);
    QFETCH(QString, tip);
    WindowFixture f;
    f.window->setToday(QDate(2026, 12, 7));
    f.open(QStringLiteral("1;100;;01.06.2030;M;1;A;\r\n2;200;;%1;M;2;B;\r\n").arg(blocking));
    const auto backAt = [&](int row, int col) {
        const QImage image = f.window->gridWidget()->viewport()->grab().toImage();
        return QColor(
            image.pixel(Twips::toPixels(f.grid().colLeft(col)) + 2, Twips::toPixels(f.grid().rowTop(row)) + 2));
    };
    f.grid().setRow(1); // no selection over the rows looked at
    f.grid().setRowSel(1);
    f.grid().setCol(5);
    for (const int col : {3, 0})
        QCOMPARE(backAt(2, col), back);
    QCOMPARE(backAt(1, 3), QColor(Qt::white));
    const QPoint at = f.cellCentre(2, 3);
    QHelpEvent help(QEvent::ToolTip, at, f.window->gridWidget()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(f.window->gridWidget()->viewport(), &help);
    QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), tip);

    QTest::mouseClick(f.window->gridWidget()->viewport(), Qt::LeftButton, {}, f.cellCentre(0, 3));
    const int moved = f.grid().TextMatrix(1, 0) == u"2" ? 1 : 2; // a date sorts before 2030
    f.grid().setRow(moved == 1 ? 2 : 1);
    f.grid().setCol(5);
    QCOMPARE(backAt(moved, 3), back);
    QTest::keyClick(f.button("CmdProd"), Qt::Key_Z, Qt::ControlModifier);
    f.grid().setRow(1);
    f.grid().setCol(5);
    QCOMPARE(backAt(2, 0), back);
}

void TestFrmEKLZ::findNextGoesThroughTheMatches()
{
    WindowFixture f;
    f.open(QStringLiteral("1;;;;ЭКР;;;\r\n2;;;;АМС;;;\r\n3;;;;экр-2;;;\r\n4;;;;ЭКР;;;\r\n5;;;;АМС;;;\r\n"));
    f.grid().setCol(4);
    QTest::keyClick(f.button("CmdProd"), Qt::Key_F3); // no search yet: nothing
    QCOMPARE(f.grid().Row(), 5);
    f.desktop.answers = {QStringLiteral("экр")};
    QTest::keyClick(f.button("CmdProd"), Qt::Key_F, Qt::ControlModifier); // as "Поиск"
    QCOMPARE(f.desktop.prompts.size(), qsizetype(1));
    QList<int> visited {f.grid().Row()};
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(f.button("CmdProd"), Qt::Key_F3);
        visited << f.grid().Row();
    }
    QCOMPARE(visited, (QList<int> {1, 3, 4, 1})); // and round from the top once
    f.desktop.answers = {QStringLiteral("нет такого")};
    f.press("CmdSearh");
    QTest::keyClick(f.button("CmdProd"), Qt::Key_F3); // no match: silent, the selection stays
    QCOMPARE(f.grid().Row(), 1);
    QVERIFY(f.desktop.messages.empty());
}

void TestFrmEKLZ::addedRowComesIntoView()
{
    WindowFixture f;
    QString lines;
    for (int i = 0; i < 200; ++i)
        lines += QStringLiteral("%1;;;;;;;\r\n").arg(i);
    f.open(lines);
    f.grid().setRow(5);
    f.grid().setCol(2);
    f.grid().setTopRow(1);
    f.press("CmdAddS");
    const int added = f.grid().Rows() - 1;
    QCOMPARE(added, 201);
    QVERIFY2(f.grid().TopRow() <= added && f.grid().TopRow() > 150, qPrintable(QString::number(f.grid().TopRow())));
    QCOMPARE(f.grid().Row(), 5); // the current cell stays where the button leaves it
    QCOMPARE(f.grid().Col(), 2);
}

void TestFrmEKLZ::wrongEntriesAreMarked_data()
{
    QTest::addColumn<QString>("activation"); // of the second entry
    QTest::addColumn<bool>("dark"); // a dark desktop palette
    QTest::addColumn<QColor>("dateBack"); // behind that activation date
    const QColor unreadable(0, 96, 100);
    const QColor none(Qt::white);
    QTest::newRow("a date that reads") << "15.01.2026" << false << none;
    QTest::newRow("no such day") << "31.02.2024" << false << unreadable;
    QTest::newRow("no such month") << "15.13.2024" << false << unreadable;
    QTest::newRow("a word") << "скоро" << false << unreadable;
    QTest::newRow("a two-digit year") << "15.01.24" << false << unreadable;
    QTest::newRow("a time after it") << "15.01.2024 10:00" << false << unreadable;
    QTest::newRow("no such day, a dark palette") << "31.02.2024" << true << unreadable;
}

// A serial number held twice and an activation date that does not read are
// marked where they stand, with their tooltips, in colours of their own on
// either palette; the serial's mark follows an edit, its undo and a paste.
void TestFrmEKLZ::wrongEntriesAreMarked()
{
    QFETCH(QString, activation);
    QFETCH(bool, dark);
    QFETCH(QColor, dateBack);
    const QPalette light = QApplication::palette();
    if (dark) {
        QPalette night = light;
        night.setColor(QPalette::Base, QColor(30, 30, 30));
        night.setColor(QPalette::Text, QColor(230, 230, 230));
        QApplication::setPalette(night);
    }
    WindowFixture f;
    QApplication::setPalette(light);
    f.window->setToday(QDate(2026, 12, 7));
    f.open(QStringLiteral("101;;01.01.2030;;M;1;A;\r\n202;;%1;;M;2;B;\r\n101;;01.01.2030;;M;3;C;\r\n").arg(activation));
    const auto backAt = [&](int row, int col) {
        f.grid().setRow(4 - row); // no selection over the cell looked at
        f.grid().setCol(5);
        const QImage image = f.window->gridWidget()->viewport()->grab().toImage();
        return QColor(
            image.pixel(Twips::toPixels(f.grid().colLeft(col)) + 2, Twips::toPixels(f.grid().rowTop(row)) + 2));
    };
    const auto tipAt = [&](int row, int col) {
        const QPoint at = f.cellCentre(row, col);
        QHelpEvent help(QEvent::ToolTip, at, f.window->gridWidget()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(f.window->gridWidget()->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    const QColor repeated(106, 27, 154);
    const QColor plain = dark ? QColor(30, 30, 30) : QColor(Qt::white);
    QTRY_COMPARE(backAt(1, 0), repeated);
    QCOMPARE(backAt(3, 0), repeated);
    QCOMPARE(backAt(2, 0), plain);
    QCOMPARE(tipAt(3, 0), QStringLiteral("Номер повторяется: строки 1, 3"));
    QCOMPARE(backAt(2, 2), dateBack == QColor(Qt::white) ? plain : dateBack);
    if (dateBack != QColor(Qt::white))
        QVERIFY(tipAt(2, 2).startsWith(QStringLiteral("Дата активации не читается: дата блокировки не рассчитана")));
    // An edit takes the mark away, its undo brings it back, a paste makes one.
    f.retype(3, 0, QStringLiteral("303"));
    f.clickCell(2, 5);
    QTRY_COMPARE(backAt(1, 0), plain);
    QTest::keyClick(f.button("CmdProd"), Qt::Key_Z, Qt::ControlModifier);
    QTRY_COMPARE(backAt(1, 0), repeated);
    QGuiApplication::clipboard()->setText(QStringLiteral("202"));
    f.grid().setRow(3);
    f.grid().setCol(0);
    QTest::keyClick(f.window->gridWidget(), Qt::Key_V, Qt::ControlModifier);
    QTRY_COMPARE(backAt(2, 0), repeated);
    QCOMPARE(backAt(1, 0), plain);
}

void TestFrmEKLZ::filterActsOnTheEntriesShown_data()
{
    QTest::addColumn<int>("key"); // Ctrl+key in «Показать»
    QTest::addColumn<QString>("word"); // for «Содержащие…», in the model column
    QTest::addColumn<QStringList>("shown"); // the serial numbers shown
    // Today is 07.12.2026: blocked today and before; blocking within 30 days,
    // the 30th day included, the 31st not.
    QTest::newRow("Заблокированные") << int(Qt::Key_2) << "" << QStringList {"2", "5"};
    QTest::newRow("Блокируются в течение 30 дней") << int(Qt::Key_3) << "" << QStringList {"3"};
    QTest::newRow("Содержащие…, any case") << int(Qt::Key_4) << "РОМАШКА" << QStringList {"3", "5"};
}

// Edits, deletion, copy, search, undo, the caption and the accessible table
// act on the entries shown; a save and the log carry every entry.
void TestFrmEKLZ::filterActsOnTheEntriesShown()
{
    QFETCH(int, key);
    QFETCH(QString, word);
    QFETCH(QStringList, shown);
    const QString lines = QStringLiteral("1;;;01.06.2030;M;1;A;\r\n2;;;06.12.2026;M;2;B;\r\n"
                                         "3;;;06.01.2027;ООО ромашка;3;C;\r\n4;;;07.01.2027;M;4;D;\r\n"
                                         "5;;;07.12.2026;Ромашка;5;E;\r\n");
    WindowFixture f;
    f.window->setToday(QDate(2026, 12, 7));
    f.open(lines);
    f.grid().setCol(4);
    f.desktop.answers = {word};
    const QString current = f.grid().Text();
    QTest::keyClick(f.button("CmdProd"), Qt::Key(key), Qt::ControlModifier);
    if (!word.isEmpty())
        QCOMPARE(f.desktop.offered.last(), current); // the current cell's text offered
    const auto serials = [&] {
        QStringList texts;
        for (int row = 1; row < f.grid().Rows(); ++row)
            texts << f.grid().TextMatrix(row, 0);
        return texts;
    };
    QCOMPARE(serials(), shown);
    QVERIFY2(f.window->windowTitle().startsWith(QStringLiteral("Palomet — показано %1 из 5: ").arg(shown.size())),
        qPrintable(f.window->windowTitle()));
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(f.window->gridWidget());
    QCOMPARE(table->tableInterface()->rowCount(), int(shown.size()));
    QCOMPARE(table->tableInterface()->cellAt(0, 0)->text(QAccessible::Name), shown[0]);

    // The cell box writes the entry it shows; copy copies it.
    f.retype(1, 6, QStringLiteral("Новый"));
    f.clickCell(1, 0);
    QCOMPARE(f.window->model().TextMatrix(shown[0].toInt(), 6), QStringLiteral("Новый"));
    QTest::keyClick(f.window->gridWidget(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), shown[0] + u'\n');
    // Поиск finds only what is shown.
    f.desktop.answers = {QStringLiteral("4")};
    f.press("CmdSearh");
    QCOMPARE(f.grid().TextMatrix(f.grid().Row(), 0), shown[0]);
    // A save and the log carry the entries not shown.
    f.press("CmdSave");
    QCOMPARE(f.readBytes().count("\r\n"), 5);
    QVERIFY(f.readBytes().contains(QByteArray(QStringEncoder("windows-1251").encode(QStringLiteral(";Новый;")))));
    // " Удалить строку" removes the entry shown, undo brings it back and the
    // filter picks again; «Все записи» shows every entry.
    f.grid().setRow(f.grid().Rows() - 1);
    f.press("CmdDelS");
    QCOMPARE(f.window->model().Rows(), 5);
    QVERIFY(!serials().contains(shown.last()));
    QVERIFY(f.window->windowTitle().startsWith(QStringLiteral("Palomet — показано %1 из 4: ").arg(shown.size() - 1)));
    QTest::keyClick(f.button("CmdProd"), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(serials(), shown);
    f.press("CmdAddS"); // added at the end, and shown
    QCOMPARE(f.grid().Rows(), shown.size() + 2);
    QCOMPARE(f.grid().modelRow(f.grid().Rows() - 1), 6);
    QTest::keyClick(f.button("CmdProd"), Qt::Key_1, Qt::ControlModifier);
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Palomet"));
    QCOMPARE(f.grid().Rows(), 7);
}

QTEST_MAIN(TestFrmEKLZ)
#include "tst_frmeklz.moc"
