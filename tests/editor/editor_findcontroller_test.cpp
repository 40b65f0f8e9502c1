#include "editor/CellNotes.h"
#include "editor/FindController.h"
#include "platform/win32/SftTreeModel.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QtTest>

using LgvStringModule::lgv_string;
using win32::SftTreeModel;

namespace {
constexpr qint32 kGerman = 1031, kFrench = 1036, kEnglish = 2057, kSwedish = 1053;

// A grid as the editor fills it: the IDs in column 0, a column per language,
// and, where asked for, a message row without an ID.
struct Grid {
    SftTreeModel model;
    explicit Grid(const QList<QStringList> &rows, int languages = 3)
    {
        model.setColumns(languages + 1);
        for (const QStringList &cells : rows) {
            const int row = model.addRow(cells.value(0));
            if (!cells.value(0).isEmpty())
                model.setItemData(row, cells.value(0).toInt());
            for (int column = 1; column < cells.size(); ++column)
                model.setCellText(row, column, cells[column]);
        }
    }
    QList<qint32> ids(const std::vector<int> &rows) const
    {
        QList<qint32> list;
        for (int row : rows)
            list << (model.hasItemData(row) ? model.itemData(row) : -1);
        return list;
    }
};

// The languages in the grid's columns 1, 2, 3 and so on.
LanguageTable table(const QList<qint32> &locales)
{
    LanguageTable languages;
    for (qint32 locale : locales)
        languages.append(locale, QString::number(locale));
    return languages;
}

LanguageTable languages()
{
    return table({kEnglish, kGerman, kSwedish});
}

FindCriteria openWith(const QString &text)
{
    FindCriteria criteria;
    criteria.open = true;
    criteria.text = text;
    return criteria;
}
} // namespace

// Finding, filtering, sorting and counting over a grid model, and the checks'
// notes on its cells, without a window.
class FindControllerTest : public QObject {
    Q_OBJECT
    TestEnvironment m_env;

    Grid sample()
    {
        return Grid({{"1", "Apple", "Apfel", "äpple"},
                     {"2", "Zebra", "", "zebra"},
                     {"3", "apple pie", "Apfelkuchen", ""},
                     {"", "A message row"},
                     {"10", "Ångström", "Ångström", "Ångström"}});
    }

private slots:
    void initTestCase()
    {
        LgvStringModule::InitUIStrings();
        LgvStringModule::SetUILanguage(kEnglish, QStringLiteral("English (United Kingdom)"));
    }

    // A closed bar shows every row however it is set; open, each filter
    // switched on narrows the rows, and rows that are no string always stay.
    void filtersNarrowTheRowsOnlyWhileTheBarIsOpen()
    {
        const Grid grid = sample();
        FindController find;
        find.setLanguages(languages());
        FindCriteria criteria = openWith("apple");
        criteria.filterRows = true;
        QCOMPARE(grid.ids(find.shownRows(grid.model, criteria)), (QList<qint32>{1, 3, -1}));
        criteria.open = false;
        QCOMPARE(grid.ids(find.shownRows(grid.model, criteria)), (QList<qint32>{1, 2, 3, -1, 10}));

        criteria = openWith("apple");
        criteria.filterRows = true;
        criteria.scopeLocale = kGerman;  // "Apfel" does not hold "apple"
        QCOMPARE(grid.ids(find.shownRows(grid.model, criteria)), (QList<qint32>{-1}));
        criteria.scopeLocale = -1;
        criteria.text = "10";  // the IDs are searched too
        QCOMPARE(grid.ids(find.shownRows(grid.model, criteria)), (QList<qint32>{-1, 10}));
        criteria.text = "(";  // a bad expression filters nothing
        criteria.options.regularExpression = true;
        QCOMPARE(grid.ids(find.shownRows(grid.model, criteria)).size(), 5);

        criteria = openWith(QString());
        criteria.missingOnly = true;
        QCOMPARE(grid.ids(find.shownRows(grid.model, criteria)), (QList<qint32>{2, 3, -1}));
        criteria.problemsOnly = true;
        find.setProblemRule([](const win32::SftTreeSource &model, int row) { return model.itemData(row) == 3; });
        QCOMPARE(grid.ids(find.shownRows(grid.model, criteria)), (QList<qint32>{3, -1}));
    }

