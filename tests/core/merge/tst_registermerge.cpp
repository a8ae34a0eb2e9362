#include "merge/RegisterMerge.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <map>
#include <set>

// The three-way merge on registers written as lines, and on random edits of
// two desks from one base.
namespace {

// A register as lines of seven ';'-separated cells.
struct Register {
    std::vector<PackedRow> rows;

    explicit Register(const QStringList& lines)
    {
        for (const QString& line : lines) {
            rows.emplace_back();
            for (const QString& cell : line.split(u';'))
                rows.back().append(cell);
        }
    }
    MergeSide side() const
    {
        return {int(rows.size()), [this](int entry) { return rows[size_t(entry)].view(); }};
    }
};

QStringList merged(const RegisterMerge& merge, const std::vector<bool>& keepTheirs)
{
    QStringList lines;
    for (const RegisterMerge::Piece& piece : merge.result(keepTheirs).pieces) {
        QStringList cells;
        for (int column = 0; column < 7; ++column)
            cells << merge.text(piece, column);
        lines << cells.join(u';');
    }
    return lines;
}

// What a conflict is about: the serial number (from whichever side holds
// the entry), the column, and the kind.
QString conflictOf(const Register& ours, const Register& theirs, const RegisterMerge::Conflict& conflict)
{
    const RowView row =
        conflict.ours >= 0 ? ours.rows[size_t(conflict.ours)].view() : theirs.rows[size_t(conflict.theirs)].view();
    static const char* const kinds[] = {"cell", "deleted here", "deleted there"};
    return QStringLiteral("%1:%2:%3")
        .arg(row.cell(0).toString())
        .arg(conflict.column)
        .arg(QLatin1String(kinds[int(conflict.kind)]));
}

// One desk's random work on a copy of the base: serial numbers stay unique
// and are never edited, so that an entry's identity is its serial number.
struct Desk {
    QString name;
    std::vector<QStringList> entries;

    void work(QRandomGenerator& random, int steps, bool sort)
    {
        for (int step = 0; step < steps; ++step) {
            const int what = int(random.bounded(4));
            if (what == 0 && !entries.empty()) {
                entries.erase(entries.begin() + random.bounded(int(entries.size())));
            } else if (what == 1) {
                const QStringList added {QStringLiteral("%1-%2").arg(name).arg(step), QStringLiteral("new"), QString(),
                    QString(), QString(), QString(), name};
                entries.insert(entries.begin() + random.bounded(int(entries.size()) + 1), added);
            } else if (!entries.empty()) {
                // Columns 1, 4, 5 and 6: no dates, no serial numbers.
                static const int columns[] = {1, 4, 5, 6};
                QStringList& entry = entries[size_t(random.bounded(int(entries.size())))];
                entry[columns[random.bounded(4)]] = QStringLiteral("%1 %2").arg(name).arg(random.bounded(3));
            }
        }
        if (sort)
            std::stable_sort(
                entries.begin(), entries.end(), [](const QStringList& a, const QStringList& b) { return a[5] > b[5]; });
    }
    QStringList lines() const
    {
        QStringList all;
        for (const QStringList& entry : entries)
            all << entry.join(u';');
        return all;
    }
    std::map<QString, QStringList> bySerial() const
    {
        std::map<QString, QStringList> found;
        for (const QStringList& entry : entries)
            found[entry[0]] = entry;
        return found;
    }
};

} // namespace

class TestRegisterMerge : public QObject {
    Q_OBJECT
private slots:
    void mergesLines_data();
    void mergesLines();
    void randomWorkOfTwoDesks_data();
    void randomWorkOfTwoDesks();
};

