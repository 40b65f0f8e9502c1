#include "ExchangeTestSupport.h"

#include "exchange/OdsFormat.h"
#include "platform/excel/model/Constants.h"
#include "tests/testlib/TestEnvironment.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// Ragged, over-wide and truncated tables through `quillmark import`, one
// reader after another: a short row is a row of empty cells, what cannot be
// read is refused with its place, and a refused import leaves the resource
// file as it was, byte for byte. No table empties a file by reading nothing.
class ImportKeepsStringsTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    struct Run {
        int exitCode = -1;
        QByteArray err;
    };
    Run quillmark(const QStringList &args)
    {
        QProcess process;
        process.start(QStringLiteral(QM_BINARY_DIR "/bin/quillmark"), args);
        [&] { QVERIFY2(process.waitForFinished(300000), "quillmark did not finish"); }();
        return {process.exitCode(), process.readAllStandardError()};
    }

    // What the resource file holds before every import.
    static QList<Entry> before()
    {
        return {{1033, 1, "old hello"}, {1033, 2, "old world"}, {1031, 1, "altes hallo"}, {1031, 2, "alte Welt"},
                {2057, 7, "kept by translator imports"}};
    }

    static QByteArray header(const QByteArray &separator)
    {
        return separator + "English (United States)" + separator + "German (Germany)\r\n" + separator + "1033" + separator
               + "1031\r\n";
    }

    static QByteArray odsOf(const std::vector<std::vector<QString>> &rows)
    {
        exchange::Grid grid;
        grid.name = QStringLiteral("a");
        for (size_t r = 0; r < rows.size(); ++r)
            for (size_t c = 0; c < rows[r].size(); ++c)
                if (!rows[r][c].isEmpty())
                    grid.set(int(r) + 1, int(c) + 1, exchange::GridCell::ofText(rows[r][c]));
        auto bytes = exchange::writeOds(grid, nullptr);
        return bytes ? bytes.value() : QByteArray();
    }

    // A workbook with those cells on sheet "a", saved through the back end.
    QByteArray xlsxOf(const QList<SheetCell> &cells)
    {
        auto app = startExcel();
        excel::Workbook *book = app->Workbooks().Add(excel::xlWBATWorksheet).value();
        [&] { QVERIFY(book->ActiveSheet()->SetName(QStringLiteral("a")).ok()); }();
        setCells(*book->ActiveSheet(), cells);
        const QString file = path(QStringLiteral("made.xlsx"));
        QFile::remove(file);
        [&] { QVERIFY(book->SaveAs(file).ok()); }();
        return readFile(file);
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void everyReader_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("refusal"); // empty: read
        QTest::addColumn<QList<Entry>>("after"); // when read

        const QList<Entry> ragged{{1033, 1, "hello"}, {1033, 2, "world"}, {1031, 1, "hallo"}};
        QTest::newRow("csv: the last row short") << "ragged.csv" << header(",") + "1,hello,hallo\r\n2,world\r\n"
                                                 << QStringList() << QString() << ragged;
        QTest::newRow("csv: the last row short, no line end")
            << "noend.csv" << header(",") + "1,hello,hallo\r\n2,world" << QStringList() << QString() << ragged;
        QTest::newRow("csv: semicolons, a comma in a name, short rows")
            << "semi.csv" << QByteArray(";English, US;German\r\n;1033;1031\r\n1;hello;hallo\r\n2;world\r\n")
            << QStringList() << QString() << ragged;
        QTest::newRow("tsv: short rows") << "short.tsv" << header("\t") + "1\thello\thallo\r\n2\tworld\r\n"
                                         << QStringList() << QString() << ragged;
        QTest::newRow("csv: a quote left open") << "open.csv" << header(",") + "1,hello,\"hal" << QStringList()
                                                << "line 3: the quoted field that starts there is not closed"
                                                << QList<Entry>();
        QTest::newRow("csv: one column, no table") << "one.csv" << QByteArray("1\r\n2\r\n3\r\n") << QStringList()
                                                   << "holds no string" << QList<Entry>();
        QTest::newRow("csv: names only, no string row") << "names.csv" << header(",") << QStringList()
                                                        << "holds no string" << QList<Entry>();
        QTest::newRow("csv: no locale ID can be read")
            << "nolocale.csv" << QByteArray(",English\r\n,x\r\n1,hello\r\n") << QStringList()
            << "no column has a locale ID that can be read" << QList<Entry>();
        QByteArray tooWide(",1");
        for (int i = 0; i < 65537; ++i)
            tooWide += ",1";
        QTest::newRow("csv: more fields than locales") << "wide.csv" << tooWide + "\r\n" << QStringList()
                                                       << "line 1 has more than 65537 fields" << QList<Entry>();

        QTest::newRow("ods: the last row short")
            << "ragged.ods"
            << odsOf({{"", "English", "German"}, {"", "1033", "1031"}, {"1", "hello", "hallo"}, {"2", "world"}})
            << QStringList{"--sheet", "a"} << QString() << ragged;
        const QByteArray ods = odsOf({{"", "English"}, {"", "1033"}, {"1", "hello"}});
        QTest::newRow("ods: truncated") << "cut.ods" << ods.left(ods.size() / 2) << QStringList() << "is not an OpenDocument spreadsheet"
                                        << QList<Entry>();
        std::vector<QString> wideRow(16385, QStringLiteral("x"));
        QTest::newRow("ods: a cell beyond the last column") << "wide.ods" << odsOf({{"", "E"}, {"", "1033"}, wideRow})
                                                            << QStringList() << "beyond column 16384" << QList<Entry>();
        QTest::newRow("ods: no string row") << "names.ods" << odsOf({{"", "English"}, {"", "1033"}})
                                            << QStringList() << "holds no string" << QList<Entry>();

        const QByteArray xlsx = xlsxOf({{1, 2, excel::Value("English")}, {2, 2, excel::Value(1033)}, {3, 1, excel::Value(1)},
                                        {3, 2, excel::Value("hello")}, {1, 3, excel::Value("German")}, {2, 3, excel::Value(1031)},
                                        {3, 3, excel::Value("hallo")}, {4, 1, excel::Value(2)}, {4, 2, excel::Value("world")}});
        QTest::newRow("xlsx: the last row short") << "ragged.xlsx" << xlsx << QStringList{"--sheet", "a"} << QString()
                                                  << ragged;
        QTest::newRow("xlsx: truncated") << "cut.xlsx" << xlsx.left(xlsx.size() / 2) << QStringList{"--sheet", "a"}
                                         << "broken zip archive" << QList<Entry>();
        QTest::newRow("xlsx: one column only")
            << "one.xlsx" << xlsxOf({{3, 1, excel::Value(1)}, {4, 1, excel::Value(2)}}) << QStringList{"--sheet", "a"}
            << "holds no string" << QList<Entry>();
        QTest::newRow("xlsx: no locale ID can be read")
            << "word.xlsx" << xlsxOf({{1, 2, excel::Value("name")}, {2, 2, excel::Value("German")}, {3, 1, excel::Value(1)},
                                        {3, 2, excel::Value("x")}})
            << QStringList{"--sheet", "a"} << "no column has a locale ID that can be read" << QList<Entry>();

        QTest::newRow("rc: truncated inside a table")
            << "cut.rc" << QByteArray("LANGUAGE 9, 1\nSTRINGTABLE\nBEGIN\n  1, \"hello\"\n  2, \"wor") << QStringList()
            << "cut.rc" << QList<Entry>();
        QTest::newRow("rc: no string table") << "none.rc" << QByteArray("#define X 1\n") << QStringList()
                                             << "defines no string" << QList<Entry>();

        QList<Entry> translated = before();
        translated[2] = {1031, 1, "hallo"};
        QTest::newRow("po: truncated after an entry")
            << "cut.po"
            << QByteArray("msgid \"\"\nmsgstr \"Language: de-DE\\n\"\n\nmsgctxt \"1\"\nmsgid \"old hello\"\nmsgstr \"hallo\"\n")
            << QStringList() << QString() << translated;
        QTest::newRow("po: truncated inside a text")
            << "cutstr.po" << QByteArray("msgid \"\"\nmsgstr \"Language: de-DE\\n\"\n\nmsgctxt \"1\"\nmsgid \"old hello\"\nmsgstr \"hal")
            << QStringList() << "cutstr.po" << QList<Entry>();
        QTest::newRow("xliff: truncated")
            << "cut.xlf"
            << QByteArray("<xliff version=\"2.0\" xmlns=\"urn:oasis:names:tc:xliff:document:2.0\" srcLang=\"en-US\" "
                          "trgLang=\"de-DE\"><file id=\"f\"><unit id=\"1\"><segment><source>old hello</source>"
                          "<target>hallo</target></segment></unit><unit id=\"2\"><segm")
            << QStringList() << "cut.xlf" << QList<Entry>();
    }
    void everyReader()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, options);
        QFETCH(QString, refusal);
        QFETCH(QList<Entry>, after);
        QVERIFY(!bytes.isEmpty());
        writeFile(path(file), bytes);
        writeResFile(path("a.res"), before());
        const QByteArray original = readFile(path("a.res"));

        // The dry run and the import agree.
        for (const bool dryRun : {true, false}) {
            QStringList args{"import", path(file), path("a.res")};
            if (dryRun)
                args << "--dry-run";
            const Run run = quillmark(args + options);
            if (refusal.isEmpty()) {
                QVERIFY2(run.exitCode == 0, run.err.constData());
            } else {
                QCOMPARE(run.exitCode, 1);
                QVERIFY2(run.err.contains(refusal.toUtf8()), run.err.constData());
            }
            if (dryRun || !refusal.isEmpty())
                QCOMPARE(readFile(path("a.res")), original);
        }
        if (refusal.isEmpty())
            QCOMPARE(sortedEntries(readResFile(path("a.res"))), sortedEntries(after));
    }

    // What the import would refuse when it saves, its dry run refuses too,
    // with the same message, and writes nothing.
    void dryRunRefusesWhatTheImportRefuses_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("po: a text longer than a string holds")
            << "long.po"
            << "msgid \"\"\nmsgstr \"Language: de-DE\\n\"\n\nmsgctxt \"1\"\nmsgid \"old hello\"\nmsgstr \""
                   + QByteArray(70000, 'x') + "\"\n"
            << "the text has 70000 UTF-16 units, more than the 65535 a string can hold";
        QTest::newRow("csv: one string ID twice") << "twice.csv" << header(",") + "1,a,b\r\n1,c,d\r\n"
                                                  << "has two different texts";
        QTest::newRow("xlsx: one string ID twice")
            << "twice.xlsx"
            << xlsxOf({{1, 2, excel::Value("English")}, {2, 2, excel::Value(1033)}, {3, 1, excel::Value(1)}, {3, 2, excel::Value("a")}, {4, 1, excel::Value(1)},
                       {4, 2, excel::Value("b")}})
            << "has two different texts";
    }
    void dryRunRefusesWhatTheImportRefuses()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, refusal);
        writeFile(path(file), bytes);
        writeResFile(path("a.res"), before());
        const QByteArray original = readFile(path("a.res"));
        QByteArray messages[2];
        for (const bool dryRun : {true, false}) {
            QStringList args{"import", path(file), path("a.res"), "--sheet", "a"};
            if (dryRun)
                args << "--dry-run";
            const Run run = quillmark(args);
            QCOMPARE(run.exitCode, 1);
            QVERIFY2(run.err.contains(refusal.toUtf8()), run.err.constData());
            messages[dryRun] = run.err;
            QCOMPARE(readFile(path("a.res")), original);
        }
        QCOMPARE(messages[true], messages[false]);
    }

    // A table as wide as a sheet is: 16,384 languages beside the IDs.
    void csvWithEveryColumnOfASheet()
    {
        QByteArray names, locales, row("1");
        for (int c = 0; c < 16384; ++c) {
            names += ",L" + QByteArray::number(c);
            locales += "," + QByteArray::number(4096 + c);
            row += c == 0 || c == 16383 ? ",t" + QByteArray::number(c) : QByteArray(",");
        }
        writeFile(path("wide.csv"), names + "\r\n" + locales + "\r\n" + row + "\r\n");
        writeResFile(path("a.res"), before());
        const Run run = quillmark({"import", path("wide.csv"), path("a.res")});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QCOMPARE(sortedEntries(readResFile(path("a.res"))), (QList<Entry>{{4096, 1, "t0"}, {20479, 1, "t16383"}}));
    }
};

QTEST_GUILESS_MAIN(ImportKeepsStringsTest)
#include "import_keeps_strings_test.moc"
