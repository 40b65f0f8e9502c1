#include "TransferTestSupport.h"

#include "platform/excel/model/Constants.h"
#include "platform/resutil/ResFile.h"
#include "tests/resutil/ResBuilder.h"
#include "tests/testlib/TestEnvironment.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using excel::Value;

// The command-line tool's export and import, run as a user runs them.
class QuillmarkExcelTest : public QObject {
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

    void writeRes(const QString &file, const QList<Entry> &entries)
    {
        resutil::ResFile res;
        res.setFileName(file);
        QVERIFY(res.Create().ok());
        fill(res.Strings(), entries);
        QVERIFY(res.Save(0).ok());
    }

    QList<Entry> readRes(const QString &file)
    {
        resutil::ResFile res;
        res.setFileName(file);
        [&] { QVERIFY(res.Load().ok()); }();
        return entriesOf(res.Strings());
    }

    void writeBook(const QString &file, const QString &sheetName, const QList<SheetCell> &cells)
    {
        auto app = startExcel();
        excel::Workbook *book = app->Workbooks().Add(excel::xlWBATWorksheet).value();
        QVERIFY(book->ActiveSheet()->SetName(sheetName).ok());
        setCells(*book->ActiveSheet(), cells);
        QVERIFY(book->SaveAs(file).ok());
    }

