#include "memory/Tmx.h"
#include "memory/TranslationMemory.h"
#include "tests/testlib/PeerPrograms.h"
#include "tests/testlib/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

using memory::Entry;
using memory::TranslationMemory;

namespace {

// translate-toolkit's reading of a TMX file: per unit, [lang, text] of each variant.
const char kReadTmx[] = R"(
import json, sys
from translate.storage import tmx
store = tmx.tmxfile.parsefile(sys.argv[1])
units = []
for unit in store.units:
    units.append([[node.get('{http://www.w3.org/XML/1998/namespace}lang'), unit.getNodeText(node)]
                  for node in unit.getlanguageNodes()])
print(json.dumps(units, ensure_ascii=True))
)";

// A memory as translate-toolkit writes one.
const char kWriteTmx[] = R"(
import sys
from translate.storage import tmx
store = tmx.tmxfile()
store.addtranslation('Open the file', 'en-GB', 'Datei öffnen', 'de-DE')
store.addtranslation('Cancel & close', 'en-GB', 'Annuler & fermer', 'fr-FR')
store.addtranslation('Line 1\nLine 2 <b>', 'en-GB', 'Zeile 1\nZeile 2 <b>', 'de-DE')
store.savefile(sys.argv[1])
)";

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::vector<Entry> sampleEntries()
{
    return {
        {2057, QStringLiteral("&Open..."), 1031, QStringLiteral("Ö&ffnen..."), QStringLiteral("/p/App.res"), 101, 1700000000},
        {2057, QStringLiteral("&Open..."), 1036, QStringLiteral("&Ouvrir..."), QStringLiteral("/p/App.res"), 101, 1700000001},
        {2057, QStringLiteral("Tom & \"Jerry\" <b>"), 1031, QStringLiteral("Tom & \"Jerry\" <b>"), QString(), -1, 1700000002},
        {2057, QStringLiteral("Line 1\r\nLine 2\ttab "), 1031, QStringLiteral("Zeile 1\r\nZeile 2\ttab "),
         QStringLiteral("/p/a&b.res"), 7, 1700000003},
        {2057, QStringLiteral("Smile \U0001F600"), 1041, QStringLiteral("\u7B11\u9854 \U0001F600"), QString(), 65535, 1700000004},
        {2057, QStringLiteral("Bell \a"), 1031, QStringLiteral("Glocke \a"), QString(), 8, 1700000005}, // XML cannot hold it
    };
}

} // namespace

class TmxTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;

    QString path(const QString &name) const { return QDir(m_env.path()).filePath(name); }

    std::unique_ptr<TranslationMemory> memoryAt(const QString &name)
    {
        auto opened = TranslationMemory::open(path(name));
        return opened ? std::move(opened.value()) : nullptr;
    }

