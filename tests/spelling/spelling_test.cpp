#include "platform/resutil/ResStrings.h"
#include "spelling/BackgroundChecker.h"
#include "spelling/DictionaryFolders.h"
#include "spelling/SpellChecker.h"
#include "spelling/SpellingCheck.h"
#include "spelling/Words.h"
#include "tests/testlib/TestEnvironment.h"

#include <QtTest>

namespace {

QStringList wordsOf(const QString &text)
{
    QStringList out;
    for (const spelling::Word &w : spelling::words(text))
        out << QStringLiteral("%1@%2+%3").arg(w.word).arg(w.position).arg(w.length);
    return out;
}

QStringList misspelt(spelling::SpellChecker &checker, const QString &text, const QString &source = {})
{
    QStringList out;
    for (const spelling::Word &w : checker.misspellings(text, source))
        out << w.word;
    return out;
}

bool haveDictionary(const char *name)
{
    return QFileInfo::exists(QStringLiteral("/usr/share/hunspell/%1.dic").arg(QLatin1String(name)));
}

} // namespace

class SpellingTest : public QObject {
    Q_OBJECT
    TestEnvironment environment;

private slots:
    void initTestCase()
    {
        // scripts/install-deps.sh installs these.
        if (!haveDictionary("de_DE") || !haveDictionary("en_GB") || !haveDictionary("fr"))
            QFAIL("the Hunspell dictionaries of scripts/install-deps.sh are not installed");
    }

