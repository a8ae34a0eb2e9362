#include "FileSystemHelpers.h"
#include "WindowFixture.h"
#include "app/desktop/Fonts.h"
#include "app/window/Dialog.h"

#include <QLabel>

namespace {

QList<Dialog*> openDialogs()
{
    QList<Dialog*> dialogs;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<Dialog*>(widget); dialog && dialog->isVisible())
            dialogs.append(dialog);
    return dialogs;
}

QPushButton* dialogButton(const char* name)
{
    return openDialogs().value(0)->findChild<QPushButton*>(QLatin1String(name));
}

void answer(const char* name)
{
    QTest::mouseClick(dialogButton(name), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

const QString sample = QStringLiteral("1;100;15.01.2009;01.03.2010;ЭКР;7;Иванов;\r\n");

} // namespace

class TestExit : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void exitAsksOnlyWhenWorkWouldBeLost_data();
    void exitAsksOnlyWhenWorkWouldBeLost();
    void dialogLooksAsSpecified();
    void secondExitRaisesTheSameDialog();
    void yesSavesTheGridAsItIsThenEnds();
    void yesWhoseSaveFailsKeepsTheProgram();
    void noEndsWithoutSaving();
    void backAndCloseBoxOnlyCloseTheDialog();
    void closeBoxActsAsExit_data();
    void closeBoxActsAsExit();
    void sessionEndAsksOrKeepsTheWork_data();
    void sessionEndAsksOrKeepsTheWork();
};

void TestExit::exitAsksOnlyWhenWorkWouldBeLost_data()
{
    QTest::addColumn<QString>("change"); // made after opening the register
    QTest::addColumn<bool>("saved"); // and then saved
    QTest::addColumn<bool>("asks");
    QTest::newRow("opened only") << "" << false << false;
    QTest::newRow("a row added") << "CmdAddS" << false << true;
    QTest::newRow("a row added, then saved") << "CmdAddS" << true << false;
    QTest::newRow("a column moved") << "CmdSortC" << false << true;
    QTest::newRow("typed into the input line") << "TxtVvod" << false << true;
    QTest::newRow("the same text put back") << "CmdEdit" << false << false;
}

void TestExit::exitAsksOnlyWhenWorkWouldBeLost()
{
    QFETCH(QString, change);
    QFETCH(bool, saved);
    QFETCH(bool, asks);
    WindowFixture f;
    f.open(sample);
    f.grid().setCol(6);
    if (change == u"TxtVvod")
        f.type(f.lineEdit("TxtVvod"), QStringLiteral("Петров"));
    else if (change == u"CmdEdit")
        f.lineEdit("TxtVvod")->setText(f.grid().Text());
    if (change.startsWith(u"Cmd"))
        f.press(change.toLatin1().constData());
    if (saved)
        f.press("CmdSave");
    f.press("CmdProd");
    QCOMPARE(f.desktop.quits, asks ? 0 : 1);
    QCOMPARE(openDialogs().size(), asks ? 1 : 0);
    if (!saved)
        QCOMPARE(f.readBytes(), QStringEncoder("windows-1251").encode(sample));
}

