#include "reviewstate/StateFileFormat.h"
#include "reviewstate/StateFileMerge.h"
#include "tests/testlib/TestEnvironment.h"

#include <QtTest>

using reviewstate::StateConflict;

namespace {

constexpr char kHeader[] = "quillmark-review-states\t1\tsource=2057\n";

// Lines apart by "|", fields by spaces; a body without a header line gets the usual one.
QByteArray stateFile(const char *body)
{
    QByteArray lines = QByteArray(body).replace('|', '\n').replace(' ', '\t');
    if (!lines.isEmpty())
        lines += '\n';
    return lines.startsWith("quillmark-review-states") ? lines : kHeader + lines;
}

reviewstate::StateTable parsed(const QByteArray &bytes)
{
    auto table = reviewstate::parseStateFile(bytes, QStringLiteral("test.res.state"));
    if (!table) {
        qWarning("%s", qPrintable(table.errorString()));
        return {};
    }
    return table.value();
}

// A conflict as "LOCALE:ID", "*:ID" for a string's line, "header".
QString where(const StateConflict &conflict)
{
    switch (conflict.kind) {
    case StateConflict::Header: return QStringLiteral("header");
    case StateConflict::String: return QStringLiteral("*:%1").arg(conflict.id);
    case StateConflict::Cell: break;
    }
    return QStringLiteral("%1:%2").arg(QString::number(conflict.localeId), QString::number(conflict.id));
}

// The hashes: e0 the English source text as it was, e1 ours, e2 theirs; d for German, f for French.
constexpr char kBase[] = "2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 translated e0e0e0e0 d0d0d0d0";

} // namespace

class StateMergeTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment m_env;