void TestRegisterMerge::mergesLines_data()
{
    QTest::addColumn<QStringList>("base");
    QTest::addColumn<QStringList>("ours");
    QTest::addColumn<QStringList>("theirs");
    QTest::addColumn<QStringList>("conflicts");
    QTest::addColumn<bool>("keepTheirs"); // for every conflict
    QTest::addColumn<QStringList>("result");
    QTest::addColumn<QString>("counts"); // added, changed, deleted
    const QString a = QStringLiteral("A;x;;;;;");
    const QString b = QStringLiteral("B;y;;;;;");
    const QString c = QStringLiteral("C;z;;;;;");
    QTest::newRow("a cell both changed differently, theirs kept")
        << QStringList {a, b} << QStringList {"A;here;;;;;"} << QStringList {"A;there;;;;;", b}
        << QStringList {"A:1:cell"} << true << QStringList {"A;there;;;;;"} << "0,1,0";
    QTest::newRow("changed there, deleted here: theirs brings it back")
        << QStringList {a, b} << QStringList {b} << QStringList {"A;there;;;;;", b} << QStringList {"A:-1:deleted here"}
        << true << QStringList {"A;there;;;;;", b} << "1,0,0";
    QTest::newRow("changed here, deleted there: deleted")
        << QStringList {a, b} << QStringList {"A;here;;;;;", b} << QStringList {b} << QStringList {"A:-1:deleted there"}
        << true << QStringList {b} << "0,0,1";
    QTest::newRow("a serial number changed: the rest still matches by position of nothing")
        << QStringList {a, b} << QStringList {"A2;x;;;;;", b} << QStringList {a, "B;y;;;;;there"} << QStringList()
        << false << QStringList {"A2;x;;;;;", "B;y;;;;;there"} << "0,1,0";
    QTest::newRow("an entry changed everywhere but its serial number matches by it")
        << QStringList {a} << QStringList {"A;1;2;;4;5;6"} << QStringList {"A;x;;;;;there"} << QStringList {"A:6:cell"}
        << false << QStringList {"A;1;2;;4;5;6"} << "0,0,0";
    QTest::newRow("added alike on both sides: once") << QStringList {a} << QStringList {a, c} << QStringList {a, c}
                                                     << QStringList() << false << QStringList {a, c} << "0,0,0";
    QTest::newRow("additions follow the entry they follow on their side")
        << QStringList {a, b} << QStringList {"N1;;;;;;", a, "N2;;;;;;", b} << QStringList {a, "T;;;;;;", b, "T2;;;;;;"}
        << QStringList() << false << QStringList {"N1;;;;;;", a, "N2;;;;;;", "T;;;;;;", b, "T2;;;;;;"} << "2,0,0";
    QTest::newRow("theirs sorted: their order, ours added after its entry")
        << QStringList {a, b, c} << QStringList {a, "N;;;;;;", b, c} << QStringList {c, b, a} << QStringList() << false
        << QStringList {c, b, a, "N;;;;;;"} << "0,0,0";
    QTest::newRow("after an entry they deleted: last")
        << QStringList {a, b, c} << QStringList {a, "N;;;;;;", b, c} << QStringList {b, c} << QStringList() << false
        << QStringList {b, c, "N;;;;;;"} << "0,0,1";
    QTest::newRow("equal entries pair off in turn")
        << QStringList {";;;;;;", ";;;;;;", a} << QStringList {";;;;;;", a} << QStringList {";;;;;;", ";;;;;;", a}
        << QStringList() << false << QStringList {";;;;;;", a} << "0,0,0";
    QTest::newRow("an activation date from there, the blocking date derived again")
        << QStringList {"A;;01.01.2025;01.03.2026;;;"} << QStringList {"A;;01.01.2025;01.03.2026;;;here"}
        << QStringList {"A;;01.02.2025;01.04.2026;;;"} << QStringList() << false
        << QStringList {"A;;01.02.2025;01.04.2026;;;here"} << "0,1,0";
    QTest::newRow("both changed the activation date: asked once, the blocking date follows")
        << QStringList {"A;;01.01.2025;01.03.2026;;;"} << QStringList {"A;;01.06.2025;01.08.2026;;;"}
        << QStringList {"A;;01.02.2025;x;;;"} << QStringList {"A:2:cell"} << true
        << QStringList {"A;;01.02.2025;01.04.2026;;;"} << "0,1,0";
}

void TestRegisterMerge::mergesLines()
{
    QFETCH(QStringList, base);
    QFETCH(QStringList, ours);
    QFETCH(QStringList, theirs);
    QFETCH(QStringList, conflicts);
    QFETCH(bool, keepTheirs);
    QFETCH(QStringList, result);
    QFETCH(QString, counts);
    const Register was(base);
    const Register here(ours);
    const Register there(theirs);
    const RegisterMerge merge(was.side(), here.side(), there.side());
    QStringList asked;
    for (const RegisterMerge::Conflict& conflict : merge.conflicts())
        asked << conflictOf(here, there, conflict);
    QCOMPARE(asked, conflicts);
    const std::vector<bool> choices(merge.conflicts().size(), keepTheirs);
    QCOMPARE(merged(merge, choices), result);
    const RegisterMerge::Counts counted = merge.result(choices).counts;
    QCOMPARE(QStringLiteral("%1,%2,%3").arg(counted.added).arg(counted.changed).arg(counted.deleted), counts);
}