    static QList<SheetCell> exampleSheet()
    {
        return {{1, 2, Value("English")}, {1, 3, Value("German")}, {2, 2, Value(2057)}, {2, 3, Value(1031)},
                {3, 1, Value(10)},        {4, 1, Value(11)},       {3, 2, Value("Yes")}, {3, 3, Value("Ja")},
                {4, 2, Value("No")}};
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void exportThenImportJson_data()
    {
        QTest::addColumn<QString>("book");
        QTest::newRow("xlsx") << "cli.xlsx";
        QTest::newRow("xls") << "cli.xls";
    }
    void exportThenImportJson()
    {
        QFETCH(QString, book);
        writeRes(path("proj.res"), {{2057, 10, "Yes"}, {2057, 11, "=Total \"q\"\r\n\\"}, {1031, 10, "Ja"}});
        QFile::remove(path(book));
        const Run exported = quillmark({"export", path("proj.res"), path(book)});
        QCOMPARE(exported.err, QByteArray());
        QCOMPARE(exported.exitCode, 0);

        const QByteArray before = readFile(path("proj.res"));
        const Run imported = quillmark({"import", path(book), path("proj.res"), "--dry-run", "--json"});
        QCOMPARE(imported.err, QByteArray());
        QCOMPARE(imported.exitCode, 0);
        // A loaded file lists its strings by locale, then ID: 1031 comes first.
        QCOMPARE(imported.out, QByteArray("{\"entries\": [[1031, 10, \"Ja\"], [1031, 11, \"\"], [2057, 10, \"Yes\"], "
                                          "[2057, 11, \"=Total \\\"q\\\"\\r\\n\\\\\"]], \"messages\": [], "
                                          "\"progress_max\": 4}\n"));
        QCOMPARE(readFile(path("proj.res")), before);
    }

    // Tables in key order are read in one pass, tables in any other order in
    // two: both give the same workbook.
    void exportReadsTablesInAnyOrder()
    {
        const QByteArray one = ResBuilder::block({QStringLiteral("eins")}), two = ResBuilder::block({QStringLiteral("zwei")});
        writeFile(path("ordered.res"), ResBuilder().entry(6, 1, one, 1031).entry(6, 2, two, 1031).bytes());
        writeFile(path("unordered.res"), ResBuilder().entry(6, 2, two, 1031).entry(6, 1, one, 1031).bytes());
        for (const char *name : {"ordered", "unordered"}) {
            QFile::remove(path(QString::fromLatin1(name) + ".xlsx"));
            const Run run = quillmark({"export", path(QString::fromLatin1(name) + ".res"),
                                       path(QString::fromLatin1(name) + ".xlsx"), "--sheet", "s"});
            QCOMPARE(run.err, QByteArray());
            QCOMPARE(run.exitCode, 0);
        }
        QCOMPARE(readFile(path("unordered.xlsx")), readFile(path("ordered.xlsx")));
    }

    void importSavesOrWritesElsewhere()
    {
        writeBook(path("in.xlsx"), "strings", exampleSheet());
        writeRes(path("strings.res"), {{1036, 1, "remplacé"}});
        const QByteArray before = readFile(path("strings.res"));
        QFile::remove(path("out.res"));
        Run run = quillmark({"import", path("in.xlsx"), path("strings.res"), "-o", path("out.res")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(readFile(path("strings.res")), before);
        QCOMPARE(readRes(path("out.res")), (QList<Entry>{{1031, 10, "Ja"}, {2057, 10, "Yes"}, {2057, 11, "No"}}));

        run = quillmark({"import", path("in.xlsx"), path("strings.res")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(readRes(path("strings.res")), readRes(path("out.res")));
    }

    void messagesInJson()
    {
        QList<SheetCell> cells = exampleSheet();
        cells.append({2, 3, Value("German")});
        writeBook(path("msg.xlsx"), "Project1", cells);
        writeRes(path("p.res"), {});
        const Run run = quillmark({"import", path("msg.xlsx"), path("p.res"), "--sheet", "Project1", "--json"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.endsWith("\"messages\": [\"Error reading Locale ID from cell:\\nRow = 2\\nColumn = 3\\n"
                                  "This language will not be imported.\"], \"progress_max\": 4}\n"),
                 run.out.constData());
        QVERIFY(run.out.startsWith("{\"entries\": [[2057, 10, \"Yes\"], [2057, 11, \"No\"]], "));
        // Without --json the message is a warning on standard error; the import went on.
        const Run plain = quillmark({"import", path("msg.xlsx"), path("p.res"), "--sheet", "Project1", "--dry-run"});
        QCOMPARE(plain.exitCode, 0);
        QVERIFY(plain.err.startsWith("quillmark: "));
        QVERIFY(plain.err.contains("This language will not be imported."));
    }

    // Every failure: exit 1 (2 for a wrong command line), one line naming the file, and nothing written.
    void failures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("mentions");
        QTest::addColumn<int>("status");  // 1 failed work, 2 wrong command line
        QTest::newRow("string ID not a number")
            << QStringList{"import", "bad.xlsx", "good.res", "--sheet", "Project1"} << "bad.xlsx" << "A4" << 1;
        QTest::newRow("string ID not a number, dry run")
            << QStringList{"import", "bad.xlsx", "good.res", "--sheet", "Project1", "--dry-run"} << "bad.xlsx" << "A4"
            << 1;
        QTest::newRow("no such sheet") << QStringList{"import", "bad.xlsx", "good.res"} << "bad.xlsx" << "good" << 1;
        QTest::newRow("no such workbook") << QStringList{"import", "none.xlsx", "good.res"} << "none.xlsx" << "" << 1;
        QTest::newRow("no such resource file") << QStringList{"export", "none.res", "new.xlsx"} << "none.res" << "" << 1;
        QTest::newRow("text too long for a cell") << QStringList{"export", "long.res", "new.xlsx"} << "new.xlsx"
                                                  << "32767" << 1;
        QTest::newRow("missing argument") << QStringList{"import", "bad.xlsx"} << "" << "" << 2;
        QTest::newRow("unknown option") << QStringList{"export", "good.res", "new.xlsx", "--bogus"} << "" << "--bogus" << 2;
    }
    void failures()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, file);
        QFETCH(QString, mentions);
        QFETCH(int, status);
        QList<SheetCell> cells = exampleSheet();
        cells.append({4, 1, Value("eleven")});
        writeBook(path("bad.xlsx"), "Project1", cells);
        writeRes(path("good.res"), {{2057, 1, "keep"}});
        writeRes(path("long.res"), {{2057, 1, QString(excel::MaxTextLength + 1, QLatin1Char('z'))}});
        QFile::remove(path("new.xlsx"));
        const QByteArray before = readFile(path("good.res"));
        for (QString &arg : args)
            if (arg.contains(QLatin1Char('.')))
                arg = path(arg);

        const Run run = quillmark(args);
        QCOMPARE(run.exitCode, status);
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(run.err.count('\n'), 1);
        const QString line = QString::fromUtf8(run.err);
        QVERIFY2(line.startsWith(QStringLiteral("quillmark: ") + (file.isEmpty() ? QString() : path(file) + ": ")),
                 qPrintable(line));
        QVERIFY2(line.contains(mentions), qPrintable(line));
        QCOMPARE(readFile(path("good.res")), before);
        QVERIFY(!QFileInfo::exists(path("new.xlsx")));
    }
};

QTEST_MAIN(QuillmarkExcelTest)
#include "quillmarkexcel_test.moc"
