#include "editor/PastePlan.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QHash>
#include <QSet>
#include <QtTest>

using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;

namespace {
constexpr qint32 kGerman = 1031, kFrench = 1036, kEnglish = 2057;

// A grid of the IDs column and three language columns, shown in the order
// ID, English, German, French (the model's columns 0, 3, 1, 2).
struct Table {
    QHash<QPair<qint32, qint32>, QString> texts;  // (locale, id)
    std::vector<qint32> shown{1, 2, 3};
    QSet<qint32> rows{1, 2, 3};

    PasteInput input(const QList<QStringList> &lines, int startPosition, int startVisual) const
    {
        PasteInput in;
        in.lines = lines;
        in.columnOrder = {0, 3, 1, 2};
        in.startPosition = startPosition;
        in.startVisual = startVisual;
        in.shownIds = shown;
        in.maxTextLength = 45;
        in.localeOf = [](int column) { return column == 1 ? kGerman : column == 2 ? kFrench : column == 3 ? kEnglish : -1; };
        in.textOf = [this](qint32 locale, qint32 id) -> std::optional<QString> {
            const auto found = texts.constFind({locale, id});
            return found == texts.constEnd() ? std::nullopt : std::optional(*found);
        };
        in.hasRow = [this](qint32 id) { return rows.contains(id); };
        return in;
    }
};

QString change(const TextChange &c)
{
    return QStringLiteral("%1/%2:%3>%4").arg(QString::number(c.localeId), QString::number(c.id),
                                              c.before ? *c.before : QStringLiteral("(none)"), c.after);
}

QStringList changes(const PastePlan &plan)
{
    QStringList list;
    for (const TextChange &c : plan.changes)
        list << change(c);
    return list;
}
} // namespace

Q_DECLARE_METATYPE(QList<QStringList>)

// What a paste would change, planned without a grid: where each line goes,
// which cells change, which IDs get rows, and which blocks are refused whole.
class PastePlanTest : public QObject {
    Q_OBJECT
    TestEnvironment m_env;
    Table m_table;

private slots:
    void initTestCase()
    {
        LgvStringModule::InitUIStrings();
        LgvStringModule::SetUILanguage(kEnglish, QStringLiteral("English (United Kingdom)"));
    }
    void init()
    {
        m_table = Table();
        m_table.texts = {{{kEnglish, 1}, "One"}, {{kGerman, 1}, "Eins"}, {{kEnglish, 2}, "Two"},
                         {{kGerman, 2}, ""}};
    }

    // Lines go to the rows shown from the block's row down, fields to the
    // columns as shown; only cells whose text differs change, and an empty
    // text for a cell without an entry is no change.
    void linesGoToTheShownRowsAndColumns()
    {
        m_table.shown = {3, 1, 2};  // sorted some other way
        const PastePlan plan = planPaste(m_table.input({{"Eins", "Un"}, {"", "Deux"}}, 1, 2));
        QVERIFY(!plan.refused());
        QCOMPARE(plan.ids, (QList<qint32>{1, 2}));
        QCOMPARE(plan.width, 2);
        QCOMPARE(changes(plan), (QStringList{"1036/1:(none)>Un", "1036/2:(none)>Deux"}));
        QVERIFY(plan.newRows.isEmpty());
    }

    void textsReplaceAndEmptyTheirCells()
    {
        const PastePlan plan = planPaste(m_table.input({{"Uno", ""}, {"Two", "Zwei"}}, 0, 1));
        QCOMPARE(changes(plan), (QStringList{"2057/1:One>Uno", "1031/1:Eins>", "1031/2:>Zwei"}));
    }

    // A block starting in the ID column names each line's string; IDs without
    // a row get one when the line brings texts, and IDs never change.
    void aBlockInTheIdColumnNamesItsStrings()
    {
        const PastePlan plan = planPaste(m_table.input({{" 2 ", "Deux?"}, {"7", "Seven", "Sieben"}, {"8"}}, 2, 0));
        QVERIFY(!plan.refused());
        QCOMPARE(plan.ids, (QList<qint32>{2, 7, 8}));
        QCOMPARE(changes(plan), (QStringList{"2057/2:Two>Deux?", "2057/7:(none)>Seven", "1031/7:(none)>Sieben"}));
        QCOMPARE(plan.newRows, QList<qint32>{7});  // 8 brings no text
    }

    void refusals_data()
    {
        QTest::addColumn<QList<QStringList>>("lines");
        QTest::addColumn<int>("startPosition");
        QTest::addColumn<int>("startVisual");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("nothing") << QList<QStringList>{} << 0 << 1 << lgv_string(778);
        QTest::newRow("wider than the columns right of the cell")
            << QList<QStringList>{{"a"}, {"a", "b", "c"}} << 0 << 2 << SubstituteParameters(lgv_string(773), 3, 2);
        QTest::newRow("longer than the rows below")
            << QList<QStringList>{{"a"}, {"b"}} << 2 << 1 << SubstituteParameters(lgv_string(774), 2, 1);
        QTest::newRow("a text too long") << QList<QStringList>{{"a"}, {"b", QString(46, 'y')}} << 0 << 1
                                         << SubstituteParameters(lgv_string(777), 2);
        QTest::newRow("not a number") << QList<QStringList>{{"1", "a"}, {"x1", "b"}} << 0 << 0
                                      << SubstituteParameters(lgv_string(775), 2, QStringLiteral("x1"));
        QTest::newRow("beyond the last ID") << QList<QStringList>{{"65536"}} << 0 << 0
                                            << SubstituteParameters(lgv_string(775), 1, QStringLiteral("65536"));
        QTest::newRow("negative") << QList<QStringList>{{"-1"}} << 0 << 0
                                  << SubstituteParameters(lgv_string(775), 1, QStringLiteral("-1"));
        QTest::newRow("a long wrong ID is cut") << QList<QStringList>{{QString(41, 'x')}} << 0 << 0
                                                << SubstituteParameters(lgv_string(775), 1, QString(40, 'x') + "...");
        QTest::newRow("one ID twice") << QList<QStringList>{{"3", "a"}, {"03", "b"}} << 0 << 0
                                      << SubstituteParameters(lgv_string(776), 3);
    }
    // A refused block changes nothing at all, however much of it was fine.
    void refusals()
    {
        QFETCH(QList<QStringList>, lines);
        QFETCH(int, startPosition);
        QFETCH(int, startVisual);
        QFETCH(QString, refusal);
        const PastePlan plan = planPaste(m_table.input(lines, startPosition, startVisual));
        QCOMPARE(plan.refusal, refusal);
        QVERIFY(plan.changes.empty());
        QVERIFY(plan.newRows.isEmpty());
    }

    void theLimitsThemselvesAreAccepted()
    {
        QVERIFY(!planPaste(m_table.input({{QString(45, 'y')}, {"b"}, {"c"}}, 0, 1)).refused());
        QVERIFY(!planPaste(m_table.input({{QString(40, '1')}}, 0, 0)).refusal.contains(QString(40, '1') + "..."));
        QVERIFY(!planPaste(m_table.input({{"65535", "x", "y", "z"}}, 0, 0)).refused());
        QVERIFY(!planPaste(m_table.input({{"0"}}, 0, 0)).refused());
    }
};

QTEST_GUILESS_MAIN(PastePlanTest)
#include "editor_pasteplan_test.moc"
