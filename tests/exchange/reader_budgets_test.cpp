#include "ExchangeTestSupport.h"

#include "transfer/ExcelExport.h"
#include "platform/excel/io/ReadBudget.h"
#include "platform/excel/io/ZipArchive.h"
#include "tests/testlib/TestEnvironment.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using excel::backend::ReadLimits;
using excel::backend::ZipReader;

// What the product writes, it reads: the limits that hold for a file of up
// to 10 MB grow with a larger file. In process every limit, the size they
// hold for included, is lowered a thousandfold, so that a table of 2,048
// string IDs in 32 languages stands for one of 65,536 in 32.
class ReaderBudgetsTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    struct Lowered {
        ReadLimits saved = ReadLimits::current();
        qint64 savedInflate = ZipReader::inflateLimit;
        Lowered()
        {
            ReadLimits &limits = ReadLimits::current();
            for (qint64 *limit : {&limits.fileBytes, &limits.cells, &limits.sharedStrings, &limits.textUnits,
                                  &limits.sheets, &limits.relationships, &limits.cellFormats})
                *limit = std::max<qint64>(*limit / 1000, 1);
            ZipReader::inflateLimit /= 1000;
        }
        ~Lowered()
        {
            ReadLimits::current() = saved;
            ZipReader::inflateLimit = savedInflate;
        }
    };

    // Texts as translations are: each its own, of words that recur, 40 to
    // 60 characters long (a table of 65,536 x 32 holds over 64 Mi of them).
    static QList<Entry> table(int ids, int languages)
    {
        static const char *const words[] = {"open", "file", "save", "the", "project", "close", "window", "settings",
                                            "cannot", "be", "found", "error", "language", "string", "table", "new"};
        QList<Entry> entries;
        for (int l = 0; l < languages; ++l)
            for (int id = 0; id < ids; ++id) {
                QString text = QStringLiteral("%1 %2:").arg(id).arg(1024 + l);
                for (int w = 0; w < 7; ++w)
                    text += u' ' + QString::fromLatin1(words[(id * 7 + l * 3 + w * 5) % 16]);
                entries.append({1024 + l, id, text});
            }
        return entries;
    }

    qm::Result<QList<Entry>> importBook(const QString &file)
    {
        auto app = startExcel();
        auto book = app->Workbooks().Open(file);
        if (!book)
            return book.error();
        RecordingFeedback feedback;
        auto read = ExcelTransfer::readStrings(*book.value(), QStringLiteral("t"), feedback);
        if (!read)
            return read.error();
        return entriesOf(read.value());
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void writtenTablesReadBack_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("xlsx") << "t.xlsx";
        QTest::newRow("xls") << "t.xls";
        QTest::newRow("ods") << "t.ods";
        QTest::newRow("csv") << "t.csv";
    }
    void writtenTablesReadBack()
    {
        QFETCH(QString, file);
        const QList<Entry> entries = table(2048, 32);
        resutil::ResStrings strings;
        fill(strings, entries);
        RecordingFeedback feedback;
        const auto format = exchange::resolveFormat(file, QString()).value();
        if (exchange::isWorkbook(format)) {
            auto app = startExcel();
            ExcelTransfer::ExportTarget target(app->Workbooks());
            target.fileName = path(file);
            target.sheetName = QStringLiteral("t");
            const qm::Status written = ExcelTransfer::exportStrings(target, strings, testLanguageName, feedback);
            QVERIFY2(written.ok(), qPrintable(written.errorString()));
        } else {
            exchange::Options options;
            options.format = format;
            options.sheetName = QStringLiteral("t");
            const qm::Status written = exchange::exportFile(strings, path(file), options, testLanguageName, feedback);
            QVERIFY2(written.ok(), qPrintable(written.errorString()));
        }

        const Lowered lowered;
        // Far past what the limits allow a file of the size they are set for.
        QVERIFY(QFileInfo(path(file)).size() > 10 * ReadLimits::current().fileBytes);
        QVERIFY(entries.size() > 10 * ReadLimits::current().cells);
        QList<Entry> read;
        if (exchange::isWorkbook(format)) {
            auto imported = importBook(path(file));
            QVERIFY2(imported.ok(), qPrintable(imported.errorString()));
            read = imported.value();
        } else {
            exchange::Options options;
            options.format = format;
            auto imported = exchange::importFile(path(file), resutil::ResStrings(), options, feedback);
            QVERIFY2(imported.ok(), qPrintable(imported.errorString()));
            read = entriesOf(imported.value());
        }
        QCOMPARE(sortedEntries(nonEmpty(read)), sortedEntries(entries));
    }

    // The reported table: 65,536 string IDs in 32 languages, exported into
    // a new workbook and imported again by the command-line tool.
    void theLargestWorkbookExportReadsBack()
    {
        const QList<Entry> entries = table(65536, 32);
        writeResFile(path("big.res"), entries);
        QProcess process;
        process.start(QStringLiteral(QM_BINARY_DIR "/bin/quillmark"),
                      {"export", path("big.res"), path("big.xlsx"), "--sheet", "big"});
        QVERIFY(process.waitForFinished(-1));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
        qInfo("65,536 x 32: %lld bytes", QFileInfo(path("big.xlsx")).size());
        writeResFile(path("back.res"), {{2057, 1, "replaced"}});
        process.start(QStringLiteral(QM_BINARY_DIR "/bin/quillmark"),
                      {"import", path("big.xlsx"), path("back.res"), "--sheet", "big"});
        QVERIFY(process.waitForFinished(-1));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
        QCOMPARE(sortedEntries(readResFile(path("back.res"))), sortedEntries(entries));
    }
};

QTEST_GUILESS_MAIN(ReaderBudgetsTest)
#include "reader_budgets_test.moc"