    // The order: by a language's texts as that language sorts them, empty
    // texts last; a header click sorts by its column and again turns it round.
    void headersAndTheSortMenuOrderTheRows()
    {
        const Grid grid = sample();
        FindController find;
        find.setLanguages(languages());
        const FindCriteria all;
        QVERIFY(find.headerClicked(3));
        QCOMPARE(find.sortLocale(), kSwedish);
        QVERIFY(!find.sortDescending());
        // Swedish sorts "å" and "ä" after "z"; empty texts go last, in the order by ID.
        QCOMPARE(grid.ids(find.shownRows(grid.model, all)), (QList<qint32>{2, 10, 1, -1, 3}));
        QVERIFY(find.headerClicked(3));
        QVERIFY(find.sortDescending());
        QVERIFY(find.headerClicked(1));
        QCOMPARE(find.sortLocale(), kEnglish);
        QVERIFY(!find.sortDescending());
        QCOMPARE(find.sortColumn(), 1);
        QVERIFY(!find.headerClicked(7));  // no language there: nothing changes
        QCOMPARE(find.sortLocale(), kEnglish);
        QVERIFY(find.headerClicked(0));
        QCOMPARE(find.sortLocale(), -1);
        QCOMPARE(find.sortColumn(), 0);

        find.sortBy(kFrench, true);  // not shown: by ID
        QCOMPARE(find.sortLocale(), -1);
        QVERIFY(find.sortDescending());
        find.sortBy(kGerman, false);
        find.setLanguages(table({kEnglish}));  // German went
        QCOMPARE(find.sortLocale(), -1);
    }

    // F3 goes cell by cell through the rows and columns as shown, wraps
    // round, looks only in the scope's column when there is one, and skips
    // the message rows.
    void findNextWalksTheShownCellsAndWraps()
    {
        const Grid grid = sample();
        FindController find;
        find.setLanguages(languages());
        FindCriteria criteria = openWith("ångström");
        const std::vector<int> shown{0, 1, 2, 3, 4};
        const QList<int> order{0, 2, 1, 3};  // German moved before English
        using Found = FindController::Found;
        Found next = find.findNext(grid.model, criteria, shown, order, {}, false);
        QCOMPARE(next.outcome, Found::Match);
        QCOMPARE(next.cell.row, 4);
        QCOMPARE(next.cell.column, 2);
        next = find.findNext(grid.model, criteria, shown, order, next.cell, false);
        QCOMPARE(next.cell.column, 1);
        next = find.findNext(grid.model, criteria, shown, order, {4, 3}, false);  // wraps to the same row's first
        QCOMPARE(next.cell.column, 2);
        next = find.findNext(grid.model, criteria, shown, order, {}, true);  // backwards from the end
        QCOMPARE(next.cell.column, 3);

        criteria.text = "apple";
        criteria.scopeLocale = kEnglish;
        next = find.findNext(grid.model, criteria, shown, order, {0, 1}, false);
        QCOMPARE(next.cell.row, 2);
        next = find.findNext(grid.model, criteria, shown, order, {2, 1}, false);
        QCOMPARE(next.cell.row, 0);
        next = find.findNext(grid.model, criteria, shown, order, {0, 1}, true);
        QCOMPARE(next.cell.row, 2);

        criteria.text = "message";  // only in the row without an ID
        criteria.scopeLocale = -1;
        QCOMPARE(find.findNext(grid.model, criteria, shown, order, {}, false).outcome, Found::NoMatch);
        QCOMPARE(find.findNext(grid.model, criteria, {}, order, {}, false).outcome, Found::NoCells);
        criteria.text.clear();
        QCOMPARE(find.findNext(grid.model, criteria, shown, order, {}, false).outcome, Found::NoMatch);
    }

