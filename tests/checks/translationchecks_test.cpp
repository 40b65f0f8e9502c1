#include "checks/StringTableChecks.h"
#include "checks/TranslationChecks.h"
#include "platform/resutil/ResStrings.h"

#include <QtTest>

using checks::checkTranslation;

namespace {

// "rule: description" for each problem, which is what a user reads.
QStringList found(const QString &source, const QString &translation)
{
    QStringList lines;
    for (const checks::Problem &problem : checkTranslation(source, translation))
        lines << QString::fromLatin1(checks::ruleKey(problem.rule)) + QStringLiteral(": ") + checks::describe(problem);
    return lines;
}

void addColumns()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("translation");
    QTest::addColumn<QStringList>("expected");
}

void verifyRow()
{
    QFETCH(QString, source);
    QFETCH(QString, translation);
    QFETCH(QStringList, expected);
    QCOMPARE(found(source, translation), expected);
    // The quick answer agrees with the full one.
    QCOMPARE(checks::hasProblem(source, translation), !expected.isEmpty());
}

} // namespace

class TranslationChecksTest : public QObject {
    Q_OBJECT
private slots:
    void placeholders_data()
    {
        addColumns();
        QTest::newRow("Qt style kept, reordered") << "%1 of %2" << "%2 von %1" << QStringList();
        QTest::newRow("Qt style missing") << "Open %1?" << "Öffnen?" << QStringList{"placeholder: %1 is missing"};
        QTest::newRow("Qt style added") << "Saved" << "%1 gespeichert" << QStringList{"placeholder: %1 is not in the source"};
        QTest::newRow("Qt style repeated once is still there") << "%1 and %1" << "%1" << QStringList();
        QTest::newRow("one digit only: %10 is %1 then 0") << "%10" << "%1" << QStringList();
        QTest::newRow("%0 of the add-in's own tables") << "Send to %0" << "An senden" << QStringList{"placeholder: %0 is missing"};
        QTest::newRow("printf kept") << "%s has %d items" << "%s hat %d Einträge" << QStringList();
        QTest::newRow("printf width and flags do not matter") << "%-8s|%.2f" << "%s|%.1f" << QStringList();
        QTest::newRow("printf digit width reads as %N on both sides") << "%10s %5.2f" << "%10s %5.2f" << QStringList();
        QTest::newRow("printf long kept") << "%ld bytes" << "%ld Bytes" << QStringList();
        QTest::newRow("printf long changed to int")
            << "%ld bytes" << "%d Bytes" << QStringList{"placeholder: %ld is missing", "placeholder: %d is not in the source"};
        QTest::newRow("printf order matters")
            << "%s: %d" << "%d: %s" << QStringList{"placeholder: placeholders in another order than in the source (%s %d)"};
        QTest::newRow("printf one fewer") << "%s %s" << "%s" << QStringList{"placeholder: %s is missing"};
        QTest::newRow("printf star width takes an argument")
            << "%*d" << "%d" << QStringList{"placeholder: %*d is missing", "placeholder: %d is not in the source"};
        QTest::newRow("printf positional may move") << "%1$s of %2$d" << "%2$d von %1$s" << QStringList();
        QTest::newRow("printf positional missing") << "%1$s of %2$d" << "%1$s" << QStringList{"placeholder: %2$d is missing"};
        QTest::newRow("percent sign kept") << "100%% done" << "100%% fertig" << QStringList();
        QTest::newRow("percent sign lost") << "100%% done" << "100 % fertig" << QStringList{"placeholder: %% is missing"};
        QTest::newRow("percent before a space is text") << "100% sure" << "100 % sicher" << QStringList();
        QTest::newRow("percent before an unknown letter is text") << "50% off" << "50% Rabatt" << QStringList();
        QTest::newRow("percent at the end is text") << "50%" << "50 %" << QStringList();
        QTest::newRow(".NET kept") << "{0} of {1}" << "{1} von {0}" << QStringList();
        QTest::newRow(".NET with format and alignment") << "{0:N2} {1,-8}" << "{0:N0} {1}" << QStringList();
        QTest::newRow(".NET missing shows the item as written") << "Total: {0:C}" << "Summe:" << QStringList{"placeholder: {0:C} is missing"};
        QTest::newRow(".NET added") << "Done" << "Fertig {2}" << QStringList{"placeholder: {2} is not in the source"};
        QTest::newRow(".NET escaped braces are text") << "{{0}}" << "{{1}}" << QStringList();
        QTest::newRow("braces without a number are text") << "{name}" << "{Name}" << QStringList();
        QTest::newRow("unclosed brace is text") << "{0" << "{1" << QStringList();
        QTest::newRow("styles mixed") << "%1: %s {0}" << "{0} %s" << QStringList{"placeholder: %1 is missing"};
    }
    void placeholders() { verifyRow(); }

    void lineBreaks_data()
    {
        addColumns();
        QTest::newRow("same") << "a\nb" << "x\ny" << QStringList();
        QTest::newRow("\\r\\n and \\n count alike") << "a\r\nb" << "x\ny" << QStringList();
        QTest::newRow("lone \\r counts") << "a\rb" << "x\ny" << QStringList();
        QTest::newRow("one lost") << "a\nb" << "ab" << QStringList{"line-breaks: 0 line breaks, the source has 1"};
        QTest::newRow("one added") << "ab" << "a\r\n\r\nb" << QStringList{"line-breaks: 2 line breaks, the source has 0"};
    }
    void lineBreaks() { verifyRow(); }

