#include "memory/MatchScore.h"
#include "memory/OptionalMemory.h"
#include "memory/Pretranslate.h"
#include "memory/Sqlite.h"
#include "memory/StringTableEntries.h"
#include "memory/TextShape.h"
#include "memory/TranslationMemory.h"
#include "platform/resutil/ResStrings.h"
#include "tests/testlib/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <thread>

using memory::Entry;
using memory::TranslationMemory;

namespace {

constexpr qint32 kEnglish = 2057, kGerman = 1031, kFrench = 1036;

std::unique_ptr<TranslationMemory> openMemory(const QString &path, int busyTimeoutMs = 3000)
{
    auto opened = TranslationMemory::open(path, busyTimeoutMs);
    if (!opened) {
        qWarning("%s", qPrintable(opened.errorString()));
        return nullptr;
    }
    return std::move(opened.value());
}

Entry entry(const QString &source, const QString &target, qint32 targetLocale = kGerman, qint64 changed = 1000)
{
    return {kEnglish, source, targetLocale, target, QStringLiteral("/p/App.res"), 1, changed};
}

QStringList describe(const std::vector<memory::Suggestion> &found)
{
    QStringList out;
    for (const memory::Suggestion &s : found)
        out << QStringLiteral("%1 %2").arg(QString::number(s.percent), s.text);
    return out;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList asideFiles(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("memory.db.damaged-*")}, QDir::Files, QDir::Name);
}

} // namespace

class MemoryTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QString m_path;