    void countsTheMissingTranslations()
    {
        const Grid grid = sample();
        FindController find;
        find.setLanguages(languages());
        const FindController::MissingCounts counts = find.countMissing(grid.model);
        QCOMPARE(counts.strings, 4);
        QCOMPARE(counts.rowsMissing, 2);
        QCOMPARE(counts.perColumn, (std::vector<int>{0, 0, 1, 1}));
        find.setLanguages(LanguageTable());
        QCOMPARE(find.countMissing(grid.model).rowsMissing, 0);
    }

    // The source language: the chosen one when the grid shows it, else
    // English (United Kingdom) when there, else the first; none without languages.
    void theSourceLanguageIsTheChosenOneOrTheChecksPick()
    {
        CellNotes notes;
        const LanguageTable shown = table({kGerman, kEnglish, kFrench});
        notes.setLanguages(shown, kFrench);
        QCOMPARE(notes.sourceLocale(), kFrench);
        QCOMPARE(notes.sourceColumn(), 3);
        notes.setLanguages(shown, kSwedish);
        QCOMPARE(notes.sourceLocale(), kEnglish);
        QCOMPARE(notes.sourceColumn(), 2);
        notes.setLanguages(table({kFrench, kGerman}), 0);
        QCOMPARE(notes.sourceLocale(), kFrench);
        notes.setLanguages(LanguageTable(), kFrench);
        QCOMPARE(notes.sourceLocale(), 0);
        QCOMPARE(notes.sourceColumn(), -1);
    }

    // A translation that breaks a rule against the source's text of its row
    // gets a note, one line per problem with the rule's name; the source, the
    // IDs and message rows never do.
    void cellsBreakingAChecksRuleGetNotes()
    {
        const Grid grid({{"1", "Open %1 &files ", "Öffne &Dateien ", "Ouvrir %1 &fichiers "},
                         {"2", "Line\nbreak", "Zeile", ""},
                         {"", "A message row", "%1"}});
        CellNotes notes;
        notes.setLanguages(table({kEnglish, kGerman, kFrench}), kEnglish);
        QVERIFY(notes.cellHasProblem(grid.model, 0, 2));
        QVERIFY(!notes.cellHasProblem(grid.model, 0, 3));
        QVERIFY(!notes.cellHasProblem(grid.model, 0, 1));  // the source itself
        QVERIFY(!notes.cellHasProblem(grid.model, 0, 0));
        QVERIFY(!notes.cellHasProblem(grid.model, 2, 2));
        QVERIFY(notes.rowHasProblems(grid.model, 1));
        QVERIFY(!notes.rowHasProblems(grid.model, 2));
        QCOMPARE(notes.cellProblems(grid.model, 0, 2),
                 CellNotes::ruleName(0) + ": " + LgvStringModule::SubstituteParameters(lgv_string(725), "%1"));
        const QStringList lines = notes.cellProblems(grid.model, 1, 3).split('\n');
        QCOMPARE(lines.size(), 1);  // an empty translation breaks only the one rule
        QVERIFY(lines[0].startsWith(CellNotes::ruleName(4) + ": "));
        QCOMPARE(notes.cellProblems(grid.model, 0, 3), QString());

        const QString english = notes.cellProblems(grid.model, 0, 2);
        LgvStringModule::SetUILanguage(kGerman, QStringLiteral("German (Germany)"));
        const QString german = notes.cellProblems(grid.model, 0, 2);
        LgvStringModule::SetUILanguage(kEnglish, QStringLiteral("English (United Kingdom)"));
        QVERIFY(german != english);
        QVERIFY(german.contains("%1"));

        notes.setLanguages(LanguageTable(), 0);  // nothing to compare with
        QVERIFY(!notes.rowHasProblems(grid.model, 1));
    }
};

QTEST_GUILESS_MAIN(FindControllerTest)
#include "editor_findcontroller_test.moc"
