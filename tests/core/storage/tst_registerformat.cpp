#include "RegisterFiles.h"
#include "grid/GridModel.h"
#include "storage/RegisterFormat.h"
#include "storage/RegisterReader.h"
#include "storage/RegisterWriter.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace {

using namespace RegisterFiles;

using Rows = std::vector<QStringList>;

QString writeFile(const QTemporaryDir& dir, const QByteArray& bytes)
{
    const QString path = dir.filePath(QStringLiteral("thisyear.csv"));
    writeAll(path, bytes);
    return path;
}

} // namespace

class TestRegisterFormat : public QObject {
    Q_OBJECT
private slots:
    void lineEnds_data();
    void lineEnds();
    void everyByteSurvivesDecoding();
    void crlfSplitAcrossBlocksIsOneLineEnd();
    void lineLengthLimit();
    void loadGrowsTheGridToTheWidestLine();
    void loadOfOurOwnFileGivesEightColumns();
    void failedLoadKeepsTheRowsRead();
    void missingFileOrFolderIsAFailure();
    void keptWorkHoldsEveryCharacter_data();
    void keptWorkHoldsEveryCharacter();
};

void TestRegisterFormat::lineEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Rows>("rows");
    QTest::newRow("CR LF, last line ended") << QByteArray("a;b;\r\nc;\r\n") << Rows {{"a", "b", ""}, {"c", ""}};
    QTest::newRow("last line without end") << QByteArray("a;\r\nA;B") << Rows {{"a", ""}, {"A", "B"}};
    QTest::newRow("lone CR ends a line") << QByteArray("x\ry\r") << Rows {{"x"}, {"y"}};
    QTest::newRow("lone LF ends a line") << QByteArray("p;\nq;\n") << Rows {{"p", ""}, {"q", ""}};
    QTest::newRow("endings mixed") << QByteArray("a\r\nb\nc\rd") << Rows {{"a"}, {"b"}, {"c"}, {"d"}};
    QTest::newRow("LF CR is two ends") << QByteArray("a\n\rb") << Rows {{"a"}, {""}, {"b"}};
    QTest::newRow("empty line in the middle") << QByteArray("1;\r\n\r\n2;\r\n") << Rows {{"1", ""}, {""}, {"2", ""}};
    QTest::newRow("empty file") << QByteArray() << Rows {};
    QTest::newRow("blanks kept") << QByteArray(" a ;  ;\r\n") << Rows {{" a ", "  ", ""}};
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << Rows {{"a"}, {""}, {"b"}};
}

void TestRegisterFormat::lineEnds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Rows, rows);
    const auto parsed = RegisterFormat::parse(bytes);
    QVERIFY(parsed);
    QCOMPARE(*parsed, rows);
}

void TestRegisterFormat::everyByteSurvivesDecoding()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = RegisterFormat::decode(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(cp1251(text), all);
    QCOMPARE(text[0xC0], QChar(u'А'));
    QCOMPARE(text[0xB9], QChar(u'№'));
}

void TestRegisterFormat::crlfSplitAcrossBlocksIsOneLineEnd()
{
    QStringList lines;
    auto collect = [&](QByteArrayView line) { lines.append(RegisterFormat::decode(line)); };
    const auto first = RegisterFormat::splitLines("one\r", false, collect);
    QVERIFY(first);
    QCOMPARE(*first, 0); // the CR waits for a possible LF
    const auto second = RegisterFormat::splitLines("one\r\ntwo", false, collect);
    QCOMPARE(*second, 5);
    QCOMPARE(lines, QStringList {"one"});
    RegisterFormat::splitLines("two", true, collect);
    QCOMPARE(lines, (QStringList {"one", "two"}));
}

void TestRegisterFormat::lineLengthLimit()
{
    const QByteArray longest(RegisterFormat::maxLineLength, 'x');
    QVERIFY(RegisterFormat::parse(longest + "\r\n"));
    QVERIFY(RegisterFormat::parse(longest));
    QVERIFY(!RegisterFormat::parse(longest + "x\r\n"));
    QVERIFY(!RegisterFormat::parse(longest + "x"));
}

void TestRegisterFormat::loadGrowsTheGridToTheWidestLine()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, cp1251(QStringLiteral("A;B\r\n0;1;2;3;4;5;6;7;8;9\r\nЖ;\r\n")));
    GridModel grid;
    RegisterFiles::resetForLoading(grid);
    int lastColumn = -1;
    QCOMPARE(RegisterReader::loadInto(grid, path, {nullptr, false, &lastColumn}), RegisterReader::Status::Ok);
    QCOMPARE(grid.Rows(), 4);
    QCOMPARE(grid.Cols(), 10);
    QCOMPARE(grid.TextMatrix(1, 1), QStringLiteral("B"));
    QCOMPARE(grid.TextMatrix(1, 9), QString());
    QCOMPARE(grid.TextMatrix(2, 9), QStringLiteral("9"));
    QCOMPARE(grid.TextMatrix(3, 0), QStringLiteral("Ж"));
    QCOMPARE(lastColumn, 1); // where the last line ended
}