private slots:
    // What we write, translate-toolkit reads; what we read back and write again is the same file.
    void roundTrip()
    {
        auto first = memoryAt(QStringLiteral("first.db"));
        QVERIFY(first);
        QVERIFY(first->add(sampleEntries()).ok());
        auto written = memory::writeTmx(*first, path(QStringLiteral("first.tmx")));
        QVERIFY2(written.ok(), qPrintable(written.errorString()));
        QCOMPARE(written->units, 5);
        QCOMPARE(written->skipped, 1);

        if (!peers::pythonHas("translate.storage.tmx"))
            QSKIP("translate-toolkit (python3 translate.storage.tmx) is not installed");
        const peers::Run read = peers::python(QString::fromUtf8(kReadTmx), {path(QStringLiteral("first.tmx"))});
        QVERIFY2(read.exitCode == 0, read.err.constData());
        const QJsonArray units = QJsonDocument::fromJson(read.out).array();
        QCOMPARE(units.size(), 5);
        const auto unit = [&](int i) {
            QStringList out;
            for (const auto &v : units[i].toArray())
                out << v.toArray()[0].toString() + u'=' + v.toArray()[1].toString();
            return out;
        };
        QCOMPARE(unit(0), (QStringList{"en-GB=&Open...", "de-DE=Ö&ffnen..."}));
        QCOMPARE(unit(1), (QStringList{"en-GB=&Open...", "fr-FR=&Ouvrir..."}));
        QCOMPARE(unit(2), (QStringList{"en-GB=Tom & \"Jerry\" <b>", "de-DE=Tom & \"Jerry\" <b>"}));
        QCOMPARE(unit(3), (QStringList{"en-GB=Line 1\r\nLine 2\ttab ", "de-DE=Zeile 1\r\nZeile 2\ttab "}));
        QCOMPARE(unit(4), (QStringList{QStringLiteral("en-GB=Smile \U0001F600"), QStringLiteral("ja-JP=\u7B11\u9854 \U0001F600")}));

        auto read2 = memory::readTmxFile(path(QStringLiteral("first.tmx")));
        QVERIFY2(read2.ok(), qPrintable(read2.errorString()));
        QCOMPARE(read2->entries.size(), std::size_t(5));
        const Entry &e = read2->entries[3];
        QCOMPARE(e.sourceText, QStringLiteral("Line 1\r\nLine 2\ttab "));
        QCOMPARE(e.file, QStringLiteral("/p/a&b.res"));
        QCOMPARE(e.stringId, 7);
        QCOMPARE(e.changed, 1700000003);
        QCOMPARE(read2->entries[2].stringId, -1);
        QVERIFY(read2->entries[2].file.isEmpty());

        auto second = memoryAt(QStringLiteral("second.db"));
        QVERIFY(second);
        QVERIFY(second->add(read2->entries).ok());
        QVERIFY(memory::writeTmx(*second, path(QStringLiteral("second.tmx"))).ok());
        QCOMPARE(bytesOf(path(QStringLiteral("second.tmx"))), bytesOf(path(QStringLiteral("first.tmx"))));
    }

    void readsTranslateToolkitsTmx()
    {
        if (!peers::pythonHas("translate.storage.tmx"))
            QSKIP("translate-toolkit (python3 translate.storage.tmx) is not installed");
        const QString file = path(QStringLiteral("toolkit.tmx"));
        const peers::Run made = peers::python(QString::fromUtf8(kWriteTmx), {file});
        QVERIFY2(made.exitCode == 0, made.err.constData());
        auto read = memory::readTmxFile(file);
        QVERIFY2(read.ok(), qPrintable(read.errorString()));
        QCOMPARE(read->entries.size(), std::size_t(3));
        QCOMPARE(read->entries[0].sourceLocale, 2057);
        QCOMPARE(read->entries[0].targetLocale, 1031);
        QCOMPARE(read->entries[0].targetText, QStringLiteral("Datei öffnen"));
        QCOMPARE(read->entries[1].targetLocale, 1036);
        QCOMPARE(read->entries[1].sourceText, QStringLiteral("Cancel & close"));
        QCOMPARE(read->entries[2].targetText, QStringLiteral("Zeile 1\nZeile 2 <b>"));
    }

    void sourceVariantAndBadInput()
    {
        // The unit's srclang names the source; units the memory cannot use are counted.
        const QByteArray tmx = R"(<?xml version="1.0"?>
<tmx version="1.4"><header srclang="*all*" datatype="plaintext" segtype="sentence" adminlang="en" o-tmf="x" creationtool="x" creationtoolversion="1"/>
<body>
<tu srclang="de-DE"><tuv xml:lang="fr-FR"><seg>Ouvrir</seg></tuv><tuv xml:lang="de-DE"><seg>Öff<ph>&amp;</ph>nen</seg></tuv></tu>
<tu><tuv xml:lang="en-GB"><seg>Alone</seg></tuv></tu>
<tu><tuv xml:lang="xx-nowhere"><seg>A</seg></tuv><tuv xml:lang="de-DE"><seg>B</seg></tuv></tu>
<tu><tuv lang="en-US"><seg>Old style</seg></tuv><tuv lang="de-DE"><seg>Alter Stil</seg></tuv></tu>
</body></tmx>)";
        auto read = memory::readTmx(tmx, QStringLiteral("x.tmx"));
        QVERIFY2(read.ok(), qPrintable(read.errorString()));
        QCOMPARE(read->entries.size(), std::size_t(2));
        QCOMPARE(read->entries[0].sourceLocale, 1031);
        QCOMPARE(read->entries[0].sourceText, QStringLiteral("Öff&nen"));
        QCOMPARE(read->entries[0].targetText, QStringLiteral("Ouvrir"));
        QCOMPARE(read->entries[1].sourceLocale, 1033);
        QCOMPARE(read->unitsSkipped, 2);

        auto broken = memory::readTmx("<tmx version=\"1.4\"><body><tu>", QStringLiteral("b.tmx"));
        QVERIFY(!broken.ok());
        QVERIFY2(broken.errorString().startsWith(QLatin1String("b.tmx: line 1: ")), qPrintable(broken.errorString()));
        auto other = memory::readTmx("<xliff version=\"2.0\"/>", QStringLiteral("c.tmx"));
        QCOMPARE(other.errorString(), QStringLiteral("c.tmx: is not a TMX document (its root element is <xliff>)"));
        QVERIFY(!memory::readTmxFile(path(QStringLiteral("missing.tmx"))).ok());
    }
};

QTEST_GUILESS_MAIN(TmxTest)
#include "tmx_test.moc"