void TestExit::dialogLooksAsSpecified()
{
    WindowFixture f;
    f.clickCell(1, 0);
    f.press("CmdProd");
    QCOMPARE(f.desktop.quits, 0);
    const QList<Dialog*> dialogs = openDialogs();
    QCOMPARE(dialogs.size(), 1);
    Dialog* dialog = dialogs[0];
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Dialog Caption"));
    QCOMPARE(dialog->geometry(), Twips::toPixels(QRect(2760, 3750, 6030, 1785)));
    QVERIFY(dialog->windowFlags().testFlag(Qt::Tool)); // no task-bar entry
    QVERIFY(!dialog->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(dialog->parentWidget() == nullptr);
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());

    auto* label = dialog->findChild<QLabel*>(QStringLiteral("Label1"));
    QCOMPARE(label->text(), QStringLiteral("СОХРАНИТЬ ИЗМЕНЕНИЯ?"));
    QCOMPARE(label->font().pointSizeF(), 12.0);
    QVERIFY(label->font().bold());
    QVERIFY(label->wordWrap());
    QCOMPARE(label->geometry(), Twips::toPixels(QRect(1560, 240, 2295, 615)));
    QCOMPARE(dialogButton("OKButton")->text(), QStringLiteral("ДА"));
    QCOMPARE(dialogButton("CancelButton")->geometry(), Twips::toPixels(QRect(4680, 600, 1215, 375)));
    QCOMPARE(dialogButton("CmdCancel")->text(), QStringLiteral("НАЗАД"));
    QVERIFY(!dialogButton("OKButton")->autoDefault());
    QCOMPARE(dialogButton("OKButton")->nextInFocusChain(), dialogButton("CancelButton"));
    // The main window stays usable meanwhile.
    f.clickCell(1, 1);
    QVERIFY(f.cellBox()->isVisible());
    // Return presses the focused button as Space does: "НАЗАД" closes.
    QTest::keyClick(dialogButton("CmdCancel"), Qt::Key_Return);
    QTRY_VERIFY(openDialogs().isEmpty());
    QCOMPARE(f.desktop.quits, 0);
}

void TestExit::secondExitRaisesTheSameDialog()
{
    WindowFixture f;
    f.clickCell(1, 0);
    f.press("CmdProd");
    Dialog* first = openDialogs().value(0);
    f.press("CmdProd");
    QCOMPARE(openDialogs(), QList<Dialog*> {first});
    answer("CmdCancel");
}

void TestExit::yesSavesTheGridAsItIsThenEnds()
{
    WindowFixture f;
    f.open(sample);
    f.clickCell(1, 6);
    f.press("CmdProd");
    // Edited while the dialog is open: part of what is saved.
    f.cellBox()->selectAll();
    WindowFixture::type(f.cellBox(), QStringLiteral("Сидоров"));
    answer("OKButton");
    QCOMPARE(f.desktop.quits, 1);
    QVERIFY(openDialogs().isEmpty());
    QCOMPARE(f.readBytes(),
        QStringEncoder("windows-1251").encode(QStringLiteral("1;100;15.01.2009;01.03.2010;ЭКР;7;Сидоров;\r\n")));
}

void TestExit::yesWhoseSaveFailsKeepsTheProgram()
{
    WindowFixture f;
    f.open(sample);
    f.retype(1, 6, QStringLiteral("a;b"));
    f.press("CmdProd");
    answer("OKButton");
    QCOMPARE(f.desktop.quits, 0);
    QVERIFY(openDialogs().isEmpty());
    QCOMPARE(f.desktop.messages.size(), size_t {1});
    QVERIFY(f.desktop.messages[0].text.contains(QStringLiteral("строке 1, колонке 7")));
    QVERIFY(f.desktop.messages[0].text.contains(QStringLiteral("«Владелец»")));
    QCOMPARE(f.desktop.messages[0].title, QStringLiteral("Palomet"));
    QCOMPARE(f.grid().TextMatrix(1, 6), QStringLiteral("a;b"));
    QCOMPARE(f.grid().Row(), 1); // left on the cell to mend
    QCOMPARE(f.grid().Col(), 6);
    QCOMPARE(f.readBytes(), QStringEncoder("windows-1251").encode(sample));
}

void TestExit::noEndsWithoutSaving()
{
    WindowFixture f;
    f.open(sample);
    f.retype(1, 6, QStringLiteral("Сидоров"));
    f.press("CmdProd");
    answer("CancelButton");
    QCOMPARE(f.desktop.quits, 1);
    QCOMPARE(f.readBytes(), QStringEncoder("windows-1251").encode(sample));
}

void TestExit::backAndCloseBoxOnlyCloseTheDialog()
{
    WindowFixture f;
    f.clickCell(1, 0);
    f.press("CmdProd");
    answer("CmdCancel");
    QVERIFY(openDialogs().isEmpty());
    QCOMPARE(f.desktop.quits, 0);
    f.press("CmdProd");
    QCOMPARE(openDialogs().size(), 1);
    openDialogs()[0]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(openDialogs().isEmpty());
    QCOMPARE(f.desktop.quits, 0);
    QVERIFY(f.window->isGridEdited());
    QVERIFY(!QFile::exists(f.path(QStringLiteral("thisyear.csv"))));
}

