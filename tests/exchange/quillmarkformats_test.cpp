#include "ExchangeTestSupport.h"

#include "tests/testlib/TestEnvironment.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The command-line tool's export and import by extension, and its refusals.
class QuillmarkFormatsTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;

    struct Run {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };

    Run quillmark(const QStringList &args)
    {
        QProcess process;
        process.start(QStringLiteral(QM_BINARY_DIR "/bin/quillmark"), args);
        [&] { QVERIFY2(process.waitForFinished(-1), "quillmark did not finish"); }();
        return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    static QList<Entry> demo()
    {
        return {{2057, 1, "Open"}, {2057, 2, "=Total \"q\"\r\n\\"}, {1031, 1, QStringLiteral("\u00d6ffnen")},
                {1041, 2, QStringLiteral("\u958b\u304f")}};
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void exportAndImportByExtension_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("exportArgs");
        QTest::newRow("ods") << "p.ods" << QStringList();
        QTest::newRow("csv") << "p.csv" << QStringList();
        QTest::newRow("semicolon csv") << "p2.csv" << QStringList{"--separator", ";"};
        QTest::newRow("txt") << "p.txt" << QStringList();
        QTest::newRow("rc") << "p.rc" << QStringList();
        QTest::newRow("forced csv") << "p.data" << QStringList{"--format", "csv"};
    }
    void exportAndImportByExtension()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, exportArgs);
        writeResFile(path("p.res"), demo());
        QFile::remove(path(file));
        Run run = quillmark(QStringList{"export", path("p.res"), path(file)} + exportArgs);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        writeResFile(path("other.res"), {{1036, 9, "autre"}});
        QStringList importArgs{"import", path(file), path("other.res")};
        if (exportArgs.contains("--format"))
            importArgs << "--format" << "csv";
        run = quillmark(importArgs);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(sortedEntries(readResFile(path("other.res"))), sortedEntries(demo()));
    }

    void translatorFilesTakeOneLanguage_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("extra");
        QTest::newRow("xliff 2.0") << "de.xlf" << QStringList();
        QTest::newRow("xliff 1.2") << "de12.xliff" << QStringList{"--format", "xliff12"};
        QTest::newRow("po") << "de.po" << QStringList();
    }
    void translatorFilesTakeOneLanguage()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, extra);
        writeResFile(path("t.res"), demo());
        Run run = quillmark(QStringList{"export", path("t.res"), path(file)} + extra);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("--target LOCALE"), run.err.constData());
        QVERIFY(!QFile::exists(path(file)));

        run = quillmark(QStringList{"export", path("t.res"), path(file), "--target", "de-DE"} + extra);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        writeResFile(path("t.res"), {{2057, 1, "Open"}, {2057, 2, "=Total \"q\"\r\n\\"}, {1031, 1, "alt"},
                                     {1041, 2, QStringLiteral("\u958b\u304f")}});
        run = quillmark(QStringList{"import", path(file), path("t.res")} + extra);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(sortedEntries(readResFile(path("t.res"))), sortedEntries(demo()));
    }

    // An extension that names no format is refused and nothing is written.
    void unknownExtensionIsRefused()
    {
        writeResFile(path("x.res"), demo());
        QFile::remove(path("out.pdf"));
        Run run = quillmark({"export", path("x.res"), path("out.pdf")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("the extension names no format"), run.err.constData());
        QVERIFY(!QFile::exists(path("out.pdf")));
        run = quillmark({"export", path("x.res"), path("out.pdf"), "--format", "pdf"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("\"pdf\" is not a format"), run.err.constData());
        writeFile(path("in.pdf"), "x");
        const QByteArray before = readFile(path("x.res"));
        run = quillmark({"import", path("in.pdf"), path("x.res")});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(readFile(path("x.res")), before);
    }

    // Broken files of each format: a message naming file and place, the .res unchanged.
    void brokenFilesChangeNothing_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("csv stray quote") << "b.csv" << QByteArray(",A\n,2057\n1,a\"b\n") << "line 3, field 2: a quote inside";
        QTest::newRow("csv open quote") << "b2.csv" << QByteArray(",A\n,2057\n1,\"ab\n") << "line 3: the quoted field";
        QTest::newRow("csv bad utf-8") << "b3.csv" << QByteArray(",A\n,2057\n1,\xC3\x28\n") << "offset 11 (0xc3) is not valid UTF-8";
        QTest::newRow("csv word id") << "b4.csv" << QByteArray(",A\n,2057\nten,x\n") << "cell A3: the string ID cannot be read";
        QTest::newRow("ods not zip") << "b.ods" << QByteArray("hello") << "is not an OpenDocument spreadsheet";
        QTest::newRow("rc unknown name") << "b.rc" << QByteArray("STRINGTABLE\nBEGIN\n IDS_X \"x\"\nEND\n")
                                         << "line 3: the string ID cannot be read: the name IDS_X is not defined";
        QTest::newRow("rc open string") << "b2.rc" << QByteArray("STRINGTABLE\nBEGIN\n 1 \"x\nEND\n") << "line 3: the string";
        QTest::newRow("rc twice") << "b3.rc" << QByteArray("STRINGTABLE\nBEGIN\n 1 \"x\"\n 1 \"y\"\nEND\n")
                                  << "line 4: the string ID 1 in language 1033 was already defined at line 3";
        QTest::newRow("rc no end") << "b4.rc" << QByteArray("STRINGTABLE\nBEGIN\n 1 \"x\"\n") << "has no END";
        QTest::newRow("xliff entity") << "b.xlf"
                                      << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;&a;\">]>"
                                                    "<xliff version=\"2.0\" trgLang=\"de\"><file><unit id=\"1\"><segment><target>&b;</target></segment></unit></file></xliff>")
                                      << "DOCTYPE";
        QTest::newRow("xliff broken") << "b2.xlf" << QByteArray("<xliff version=\"2.0\" trgLang=\"de-DE\"><file>") << "not well-formed";
        QTest::newRow("not xliff") << "b3.xlf" << QByteArray("<html/>") << "is not an XLIFF document";
        QTest::newRow("xliff unit in unit") << "b4.xlf"
                                            << QByteArray("<xliff version=\"2.0\" trgLang=\"de\">\n<file>\n<unit id=\"1\">\n\n"
                                                          "<unit id=\"2\"/></unit></file></xliff>")
                                            << "line 5: a unit inside a unit";
        QTest::newRow("xliff bad cp") << "b5.xlf"
                                      << QByteArray("<xliff version=\"2.0\" trgLang=\"de\">\n<file>\n<unit id=\"1\"><segment>\n"
                                                    "<target>a<cp hex=\"zz\"/></target></segment></unit></file></xliff>")
                                      << "line 4: <cp> needs a hex attribute";
        QTest::newRow("po plural") << "b.po" << QByteArray("msgctxt \"1\"\nmsgid \"a\"\nmsgid_plural \"b\"\nmsgstr[0] \"c\"\n")
                                   << "line 3: plural forms";
        QTest::newRow("po open string") << "b2.po" << QByteArray("msgctxt \"1\"\nmsgid \"a\nmsgstr \"c\"\n") << "line 2: the string is not closed";
        QTest::newRow("po bad utf-8") << "b4.po" << QByteArray("msgctxt \"1\"\nmsgid \"a\"\nmsgstr \"\xC3\x28\"\n")
                                      << "line 1: the string is not valid UTF-8";
        QTest::newRow("po nul") << "b5.po" << QByteArray("msgctxt \"1\"\nmsgid \"a\"\nmsgstr \"x\\000y\"\n")
                                << "line 1: the string holds a NUL character";
        QTest::newRow("po latin-1") << "b3.po" << QByteArray("msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n")
                                    << "only UTF-8 PO files";
    }
    void brokenFilesChangeNothing()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        writeResFile(path("keep.res"), demo());
        const QByteArray before = readFile(path("keep.res"));
        writeFile(path(file), content);
        const Run run = quillmark({"import", path(file), path("keep.res"), "--target", "1031"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.startsWith(QByteArray("quillmark: ") + path(file).toUtf8()), run.err.constData());
        QVERIFY2(QString::fromUtf8(run.err).contains(message), run.err.constData());
        QCOMPARE(readFile(path("keep.res")), before);
    }

    // A file that would be lost as a whole is replaced only with --force.
    void existingFilesNeedForce_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("extra");
        QTest::newRow("csv") << "f.csv" << QStringList();
        QTest::newRow("tsv") << "f.tsv" << QStringList();
        QTest::newRow("forced csv over an .rc") << "f2.rc" << QStringList{"--format", "csv"};
        QTest::newRow("po") << "f.po" << QStringList{"--target", "1031"};
        QTest::newRow("xliff") << "f.xlf" << QStringList{"--target", "1031"};
    }
    void existingFilesNeedForce()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, extra);
        writeResFile(path("f.res"), demo());
        writeFile(path(file), "the user's own file\n");
        Run run = quillmark(QStringList{"export", path("f.res"), path(file)} + extra);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(QString::fromUtf8(run.err),
                 QStringLiteral("quillmark: %1: already exists; nothing was written (use --force to replace it)\n")
                     .arg(path(file)));
        QCOMPARE(readFile(path(file)), QByteArray("the user's own file\n"));
        run = quillmark(QStringList{"export", path("f.res"), path(file), "--force"} + extra);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QVERIFY(readFile(path(file)) != QByteArray("the user's own file\n"));
    }

    // The demo's strings go into a script with other resources, which stay as they were.
    void exportIntoScriptKeepsItsOtherLines()
    {
        const QByteArray kept = "#include \"keep.h\"\r\n"
                                "IDI_APP ICON \"app.ico\"\r\n"
                                "1 VERSIONINFO\r\nFILEVERSION 1,0,0,0\r\nBEGIN\r\n"
                                "  BLOCK \"StringFileInfo\"\r\n  BEGIN\r\n  END\r\nEND\r\n"
                                "LANGUAGE 0x09, 0x02\r\n";
        writeFile(path("keep.rc"), kept + "STRINGTABLE\r\nBEGIN\r\n  IDS_GONE \"old\"\r\nEND\r\n");
        const QString demoRes = QStringLiteral(QM_SOURCE_DIR "/demo/Demo.res");
        Run run = quillmark({"export", demoRes, path("keep.rc")});
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        const QByteArray script = readFile(path("keep.rc"));
        QVERIFY2(script.startsWith(kept + "STRINGTABLE\r\nBEGIN\r\n    "), script.left(400).constData());
        QVERIFY(!script.contains("IDS_GONE"));
        writeResFile(path("back.res"), {});
        run = quillmark({"import", path("keep.rc"), path("back.res")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(sortedEntries(readResFile(path("back.res"))), sortedEntries(readResFile(demoRes)));
    }

    void poFuzzyEntriesOnlyWithUseFuzzy()
    {
        writeResFile(path("z.res"), {{2057, 1, "Open"}, {2057, 2, "Close"}, {1031, 1, "alt"}});
        writeFile(path("z.po"), "#, fuzzy\nmsgctxt \"1\"\nmsgid \"Open\"\nmsgstr \"\xC3\x96\"\n\"ffnen\"\n\n"
                                "msgctxt \"2\"\nmsgid \"Close\"\nmsgstr \"Schlie\xC3\x9F\x65n\"\n");
        Run run = quillmark({"import", path("z.po"), path("z.res"), "--target", "1031"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QString::fromUtf8(run.err),
                 QStringLiteral("quillmark: %1: line 2: 1 fuzzy entry (#, fuzzy) was not taken\n").arg(path("z.po")));
        QCOMPARE(sortedEntries(readResFile(path("z.res"))),
                 sortedEntries({{2057, 1, "Open"}, {2057, 2, "Close"}, {1031, 1, "alt"},
                                {1031, 2, QStringLiteral("Schlie\u00dfen")}}));
        run = quillmark({"import", path("z.po"), path("z.res"), "--target", "1031", "--use-fuzzy"});
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(sortedEntries(readResFile(path("z.res"))),
                 sortedEntries({{2057, 1, "Open"}, {2057, 2, "Close"}, {1031, 1, QStringLiteral("\u00d6ffnen")},
                                {1031, 2, QStringLiteral("Schlie\u00dfen")}}));
    }

    // Other resources and conditions of a script are noted; IDs come from headers.
    void rcScriptWithHeader()
    {
        writeFile(path("inc/resource.h"), "#define IDS_HELLO 100\n#define IDS_BYE (IDS_HELLO + 1)\n");
        writeFile(path("app.rc"),
                  "#include \"resource.h\"\n#include <windows.h>\n"
                  "LANGUAGE LANG_GERMAN, SUBLANG_GERMAN\n"
                  "IDI_APP ICON \"app.ico\"\n"
                  "IDD_MAIN DIALOGEX 0, 0, 100, 50\nCAPTION \"Main\"\nBEGIN\n  PUSHBUTTON \"OK\", 1, 2, 3, 4, 5\nEND\n"
                  "#pragma code_page(1252)\nSTRINGTABLE DISCARDABLE\n{\n  IDS_HELLO, \"Hallo \" L\"Welt\\x0021\"\n  IDS_BYE \"Tsch\\374ss\"\n"
                  "  0x10, \"sixteen\"\n}\n");
        writeResFile(path("app.res"), {});
        Run run = quillmark({"import", path("app.rc"), path("app.res"), "-I", path("inc/resource.h"), "--json", "--dry-run"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains("[1031, 100, \"Hallo Welt!\"], [1031, 101, \"Tsch\u00fcss\"]"), run.out.constData());
        QVERIFY2(run.out.contains("the ICON resource IDI_APP was not read"), run.out.constData());
        QVERIFY2(run.out.contains("the DIALOGEX resource IDD_MAIN was not read"), run.out.constData());
        QVERIFY2(run.out.contains("#include <windows.h> was not found"), run.out.constData());
        // The header beside the script is found without -I.
        writeFile(path("resource.h"), "#define IDS_HELLO 7\n#define IDS_BYE 8\n");
        run = quillmark({"import", path("app.rc"), path("app.res")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(readResFile(path("app.res")).size(), 3);
    }

    // A UTF-7 script is refused by name, and the file it would go into is left as it was.
    void rcScriptInUtf7IsRefused()
    {
        writeFile(path("seven.rc"), "#pragma code_page(65000)\nLANGUAGE 9, 1\nSTRINGTABLE\nBEGIN\n  1, \"a+AGEAAA-b\"\nEND\n");
        writeResFile(path("seven.res"), demo());
        const QByteArray before = readFile(path("seven.res"));
        const Run run = quillmark({"import", path("seven.rc"), path("seven.res")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("line 1: the code page 65000 (UTF-7) is none a resource script can be written in"),
                 run.err.constData());
        QCOMPARE(readFile(path("seven.res")), before);
    }
};

QTEST_MAIN(QuillmarkFormatsTest)
#include "quillmarkformats_test.moc"