    void words_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("plain") << "Open file" << QStringList{"Open@0+4", "file@5+4"};
        QTest::newRow("access key inside and at the start") << "Ö&ffnen &Datei"
                                                            << QStringList{"Öffnen@0+7", "Datei@8+6"};
        QTest::newRow("&& is a plain ampersand") << "Suchen&&Ersetzen" << QStringList{"Suchen@0+6", "Ersetzen@8+8"};
        QTest::newRow("placeholders are no words") << "%1 Dateien, %s und {0}x %ld"
                                                   << QStringList{"Dateien@3+7", "und@15+3", "x@22+1"};
        QTest::newRow("printf next to a word") << "%sDateien" << QStringList{"Dateien@2+7"};
        QTest::newRow("apostrophe between letters") << "don't 'quoted'" << QStringList{"don't@0+5", "quoted@7+6"};
        QTest::newRow("hyphen splits") << "E-Mail-Adresse" << QStringList{"E@0+1", "Mail@2+4", "Adresse@7+7"};
        QTest::newRow("digits stay in the word") << "Win32 API" << QStringList{"Win32@0+5", "API@6+3"};
    }
    void words()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        QCOMPARE(wordsOf(text), expected);
    }

    void leftAlone()
    {
        QVERIFY(spelling::isLeftAlone(u"Win32"));
        QVERIFY(spelling::isLeftAlone(u"HTTP"));
        QVERIFY(spelling::isLeftAlone(u"ÄÖÜ"));
        QVERIFY(!spelling::isLeftAlone(u"Datei"));
        QVERIFY(!spelling::isLeftAlone(u"iPhone"));
        QVERIFY(!spelling::isLeftAlone(u"ファイル")); // no case is not all capitals
    }

    // The rules, on German: each row a text, the source's text and what is flagged.
    void rules_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("correct") << "Die Datei wurde gespeichert." << "" << QStringList();
        QTest::newRow("misspelt") << "Die Dattei wurde gespeichrt." << "" << QStringList{"Dattei", "gespeichrt"};
        QTest::newRow("access key removed before checking") << "Ö&ffnen" << "" << QStringList();
        QTest::newRow("access key in a misspelt word") << "Ö&fnen" << "" << QStringList{"Öfnen"};
        QTest::newRow("placeholders") << "%1 Dateien in %s, {0} Ordner" << "" << QStringList();
        QTest::newRow("digits") << "Win32 und MP3" << "" << QStringList();
        QTest::newRow("capitals") << "HTTPS und XYZQ" << "" << QStringList();
        QTest::newRow("names from the source") << "Quillmark öffnet Zorblex" << "Quillmark opens Zorblex"
                                               << QStringList();
        QTest::newRow("only the same string's source") << "Quillmark öffnet Zorblex" << "Quillmark opens"
                                                       << QStringList{"Zorblex"};
    }
    void rules()
    {
        QFETCH(QString, text);
        QFETCH(QString, source);
        QFETCH(QStringList, expected);
        std::unique_ptr<spelling::SpellChecker> german = spelling::SpellChecker::open(1031, spelling::dictionaryFolders());
        QVERIFY(german);
        QCOMPARE(german->dictionaryName(), QStringLiteral("de_DE"));
        QCOMPARE(misspelt(*german, text, source), expected);
    }

    // de-DE is de_DE; de-AT falls back to the language's main country; a
    // language alone is found as "fr"; Thai has none.
    void dictionaryChoice()
    {
        const QStringList folders = spelling::dictionaryFolders();
        QVERIFY(spelling::dictionaryPath(1031, folders).endsWith(u"/de_DE"));
        QVERIFY(spelling::dictionaryPath(3079, folders).endsWith(u"/de_DE")); // de-AT
        QVERIFY(spelling::dictionaryPath(2057, folders).endsWith(u"/en_GB"));
        QVERIFY(spelling::dictionaryPath(1036, folders).endsWith(u"/fr_FR"));
        QVERIFY(spelling::dictionaryPath(1054, folders).isEmpty());
        QVERIFY(!spelling::SpellChecker::open(1054, folders));

        QTemporaryDir dir;
        QFile::copy(QStringLiteral("/usr/share/hunspell/fr.aff"), dir.filePath(QStringLiteral("fr.aff")));
        QFile::copy(QStringLiteral("/usr/share/hunspell/fr.dic"), dir.filePath(QStringLiteral("fr.dic")));
        QFile::copy(QStringLiteral("/usr/share/hunspell/de_DE.aff"), dir.filePath(QStringLiteral("de_CH.aff")));
        QFile::copy(QStringLiteral("/usr/share/hunspell/de_DE.dic"), dir.filePath(QStringLiteral("de_CH.dic")));
        QCOMPARE(spelling::dictionaryPath(3084, {dir.path()}), dir.filePath(QStringLiteral("fr"))); // fr-CA
        QCOMPARE(spelling::dictionaryPath(1031, {dir.path()}), dir.filePath(QStringLiteral("de_CH"))); // any of the language's
        qputenv("QM_DICTIONARY_PATH", dir.path().toLocal8Bit());
        QCOMPARE(spelling::dictionaryFolders(), QStringList{dir.path()});
        qunsetenv("QM_DICTIONARY_PATH");
    }

    void suggestionsAddAndIgnore()
    {
        const QStringList folders = spelling::dictionaryFolders();
        std::unique_ptr<spelling::SpellChecker> german = spelling::SpellChecker::open(1031, folders);
        QVERIFY(german->suggestions(u"Dattei").contains(QStringLiteral("Datei")));
        QVERIFY(!german->knows(u"Zorblex"));
        QVERIFY(german->addToDictionary(QStringLiteral("Zorblex")).ok());
        QVERIFY(german->knows(u"Zorblex"));
        QVERIFY(!german->addToDictionary(QStringLiteral("two\nlines")).ok());
        german->ignore(QStringLiteral("Flimbo"));
        QVERIFY(german->knows(u"Flimbo"));

        // The added word is the user's, for German only, kept in the user's data folder; an ignored one is not.
        const QString list = spelling::userWordListPath(QStringLiteral("de-DE"));
        QVERIFY(list.startsWith(qEnvironmentVariable("XDG_DATA_HOME")));
        QFile file(list);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("Zorblex\n"));
        std::unique_ptr<spelling::SpellChecker> again = spelling::SpellChecker::open(1031, folders);
        QVERIFY(again->knows(u"Zorblex"));
        QVERIFY(!again->knows(u"Flimbo"));
        std::unique_ptr<spelling::SpellChecker> english = spelling::SpellChecker::open(2057, folders);
        QVERIFY(!english->knows(u"Zorblex"));
        QVERIFY(english->knows(u"colour"));
        QVERIFY(german->addToDictionary(QStringLiteral("Quarglo")).ok());
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("Zorblex\nQuarglo\n"));
    }

    // A dictionary in another code page than UTF-8 (Polish's is ISO 8859-2).
    void codePageDictionary()
    {
        std::unique_ptr<spelling::SpellChecker> polish = spelling::SpellChecker::open(1045, spelling::dictionaryFolders());
        if (!polish)
            QSKIP("no Polish dictionary");
        QVERIFY(polish->knows(u"źródło"));
        QVERIFY(!polish->knows(u"źrudło"));
        QVERIFY(!polish->knows(u"Файл")); // not in its code page at all
        QVERIFY(polish->suggestions(u"źrudło").contains(QStringLiteral("źródło")));
    }

    // Over a table: a language without a dictionary is named once, never word by word.
    void table()
    {
        resutil::ResStrings strings;
        strings.Add(2057, 1, QStringLiteral("Open Quillmark"));
        strings.Add(2057, 2, QStringLiteral("Save"));
        strings.Add(1031, 2, QStringLiteral("Spiechern"));
        strings.Add(1031, 1, QStringLiteral("Quillmark öffnen"));
        strings.Add(1054, 1, QStringLiteral("เปิด Quillmark xyzzy"));
        strings.Add(1054, 2, QStringLiteral("บันทึก"));
        strings.Add(1049, 1, QStringLiteral("Открыть Quillmark"));
        strings.Add(1049, 2, QStringLiteral("Сахранить"));
        strings.Add(0x0501, 1, QStringLiteral("[Ŏƥēñ Qūīľľɱȧŕķ !!!]"));
        spelling::SpellCheckers checkers;
        QStringList lines;
        for (const checks::StringProblem &p : spelling::checkSpelling(strings, 2057, checkers))
            lines << QStringLiteral("%1 %2 %3@%4 %5").arg(p.localeId).arg(p.id).arg(p.problem.token).arg(p.problem.count)
                         .arg(checks::describe(p.problem));
        QCOMPARE(lines, (QStringList{"1031 2 Spiechern@0 \"Spiechern\" is not in the dictionary",
                                     "1049 2 Сахранить@0 \"Сахранить\" is not in the dictionary",
                                     "1054 0 Thai (Thailand)@0 No dictionary for Thai (Thailand)"}));
    }

    // Words asked of several languages are answered a language at a time,
    // with one dictionary open; the verdicts stay once it is closed.
    void backgroundCheckerOpensOneDictionaryAtATime()
    {
        int answeredCalls = 0;
        spelling::BackgroundChecker checker(spelling::dictionaryFolders(), [&] { ++answeredCalls; });
        QVERIFY(checker.hasDictionary(1031));
        QVERIFY(!checker.hasDictionary(1054));
        QCOMPARE(checker.dictionariesRead(), 0); // asking whether there is one reads none

        const QList<std::pair<qint32, QString>> asked{{1031, "Fenster"}, {2057, "colour"}, {1036, "fenêtre"},
                                                      {1031, "Fenstr"},  {2057, "windoww"}, {1036, "fenetre"}};
        for (const auto &[locale, word] : asked)
            QVERIFY(!checker.knows(locale, word).has_value());
        QVERIFY(!checker.knows(1031, "Fenster").has_value()); // asked once, still waiting
        checker.settle();
        QCOMPARE(checker.dictionariesRead(), 3);
        QCOMPARE(checker.knows(1031, "Fenster"), std::optional<bool>(true));
        QCOMPARE(checker.knows(1031, "Fenstr"), std::optional<bool>(false));
        QCOMPARE(checker.knows(2057, "colour"), std::optional<bool>(true));
        QCOMPARE(checker.knows(2057, "windoww"), std::optional<bool>(false));
        QCOMPARE(checker.knows(1036, "fenêtre"), std::optional<bool>(true));
        QCOMPARE(checker.knows(1036, "fenetre"), std::optional<bool>(false));
        QCOMPARE(checker.dictionariesRead(), 3); // known words ask nothing again

        // The event loop tells of verdicts that came in without a wait.
        QVERIFY(!checker.knows(1031, "Datei").has_value());
        while (!checker.knows(1031, "Datei"))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCOMPARE(checker.knows(1031, "Datei"), std::optional<bool>(true));
        QVERIFY(answeredCalls > 0);
        QCOMPARE(checker.dictionariesRead(), 4);
        QCOMPARE(checker.openDictionary(), 1031);

        // Suggestions open the word's dictionary, closing the other.
        QVERIFY(checker.suggestions(1036, "fenetre").contains(QStringLiteral("fenêtre")));
        QCOMPARE(checker.openDictionary(), 1036);
        QCOMPARE(checker.dictionariesRead(), 5);
        QVERIFY(checker.suggestions(1054, "xyz").isEmpty());

        // The user's words: one added is kept in the list and known after the
        // dictionary is read again; one ignored is known at once.
        QVERIFY(checker.addToDictionary(1031, "Quillmarkk").ok());
        QCOMPARE(checker.knows(1031, "Quillmarkk"), std::optional<bool>(true));
        checker.ignore(2057, "windoww");
        QCOMPARE(checker.knows(2057, "windoww"), std::optional<bool>(true));
        spelling::BackgroundChecker again(spelling::dictionaryFolders(), [] {});
        QVERIFY(!again.knows(1031, "Quillmarkk").has_value());
        QVERIFY(!again.knows(2057, "windoww").has_value());
        again.settle();
        QCOMPARE(again.knows(1031, "Quillmarkk"), std::optional<bool>(true));
        QCOMPARE(again.knows(2057, "windoww"), std::optional<bool>(false));
        QVERIFY(!again.addToDictionary(1031, "two\nlines").ok());
    }

    // A checker closed with words waiting neither hangs nor calls back.
    void backgroundCheckerClosesWithWordsWaiting()
    {
        bool called = false;
        {
            spelling::BackgroundChecker checker(spelling::dictionaryFolders(), [&] { called = true; });
            for (int i = 0; i < 200; ++i)
                (void)checker.knows(1031 + (i % 2) * 1026, QStringLiteral("Wort%1x").arg(QChar(u'a' + i % 26)));
        }
        QCoreApplication::processEvents();
        QVERIFY(!called);
    }

    // The words of a text wait for every verdict, then lose those the source lends.
    void misspellingsWaitForEveryWord()
    {
        QHash<QString, bool> known{{"Quillmark", false}, {"öffnen", true}};
        int asked = 0;
        const spelling::Verdict verdict = [&](const QString &word) -> std::optional<bool> {
            ++asked;
            if (const auto it = known.constFind(word); it != known.constEnd())
                return *it;
            return std::nullopt;
        };
        QVERIFY(!spelling::misspellings(u"Quillmark Datei öffnen", u"", verdict));
        QCOMPARE(asked, 3); // each word put to the verdict even after one had none
        known.insert("Datei", false);
        const auto words = spelling::misspellings(u"Quillmark Datei öffnen 32x", u"Open Quillmark", verdict);
        QVERIFY(words);
        QCOMPARE(words->size(), 1);
        QCOMPARE(words->first().word, QStringLiteral("Datei"));
    }
};

QTEST_GUILESS_MAIN(SpellingTest)
#include "spelling_test.moc"
