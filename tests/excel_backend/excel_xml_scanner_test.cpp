#include "platform/excel/io/XmlParser.h"

#include "tests/testlib/TestEnvironment.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace excel::backend;

namespace {

// Writes every event as text; consecutive character data is merged, since
// parsers may split it anywhere.
class Recorder : public XmlParser::Handler {
public:
    QByteArray log;
    QByteArray stopAt;

    void startElement(const char *name, const char **attributes) override
    {
        log += '<';
        log += name;
        for (int i = 0; attributes[i]; i += 2)
            log += ' ' + QByteArray(attributes[i]) + "=[" + attributes[i + 1] + ']';
        log += '>';
        if (!stopAt.isEmpty() && stopAt == name)
            fault = QStringLiteral("the handler stops at %1").arg(QString::fromUtf8(name));
    }
    void endElement(const char *name) override { log += "</" + QByteArray(name) + '>'; }
    void characters(const char *text, int length) override { log += QByteArray(text, length); }
};

struct Run {
    bool ok = false;
    QString message;
    QByteArray log;
};

Run parse(const QByteArray &document, XmlParser::Engine engine, qsizetype chunk, const QByteArray &stopAt = {})
{
    Recorder recorder;
    recorder.stopAt = stopAt;
    XmlParser parser(recorder, QStringLiteral("part.xml"), engine);
    qm::Status status;
    for (qsizetype at = 0; status && at < document.size(); at += chunk)
        status = parser.feed(document.constData() + at, size_t(std::min(chunk, document.size() - at)), false);
    if (status)
        status = parser.feed("", 0, true);
    return {bool(status), status ? QString() : status.errorString(), recorder.log};
}

} // namespace

// The fast scanner must read every document exactly as expat does: the same
// events for a well-formed one, a refusal for one that is not, whatever the
// pieces the document arrives in.
class ExcelXmlScannerTest : public QObject {
    Q_OBJECT

private slots:
    void sameEventsAsExpat_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QByteArray>("stopAt");
        auto row = [](const char *name, const QByteArray &document, const QByteArray &stopAt = {}) {
            QTest::newRow(name) << document << stopAt;
        };
        row("sheet", "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                     "<x:worksheet xmlns:x=\"urn:m\"><x:sheetData><x:row r=\"1\"><x:c r=\"A1\" s=\"2\" t=\"s\"><x:v>0</x:v></x:c>"
                     "<x:c r='B1'/></x:row></x:sheetData></x:worksheet>");
        row("entities and references", "<t a=\"&lt;&amp;&gt;&quot;&apos;\">&lt;b&gt; &amp; &#65;&#x42;&#x1F600;&#xe9; ]] ] &gt;</t>");
        row("line ends", "<t a=\"1\r\n2\r3\n4\t5&#13;&#10;&#9;\">a\r\nb\rc\n\r\rd&#13;</t>");
        row("cdata and comments", "<t><!-- a - comment --><![CDATA[<not> &amp; a\r\ntag]]>x<?pi some data?></t>");
        row("scripts", "<t name=\"ファイル\">ファイルを保存 حفظ الملف שמור บันทึก 😀</t>");
        row("byte order mark and blank edges", "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n <!-- c -->\n<a>\n <b  x = 'y'  />\n</a >\n\n");
        row("unicode names", "<sheet\xC3\xA9 \xE6\x97\xA5=\"1\"></sheet\xC3\xA9>");
        row("long attribute", "<a v=\"" + QByteArray(300000, 'v') + "\">" + QByteArray(200000, 't') + "</a>");
        row("handler fault", "<a><b/><stop/><c/></a>", "stop");
        QByteArray many = "<a";
        for (int i = 0; i < 40; ++i)
            many += " n" + QByteArray::number(i) + "=\"" + QByteArray::number(i) + "\"";
        row("many attributes", many + "/>");
        row("latin-1 document", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>caf\xE9</a>");
        static const char utf16[] = "\xFF\xFE<\0a\0>\0\xE9\0<\0/\0a\0>\0";
        row("utf-16 document", QByteArray(utf16, sizeof utf16 - 1));

        // Not well-formed: both refuse.
        row("mismatched tag", "<a><b></a></b>");
        row("unclosed element", "<a><b></b>");
        row("no element", "  ");
        row("two roots", "<a/><b/>");
        row("text after the root", "<a/>text");
        row("text before the root", "text<a/>");
        row("undefined entity", "<a>&nbsp;</a>");
        row("reference to no character", "<a>&#0;</a>");
        row("reference to a surrogate", "<a>&#xD800;</a>");
        row("reference too big", "<a>&#x110000;</a>");
        row("empty reference", "<a>&#;</a>");
        row("reference without end", "<a>&amp</a>");
        row("invalid utf-8", "<a>\xC3\x28</a>");
        row("overlong utf-8", "<a>\xC0\xAF</a>");
        row("encoded surrogate", "<a>\xED\xA0\x80</a>");
        row("not a character", "<a>\xEF\xBF\xBF</a>");
        row("truncated utf-8", "<a>\xE3\x83</a>");
        row("control character", "<a>\x01</a>");
        row("cdata end in text", "<a>]]></a>");
        row("less-than in attribute", "<a b=\"<\"/>");
        row("duplicate attribute", "<a b=\"1\" b=\"2\"/>");
        row("many attributes, one twice", many + " n7=\"again\"/>");
        row("attributes without space", "<a b=\"1\"c=\"2\"/>");
        row("unquoted attribute", "<a b=1/>");
        row("double dash in comment", "<a><!-- a -- b --></a>");
        row("declaration not at start", " <?xml version=\"1.0\"?><a/>");
        row("colon in the version", "<?xml version=\"1.:\"?><a/>");
        row("doctype", "<!DOCTYPE a [<!ENTITY x \"y\">]><a>&x;</a>");
        row("cut in a tag", "<a><b c=\"1");
        row("cut in a reference", "<a>&am");
        row("bad name", "<1a/>");
    }