private slots:
    void mergesLineByLine_data()
    {
        QTest::addColumn<QByteArray>("base");
        QTest::addColumn<QByteArray>("ours");
        QTest::addColumn<QByteArray>("theirs");
        QTest::addColumn<QByteArray>("merged");
        QTest::addColumn<QStringList>("conflicts");

        const QByteArray base = stateFile(kBase);
        const QByteArray approved = stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 approved e0e0e0e0 d0d0d0d0");
        // The English text changed: the German translation needs review because of it.
        const QByteArray sourceByOurs =
            stateFile("2057 5 translated e1e1e1e1 e1e1e1e1|1031 5 needs-review e0e0e0e0 d0d0d0d0");
        const QByteArray sourceByTheirs =
            stateFile("2057 5 translated e2e2e2e2 e2e2e2e2|1031 5 needs-review e0e0e0e0 d0d0d0d0");
        const QByteArray germanByTheirs = stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 translated e0e0e0e0 d2d2d2d2");

        QTest::newRow("unchanged") << base << base << base << base << QStringList();
        QTest::newRow("ours changed") << base << approved << base << approved << QStringList();
        QTest::newRow("theirs changed") << base << base << approved << approved << QStringList();
        QTest::newRow("both the same") << base << approved << approved << approved << QStringList();
        QTest::newRow("both differently, one text")
            << base << approved
            << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 needs-review e0e0e0e0 d0d0d0d0") << approved
            << QStringList{"1031:5"};
        QTest::newRow("texts changed on both differently")
            << base << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 translated e0e0e0e0 d1d1d1d1")
            << germanByTheirs << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 translated e0e0e0e0 d1d1d1d1")
            << QStringList{"1031:5"};
        // Theirs' translation was made from the old English text: the line
        // keeps saying so, and the merged English text makes it need review.
        QTest::newRow("source on ours, translation on theirs")
            << base << sourceByOurs << germanByTheirs
            << stateFile("2057 5 translated e1e1e1e1 e1e1e1e1|1031 5 translated e0e0e0e0 d2d2d2d2") << QStringList();
        QTest::newRow("translation on ours, source on theirs")
            << base << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 translated e0e0e0e0 d1d1d1d1")
            << sourceByTheirs << stateFile("2057 5 translated e2e2e2e2 e2e2e2e2|1031 5 translated e0e0e0e0 d1d1d1d1")
            << QStringList();
        QTest::newRow("approved on ours, source on theirs")
            << base << approved << sourceByTheirs
            << stateFile("2057 5 translated e2e2e2e2 e2e2e2e2|1031 5 approved e0e0e0e0 d0d0d0d0") << QStringList();
        QTest::newRow("source on both the same") << base << sourceByOurs << sourceByOurs << sourceByOurs << QStringList();
        QTest::newRow("source on both differently")
            << base << sourceByOurs << sourceByTheirs << sourceByOurs << QStringList{"2057:5"};
        QTest::newRow("removed on one side")
            << base << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0") << base
            << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0") << QStringList();
        QTest::newRow("removed on one side, changed on the other")
            << base << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0") << germanByTheirs
            << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0") << QStringList{"1031:5"};
        // The text was removed on theirs; ours' approval was of that text.
        QTest::newRow("approved on ours, removed on theirs")
            << base << approved << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0")
            << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0") << QStringList();
        QTest::newRow("a note on ours, removed on theirs")
            << base << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 translated e0e0e0e0 d0d0d0d0 note=Kurz")
            << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0")
            << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 translated e0e0e0e0 d0d0d0d0 note=Kurz")
            << QStringList{"1031:5"};
        QTest::newRow("a language added on both the same")
            << base << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 translated e0e0e0e0 d0d0d0d0|1036 5 translated e0e0e0e0 f0f0f0f0")
            << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 translated e0e0e0e0 d0d0d0d0|1036 5 translated e0e0e0e0 f0f0f0f0")
            << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 translated e0e0e0e0 d0d0d0d0|1036 5 translated e0e0e0e0 f0f0f0f0")
            << QStringList();
        QTest::newRow("a language added on both differently")
            << base << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 translated e0e0e0e0 d0d0d0d0|1036 5 translated e0e0e0e0 f1f1f1f1")
            << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 approved e0e0e0e0 d0d0d0d0|1036 5 translated e0e0e0e0 f2f2f2f2")
            << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 approved e0e0e0e0 d0d0d0d0|1036 5 translated e0e0e0e0 f1f1f1f1")
            << QStringList{"1036:5"};
        QTest::newRow("lines of other cells on each side")
            << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|2057 6 translated e6e6e6e6 e6e6e6e6")
            << stateFile("2057 5 approved e0e0e0e0 e0e0e0e0|2057 6 translated e6e6e6e6 e6e6e6e6|2057 7 translated e7e7e7e7 e7e7e7e7")
            << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|2057 6 approved e6e6e6e6 e6e6e6e6")
            << stateFile("2057 5 approved e0e0e0e0 e0e0e0e0|2057 6 approved e6e6e6e6 e6e6e6e6|2057 7 translated e7e7e7e7 e7e7e7e7")
            << QStringList();
        QTest::newRow("a note on one side, the text on the other")
            << base << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 translated e0e0e0e0 d0d0d0d0 note=Kurz")
            << germanByTheirs
            << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 translated e0e0e0e0 d2d2d2d2 note=Kurz")
            << QStringList();
        QTest::newRow("notes on both differently")
            << base << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 translated e0e0e0e0 d0d0d0d0 note=Kurz")
            << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 translated e0e0e0e0 d0d0d0d0 note=Lang")
            << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 translated e0e0e0e0 d0d0d0d0 note=Kurz")
            << QStringList{"1031:5"};
        QTest::newRow("unknown fields kept")
            << stateFile("quillmark-review-states 1 source=2057 x-tool=a|2057 5 translated e0e0e0e0 e0e0e0e0 x-seen=1")
            << stateFile("quillmark-review-states 1 source=2057 x-tool=a|2057 5 approved e0e0e0e0 e0e0e0e0 x-seen=1")
            << stateFile("quillmark-review-states 1 source=2057 x-tool=a x-run=2|2057 5 translated e0e0e0e0 e0e0e0e0 x-seen=1 x-by=b")
            << stateFile("quillmark-review-states 1 source=2057 x-tool=a x-run=2|2057 5 approved e0e0e0e0 e0e0e0e0 x-seen=1 x-by=b")
            << QStringList();
        QTest::newRow("a string's fields merge by name")
            << stateFile("* 5 comment=Title|2057 5 translated e0e0e0e0 e0e0e0e0")
            << stateFile("* 5 comment=Title max-length=10|2057 5 translated e0e0e0e0 e0e0e0e0")
            << stateFile("* 5 comment=Caption|* 9 max-length=4|2057 5 translated e0e0e0e0 e0e0e0e0")
            << stateFile("* 5 comment=Caption max-length=10|* 9 max-length=4|2057 5 translated e0e0e0e0 e0e0e0e0")
            << QStringList();
        QTest::newRow("a string's comment on both differently")
            << stateFile("* 5 comment=Title|2057 5 translated e0e0e0e0 e0e0e0e0")
            << stateFile("* 5 comment=Heading|2057 5 translated e0e0e0e0 e0e0e0e0")
            << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0")
            << stateFile("* 5 comment=Heading|2057 5 translated e0e0e0e0 e0e0e0e0") << QStringList{"*:5"};
        QTest::newRow("the source language on both differently")
            << stateFile("quillmark-review-states 1 source=2057|2057 5 translated e0e0e0e0 e0e0e0e0")
            << stateFile("quillmark-review-states 1 source=1033|2057 5 translated e0e0e0e0 e0e0e0e0")
            << stateFile("quillmark-review-states 1 source=1031|2057 5 translated e0e0e0e0 e0e0e0e0")
            << stateFile("quillmark-review-states 1 source=1033|2057 5 translated e0e0e0e0 e0e0e0e0")
            << QStringList{"header"};
        // git's base when both sides added the file.
        QTest::newRow("no base")
            << QByteArray() << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 translated e0e0e0e0 d1d1d1d1")
            << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 translated e0e0e0e0 d2d2d2d2")
            << stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 translated e0e0e0e0 d1d1d1d1")
            << QStringList{"1031:5"};
    }

    void mergesLineByLine()
    {
        QFETCH(QByteArray, base);
        QFETCH(QByteArray, ours);
        QFETCH(QByteArray, theirs);
        QFETCH(QByteArray, merged);
        QFETCH(QStringList, conflicts);
        const reviewstate::StateMerge result =
            reviewstate::mergeStateTables(base.isEmpty() ? reviewstate::StateTable() : parsed(base), parsed(ours), parsed(theirs));
        // Lines are compared as written: sorted.
        QCOMPARE(reviewstate::writeStateFile(result.table), reviewstate::writeStateFile(parsed(merged)));
        QStringList found;
        for (const StateConflict &conflict : result.conflicts)
            found.append(where(conflict));
        QCOMPARE(found, conflicts);
    }

    // A conflict shows each side's line as written, and none where a side has none.
    void conflictsHoldEachSidesLine()
    {
        const reviewstate::StateMerge result = reviewstate::mergeStateTables(
            parsed(stateFile(kBase)), parsed(stateFile("2057 5 translated e0e0e0e0 e0e0e0e0")),
            parsed(stateFile("2057 5 translated e0e0e0e0 e0e0e0e0|1031 5 translated e0e0e0e0 d2d2d2d2 note=Neu")));
        QCOMPARE(result.conflicts.size(), std::size_t(1));
        const StateConflict &conflict = result.conflicts.front();
        QCOMPARE(conflict.base, std::optional<QByteArray>("translated\te0e0e0e0\td0d0d0d0"));
        QCOMPARE(conflict.ours, std::optional<QByteArray>());
        QCOMPARE(conflict.theirs, std::optional<QByteArray>("translated\te0e0e0e0\td2d2d2d2\tnote=Neu"));
    }

    void tellsStateFilesByTheirFirstLine()
    {
        QVERIFY(reviewstate::looksLikeStateFile(stateFile(kBase)));
        QVERIFY(reviewstate::looksLikeStateFile("\xEF\xBB\xBFquillmark-review-states\t1\n"));
        QVERIFY(!reviewstate::looksLikeStateFile(QByteArray("\0\0\0\0\x20\0\0\0", 8)));
        QVERIFY(!reviewstate::looksLikeStateFile("quillmark-review-statesX"));
        QVERIFY(!reviewstate::looksLikeStateFile(""));
    }
};

QTEST_GUILESS_MAIN(StateMergeTest)
#include "statemerge_test.moc"
