#include "merge/Differences.h"
#include "merge/ThreeWayMerge.h"
#include "platform/resutil/ResStrings.h"
#include "tests/testlib/TestEnvironment.h"

#include <QtTest>

using merge::Side;

namespace {

// "1033:1=File 1031:1=Datei": cells as LOCALE:ID=TEXT, separated by spaces.
merge::StringTable table(const QString &text)
{
    std::vector<merge::Cell> cells;
    for (const QString &item : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const qsizetype colon = item.indexOf(QLatin1Char(':'));
        const qsizetype equals = item.indexOf(QLatin1Char('='));
        cells.push_back(merge::Cell{item.left(colon).toInt(), item.mid(colon + 1, equals - colon - 1).toInt(),
                                    item.mid(equals + 1)});
    }
    return merge::StringTable::fromCells(std::move(cells));
}

QString shorthand(const merge::StringTable &strings)
{
    QStringList items;
    for (const merge::Cell &cell : strings.cells())
        items.append(QStringLiteral("%1:%2=%3").arg(QString::number(cell.localeId), QString::number(cell.id), cell.text));
    return items.join(QLatin1Char(' '));
}

// A conflict as "LOCALE:ID base/mine/theirs", "-" for no text.
QString shorthand(const merge::CellConflict &c)
{
    const auto text = [](const QString &t) { return t.isNull() ? QStringLiteral("-") : t; };
    return QStringLiteral("%1:%2 %3/%4/%5")
        .arg(QString::number(c.localeId), QString::number(c.id), text(c.base), text(c.mine), text(c.theirs));
}

QStringList conflictTexts(const merge::MergeResult &result)
{
    QStringList texts;
    for (const merge::CellConflict &c : result.conflicts())
        texts.append(shorthand(c));
    return texts;
}

merge::Version version(const QString &strings, QList<resutil::ResResource> others = {})
{
    return merge::Version{table(strings), std::move(others)};
}

// "3/1/1033=data": TYPE/NAME/LANGUAGE=DATA, a name in letters is a named one.
resutil::ResResource resource(const QString &item)
{
    const QStringList parts = item.section(QLatin1Char('='), 0, 0).split(QLatin1Char('/'));
    const auto name = [](const QString &text) {
        bool number = false;
        const ushort ordinal = text.toUShort(&number);
        return number ? resutil::ResName::fromOrdinal(ordinal) : resutil::ResName::fromString(text);
    };
    resutil::ResResource r;
    r.type = name(parts[0]);
    r.name = name(parts[1]);
    r.fields.language = parts[2].toUShort();
    r.data = item.section(QLatin1Char('='), 1).toUtf8();
    return r;
}

QList<resutil::ResResource> resources(const QString &texts)
{
    QList<resutil::ResResource> list;
    for (const QString &item : texts.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        list.append(resource(item));
    return list;
}

QString shorthand(const QList<resutil::ResResource> &list)
{
    QStringList items;
    for (const resutil::ResResource &r : list)
        items.append(QStringLiteral("%1/%2/%3=%4")
                         .arg(r.type.isString ? r.type.name : QString::number(r.type.ordinal),
                              r.name.isString ? r.name.name : QString::number(r.name.ordinal),
                              QString::number(r.fields.language), QString::fromUtf8(r.data)));
    return items.join(QLatin1Char(' '));
}

} // namespace

// The three-way merge of resource files: strings cell by cell, other resources whole.
class ThreeWayMergeTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> m_env;

private slots:
    void initTestCase() { m_env = std::make_unique<TestEnvironment>(); }