    void spaces_data()
    {
        addColumns();
        QTest::newRow("none") << "Name" << "Name" << QStringList();
        QTest::newRow("trailing kept") << "Name: " << "Nom : " << QStringList();
        QTest::newRow("trailing lost") << "Name: " << "Nom :" << QStringList{"spaces: trailing spaces differ from the source"};
        QTest::newRow("leading added") << "Name" << " Nom" << QStringList{"spaces: leading spaces differ from the source"};
        QTest::newRow("how many counts") << "  x" << " y" << QStringList{"spaces: leading spaces differ from the source"};
        QTest::newRow("a tab is not a space") << "\tx" << " y" << QStringList{"spaces: leading spaces differ from the source"};
        QTest::newRow("both ends")
            << " x " << "y" << QStringList{"spaces: leading spaces differ from the source", "spaces: trailing spaces differ from the source"};
        QTest::newRow("inner spaces do not matter") << "a b" << "a  b" << QStringList();
        QTest::newRow("a break at the end is not a space") << "a\n" << "b\n" << QStringList();
        QTest::newRow("spaces only count once") << "x" << "   " << QStringList{"spaces: leading spaces differ from the source"};
    }
    void spaces() { verifyRow(); }

    void accessKeys_data()
    {
        addColumns();
        QTest::newRow("both") << "&File" << "&Datei" << QStringList();
        QTest::newRow("another letter is fine") << "&File" << "Da&tei" << QStringList();
        QTest::newRow("lost") << "&File" << "Datei" << QStringList{"access-key: no access key, the source has one (&F)"};
        QTest::newRow("added") << "File" << "&Datei" << QStringList{"access-key: access key &D that the source does not have"};
        QTest::newRow("&& is an ampersand") << "Save && Exit" << "Speichern && Beenden" << QStringList();
        QTest::newRow("&& is not a key") << "&Save" << "Speichern && Beenden" << QStringList{"access-key: no access key, the source has one (&S)"};
        QTest::newRow("&&& has one") << "A&&&B" << "&C" << QStringList();
        QTest::newRow("& before a space is text") << "Tom & Jerry" << "Tom und Jerry" << QStringList();
        QTest::newRow("& at the end is text") << "R&" << "R" << QStringList();
    }
    void accessKeys() { verifyRow(); }

    void emptyTranslations_data()
    {
        addColumns();
        QTest::newRow("empty translation") << "Hello" << "" << QStringList{"empty: no translation"};
        QTest::newRow("empty translation hides the other rules") << "&Open %1\n" << "" << QStringList{"empty: no translation"};
        QTest::newRow("empty source, nothing to check") << "" << "Hallo %1" << QStringList();
        QTest::newRow("both empty") << "" << "" << QStringList();
    }
    void emptyTranslations() { verifyRow(); }

    // A file's languages against the source: default and chosen source, IDs a
    // language lacks, sorted output.
    void stringTables()
    {
        resutil::ResStrings strings;
        strings.Add(1031, 2, QStringLiteral("Öffnen %1"));
        strings.Add(1031, 1, QStringLiteral("Datei"));
        strings.Add(2057, 1, QStringLiteral("&File"));
        strings.Add(2057, 2, QStringLiteral("Open %1"));
        strings.Add(2057, 3, QStringLiteral("Exit"));
        strings.Add(1036, 1, QStringLiteral("&Fichier"));
        strings.Add(1036, 2, QStringLiteral("Ouvrir"));
        strings.Add(1036, 3, QStringLiteral("Quitter"));
        strings.Add(1036, 9, QStringLiteral("only in French %1"));

        QCOMPARE(checks::defaultSourceLanguage(strings.Languages()), 2057);
        QCOMPARE(checks::defaultSourceLanguage({1031, 1036}), 1031);
        QCOMPARE(checks::defaultSourceLanguage({}), 0);
        QCOMPARE(checks::sourceLanguage(strings.Languages(), 1036), 1036);
        QCOMPARE(checks::sourceLanguage(strings.Languages(), 1049), 2057); // a language the file no longer has

        auto lines = [](const std::vector<checks::StringProblem> &problems) {
            QStringList out;
            for (const auto &p : problems)
                out << QStringLiteral("%1 %2 %3").arg(p.localeId).arg(p.id).arg(QString::fromLatin1(checks::ruleKey(p.problem.rule)));
            return out;
        };
        QCOMPARE(lines(checks::checkStrings(strings, 2057)),
                 (QStringList{"1031 1 access-key", "1031 3 empty", "1036 2 placeholder"}));
        // French as the source: its ID 9 is missing everywhere else.
        QCOMPARE(lines(checks::checkStrings(strings, 1036)),
                 (QStringList{"1031 1 access-key", "1031 2 placeholder", "1031 3 empty", "1031 9 empty", "2057 2 placeholder",
                              "2057 9 empty"}));
        QVERIFY(checks::checkStrings(strings, 0).empty());
    }
};

QTEST_GUILESS_MAIN(TranslationChecksTest)
#include "translationchecks_test.moc"
