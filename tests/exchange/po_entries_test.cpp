#include "ExchangeTestSupport.h"

#include "exchange/Exchange.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// Which entries of a PO file a translation import takes: fuzzy ones only on
// request, obsolete ones never, as msgfmt does.
class PoEntriesTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;

    // Fuzzy entries with and without msgctxt and among other flags, an
    // obsolete fuzzy entry whose flag must not reach the entry after it, and
    // entries without msgctxt after one with it.
    static QByteArray po()
    {
        return "msgid \"\"\n"
               "msgstr \"\"\n"
               "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
               "\"Language: de_DE\\n\"\n"
               "\n"
               "#, fuzzy\n"
               "msgctxt \"1\"\n"
               "msgid \"One\"\n"
               "msgstr \"Eins?\"\n"
               "\n"
               "#: file.c:1\n"
               "#, c-format, fuzzy\n"
               "msgctxt \"2\"\n"
               "msgid \"Two\"\n"
               "msgstr \"Zwei?\"\n"
               "\n"
               "msgctxt \"3\"\n"
               "msgid \"Three\"\n"
               "msgstr \"Drei\"\n"
               "\n"
               "#,fuzzy\n"
               "msgid \"4\"\n"
               "msgstr \"Vier?\"\n"
               "\n"
               "msgid \"5\"\n"
               "msgstr \"F\xC3\xBCnf\"\n"
               "\n"
               "#, fuzzy\n"
               "#~ msgctxt \"6\"\n"
               "#~ msgid \"Six\"\n"
               "#~ msgstr \"Sechs\"\n"
               "\n"
               "#~ msgid \"7\"\n"
               "#~ msgstr \"\"\n"
               "#~ \"Sieben\"\n"
               "\n"
               "msgctxt \"8\"\n"
               "msgid \"Eight\"\n"
               "msgstr \"Acht\"\n";
    }

    static QList<Entry> current()
    {
        QList<Entry> entries;
        for (int id = 1; id <= 8; ++id)
            entries.append({2057, id, QStringLiteral("source %1").arg(id)});
        entries += QList<Entry>{{1031, 1, "alt eins"}, {1031, 2, "alt zwei"}, {1031, 3, "alt"}, {1031, 4, "alt vier"},
                                {1031, 6, "alt sechs"}};
        return entries;
    }

    static QList<Entry> withGerman(const QList<Entry> &german)
    {
        QList<Entry> entries;
        for (int id = 1; id <= 8; ++id)
            entries.append({2057, id, QStringLiteral("source %1").arg(id)});
        return entries + german;
    }

    exchange::Imported import(bool useFuzzy)
    {
        const QString file = m_dir.filePath(QStringLiteral("entries.po"));
        writeFile(file, po());
        resutil::ResStrings strings;
        fill(strings, current());
        exchange::Options options;
        options.format = exchange::Format::Po;
        options.useFuzzy = useFuzzy;
        RecordingFeedback feedback;
        auto imported = exchange::importFile(file, strings, options, feedback);
        [&] { QVERIFY2(imported.ok(), qPrintable(imported.errorString())); }();
        return imported ? std::move(imported).value() : exchange::Imported();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        LgvStringModule::setCurrentUILanguage(2057);
    }

    void fuzzyEntriesAreLeftOutAndCounted()
    {
        const exchange::Imported imported = import(false);
        QCOMPARE(imported.targetLocale, 1031);
        QCOMPARE(sortedEntries(entriesOf(imported)),
                 sortedEntries(withGerman({{1031, 1, "alt eins"}, {1031, 2, "alt zwei"}, {1031, 3, "Drei"},
                                           {1031, 4, "alt vier"}, {1031, 5, QStringLiteral("F\u00fcnf")},
                                           {1031, 6, "alt sechs"}, {1031, 8, "Acht"}})));
        QCOMPARE(imported.messages, (QStringList{"3 fuzzy entries (#, fuzzy) were not taken, the first at line 7",
                                                 "2 obsolete entries (#~) were not taken"}));
    }

    void useFuzzyTakesThem()
    {
        const exchange::Imported imported = import(true);
        QCOMPARE(sortedEntries(entriesOf(imported)),
                 sortedEntries(withGerman({{1031, 1, "Eins?"}, {1031, 2, "Zwei?"}, {1031, 3, "Drei"}, {1031, 4, "Vier?"},
                                           {1031, 5, QStringLiteral("F\u00fcnf")}, {1031, 6, "alt sechs"},
                                           {1031, 8, "Acht"}})));
        QCOMPARE(imported.messages, QStringList{"2 obsolete entries (#~) were not taken"});
    }

    // msgfmt compiles the same entries we take, with and without --use-fuzzy.
    void msgfmtTakesTheSameEntries()
    {
        const QString msgfmt = QStandardPaths::findExecutable(QStringLiteral("msgfmt"));
        const QString msgunfmt = QStandardPaths::findExecutable(QStringLiteral("msgunfmt"));
        if (msgfmt.isEmpty() || msgunfmt.isEmpty())
            QSKIP("msgfmt is not installed (gettext; scripts/install-deps.sh --with-tests installs it)");
        const QString file = m_dir.filePath(QStringLiteral("peer.po"));
        const QString mo = m_dir.filePath(QStringLiteral("peer.mo"));
        writeFile(file, po());
        for (const bool useFuzzy : {false, true}) {
            QStringList args{QStringLiteral("-o"), mo, file};
            if (useFuzzy)
                args.prepend(QStringLiteral("--use-fuzzy"));
            QProcess compile;
            compile.start(msgfmt, args);
            QVERIFY(compile.waitForFinished(60000));
            QVERIFY2(compile.exitCode() == 0, compile.readAllStandardError().constData());
            QProcess dump;
            dump.start(msgunfmt, {mo});
            QVERIFY(dump.waitForFinished(60000));
            const QByteArray out = dump.readAllStandardOutput();
            QSet<QString> theirs;
            for (const char *text : {"Eins?", "Zwei?", "Drei", "Vier?", "Acht", "Sechs", "Sieben"})
                if (out.contains(QByteArray("msgstr \"") + text + '"'))
                    theirs.insert(QString::fromLatin1(text));
            QSet<QString> ours;
            for (const Entry &e : entriesOf(import(useFuzzy)))
                if (std::get<0>(e) == 1031 && !std::get<2>(e).startsWith(QLatin1String("alt")))
                    ours.insert(std::get<2>(e));
            ours.remove(QStringLiteral("F\u00fcnf"));
            QCOMPARE(ours, theirs);
        }
    }
};

QTEST_MAIN(PoEntriesTest)
#include "po_entries_test.moc"