private slots:
    void init()
    {
        static int n = 0;
        QDir(m_env.path()).mkpath(QStringLiteral("m%1").arg(++n));
        m_path = QDir(m_env.path()).filePath(QStringLiteral("m%1/memory.db").arg(n));
    }

    void defaultPathFollowsEnvironment()
    {
        qputenv("QM_MEMORY_FILE", "");
        qputenv("XDG_DATA_HOME", "/data/home");
        QCOMPARE(TranslationMemory::defaultPath(), QStringLiteral("/data/home/quillmark/memory.db"));
        qputenv("XDG_DATA_HOME", "");
        QCOMPARE(TranslationMemory::defaultPath(), QDir::home().filePath(QStringLiteral(".local/share/quillmark/memory.db")));
        qputenv("QM_MEMORY_FILE", "/tmp/x.db");
        QCOMPARE(TranslationMemory::defaultPath(), QStringLiteral("/tmp/x.db"));
        qunsetenv("QM_MEMORY_FILE");
    }

    // What the translator leaves alone is set aside to compare and put back on the suggestion.
    void normalisation_data()
    {
        QTest::addColumn<QString>("lookup");
        QTest::addColumn<QString>("storedSource");
        QTest::addColumn<QString>("storedTarget");
        QTest::addColumn<QString>("expected");
        QTest::newRow("access key and ellipsis added") << "&Open..." << "Open" << "Öffnen" << "&Öffnen...";
        QTest::newRow("access key and ellipsis taken away") << "Open" << "&Open..." << "&Öffnen..." << "Öffnen";
        QTest::newRow("access key on the same letter") << "&Save" << "Save" << "Speichern" << "&Speichern";
        QTest::newRow("access key at the same place") << "E&xit" << "Exit" << "Beenden" << "B&eenden";
        QTest::newRow("translator's access key kept") << "Save &As" << "&Save As" << "Speichern &unter" << "Speichern &unter";
        QTest::newRow("ampersand that is no key") << "Tom & Jerry" << "Tom & Jerry" << "Tom & Jerry" << "Tom & Jerry";
        QTest::newRow("doubled ampersand") << "R&&D" << "R&&D" << "F&&E" << "F&&E";
        QTest::newRow("placeholder style") << "The file %1 was not found." << "The file {0} was not found."
                                           << "Die Datei {0} wurde nicht gefunden." << "Die Datei %1 wurde nicht gefunden.";
        QTest::newRow("placeholders reordered") << "Copy %2 to %1" << "Copy %1 to %2" << "%1 nach %2 kopieren"
                                                << "%2 nach %1 kopieren";
        QTest::newRow("printf conversion") << "%s items" << "%d items" << "%d Elemente" << "%s Elemente";
        QTest::newRow("colon added") << "Name:" << "Name" << "Name" << "Name:";
        QTest::newRow("colon taken away") << "Name" << "Name:" << "Nom :" << "Nom";
        QTest::newRow("French colon kept") << "Name:" << "Name:" << "Nom :" << "Nom :";
        QTest::newRow("unicode ellipsis") << "Save\u2026" << "Save" << "Speichern" << "Speichern\u2026";
        QTest::newRow("edge spaces") << "  Total " << "Total" << "Summe" << "  Summe ";
        QTest::newRow("first letter lower") << "open file" << "Open file" << "Datei öffnen" << "datei öffnen";
        QTest::newRow("first letter upper") << "Open file" << "open file" << "datei öffnen" << "Datei öffnen";
        QTest::newRow("all at once") << " &Print %1..." << "print {0}" << "{0} drucken" << " %1 &drucken...";
    }
    void normalisation()
    {
        QFETCH(QString, lookup);
        QFETCH(QString, storedSource);
        QFETCH(QString, storedTarget);
        QFETCH(QString, expected);
        QCOMPARE(memory::shapeOf(lookup).key, memory::shapeOf(storedSource).key);
        QCOMPARE(memory::carryOver(memory::shapeOf(lookup), storedSource, storedTarget), expected);

        auto tm = openMemory(m_path);
        QVERIFY(tm);
        QVERIFY(tm->add({entry(storedSource, storedTarget)}).ok());
        auto found = tm->lookup(kEnglish, kGerman, lookup);
        QVERIFY2(found.ok(), qPrintable(found.errorString()));
        QCOMPARE(describe(found.value()), QStringList{QStringLiteral("100 ") + expected});
    }

    void differentTextsDoNotMatch()
    {
        for (const auto &[a, b] : {std::pair{u"Open", u"Close"}, std::pair{u"Open file", u"Open File"}, std::pair{u"50%", u"50"}})
            QVERIFY(memory::shapeOf(a).key != memory::shapeOf(b).key);
        // "100% sure": a percent sign before a space is text, not a placeholder.
        QCOMPARE(memory::shapeOf(u"100% sure").key, QStringLiteral("100% sure"));
        QCOMPARE(memory::shapeOf(u"...").key, QString());
    }

    void matchPercent()
    {
        QCOMPARE(memory::matchPercent(u"kitten", u"kitten"), 100);
        QCOMPARE(memory::matchPercent(u"kitten", u"sitting"), 57); // 3 edits in 7
        QCOMPARE(memory::matchPercent(u"kitten", u"sitting", 58), 0);
        QCOMPARE(memory::matchPercent(u"open the file", u"open the files"), 92);
        // Nearly equal long texts stay under 100.
        const QString longText(500, u'a');
        QCOMPARE(memory::matchPercent(longText, longText + u'b'), 99);
        QCOMPARE(memory::matchPercent(u"", u"abc"), 0);
        // The banded count agrees with the full one.
        for (const auto &[a, b, d] : {std::tuple{u"flaw", u"lawn", 2}, std::tuple{u"intention", u"execution", 5},
                                      std::tuple{u"abc", u"", 3}, std::tuple{u"abcdef", u"azced", 3}}) {
            QCOMPARE(memory::editDistance(a, b, 10), d);
            QCOMPARE(memory::editDistance(a, b, d), d);
            QCOMPARE(memory::editDistance(a, b, d - 1), d);
        }
    }

    // Best first: percentage, then the stored source as written, then the newest; nothing under the minimum.
    void ranking()
    {
        auto tm = openMemory(m_path);
        QVERIFY(tm);
        QVERIFY(tm->add({entry("Open the file", "Öffne die Datei", kGerman, 100),
                         entry("&Open the file", "Datei &öffnen", kGerman, 200),
                         entry("Open the files", "Öffne die Dateien", kGerman, 300),
                         entry("Open the file now", "Öffne die Datei jetzt", kGerman, 300),
                         entry("Close the file", "Schließe die Datei", kGerman, 300),
                         entry("Something else entirely", "Etwas ganz anderes", kGerman, 300),
                         entry("Open the file", "Ouvrir le fichier", kFrench, 300)})
                    .ok());
        auto found = tm->lookup(kEnglish, kGerman, u"Open the file");
        QVERIFY(found.ok());
        QCOMPARE(describe(found.value()), (QStringList{"100 Öffne die Datei", "100 Datei öffnen", "92 Öffne die Dateien",
                                                       "76 Öffne die Datei jetzt", "71 Schließe die Datei"}));
        QCOMPARE(found->front().file, QStringLiteral("/p/App.res"));
        QCOMPARE(found->front().stringId, 1);
        // Among equals the newest wins; the limit and the minimum hold.
        memory::LookupOptions options;
        options.minMatch = 80;
        options.limit = 2;
        QCOMPARE(describe(tm->lookup(kEnglish, kGerman, u"open the File", options).value()),
                 (QStringList{"92 datei öffnen", "92 öffne die Datei"}));
        options.minMatch = 100;
        options.limit = 9;
        QCOMPARE(describe(tm->lookup(kEnglish, kGerman, u"&Open the file:", options).value()),
                 (QStringList{"100 Datei &öffnen:", "100 &Öffne die Datei:"}));
        QVERIFY(tm->lookup(kEnglish, 1049, u"Open the file").value().empty());
        QVERIFY(tm->lookup(kGerman, kEnglish, u"Open the file").value().empty());
    }

    void addKeepsOneRowPerPair()
    {
        auto tm = openMemory(m_path);
        QVERIFY(tm);
        auto first = tm->add({entry("Open", "Öffnen", kGerman, 100), entry("Open", "Öffnen", kGerman, 50),
                              entry("Open", "", kGerman), entry("Open", "Aufmachen", kGerman, 100)});
        QVERIFY(first.ok());
        QCOMPARE(first->offered, 3);
        QCOMPARE(first->added, 2);
        Entry newer = entry("Open", "Öffnen", kGerman, 500);
        newer.file = QStringLiteral("/q/Other.res");
        newer.stringId = 7;
        QCOMPARE(tm->add({newer}).value().added, 0);
        auto stats = tm->stats();
        QVERIFY(stats.ok());
        QCOMPARE(stats->entries, 2);
        QCOMPARE(stats->sourceTexts, 1);
        QCOMPARE(stats->files, 2);
        QCOMPARE(stats->pairs.size(), std::size_t(1));
        QVERIFY(stats->bytes > 0);
        std::vector<Entry> all;
        QVERIFY(tm->forEach([&](const Entry &e) { all.push_back(e); return true; }).ok());
        QCOMPARE(all.size(), std::size_t(2));
        QCOMPARE(all[0].targetText, QStringLiteral("Öffnen"));
        QCOMPARE(all[0].file, QStringLiteral("/q/Other.res")); // the newer origin
        QCOMPARE(all[0].stringId, 7);
        QCOMPARE(all[0].changed, 500);
    }

    // Batches end with whole string IDs, read the texts as they stand when
    // asked, and together give what entriesOf gives.
    void entryBatchesGiveWholeIdsAndTheTextsAsTheyStand()
    {
        resutil::ResStrings strings;
        for (int id = 1; id <= 5; ++id) {
            if (id != 3)
                strings.Add(kEnglish, id, QStringLiteral("Text %1").arg(id));
            strings.Add(kGerman, id, QStringLiteral("Text %1 de").arg(id));
            if (id % 2)
                strings.Add(kFrench, id, QStringLiteral("Text %1 fr").arg(id));
        }
        const QString file = QStringLiteral("/p/App.res");
        const auto describe = [](const std::vector<Entry> &entries) {
            QStringList out;
            for (const Entry &e : entries)
                out << QStringLiteral("%1 %2 %3>%4").arg(QString::number(e.stringId), QString::number(e.targetLocale), e.sourceText, e.targetText);
            return out;
        };
        const QStringList all = describe(memory::entriesOf(strings, kEnglish, file));
        QCOMPARE(all, (QStringList{"1 1031 Text 1>Text 1 de", "1 1036 Text 1>Text 1 fr", "2 1031 Text 2>Text 2 de",
                                   "4 1031 Text 4>Text 4 de", "5 1031 Text 5>Text 5 de", "5 1036 Text 5>Text 5 fr"}));

        memory::EntryBatches batches(strings, kEnglish, file);
        QCOMPARE(describe(batches.next(strings, 3)), all.mid(0, 3));
        QCOMPARE(batches.idsLeft(), std::size_t(2));
        strings.Find(kGerman, 4)->setText(QStringLiteral("Vier"));
        strings.Add(kEnglish, 6, QStringLiteral("Later"));
        QCOMPARE(describe(batches.next(strings, 1)), QStringList{"4 1031 Text 4>Vier"});
        QVERIFY(strings.Remove(strings.Find(kEnglish, 5)).ok());
        QVERIFY(batches.next(strings, 100).empty());
        QCOMPARE(batches.idsLeft(), std::size_t(0));
    }

    void pretranslateFillsOnlyMissingTexts()
    {
        auto tm = openMemory(m_path);
        QVERIFY(tm);
        resutil::ResStrings known;
        known.Add(kEnglish, 1, QStringLiteral("&Open..."));
        known.Add(kEnglish, 2, QStringLiteral("Save the file"));
        known.Add(kGerman, 1, QStringLiteral("Ö&ffnen..."));
        known.Add(kGerman, 2, QStringLiteral("Datei speichern"));
        const std::vector<Entry> entries = memory::entriesOf(known, kEnglish, QStringLiteral("/p/Known.res"));
        QCOMPARE(entries.size(), std::size_t(2));
        QVERIFY(tm->add(entries).ok());

        resutil::ResStrings strings;
        strings.Add(kEnglish, 10, QStringLiteral("Open:"));
        strings.Add(kEnglish, 11, QStringLiteral("Save the files"));
        strings.Add(kEnglish, 12, QStringLiteral("Nothing like it"));
        strings.Add(kEnglish, 13, QStringLiteral("Open"));
        strings.Add(kGerman, 13, QStringLiteral("Aufmachen"));
        auto exact = memory::pretranslate(strings, *tm, kEnglish, kGerman);
        QVERIFY(exact.ok());
        QCOMPARE(exact->missing, 3);
        QCOMPARE(exact->total(), 1);
        QCOMPARE(exact->filled[0], 1);
        QCOMPARE(strings.Find(kGerman, 10)->Text(), QStringLiteral("Öffnen:"));
        QVERIFY(!strings.Find(kGerman, 11));
        QCOMPARE(strings.Find(kGerman, 13)->Text(), QStringLiteral("Aufmachen"));

        auto fuzzy = memory::pretranslate(strings, *tm, kEnglish, kGerman, 90);
        QVERIFY(fuzzy.ok());
        QCOMPARE(fuzzy->missing, 2);
        QCOMPARE(fuzzy->total(), 1);
        QCOMPARE(fuzzy->filled[2], 1); // 92%
        QCOMPARE(strings.Find(kGerman, 11)->Text(), QStringLiteral("Datei speichern"));
        QVERIFY(!strings.Find(kGerman, 12));
    }

    // A damaged database is moved aside with its bytes, told once, and the next open starts anew.
    void damagedDatabase()
    {
        QFile garbage(m_path);
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        const QByteArray junk = QByteArray("This is not a database at all.\n").repeated(200);
        garbage.write(junk);
        garbage.close();

        memory::OptionalMemory optional(m_path);
        QVERIFY(!optional.get());
        const QString notice = optional.takeNotice();
        QVERIFY2(notice.contains(QLatin1String("moved aside")), qPrintable(notice));
        QVERIFY(!notice.contains(u'\n'));
        QVERIFY(optional.takeNotice().isEmpty());
        QVERIFY(!optional.get());
        QVERIFY(optional.takeNotice().isEmpty());
        const QStringList aside = asideFiles(QFileInfo(m_path).absolutePath());
        QCOMPARE(aside.size(), 1);
        QCOMPARE(fileBytes(QFileInfo(m_path).absoluteDir().filePath(aside.first())), junk);
        QVERIFY(notice.contains(aside.first()));

        auto fresh = openMemory(m_path);
        QVERIFY(fresh);
        QCOMPARE(fresh->stats().value().entries, 0);
    }

    // Damage found only when a table is read: the lookup fails, the file goes aside.
    void damageFoundWhileWorking()
    {
        {
            auto tm = openMemory(m_path);
            QVERIFY(tm);
            std::vector<Entry> many;
            for (int i = 0; i < 3000; ++i)
                many.push_back(entry(QStringLiteral("Source text number %1").arg(i), QStringLiteral("Quelltext %1").arg(i)));
            QVERIFY(tm->add(many).ok());
        }
        QVERIFY(!QFile::exists(m_path + QStringLiteral("-wal")));
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const qint64 pageSize = 4096;
        QVERIFY(file.size() > 4 * pageSize);
        // Everything but the first page, which holds the schema.
        file.seek(pageSize);
        file.write(QByteArray(int(file.size() - pageSize), '\xFF'));
        file.close();
        const QByteArray damaged = fileBytes(m_path);

        memory::OptionalMemory optional(m_path);
        memory::TranslationMemory *tm = optional.get();
        if (tm) {
            auto found = tm->lookup(kEnglish, kGerman, u"Source text number 12");
            QVERIFY(!found.ok());
            QCOMPARE(tm->lastFailure(), memory::Failure::Damaged);
            optional.failed(found.error());
            QVERIFY(!optional.get());
        }
        const QString notice = optional.takeNotice();
        QVERIFY2(notice.contains(QLatin1String("moved aside")), qPrintable(notice));
        QVERIFY(optional.takeNotice().isEmpty());
        const QStringList aside = asideFiles(QFileInfo(m_path).absolutePath());
        QCOMPARE(aside.size(), 1);
        QCOMPARE(fileBytes(QFileInfo(m_path).absoluteDir().filePath(aside.first())), damaged);
        QVERIFY(!QFile::exists(m_path));
    }

    // Another program holding the write lock: adding fails as busy, reading goes on, and it is tried again later.
    void lockedDatabase()
    {
        auto tm = openMemory(m_path, 50);
        QVERIFY(tm);
        QVERIFY(tm->add({entry("Open", "Öffnen")}).ok());

        memory::sql::Database other;
        QCOMPARE(other.open(m_path, 0), 0);
        QCOMPARE(other.exec("BEGIN EXCLUSIVE"), 0);
        auto added = tm->add({entry("Close", "Schließen")});
        QVERIFY(!added.ok());
        QCOMPARE(tm->lastFailure(), memory::Failure::Busy);
        QVERIFY2(added.errorString().contains(QLatin1String("in use by another program")), qPrintable(added.errorString()));
        QCOMPARE(describe(tm->lookup(kEnglish, kGerman, u"Open").value()), QStringList{"100 Öffnen"});

        // A new user of the memory opens it while the lock is held, is told once that adding failed, and keeps it.
        memory::OptionalMemory optional(m_path, 50);
        memory::TranslationMemory *second = optional.get();
        QVERIFY(second);
        auto refused = second->add({entry("Exit", "Beenden")});
        QVERIFY(!refused.ok());
        optional.failed(refused.error());
        QVERIFY(optional.takeNotice().contains(QLatin1String("in use by another program")));
        optional.failed(second->add({entry("Exit", "Beenden")}).error());
        QVERIFY(optional.takeNotice().isEmpty());
        QCOMPARE(other.exec("COMMIT"), 0);
        QCOMPARE(optional.get(), second);
        QVERIFY(second->add({entry("Exit", "Beenden")}).ok());
        QVERIFY(tm->add({entry("Close", "Schließen")}).ok());
        QCOMPARE(tm->stats().value().entries, 3);
        QVERIFY(asideFiles(QFileInfo(m_path).absolutePath()).isEmpty());
    }

    // Two writers at once, each with its own connection: every pair is kept once.
    void twoWriters()
    {
        QVERIFY(openMemory(m_path));
        const auto write = [&](int writer, bool *ok) {
            auto tm = openMemory(m_path, 600000);
            *ok = tm != nullptr;
            for (int batch = 0; tm && batch < 10; ++batch) {
                std::vector<Entry> entries;
                for (int i = 0; i < 300; ++i) {
                    entries.push_back(entry(QStringLiteral("Shared %1 %2").arg(batch).arg(i), QStringLiteral("Geteilt %1").arg(i)));
                    entries.push_back(entry(QStringLiteral("Writer %1 text %2 %3").arg(writer).arg(batch).arg(i),
                                            QStringLiteral("Schreiber %1").arg(i)));
                }
                auto added = tm->add(entries);
                if (!added.ok()) {
                    qWarning("%s", qPrintable(added.errorString()));
                    *ok = false;
                }
            }
        };
        bool ok1 = false, ok2 = false;
        std::thread first(write, 1, &ok1), second(write, 2, &ok2);
        first.join();
        second.join();
        QVERIFY(ok1 && ok2);
        auto tm = openMemory(m_path);
        auto stats = tm->stats();
        QVERIFY(stats.ok());
        QCOMPARE(stats->entries, 3 * 10 * 300);
        QCOMPARE(stats->sourceTexts, 3 * 10 * 300);
    }
};

QTEST_GUILESS_MAIN(MemoryTest)
#include "memory_test.moc"
