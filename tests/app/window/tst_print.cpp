#include "PdfTools.h"
#include "WindowFixture.h"
#include "app/desktop/Fonts.h"

#include <QDate>
#include <QMenu>

namespace {

QString registerOf(int entries)
{
    QString text;
    for (int i = 1; i <= entries; ++i)
        text += QStringLiteral("%1;%2;15.01.2009;;ЭКР 2102К;%3;ООО Ромашка %4;\r\n")
                    .arg(8710000100 + i)
                    .arg(i)
                    .arg(100 + i)
                    .arg(i);
    return text;
}

} // namespace

class TestPrint : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void printsTwoLandscapeA4PagesWithThePendingEdit();
    void withoutAPrinterTheUserIsToldAndTheGridStillWalked_data();
    void withoutAPrinterTheUserIsToldAndTheGridStillWalked();
    void printsAndSavesWhatIsShown_data();
    void printsAndSavesWhatIsShown();
    void pdfIntoAFolderThatIsNotThere();
};

void TestPrint::printsTwoLandscapeA4PagesWithThePendingEdit()
{
    WindowFixture f;
    f.open(registerOf(37));
    f.retype(2, 6, QStringLiteral("ЗАО Правка"));
    f.desktop.pdfPath = f.path(QStringLiteral("register.pdf"));
    f.press("CmdPrint");
    QVERIFY(f.desktop.messages.empty());
    QCOMPARE(f.grid().Row(), 37);
    QCOMPARE(f.grid().Col(), 7);
    QCOMPARE(f.desktop.printedPages, (std::vector<std::pair<int, int>> {{1, 2}, {2, 2}}));

    const QString info = PdfTools::info(f.desktop.pdfPath);
    if (info.isEmpty())
        QSKIP("pdfinfo is not installed");
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))), qPrintable(info));
    QVERIFY2(info.contains(QStringLiteral("842 x 595 pts (A4)")), qPrintable(info));
    // pdftotext folds runs of blanks into one.
    const QString text = PdfTools::text(f.desktop.pdfPath).simplified();
    const QString title = QStringLiteral("PALOMET от ") + QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    QVERIFY2(text.contains(title), qPrintable(text.left(500)));
    QVERIFY(text.contains(QStringLiteral("ЗАО Правка")));
    QVERIFY(text.contains(QStringLiteral("ООО Ромашка 37")));
    QVERIFY(text.contains(QStringLiteral("стр. 1")));
    QVERIFY(text.contains(QStringLiteral("стр. 2")));
    QVERIFY(text.contains(QStringLiteral("Зав. № ЭКЛЗ")));
}

void TestPrint::withoutAPrinterTheUserIsToldAndTheGridStillWalked_data()
{
    QTest::addColumn<QString>("pdfPath");
    QTest::addColumn<QString>("said");
    QTest::newRow("no printer") << QString() << QStringLiteral("нет доступного принтера");
    QTest::newRow("a printer that cannot start")
        << QStringLiteral("/nonexistent/folder/register.pdf") << QStringLiteral("не начал задание");
    // "Отмена" on the second page: the job ends there, and the user is told.
    QTest::newRow("cancelled") << QStringLiteral("register.pdf") << QStringLiteral("печать отменена");
}

void TestPrint::withoutAPrinterTheUserIsToldAndTheGridStillWalked()
{
    QFETCH(QString, pdfPath);
    QFETCH(QString, said);
    WindowFixture f;
    const bool cancelled = pdfPath == u"register.pdf";
    f.desktop.pdfPath = cancelled ? f.path(pdfPath) : pdfPath;
    f.desktop.cancelAtPage = 2;
    f.open(registerOf(cancelled ? 80 : 3));
    f.clickCell(1, 0);
    WindowFixture::type(f.cellBox(), QStringLiteral("7"));
    f.press("CmdPrint");
    QCOMPARE(f.desktop.messages.size(), size_t {1});
    QVERIFY(f.desktop.messages[0].text.contains(said));
    QCOMPARE(f.grid().TextMatrix(1, 0), QStringLiteral("87100001017"));
    if (cancelled) {
        QCOMPARE(f.desktop.printedPages, (std::vector<std::pair<int, int>> {{1, 3}, {2, 3}}));
        return;
    }
    QCOMPARE(f.grid().Row(), 3);
    QCOMPARE(f.grid().Col(), 7);
}

