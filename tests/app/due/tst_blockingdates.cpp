#include "WindowFixture.h"
#include "app/desktop/Fonts.h"
#include "app/due/DueWindow.h"

#include <QCheckBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTableView>
#include <sys/stat.h>

// «Сроки блокировки…» through the window.
class TestBlockingDates : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void listsWhatBlocksAcrossTheYears();
};

// On 31.01.2026 the units due are in last year's archive; the grid's unsaved
// edit counts; a later unit in the same cash register replaces one.
void TestBlockingDates::listsWhatBlocksAcrossTheYears()
{
    WindowFixture f;
    f.window->setToday(QDate(2026, 1, 31));
    QVERIFY(QDir(f.folder.path()).mkpath(QStringLiteral("Archive")) &&
            QDir(f.folder.path()).mkpath(QStringLiteral("Backup")));
    f.writeRegister(QStringLiteral("A;;01.11.2024;;ЭКР;1;Иванов\r\nB;;01.11.2024;;ЭКР;2;Петров\r\n"
                                   "C;;15.12.2024;;АМС;3;Сидоров\r\nD;;31.02.2024;;;;\r\n"),
        QStringLiteral("Archive/2025.csv"));
    f.writeRegister(QStringLiteral("E;;01.11.2024;;;;\r\n"), QStringLiteral("Backup/thisyear-2025-01-01-000000.csv"));
    QCOMPARE(::mkfifo(QFile::encodeName(f.path(QStringLiteral("Archive/BAD.csv"))).constData(), 0600), 0);
    f.open(QStringLiteral("N;;10.10.2025;;экр;2;Петров\r\nC;;;;;;\r\n"));
    f.grid().setTextMatrix(2, 2, QStringLiteral("20.01.2026")); // unsaved: C renewed here
    QTest::keyClick(f.button("CmdProd"), Qt::Key_B, Qt::ControlModifier);
    DueWindow* list = f.window->blockingDates().list();
    QVERIFY(list);
    list->waitForRead();
    QCOMPARE(list->windowTitle(), QStringLiteral("Сроки блокировки"));
    const DueTable& table = list->table();
    QCOMPARE(table.rowCount(), 1);
    QCOMPARE(table.texts(0).mid(0, 5), (QStringList {"01.01.2026", "заблокирована", "2025.csv", "1", "A"}));
    QVERIFY2(list->heading().endsWith(QStringLiteral("(с 01.01.2026 по 02.03.2026): ЭКЛЗ — 1.")),
        qPrintable(list->heading()));
    for (const QString& note : {QStringLiteral("Не показаны заменённые ЭКЛЗ: 1"),
             QStringLiteral("«BAD.csv»: это не обычный файл"), QStringLiteral("«2025.csv» — 1")})
        QVERIFY2(list->below().contains(note), qPrintable(list->below()));

    list->findChild<QCheckBox*>()->setChecked(true);
    QCOMPARE(table.rowCount(), 2);
    QCOMPARE(table.texts(1).mid(1, 4), (QStringList {"заблокирована, заменена", "2025.csv", "2", "B"}));
    list->choosePeriod(DueWindow::monthsBack + 1 + 11); // December 2026: N, activated 10.10.2025
    QCOMPARE(table.rowCount(), 1);
    QCOMPARE(table.texts(0).mid(0, 5), (QStringList {"01.12.2026", "через 304 дн.", "текущий журнал", "1", "N"}));

    if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        const QString pdf = f.path(QStringLiteral("list.pdf"));
        f.desktop.savedFiles = {pdf};
        for (QPushButton* button : list->findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("Сохранить в PDF…"))
                button->click();
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished());
        const QString printed = QString::fromUtf8(text.readAllStandardOutput());
        for (const QString& part : {QStringLiteral("Сроки блокировки на 31.01.2026"), QStringLiteral("01.12.2026"),
                 QStringLiteral("стр. 1 из 1")})
            QVERIFY2(printed.contains(part), qPrintable(printed));
    }

    list->choosePeriod(0);
    list->findChild<QCheckBox*>()->setChecked(false);
    auto* view = list->findChild<QTableView*>();
    view->setCurrentIndex(table.index(0, 0));
    f.desktop.replies = {true}; // the grid's edit may go
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(f.grid().TextMatrix(f.grid().Row(), 6), QStringLiteral("Иванов"));
    QVERIFY(!list->isVisible());

    f.window->blockingDates().run();
    list->waitForRead();
    QVERIFY(list->isVisible());
    QTest::keyClick(view, Qt::Key_Escape);
    QVERIFY(!list->isVisible());
}

QTEST_MAIN(TestBlockingDates)
#include "tst_blockingdates.moc"