    void sameEventsAsExpat()
    {
        TestEnvironment env;
        QFETCH(QByteArray, document);
        QFETCH(QByteArray, stopAt);
        const Run expat = parse(document, XmlParser::Engine::Expat, document.size() + 1, stopAt);
        for (qsizetype chunk : {qsizetype(1), qsizetype(3), qsizetype(64), document.size() + 1}) {
            const Run scanner = parse(document, XmlParser::Engine::Scanner, chunk, stopAt);
            QCOMPARE(scanner.ok, expat.ok);
            if (expat.ok) {
                QCOMPARE(scanner.log, expat.log);
            } else {
                QVERIFY2(scanner.message.startsWith(QStringLiteral("part.xml: ")), qPrintable(scanner.message));
                if (expat.message.contains(QStringLiteral("DOCTYPE")) || !stopAt.isEmpty())
                    QCOMPARE(scanner.message, expat.message);
                else
                    QVERIFY2(scanner.message.contains(QStringLiteral("is not well-formed XML at line")), qPrintable(scanner.message));
            }
        }
    }

    // Random damage to a real sheet: whatever comes out, the scanner accepts
    // exactly what expat accepts and reports the same events.
    void damagedDocumentsAsExpat()
    {
        TestEnvironment env;
        const QByteArray seed =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<worksheet xmlns=\"urn:m\" xmlns:r=\"urn:r\"><sheetData>"
            "<row r=\"1\"><c r=\"A1\" s=\"1\" t=\"inlineStr\"><is><t xml:space=\"preserve\"> a &amp; b &#x41; \xC3\xA9 </t></is></c>"
            "<c r=\"B1\"><v>1.5</v></c><!-- note --><c r='C1' t=\"s\"><v>0</v></c></row>"
            "<row r=\"2\"><c r=\"A2\" t=\"str\"><v><![CDATA[x<y]]></v></c></row></sheetData></worksheet>\n";
        const char damage[] = "<>&;\"'/= \r\n]#!-?x\xC3\x80\xFF\x01";
        QRandomGenerator random(2024);
        int refused = 0;
        for (int round = 0; round < 3000; ++round) {
            QByteArray document = seed;
            for (int n = 1 + random.bounded(3); n > 0; --n) {
                const qsizetype at = random.bounded(document.size());
                const char c = damage[random.bounded(int(sizeof damage - 1))];
                switch (random.bounded(3)) {
                case 0: document[at] = c; break;
                case 1: document.insert(at, c); break;
                default: document.remove(at, 1); break;
                }
            }
            const Run expat = parse(document, XmlParser::Engine::Expat, document.size() + 1);
            const Run scanner = parse(document, XmlParser::Engine::Scanner, 1 + random.bounded(40));
            QVERIFY2(scanner.ok == expat.ok, document.constData());
            if (expat.ok)
                QVERIFY2(scanner.log == expat.log, document.constData());
            refused += expat.ok ? 0 : 1;
        }
        QVERIFY(refused > 100); // the damage did reach the parsers
    }

    // The place named is where the fault is, counted as expat counts.
    void faultsNameTheirLineAndColumn()
    {
        TestEnvironment env;
        const QByteArray document = "<a>\n<b>\n  <c>&bad;</c></b></a>";
        const Run run = parse(document, XmlParser::Engine::Scanner, 2);
        QVERIFY(!run.ok);
        QCOMPARE(run.message, parse(document, XmlParser::Engine::Expat, 100).message);
    }
};

QTEST_GUILESS_MAIN(ExcelXmlScannerTest)
#include "excel_xml_scanner_test.moc"
