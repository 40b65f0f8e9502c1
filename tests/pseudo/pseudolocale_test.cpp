#include "checks/Placeholders.h"
#include "checks/StringTableChecks.h"
#include "checks/TranslationChecks.h"
#include "platform/resutil/ResStrings.h"
#include "platform/win32core/Nls.h"
#include "pseudo/PseudoLocale.h"

#include <QtTest>

class PseudoLocaleTest : public QObject {
    Q_OBJECT
private slots:
    void texts_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("accented, lengthened, bracketed") << "Open file" << pseudo::kPloc << "[Ŏƥēñ ƒīľē !!!]";
        QTest::newRow("a short word gets one mark") << "OK" << pseudo::kPloc << "[ŎĶ !]";
        QTest::newRow("placeholders as written") << "%1 of %2" << pseudo::kPloc << "[%1 ōƒ %2 !!!]";
        QTest::newRow("printf and .NET") << "%s: %ld {0:N2}" << pseudo::kPloc << "[%s: %ld {0:N2} !!!!!]";
        QTest::newRow("access key letter and &&") << "&Save && Exit" << pseudo::kPloc << "[&Sȧṽē && Ēẋīŧ !!!!!]";
        QTest::newRow("escapes") << "Tab\\there" << pseudo::kPloc << "[Ŧȧƀ\\tĥēŕē !!!]";
        QTest::newRow("line breaks, each line lengthened")
            << "Line one\r\nTwo" << pseudo::kPloc << "[Ľīñē ōñē !!!\r\nŦŵō !]";
        QTest::newRow("spaces stay outside") << "  Name: " << pseudo::kPloc << "  [Ñȧɱē: !] ";
        QTest::newRow("spaces only") << "   " << pseudo::kPloc << "   ";
        QTest::newRow("empty") << "" << pseudo::kPloc << "";
        QTest::newRow("Asia pads with wide characters") << "Open file" << pseudo::kPlocA << "[Ŏƥēñ ƒīľē 表表]";
        QTest::newRow("mirrored runs right to left")
            << "Open\nfile" << pseudo::kPlocM << "[\u202BŎƥēñ !\u202C\n\u202Bƒīľē !\u202C]";
        QTest::newRow("other scripts unchanged") << "Файл" << pseudo::kPloc << "[Файл !]";
    }
    void texts()
    {
        QFETCH(QString, source);
        QFETCH(int, locale);
        QFETCH(QString, expected);
        QCOMPARE(pseudo::pseudoText(source, locale), expected);
    }

    // Whatever the source, the pseudo text passes every translation check
    // against it: placeholders, line breaks, spaces, access keys.
    void passesTheTranslationChecks()
    {
        const QStringList sources{
            "&File", "Open %1?", "%s has %d items (%.2f%%)", "{0} of {1:N0}", "%2$s %1$s", "Save && &Exit",
            "  Indented", "Trailing  ", "Two\nlines\r\nthree", "100% sure", "&&Plain", "%1\\n%2", "a&b", "&", "%",
            "Tab\there", "Ö&ffnen", "x", " & ", "{{literal}} {0}"};
        for (const qint32 locale : {pseudo::kPloc, pseudo::kPlocA, pseudo::kPlocM})
            for (const QString &source : sources) {
                const QString text = pseudo::pseudoText(source, locale);
                const QList<checks::Problem> problems = checks::checkTranslation(source, text);
                if (!problems.isEmpty())
                    QFAIL(qPrintable(QStringLiteral("%1 -> %2: %3").arg(source, text, checks::describe(problems.first()))));
                QVERIFY(!checks::hasProblem(source, text));
                QVERIFY2(text.size() >= source.size() * 1.3, qPrintable(text));
            }
    }

    // Filling a locale: one text per source string, again replaces them, and
    // strings gone from the source go.
    void fillsAndRefills()
    {
        resutil::ResStrings strings;
        strings.Add(2057, 1, QStringLiteral("&File"));
        strings.Add(2057, 2, QStringLiteral("Open %1"));
        strings.Add(1031, 1, QStringLiteral("&Datei"));
        strings.Add(pseudo::kPloc, 7, QStringLiteral("left from an earlier run"));
        strings.Add(pseudo::kPloc, 1, QStringLiteral("old"));
        strings.Add(pseudo::kPloc, 1, QStringLiteral("a second entry for the same ID"));
        QCOMPARE(pseudo::fillPseudoLocale(strings, 2057, pseudo::kPloc), 2);
        QCOMPARE(strings.Find(pseudo::kPloc, 1)->Text(), QStringLiteral("[&Fīľē !]"));
        QCOMPARE(strings.Find(pseudo::kPloc, 2)->Text(), QStringLiteral("[Ŏƥēñ %1 !!]"));
        QVERIFY(!strings.Find(pseudo::kPloc, 7));
        QCOMPARE(strings.Count(), 5);
        strings.Find(2057, 2)->setText(QStringLiteral("Close"));
        QCOMPARE(pseudo::fillPseudoLocale(strings, 2057, pseudo::kPloc), 2);
        QCOMPARE(strings.Find(pseudo::kPloc, 2)->Text(), QStringLiteral("[Çľōşē !]"));
        QCOMPARE(strings.Count(), 5);
        // The table checks find nothing in it.
        for (const checks::StringProblem &p : checks::checkStrings(strings, 2057))
            QVERIFY2(p.localeId != pseudo::kPloc, checks::ruleKey(p.problem.rule));
    }

    void locales()
    {
        QCOMPARE(pseudo::localeFromName(u"qps-ploc"), std::optional<qint32>(0x0501));
        QCOMPARE(pseudo::localeFromName(u"QPS-PLOCA"), std::optional<qint32>(0x05FE));
        QCOMPARE(pseudo::localeFromName(u"qps-plocm"), std::optional<qint32>(0x09FF));
        QCOMPARE(pseudo::localeFromName(u"qps-plocx"), std::nullopt);
        QCOMPARE(pseudo::localeFromName(u"en-US"), std::nullopt);
        // Windows' names, in every display language, and their tags.
        QCOMPARE(win32::LocaleDisplayName(0x0501, 1033), QStringLiteral("Pseudo Language (Pseudo)"));
        QCOMPARE(win32::LocaleDisplayName(0x05FE, 1031), QStringLiteral("Pseudo Language (Pseudo Asia)"));
        QCOMPARE(win32::LocaleDisplayName(0x09FF, 1033), QStringLiteral("Pseudo Language (Pseudo Mirrored)"));
        QCOMPARE(win32::LCIDToLocaleName(0x09FF), QStringLiteral("qps-plocm"));
        QCOMPARE(win32::LocaleNameToLCID(QStringLiteral("qps-ploca")), win32::LCID(0x05FE));
        QVERIFY(win32::systemLocales().contains(0x0501));
    }
};

QTEST_GUILESS_MAIN(PseudoLocaleTest)
#include "pseudolocale_test.moc"