void TestRegisterMerge::randomWorkOfTwoDesks_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("steps"); // on each desk
    QTest::addColumn<int>("sorts"); // 1: ours sorts, 2: theirs, 3: both
    for (quint32 seed = 1; seed <= 40; ++seed)
        QTest::addRow("seed %u", seed) << seed << int(5 + seed % 30) << int(seed % 12) << int(seed % 4);
}

void TestRegisterMerge::randomWorkOfTwoDesks()
{
    QFETCH(quint32, seed);
    QFETCH(int, entries);
    QFETCH(int, steps);
    QFETCH(int, sorts);
    QRandomGenerator random(seed);
    Desk start {QStringLiteral("base"), {}};
    for (int entry = 0; entry < entries; ++entry)
        start.entries.push_back(
            {QStringLiteral("S%1").arg(entry), QString::number(random.bounded(3)), QStringLiteral("01.01.2025"),
                QStringLiteral("01.03.2026"), QString(), QString::number(entry % 4), QString()});
    Desk ours = start;
    ours.name = QStringLiteral("ours");
    ours.work(random, steps, sorts & 1);
    Desk theirs = start;
    theirs.name = QStringLiteral("theirs");
    theirs.work(random, steps, sorts & 2);
    const Register base(start.lines());
    const Register here(ours.lines());
    const Register there(theirs.lines());

    // The outcome by serial number, from what each desk did.
    const auto was = start.bySerial();
    const auto mine = ours.bySerial();
    const auto other = theirs.bySerial();
    std::set<QString> conflicts;
    std::multiset<QString> expected;
    std::set<QString> serials;
    for (const auto* side : {&mine, &other})
        for (const auto& entry : *side)
            serials.insert(entry.first);
    for (const QString& serial : serials) {
        const bool inBase = was.count(serial) > 0;
        const bool isHere = mine.count(serial) > 0;
        const bool isThere = other.count(serial) > 0;
        if (!inBase) {
            expected.insert((isHere ? mine : other).at(serial).join(u';'));
            continue;
        }
        const QStringList& before = was.at(serial);
        if (isHere && isThere) {
            QStringList cells = mine.at(serial);
            for (int column = 0; column < 7; ++column) {
                const QString& then = other.at(serial)[column];
                if (then != before[column] && cells[column] != before[column] && then != cells[column])
                    conflicts.insert(QStringLiteral("%1:%2:cell").arg(serial).arg(column));
                else if (then != before[column])
                    cells[column] = then; // kept ours in a conflict: see below
            }
            expected.insert(cells.join(u';'));
        } else if (isHere && mine.at(serial) != before) {
            conflicts.insert(serial + QStringLiteral(":-1:deleted there"));
            expected.insert(mine.at(serial).join(u';'));
        } else if (isThere && other.at(serial) != before) {
            conflicts.insert(serial + QStringLiteral(":-1:deleted here"));
        }
    }

    const RegisterMerge merge(base.side(), here.side(), there.side());
    std::set<QString> asked;
    for (const RegisterMerge::Conflict& conflict : merge.conflicts())
        asked.insert(conflictOf(here, there, conflict));
    QCOMPARE(asked, conflicts);
    // Every conflict decided for ours: every change only one side made, each entry once.
    const QStringList result = merged(merge, std::vector<bool>(merge.conflicts().size(), false));
    QCOMPARE(std::multiset<QString>(result.begin(), result.end()), expected);
    // The side whose order stands keeps it: theirs, unless only ours moved
    // the base's entries.
    const auto moved = [&](const Desk& desk) { // the base's entries are S0, S1…
        int last = -1;
        for (const QStringList& entry : desk.entries) {
            const int at = was.count(entry[0]) ? entry[0].mid(1).toInt() : last;
            if (at < last)
                return true;
            last = at;
        }
        return false;
    };
    const Desk& standing = moved(ours) && !moved(theirs) ? ours : theirs;
    QStringList resultSerials;
    for (const QString& line : result)
        resultSerials << line.section(u';', 0, 0);
    QStringList standingOrder = standing.lines().replaceInStrings(QRegularExpression(QStringLiteral(";.*")), QString());
    standingOrder.removeIf([&](const QString& serial) { return !resultSerials.contains(serial); });
    resultSerials.removeIf([&](const QString& serial) { return !standingOrder.contains(serial); });
    QCOMPARE(resultSerials, standingOrder);

    // An unchanged side gives the other one as it is.
    QCOMPARE(merged(RegisterMerge(base.side(), base.side(), there.side()), {}), theirs.lines());
    QCOMPARE(merged(RegisterMerge(base.side(), here.side(), base.side()), {}), ours.lines());
}

QTEST_APPLESS_MAIN(TestRegisterMerge)
#include "tst_registermerge.moc"
