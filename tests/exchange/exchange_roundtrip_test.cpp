#include "ExchangeTestSupport.h"

#include "exchange/Exchange.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QTemporaryDir>
#include <QtTest>

// .res -> file -> .res gives every text back exactly, in every format, for
// what the format can hold; what it cannot is refused before anything is written.
class ExchangeRoundTripTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;

    enum Group { Controls = 1, Unpaired = 2 };

    static QList<Entry> texts(int groups)
    {
        const SampleTexts s = sampleTexts();
        QList<Entry> all = s.common + s.longest;
        if (groups & Controls)
            all += s.controls;
        if (groups & Unpaired)
            all += s.unpaired;
        return all;
    }

    static exchange::Options optionsFor(const QString &file)
    {
        exchange::Options options;
        options.format = *exchange::formatForFileName(file);
        if (file.endsWith(QLatin1String("12.xlf")))
            options.format = exchange::Format::Xliff12;
        options.sheetName = QStringLiteral("Project1");
        options.original = QStringLiteral("Project1.res");
        return options;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        LgvStringModule::setCurrentUILanguage(2057);
    }

    void tables_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("holds");
        QTest::addColumn<int>("refuses");
        QTest::newRow("ods") << "t.ods" << 0 << int(Controls | Unpaired);
        QTest::newRow("csv") << "t.csv" << int(Controls) << int(Unpaired);
        QTest::newRow("tsv") << "t.tsv" << int(Controls) << int(Unpaired);
        QTest::newRow("rc") << "t.rc" << int(Controls | Unpaired) << 0;
    }
    // The formats that hold every language: the whole table comes back.
    void tables()
    {
        QFETCH(QString, file);
        QFETCH(int, holds);
        QFETCH(int, refuses);
        const QString path = m_dir.filePath(file);
        QFile::remove(path);
        const QList<Entry> original = texts(holds);
        resutil::ResStrings strings;
        fill(strings, original);
        RecordingFeedback feedback;
        const qm::Status exported = exchange::exportFile(strings, path, optionsFor(file), testLanguageName, feedback);
        QVERIFY2(exported.ok(), qPrintable(exported.errorString()));

        resutil::ResStrings current;
        current.Add(1036, 7, QStringLiteral("replaced"));
        auto imported = exchange::importFile(path, current, optionsFor(file), feedback);
        QVERIFY2(imported.ok(), qPrintable(imported.errorString()));
        QCOMPARE(imported->messages, QStringList());
        QCOMPARE(sortedEntries(nonEmpty(entriesOf(imported.value()))), sortedEntries(original));

        for (int group : {int(Controls), int(Unpaired)}) {
            if (!(refuses & group))
                continue;
            const QByteArray before = readFile(path);
            resutil::ResStrings more;
            fill(more, texts(holds | group));
            const qm::Status refused = exchange::exportFile(more, path, optionsFor(file), testLanguageName, feedback);
            QVERIFY(!refused.ok());
            QVERIFY2(refused.errorString().contains(QLatin1String("cannot")), qPrintable(refused.errorString()));
            QVERIFY2(refused.errorString().startsWith(path), qPrintable(refused.errorString()));
            QCOMPARE(readFile(path), before);
        }
    }

    void translations_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("holds");
        QTest::addColumn<int>("refuses");
        QTest::newRow("xliff 2.0") << "t.xlf" << int(Controls | Unpaired) << 0;
        QTest::newRow("xliff 1.2") << "t12.xlf" << 0 << int(Controls | Unpaired);
        QTest::newRow("po") << "t.po" << int(Controls) << int(Unpaired);
    }
    // One language at a time: exported, removed, imported, back as it was.
    void translations()
    {
        QFETCH(QString, file);
        QFETCH(int, holds);
        QFETCH(int, refuses);
        const QString path = m_dir.filePath(file);
        const QList<Entry> original = texts(holds);
        resutil::ResStrings strings;
        fill(strings, original);
        for (const auto &[source, target] : {std::pair{2057, 1031}, std::pair{1031, 2057}, std::pair{2057, 1041}}) {
            exchange::Options options = optionsFor(file);
            options.sourceLocale = source;
            options.targetLocale = target;
            RecordingFeedback feedback;
            const qm::Status exported = exchange::exportFile(strings, path, options, testLanguageName, feedback);
            QVERIFY2(exported.ok(), qPrintable(exported.errorString()));

            // Without the target texts, and told nothing: the file names its language.
            QList<Entry> changed = original;
            for (Entry &e : changed)
                if (std::get<0>(e) == target)
                    std::get<2>(e) = QStringLiteral("to be replaced");
            resutil::ResStrings current;
            fill(current, changed);
            exchange::Options reading = optionsFor(file);
            reading.targetLocale = 0;
            auto imported = exchange::importFile(path, current, reading, feedback);
            QVERIFY2(imported.ok(), qPrintable(imported.errorString()));
            QCOMPARE(imported->targetLocale, target);
            QCOMPARE(imported->messages, QStringList());
            QCOMPARE(sortedEntries(entriesOf(imported.value())), sortedEntries(original));
        }
        for (int group : {int(Controls), int(Unpaired)}) {
            if (!(refuses & group))
                continue;
            QFile::remove(path);
            resutil::ResStrings more;
            fill(more, texts(holds | group));
            exchange::Options options = optionsFor(file);
            options.sourceLocale = 1031;
            options.targetLocale = 2057;
            RecordingFeedback feedback;
            const qm::Status refused = exchange::exportFile(more, path, options, testLanguageName, feedback);
            QVERIFY(!refused.ok());
            QVERIFY2(refused.errorString().contains(QLatin1String("cannot")), qPrintable(refused.errorString()));
            QVERIFY(!QFile::exists(path));
        }
    }

    // Units the resource file does not know are named and left out.
    void unknownUnitsAreReported_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("xliff 2.0") << "u.xlf";
        QTest::newRow("xliff 1.2") << "u12.xlf";
        QTest::newRow("po") << "u.po";
    }
    void unknownUnitsAreReported()
    {
        QFETCH(QString, file);
        const QString path = m_dir.filePath(file);
        resutil::ResStrings strings;
        fill(strings, {{2057, 1, "One"}, {2057, 2, "Two"}, {2057, 3, "Three"}, {1031, 1, "Eins"}, {1031, 3, "Drei"}});
        exchange::Options options = optionsFor(file);
        options.targetLocale = 1031;
        RecordingFeedback feedback;
        QVERIFY(exchange::exportFile(strings, path, options, testLanguageName, feedback).ok());
        resutil::ResStrings fewer;
        fill(fewer, {{2057, 1, "One"}, {2057, 3, "Three"}, {1031, 3, "alt"}, {1031, 4, "kept"}});
        auto imported = exchange::importFile(path, fewer, options, feedback);
        QVERIFY2(imported.ok(), qPrintable(imported.errorString()));
        QCOMPARE(imported->messages.size(), 1);
        QVERIFY2(imported->messages[0].contains(QLatin1String("\"2\" names no string ID")), qPrintable(imported->messages[0]));
        QCOMPARE(sortedEntries(entriesOf(imported.value())),
                 sortedEntries({{2057, 1, "One"}, {2057, 3, "Three"}, {1031, 1, "Eins"}, {1031, 3, "Drei"}, {1031, 4, "kept"}}));
    }

    // Files of several megabytes are written while they are made: they come
    // back exactly, IDs in any order, and a refusal found after the first
    // megabyte still leaves the old file as it was, with no temporary beside it.
    void largeFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("ods") << "big.ods";
        QTest::newRow("csv") << "big.csv";
        QTest::newRow("rc") << "big.rc";
        QTest::newRow("xliff 2.0") << "big.xlf";
        QTest::newRow("xliff 1.2") << "big12.xlf";
        QTest::newRow("po") << "big.po";
    }
    void largeFiles()
    {
        QFETCH(QString, file);
        QTemporaryDir dir;
        const QString path = dir.filePath(file);
        QList<Entry> original;
        for (int id = 20000; id >= 0; --id) {
            original.append({2057, id, QStringLiteral("Source text %1 with \"quotes\" & <markup>, tab\tand line\nbreak").arg(id)});
            original.append({1031, id, QStringLiteral("\u00dcbersetzung %1 \u3053\u3093\u306b\u3061\u306f \U0001F600").arg(id)});
        }
        resutil::ResStrings strings;
        fill(strings, original);
        exchange::Options options = optionsFor(file);
        options.targetLocale = 1031;
        RecordingFeedback feedback;
        const qm::Status exported = exchange::exportFile(strings, path, options, testLanguageName, feedback);
        QVERIFY2(exported.ok(), qPrintable(exported.errorString()));
        QVERIFY(QFileInfo(path).size() > 2'000'000 || file.endsWith(QLatin1String(".ods")));

        resutil::ResStrings current;
        if (exchange::isTranslation(options.format)) {
            QList<Entry> sources;
            for (const Entry &e : original)
                if (std::get<0>(e) == 2057)
                    sources.append(e);
            fill(current, sources);
        }
        auto imported = exchange::importFile(path, current, options, feedback);
        QVERIFY2(imported.ok(), qPrintable(imported.errorString()));
        QCOMPARE(imported->messages, QStringList());
        QCOMPARE(sortedEntries(entriesOf(imported.value())), sortedEntries(original));

        if (options.format != exchange::Format::Csv)
            return;
        const QByteArray before = readFile(path);
        fill(strings, {{1031, 30000, QStringLiteral("late ") + QChar(0xD800)}});
        const qm::Status refused = exchange::exportFile(strings, path, options, testLanguageName, feedback);
        QVERIFY(!refused.ok());
        QVERIFY2(refused.errorString().contains(QLatin1String("unpaired surrogate")), qPrintable(refused.errorString()));
        QCOMPARE(readFile(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{file});
    }

    // A translated language keeps its place in the table: new texts replace
    // the old ones where they stand, and a text the language lacked follows it.
    void importKeepsTheTableOrder()
    {
        const QString path = m_dir.filePath(QStringLiteral("order.po"));
        resutil::ResStrings strings;
        fill(strings, {{2057, 1, "One"}, {2057, 2, "Two"}, {2057, 3, "Three"}, {1031, 1, "Eins"}, {1031, 3, "Drei"}});
        exchange::Options options = optionsFor(QStringLiteral("order.po"));
        options.targetLocale = 1031;
        RecordingFeedback feedback;
        QVERIFY(exchange::exportFile(strings, path, options, testLanguageName, feedback).ok());
        resutil::ResStrings current;
        fill(current, {{2057, 1, "One"}, {1031, 2, "zwei"}, {1031, 1, "alt"}, {2057, 2, "Two"}, {1036, 1, "Un"}, {2057, 3, "Three"}});
        auto imported = exchange::importFile(path, current, options, feedback);
        QVERIFY2(imported.ok(), qPrintable(imported.errorString()));
        QCOMPARE(entriesOf(imported.value()),
                 (QList<Entry>{{2057, 1, "One"}, {1031, 1, "Eins"}, {1031, 3, "Drei"}, {2057, 2, "Two"}, {1036, 1, "Un"}, {2057, 3, "Three"}}));
    }

    // Exporting into an .ods keeps its other sheets and replaces the one named.
    void odsKeepsOtherSheets()
    {
        const QString path = m_dir.filePath(QStringLiteral("keep.ods"));
        QFile::remove(path);
        resutil::ResStrings first, second;
        fill(first, {{2057, 1, "first"}});
        fill(second, {{1031, 2, "zweite"}});
        RecordingFeedback feedback;
        exchange::Options options = optionsFor(QStringLiteral("keep.ods"));
        options.sheetName = QStringLiteral("A");
        QVERIFY(exchange::exportFile(first, path, options, testLanguageName, feedback).ok());
        options.sheetName = QStringLiteral("B");
        QVERIFY(exchange::exportFile(second, path, options, testLanguageName, feedback).ok());
        QCOMPARE(exchange::odsSheetNames(path).value(), (QStringList{"A", "B"}));
        options.sheetName = QStringLiteral("a");
        QVERIFY(exchange::exportFile(second, path, options, testLanguageName, feedback).ok());
        QCOMPARE(exchange::odsSheetNames(path).value(), (QStringList{"a", "B"}));

        resutil::ResStrings none;
        options.sheetName = QStringLiteral("B");
        auto b = exchange::importFile(path, none, options, feedback);
        QVERIFY2(b.ok(), qPrintable(b.errorString()));
        QCOMPARE(entriesOf(b.value()), (QList<Entry>{{1031, 2, "zweite"}}));
        options.sheetName = QStringLiteral("missing");
        auto missing = exchange::importFile(path, none, options, feedback);
        QVERIFY(!missing.ok());
        QVERIFY2(missing.errorString().contains(QLatin1String("no sheet \"missing\" (it has: a, B)")),
                 qPrintable(missing.errorString()));
    }
};

QTEST_MAIN(ExchangeRoundTripTest)
#include "exchange_roundtrip_test.moc"