void TestPrint::printsAndSavesWhatIsShown_data()
{
    QTest::addColumn<bool>("pdf"); // «Сохранить в PDF…», else "Печать"
    QTest::addColumn<bool>("filtered"); // the entries holding "Ромашка 3" shown
    QTest::addColumn<int>("cancelAt"); // «Отмена» at this page
    QTest::newRow("printed, every entry") << false << false << 0;
    QTest::newRow("printed, a filter on") << false << true << 0;
    QTest::newRow("PDF, every entry") << true << false << 0;
    QTest::newRow("PDF, a filter on") << true << true << 0;
    QTest::newRow("PDF cancelled over a file there") << true << false << 2;
    QTest::newRow("PDF cancelled on the last page") << true << false << 3;
}

void TestPrint::printsAndSavesWhatIsShown()
{
    QFETCH(bool, pdf);
    QFETCH(bool, filtered);
    QFETCH(int, cancelAt);
    WindowFixture f;
    f.open(registerOf(37));
    if (filtered) {
        f.grid().setCol(6);
        f.desktop.answers = {QStringLiteral("ромашка 3")};
        QTest::keyClick(f.button("CmdProd"), Qt::Key_4, Qt::ControlModifier);
        QCOMPARE(f.grid().Rows(), 10); // 3, 30 to 37
    }
    const QString out = f.path(QStringLiteral("register.pdf"));
    f.desktop.cancelAtPage = cancelAt;
    if (cancelAt)
        f.writeBytes("not replaced", QStringLiteral("register.pdf"));
    if (pdf) {
        f.desktop.savedFiles = {out};
        QContextMenuEvent press(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        QApplication::sendEvent(f.window->gridWidget()->viewport(), &press);
        QTRY_VERIFY(f.shownMenu());
        QMenu* menu = f.shownMenu();
        const QList<QAction*> entries = menu->actions();
        const auto save = std::find_if(entries.begin(), entries.end(),
            [](QAction* action) { return action->text() == QStringLiteral("Сохранить в PDF…"); });
        QVERIFY(save != entries.end());
        (*save)->trigger();
        menu->close();
        QVERIFY(f.desktop.suggestedFiles.value(0).endsWith(
            QStringLiteral("/Журнал ЭКЛЗ %1.pdf").arg(QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")))));
        // A folder that is there, even on an account with no documents folder yet.
        QVERIFY(QFileInfo(QFileInfo(f.desktop.suggestedFiles.value(0)).absolutePath()).isDir());
    } else {
        f.desktop.pdfPath = out;
        f.press("CmdPrint");
    }
    if (cancelAt) {
        QCOMPARE(f.desktop.messages.size(), size_t(1));
        QVERIFY(f.desktop.messages[0].text.contains(QStringLiteral("отменено")));
        QCOMPARE(f.readBytes(QStringLiteral("register.pdf")), QByteArray("not replaced"));
        QCOMPARE(
            QDir(f.folder.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("register")).size(), 1);
        return;
    }
    QVERIFY(f.desktop.messages.empty());
    QCOMPARE(f.desktop.progressWhat, pdf ? QStringLiteral("Сохранение в PDF") : QStringLiteral("Печать"));
    const QString info = PdfTools::info(out);
    if (info.isEmpty())
        QSKIP("pdfinfo is not installed");
    QVERIFY2(
        info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(filtered ? 1 : 2))), qPrintable(info));
    QVERIFY2(info.contains(QStringLiteral("842 x 595 pts (A4)")), qPrintable(info));
    const QString text = PdfTools::text(out).simplified();
    QVERIFY(text.contains(QStringLiteral("ООО Ромашка 37")));
    QCOMPARE(text.contains(QStringLiteral("ООО Ромашка 4")), !filtered);
    // The heading says what is shown when it is not the whole register.
    const QString heading = QStringLiteral("PALOMET от ") + QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    QVERIFY2(text.contains(heading), qPrintable(text.left(300)));
    QVERIFY2(text.contains(QStringLiteral("показано 9 из 37: содержащие «ромашка 3» в колонке «Владелец»")) == filtered,
        qPrintable(text.left(300)));
    QCOMPARE(text.contains(QStringLiteral("показано")), filtered);
    QVERIFY(text.contains(QStringLiteral("стр. 1")));
}

// The message names the cause as the user can mend it.
void TestPrint::pdfIntoAFolderThatIsNotThere()
{
    WindowFixture f;
    f.open(registerOf(3));
    const QString missing = f.path(QStringLiteral("Документы"));
    f.desktop.savedFiles = {missing + QStringLiteral("/register.pdf")};
    for (QAction* action : f.window->findChildren<QAction*>())
        if (action->text() == QStringLiteral("Сохранить в PDF…"))
            action->trigger();
    QCOMPARE(f.desktop.messages.size(), size_t(1));
    QCOMPARE(
        f.desktop.messages[0].text, QStringLiteral("PDF «%1/register.pdf» не сохранён: папки «%1» нет. Файл не создан.")
                                        .arg(QDir::toNativeSeparators(missing)));
}

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