void TestExit::closeBoxActsAsExit_data()
{
    QTest::addColumn<bool>("edited");
    QTest::addColumn<QString>("dialogBefore"); // "", "open", or "closed" but not yet deleted
    QTest::addColumn<bool>("closeBox"); // else "Выход"
    QTest::addColumn<int>("quits");
    QTest::newRow("untouched: ends at once") << false << "" << true << 1;
    QTest::newRow("edited: the question") << true << "" << true << 0;
    QTest::newRow("question open: raised again") << true << "open" << true << 0;
    QTest::newRow("question closed, not yet deleted: a new one") << true << "closed" << false << 0;
}

void TestExit::closeBoxActsAsExit()
{
    QFETCH(bool, edited);
    QFETCH(QString, dialogBefore);
    QFETCH(bool, closeBox);
    QFETCH(int, quits);
    WindowFixture f;
    if (edited)
        f.clickCell(1, 0);
    if (!dialogBefore.isEmpty())
        f.press("CmdProd");
    Dialog* before = openDialogs().value(0);
    if (dialogBefore == QStringLiteral("closed"))
        QTest::mouseClick(dialogButton("CmdCancel"), Qt::LeftButton); // deleted only later
    if (closeBox)
        f.window->close();
    else
        f.press("CmdProd");
    QCOMPARE(f.desktop.quits, quits);
    QCOMPARE(openDialogs().size(), quits ? 0 : 1);
    if (dialogBefore == QStringLiteral("open"))
        QCOMPARE(openDialogs().value(0), before);
    QVERIFY(f.desktop.prompts.isEmpty());
    QVERIFY(!QFile::exists(f.path(QStringLiteral("thisyear.csv"))));
}

void TestExit::sessionEndAsksOrKeepsTheWork_data()
{
    QTest::addColumn<QString>("work"); // none, two steps, or text typed into the cell box only
    QTest::addColumn<bool>("interaction"); // the session manager lets us ask
    QTest::addColumn<QString>("answer"); // the exit question's button
    QTest::addColumn<bool>("ends");
    QTest::newRow("nothing to lose") << "" << true << "" << true;
    QTest::newRow("no interaction: logged") << "steps" << false << "" << true;
    QTest::newRow("no interaction: the cell box logged") << "box" << false << "" << true;
    QTest::newRow("НАЗАД keeps the session") << "steps" << true << "CmdCancel" << false;
    QTest::newRow("НЕТ ends it") << "steps" << true << "CancelButton" << true;
    QTest::newRow("ДА saves and ends it") << "steps" << true << "OKButton" << true;
}

void TestExit::sessionEndAsksOrKeepsTheWork()
{
    QFETCH(QString, work);
    QFETCH(bool, interaction);
    QFETCH(QString, answer);
    QFETCH(bool, ends);
    WindowFixture f;
    f.open(sample);
    const bool changed = !work.isEmpty();
    if (changed)
        f.retype(1, 6, QStringLiteral("Сидоров"));
    if (work == u"steps")
        f.press("CmdAddS");
    if (!answer.isEmpty())
        QTimer::singleShot(0, [&] { ::answer(answer.toLatin1().constData()); });
    QCOMPARE(f.window->endOfSession(interaction), ends);
    QVERIFY(openDialogs().isEmpty());
    QCOMPARE(f.desktop.quits, int(answer == u"CancelButton" || answer == u"OKButton"));
    // Work that is neither saved nor dropped is on disk, whole, for the next start.
    const bool kept = changed && (answer.isEmpty() || answer == u"CmdCancel");
    QCOMPARE(f.window->workLog().active(), kept);
    if (kept) {
        QFile log(f.window->workLog().path());
        QVERIFY(log.open(QIODevice::ReadOnly));
        const std::optional<WorkLogFormat::Contents> contents = WorkLogFormat::read(log);
        QVERIFY(contents);
        QCOMPARE(contents->steps, work == u"box" ? 1 : 2);
    }
}

QTEST_MAIN(TestExit)
#include "tst_exit.moc"