    void cellsMerge_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("mine");
        QTest::addColumn<QString>("theirs");
        QTest::addColumn<QString>("merged"); // conflicts hold mine
        QTest::addColumn<QStringList>("conflicts");
        const QString b = QStringLiteral("1033:1=File 1033:2=Open 1033:3=Save");
        QTest::newRow("nothing changed") << b << b << b << b << QStringList();
        QTest::newRow("mine changed one") << b << "1033:1=File 1033:2=Open... 1033:3=Save" << b
                                          << "1033:1=File 1033:2=Open... 1033:3=Save" << QStringList();
        QTest::newRow("theirs changed one") << b << b << "1033:1=File 1033:2=Open 1033:3=Save!"
                                            << "1033:1=File 1033:2=Open 1033:3=Save!" << QStringList();
        QTest::newRow("each changed another") << b << "1033:1=FILE 1033:2=Open 1033:3=Save"
                                              << "1033:1=File 1033:2=Open 1033:3=SAVE"
                                              << "1033:1=FILE 1033:2=Open 1033:3=SAVE" << QStringList();
        QTest::newRow("both changed to the same") << b << "1033:1=File 1033:2=Open 1033:3=Keep"
                                                  << "1033:1=File 1033:2=Open 1033:3=Keep"
                                                  << "1033:1=File 1033:2=Open 1033:3=Keep" << QStringList();
        QTest::newRow("both changed differently") << b << "1033:1=File 1033:2=Mine 1033:3=Save"
                                                  << "1033:1=File 1033:2=Theirs 1033:3=Save"
                                                  << "1033:1=File 1033:2=Mine 1033:3=Save"
                                                  << QStringList{"1033:2 Open/Mine/Theirs"};
        QTest::newRow("mine removed, theirs kept") << b << "1033:1=File 1033:3=Save" << b << "1033:1=File 1033:3=Save"
                                                   << QStringList();
        QTest::newRow("theirs removed, mine kept") << b << b << "1033:2=Open 1033:3=Save" << "1033:2=Open 1033:3=Save"
                                                   << QStringList();
        QTest::newRow("both removed") << b << "1033:1=File 1033:2=Open" << "1033:1=File 1033:2=Open"
                                      << "1033:1=File 1033:2=Open" << QStringList();
        QTest::newRow("mine removed, theirs changed") << b << "1033:1=File 1033:2=Open" << "1033:1=File 1033:2=Open 1033:3=Store"
                                                      << "1033:1=File 1033:2=Open"
                                                      << QStringList{"1033:3 Save/-/Store"};
        QTest::newRow("mine changed, theirs removed") << b << "1033:1=Files 1033:2=Open 1033:3=Save"
                                                      << "1033:2=Open 1033:3=Save"
                                                      << "1033:1=Files 1033:2=Open 1033:3=Save"
                                                      << QStringList{"1033:1 File/Files/-"};
        QTest::newRow("one side added a string") << b << b << "1033:1=File 1033:2=Open 1033:3=Save 1033:9=Quit"
                                                 << "1033:1=File 1033:2=Open 1033:3=Save 1033:9=Quit" << QStringList();
        QTest::newRow("both added one string differently") << b << b + " 1033:9=Exit" << b + " 1033:9=Quit"
                                                           << b + " 1033:9=Exit" << QStringList{"1033:9 -/Exit/Quit"};
        QTest::newRow("both added a language, cell by cell")
            << "1033:1=File 1033:2=Open" << "1031:1=Datei 1031:2=Öffnen 1031:4=Mine 1033:1=File 1033:2=Open"
            << "1031:2=Öffnen 1031:3=Speichern 1031:4=Theirs 1033:1=File 1033:2=Open"
            << "1031:1=Datei 1031:2=Öffnen 1031:3=Speichern 1031:4=Mine 1033:1=File 1033:2=Open"
            << QStringList{"1031:4 -/Mine/Theirs"};
        QTest::newRow("one side removed a language, the other added to it")
            << "1031:1=Datei 1031:2=Öffnen 1033:1=File" << "1033:1=File"
            << "1031:1=Datei 1031:2=Öffnen 1031:3=Speichern 1033:1=File"
            << "1031:3=Speichern 1033:1=File" << QStringList();
        QTest::newRow("from no base at all") << "" << "1033:1=File 1033:2=Open" << "1033:1=File 1033:3=Save"
                                             << "1033:1=File 1033:2=Open 1033:3=Save" << QStringList();
        // Only the text counts: an ID at both ends of its range, a locale ID above 16 bits.
        QTest::newRow("extreme keys") << "0:0=a 65535:65535=b" << "0:0=A 65535:65535=b 70000:1=c"
                                      << "0:0=a 65535:65535=B" << "0:0=A 65535:65535=B 70000:1=c" << QStringList();
    }
    void cellsMerge()
    {
        QFETCH(QString, base);
        QFETCH(QString, mine);
        QFETCH(QString, theirs);
        QFETCH(QString, merged);
        QFETCH(QStringList, conflicts);
        const merge::MergeResult result = merge::mergeVersions(version(base), version(mine), version(theirs));
        QCOMPARE(shorthand(result.strings()), merged);
        QCOMPARE(conflictTexts(result), conflicts);
        QCOMPARE(result.clean(), conflicts.isEmpty());
        // The same merge seen from the other side: theirs' changes are the
        // mirror image, and every conflict is the same cell.
        const merge::MergeResult mirrored = merge::mergeVersions(version(base), version(theirs), version(mine));
        QCOMPARE(mirrored.conflicts().size(), result.conflicts().size());
        if (result.clean())
            QCOMPARE(shorthand(mirrored.strings()), merged);
    }

    void chosenSidesChangeOnlyTheirCells()
    {
        const merge::Version base = version("1033:1=File 1033:2=Open 1033:3=Save 1033:4=Quit");
        const merge::Version mine = version("1033:1=File! 1033:2=Open 1033:4=Exit 1033:5=New");
        const merge::Version theirs = version("1033:1=File? 1033:2=Öffnen 1033:3=Store 1033:5=Neu");
        merge::MergeResult result = merge::mergeVersions(base, mine, theirs);
        QCOMPARE(conflictTexts(result), (QStringList{"1033:1 File/File!/File?", "1033:3 Save/-/Store", "1033:4 Quit/Exit/-",
                                                     "1033:5 -/New/Neu"}));
        QCOMPARE(shorthand(result.strings()), QStringLiteral("1033:1=File! 1033:2=Öffnen 1033:4=Exit 1033:5=New"));
        result.choose(1, Side::Theirs); // brings back the cell mine removed
        result.choose(2, Side::Theirs); // removes the cell theirs removed
        QCOMPARE(shorthand(result.strings()), QStringLiteral("1033:1=File! 1033:2=Öffnen 1033:3=Store 1033:5=New"));
        QCOMPARE(result.conflicts()[2].chosen, Side::Theirs);
        result.choose(2, Side::Mine);
        QCOMPARE(shorthand(result.strings()), QStringLiteral("1033:1=File! 1033:2=Öffnen 1033:3=Store 1033:4=Exit 1033:5=New"));
        result.chooseAll(Side::Theirs);
        QCOMPARE(shorthand(result.strings()), QStringLiteral("1033:1=File? 1033:2=Öffnen 1033:3=Store 1033:5=Neu"));
        result.chooseAll(Side::Mine);
        QCOMPARE(shorthand(result.strings()), QStringLiteral("1033:1=File! 1033:2=Öffnen 1033:4=Exit 1033:5=New"));
        // The conflicts still tell all three versions, whatever was chosen.
        QCOMPARE(shorthand(result.conflicts()[0]), QStringLiteral("1033:1 File/File!/File?"));
    }

    void otherResourcesMerge_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("mine");
        QTest::addColumn<QString>("theirs");
        QTest::addColumn<QString>("merged");       // conflicts hold mine
        QTest::addColumn<QString>("theirsChosen"); // with every conflict chosen for theirs; "" without conflicts
        const QString b = QStringLiteral("3/1/1033=icon 16/1/1033=v1");
        QTest::newRow("unchanged") << b << b << b << b << "";
        QTest::newRow("theirs changed one") << b << b << "3/1/1033=icon 16/1/1033=v2" << "3/1/1033=icon 16/1/1033=v2" << "";
        QTest::newRow("mine changed one") << b << "3/1/1033=ICON 16/1/1033=v1" << b << "3/1/1033=ICON 16/1/1033=v1" << "";
        QTest::newRow("each changed another") << b << "3/1/1033=ICON 16/1/1033=v1" << "3/1/1033=icon 16/1/1033=v2"
                                              << "3/1/1033=ICON 16/1/1033=v2" << "";
        QTest::newRow("both changed one alike") << b << "3/1/1033=icon 16/1/1033=v2" << "3/1/1033=icon 16/1/1033=v2"
                                                << "3/1/1033=icon 16/1/1033=v2" << "";
        QTest::newRow("both changed one differently") << b << "3/1/1033=icon 16/1/1033=v2" << "3/1/1033=icon 16/1/1033=v3"
                                                      << "3/1/1033=icon 16/1/1033=v2" << "3/1/1033=icon 16/1/1033=v3";
        QTest::newRow("theirs added one, after mine's") << b << b << "PNG/LOGO/0=png 3/1/1033=icon 16/1/1033=v1"
                                                        << "3/1/1033=icon 16/1/1033=v1 PNG/LOGO/0=png" << "";
        QTest::newRow("theirs removed one") << b << b << "16/1/1033=v1" << "16/1/1033=v1" << "";
        QTest::newRow("mine removed one theirs changed") << b << "16/1/1033=v1" << "3/1/1033=ICON 16/1/1033=v1"
                                                         << "16/1/1033=v1" << "16/1/1033=v1 3/1/1033=ICON";
        QTest::newRow("mine changed one theirs removed") << b << "3/1/1033=ICON 16/1/1033=v1" << "16/1/1033=v1"
                                                         << "3/1/1033=ICON 16/1/1033=v1" << "16/1/1033=v1";
        QTest::newRow("both added one differently") << "" << "PNG/LOGO/0=a" << "PNG/LOGO/0=b" << "PNG/LOGO/0=a"
                                                    << "PNG/LOGO/0=b";
        QTest::newRow("same type and name in another language") << b << b << b + " 3/1/1031=Symbol"
                                                                << b + " 3/1/1031=Symbol" << "";
        QTest::newRow("a name that reads as a number is not that ordinal")
            << "3/1/1033=icon" << "3/1/1033=icon" << "3/1/1033=icon 3/X1/1033=named" << "3/1/1033=icon 3/X1/1033=named" << "";
    }
    void otherResourcesMerge()
    {
        QFETCH(QString, base);
        QFETCH(QString, mine);
        QFETCH(QString, theirs);
        QFETCH(QString, merged);
        QFETCH(QString, theirsChosen);
        const QString strings = QStringLiteral("1033:1=File");
        merge::MergeResult result = merge::mergeVersions(version(strings, resources(base)), version(strings, resources(mine)),
                                                         version(strings, resources(theirs)));
        QCOMPARE(shorthand(result.otherResources()), merged);
        QVERIFY(result.conflicts().empty());
        QCOMPARE(result.clean(), theirsChosen.isEmpty());
        if (!result.clean()) {
            QCOMPARE(int(result.resourceConflicts().size()), 1);
            result.chooseAll(Side::Theirs);
            QCOMPARE(shorthand(result.otherResources()), theirsChosen);
            QCOMPARE(result.resourceConflicts().front().chosen, Side::Theirs);
        }
    }

    void resourceHeadersCountAsChanges()
    {
        resutil::ResResource base = resource("3/1/1033=icon");
        resutil::ResResource moved = base;
        moved.fields.memoryFlags = 0x1010;
        const merge::MergeResult result = merge::mergeVersions(version("", {base}), version("", {base}), version("", {moved}));
        QCOMPARE(result.otherResources().front().fields.memoryFlags, quint16(0x1010));
        QCOMPARE(merge::diffResources({base}, {moved}).size(), std::size_t(1));
    }

    void repeatedResourcesPairUpInOrder()
    {
        // Two resources of one type, name and language: the second changed.
        const auto two = [](const char *second) { return resources(QStringLiteral("3/1/1033=a 3/1/1033=") + second); };
        const std::vector<merge::ResourceChange> changes = merge::diffResources(two("b"), two("c"));
        QCOMPARE(changes.size(), std::size_t(1));
        QCOMPARE(changes.front().key.occurrence, 1);
        const merge::MergeResult result = merge::mergeVersions(version("", two("b")), version("", two("b")), version("", two("c")));
        QCOMPARE(shorthand(result.otherResources()), QStringLiteral("3/1/1033=a 3/1/1033=c"));
    }

    void differencesAndTheirApplication()
    {
        const merge::StringTable before = table("1031:1=Datei 1033:1=File 1033:2=Open 1033:3=Save");
        const merge::StringTable after = table("1033:1=File 1033:2=Open... 1033:3=Save 1033:7=Quit");
        const std::vector<merge::CellChange> changes = merge::diffStrings(before, after);
        QCOMPARE(changes.size(), std::size_t(3));
        QVERIFY(changes[0].localeId == 1031 && changes[0].before == "Datei" && changes[0].after.isNull());
        QVERIFY(changes[1].id == 2 && changes[1].before == "Open" && changes[1].after == "Open...");
        QVERIFY(changes[2].id == 7 && changes[2].before.isNull() && changes[2].after == "Quit");
        QVERIFY(merge::diffStrings(after, after).empty());

        resutil::ResStrings strings;
        strings.Add(1033, 3, QStringLiteral("Save"));
        strings.Add(1031, 1, QStringLiteral("Datei"));
        strings.Add(1033, 1, QStringLiteral("File"));
        strings.Add(1031, 1, QStringLiteral("Datei (copy)")); // a second entry for one cell
        strings.Add(1033, 2, QStringLiteral("Open"));
        // The first entry of a cell counts, as Find gives it; the order is the keys'.
        QCOMPARE(shorthand(merge::StringTable::fromStrings(strings)), shorthand(before));
        merge::applyChanges(strings, changes);
        QCOMPARE(shorthand(merge::StringTable::fromStrings(strings)), shorthand(after));
        QCOMPARE(strings.Count(), 4);
        QVERIFY(!strings.Find(1031, 1));
    }

    // The version on disk is the strings in memory with what they kept of
    // each cell changed since: every way of changing a cell keeps its text
    // then, once, and nothing else is copied.
    void keptTextsGiveTheStringsAsTheyStood()
    {
        resutil::ResStrings strings;
        strings.Add(1033, 1, QStringLiteral("File"));
        strings.Add(1033, 2, QStringLiteral("Open"));
        strings.Add(1033, 3, QStringLiteral("Save"));
        strings.Add(1031, 1, QStringLiteral("Datei"));
        strings.Add(1031, 2, QStringLiteral("Öffnen"));
        const QString then = shorthand(merge::StringTable::fromStrings(strings));
        strings.KeepTextsFromNow();
        QCOMPARE(shorthand(merge::StringTable::asKept(strings)), then);
        QVERIFY(strings.KeptTexts().isEmpty());

        strings.Find(1033, 1)->setText(QStringLiteral("File..."));
        strings.Find(1033, 1)->setText(QStringLiteral("File!")); // a second change keeps nothing more
        QVERIFY(strings.Remove(strings.Find(1033, 3)));
        strings.Add(1033, 9, QStringLiteral("Quit"));
        strings.Find(1031, 2)->setID(5);                      // both its old and new cell change
        strings.Add(1031, 1, QStringLiteral("Datei (copy)")); // a second entry: the first still counts
        QCOMPARE(strings.KeptTexts().size(), 6);
        QCOMPARE(shorthand(merge::StringTable::asKept(strings)), then);
        QCOMPARE(shorthand(merge::StringTable::fromStrings(strings)),
                 QStringLiteral("1031:1=Datei 1031:5=Öffnen 1033:1=File! 1033:2=Open 1033:9=Quit"));

        // Cleared and filled again as before, nothing differs from then.
        strings.Clear();
        strings.Add(1033, 1, QStringLiteral("File"));
        strings.Add(1033, 2, QStringLiteral("Open"));
        strings.Add(1033, 3, QStringLiteral("Save"));
        strings.Add(1031, 1, QStringLiteral("Datei"));
        strings.Add(1031, 2, QStringLiteral("Öffnen"));
        QCOMPARE(shorthand(merge::StringTable::asKept(strings)), then);
        strings.ForgetKeptTextsUnchanged();
        QVERIFY(strings.KeptTexts().isEmpty());

        // Keeping from a merge on: the disk holds theirs, memory the merge.
        const merge::StringTable theirs = table("1031:1=Datei 1033:1=File 1033:2=Open... 1033:4=Help");
        strings.KeepTextsFromNow(theirs.textsDifferingIn(strings));
        QCOMPARE(strings.KeptTexts().size(), 4); // 1033:2 and 1033:4 differ; 1033:3 and 1031:2 are not on disk
        QCOMPARE(shorthand(merge::StringTable::asKept(strings)), shorthand(theirs));

        strings.StopKeepingTexts();
        strings.Find(1033, 1)->setText(QStringLiteral("Files"));
        QVERIFY(strings.KeptTexts().isEmpty());
    }

    void emptyTextsAreNoCells()
    {
        resutil::ResStrings strings;
        strings.Add(1033, 1, QString());
        strings.Add(1033, 2, QStringLiteral(""));
        strings.Add(1033, 3, QStringLiteral("x"));
        const merge::StringTable fromStrings = merge::StringTable::fromStrings(strings);
        QCOMPARE(shorthand(fromStrings), QStringLiteral("1033:3=x"));
        QVERIFY(fromStrings.text(1033, 2).isNull());
        QCOMPARE(fromStrings.text(1033, 3), QStringLiteral("x"));
        // Mine emptied a text: a removal, which theirs' change meets as a conflict.
        std::vector<merge::Cell> mineCells{{1033, 1, QStringLiteral("")}};
        const merge::MergeResult result = merge::mergeVersions(version("1033:1=a"), merge::Version{merge::StringTable::fromCells(mineCells), {}},
                                                               version("1033:1=b"));
        QCOMPARE(conflictTexts(result), QStringList{"1033:1 a/-/b"});
    }
};

QTEST_GUILESS_MAIN(ThreeWayMergeTest)
#include "threeway_merge_test.moc"