void TestRegisterFormat::loadOfOurOwnFileGivesEightColumns()
{
    QTemporaryDir dir;
    const QString line = QStringLiteral("1234;5678;15.01.2009;01.03.2010;ЭЛВЕС-МК;42;ООО Ромашка;\r\n");
    const QString path = writeFile(dir, cp1251(line + line + line));
    GridModel grid;
    RegisterFiles::resetForLoading(grid);
    int lastColumn = -1;
    QCOMPARE(RegisterReader::loadInto(grid, path, {nullptr, false, &lastColumn}), RegisterReader::Status::Ok);
    QCOMPARE(grid.Rows(), 4);
    QCOMPARE(grid.Cols(), 8);
    QCOMPARE(grid.TextMatrix(2, 6), QStringLiteral("ООО Ромашка"));
    QCOMPARE(grid.TextMatrix(0, 7), QString());
    QCOMPARE(lastColumn, 7);
}

void TestRegisterFormat::failedLoadKeepsTheRowsRead()
{
    QTemporaryDir dir;
    const QByteArray tooLong(RegisterFormat::maxLineLength + 1, 'y');
    const QString path = writeFile(dir, "a;\r\nb;\r\n" + tooLong + "\r\nc;\r\n");
    GridModel grid;
    RegisterFiles::resetForLoading(grid);
    QCOMPARE(RegisterReader::loadInto(grid, path), RegisterReader::Status::LineTooLong);
    // Two rows read and the (empty) row that was being filled.
    QCOMPARE(grid.Rows(), 4);
    QCOMPARE(grid.TextMatrix(2, 0), QStringLiteral("b"));
    QCOMPARE(grid.TextMatrix(3, 0), QString());
}

void TestRegisterFormat::missingFileOrFolderIsAFailure()
{
    QTemporaryDir dir;
    GridModel grid;
    QCOMPARE(
        RegisterReader::loadInto(grid, dir.filePath(QStringLiteral("none.csv"))), RegisterReader::Status::CannotOpen);
    QVERIFY(RegisterReader::loadInto(grid, dir.path()) != RegisterReader::Status::Ok);
}

void TestRegisterFormat::keptWorkHoldsEveryCharacter_data()
{
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<bool>("unicode"); // the register's own form cannot hold it
    QTest::newRow("fits the register") << QStringList {"1", "Иванов"} << false;
    QTest::newRow("a character Windows-1251 lacks") << QStringList {"Café", "€ 😀"} << true;
    QTest::newRow("a semicolon and a quote") << QStringList {"a;b", "say \"hi\"", "\""} << true;
    QTest::newRow("a line break") << QStringList {"two\nlines", "and\r\nthree"} << true;
    QTest::newRow("text past the seventh column") << QStringList {"0", "1", "2", "3", "4", "5", "6", "восьмая"} << true;
    QTest::newRow("a line longer than a register's") << QStringList {"1", QString(33000, u'ж')} << true;
}

// Work recovered and not taken back: kept whole, in the register's form where
// it fits, else in the Unicode form, which only a kept version is read in.
void TestRegisterFormat::keptWorkHoldsEveryCharacter()
{
    QFETCH(QStringList, cells);
    QFETCH(bool, unicode);
    QTemporaryDir dir;
    GridModel grid;
    grid.setCols(std::max<int>(7, int(cells.size())));
    grid.setRows(3);
    for (int c = 0; c < cells.size(); ++c)
        grid.setTextMatrix(2, c, cells[c]);
    const RegisterWriter::KeptWork kept =
        RegisterWriter::keepAsVersion(grid, dir.path(), QStringLiteral("thisyear-recovered"));
    QVERIFY(!kept.path.isEmpty());
    QCOMPARE(kept.unicode, unicode);
    GridModel back;
    RegisterFiles::resetForLoading(back);
    QCOMPARE(RegisterReader::loadInto(back, kept.path, {nullptr, true, nullptr}), RegisterReader::Status::Ok);
    QCOMPARE(back.Rows(), 3);
    if (unicode)
        QCOMPARE(back.Cols(), grid.Cols()); // no column more than was written
    for (int c = 0; c < cells.size(); ++c)
        QCOMPARE(back.TextMatrix(2, c), cells[c]);
    QCOMPARE(back.TextMatrix(1, 0), QString());
    // Read as a register or an archive, the same file is only its bytes.
    GridModel asRegister;
    RegisterFiles::resetForLoading(asRegister);
    RegisterReader::loadInto(asRegister, kept.path);
    QCOMPARE(asRegister.TextMatrix(1, 0).startsWith(QStringLiteral("п»ї")), unicode);
}

QTEST_MAIN(TestRegisterFormat)
#include "tst_registerformat.moc"
