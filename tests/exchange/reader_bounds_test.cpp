#include "platform/excel/Application.h"
#include "platform/excel/biff/BiffRecords.h"
#include "platform/excel/biff/XlsParts.h"

#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QProcess>
#include <QtTest>


using excel::backend::biff::Body;
using excel::backend::biff::record;

// Every reader, given a hostile file of at most 10 MB, stays under 1 GB, and
// either reads it or refuses it naming the limit it passed (cells, inflated
// bytes, shared strings: its work is counted, never timed; the time it takes
// is benchmarks/reader_bounds_time.sh's figure). Each file runs through
// `quillmark import` in a process of its own, whose peak resident memory the
// kernel counts (a sanitizer's reserved address space is not).
class ReaderBoundsTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;
    static constexpr qint64 MemoryLimitMb = 1024;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    struct Measured {
        int exitCode = -1;
        qint64 peakMb = 0;
        bool stopped = false;
        QByteArray err;
    };

    // Runs quillmark under a watch that reports its exact peak resident
    // memory and stops it once it passes the limit.
    Measured measure(const QStringList &args)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // The sanitizer's quarantine of freed memory is not the reader's; no
        // single allocation may ask for more than the whole limit.
        env.insert(QStringLiteral("ASAN_OPTIONS"),
                   env.value(QStringLiteral("ASAN_OPTIONS")) +
                       QStringLiteral(":quarantine_size_mb=16:malloc_context_size=4:max_allocation_size_mb=%1").arg(MemoryLimitMb));
        process.setProcessEnvironment(env);
        const QString errors = path(QStringLiteral("stderr.txt"));
        process.start(QStringLiteral("python3"), QStringList{QStringLiteral(QM_SOURCE_DIR "/tests/exchange/peak_memory.py"),
                                                             QString::number(MemoryLimitMb * 1024), errors,
                                                             QStringLiteral(QM_BINARY_DIR "/bin/quillmark")} +
                                                     args);
        Measured m;
        if (!process.waitForFinished(-1) || process.exitCode() != 0)
            return m;
        const QList<QByteArray> report = process.readAllStandardOutput().trimmed().split(' ');
        if (report.size() != 3)
            return m;
        m.peakMb = report[0].toLongLong() / 1024;
        m.exitCode = report[1].toInt();
        m.stopped = report[2] == "1";
        m.err = readFile(errors);
        return m;
    }

    // An .xls whose `entries` sheet entries all name one sheet of `rows`
    // MULBLANK rows of 256 cells: small on disk, a multiple of it in cells.
    static QByteArray sharedBlankSheet(int entries, int rows)
    {
        QByteArray globals = record(0x0809, Body().u16(0x0600).u16(0x0005).u16(0).u16(0).u32(0).u32(6).data());
        globals += record(0x00E0, Body().u16(0).u16(0).u16(0x0001).u8(0).u8(0).u32(0).u32(0).u32(0).u16(0).data());
        QList<qsizetype> entryAt;
        for (int i = 1; i <= entries; ++i) {
            entryAt << globals.size();
            globals += record(0x0085, Body().u32(0).u8(0).u8(0).shortString(QStringLiteral("S%1").arg(i)).data());
        }
        globals += record(0x000A, {});
        QByteArray sheet = record(0x0809, Body().u16(0x0600).u16(0x0010).u16(0).u16(0).u32(0).u32(6).data());
        for (int r = 0; r < rows; ++r) {
            Body blank;
            blank.u16(unsigned(r)).u16(0);
            for (int c = 0; c < 256; ++c)
                blank.u16(0);
            blank.u16(255);
            sheet += record(0x00BE, blank.data());
        }
        sheet += record(0x000A, {});
        const quint32 at = quint32(globals.size());
        for (qsizetype e : entryAt)
            for (int k = 0; k < 4; ++k)
                globals[e + 4 + k] = char((at >> (8 * k)) & 0xFF);
        return excel::backend::oleFile(globals + sheet, QByteArray()).value();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QProcess python;
        python.start(QStringLiteral("python3"), {QStringLiteral(QM_SOURCE_DIR "/tests/exchange/hostile_inputs.py"), m_dir.path()});
        QVERIFY2(python.waitForFinished(-1) && python.exitCode() == 0, python.readAllStandardError().constData());
        writeFile(path(QStringLiteral("shared-blank-sheet.xls")), sharedBlankSheet(40, 15000));
        QVERIFY(QFileInfo(path(QStringLiteral("shared-blank-sheet.xls"))).size() <= 10'000'000);
        QCOMPARE(measure({QStringLiteral("create"), path(QStringLiteral("t.res"))}).exitCode, 0);
    }

    void everyReaderStaysBounded_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("sheet"); // or another option for the format
        QTest::addColumn<QString>("refusal"); // empty: the file is read
        const QString cells = QStringLiteral("more than 4000000 cells");
        QTest::newRow("xlsx: three sheets of empty cells") << "empty-cells-3.xlsx" << "S1" << cells;
        const QString noStrings = QStringLiteral("holds no string");
        QTest::newRow("xlsx: twelve sheets, the last one read") << "empty-cells-12.xlsx" << "S12" << noStrings;
        QTest::newRow("xlsx: styled empty cells") << "styled-empty-cells.xlsx" << "S1" << cells;
        QTest::newRow("xlsx: empty shared strings") << "empty-shared-strings.xlsx" << "S1" << "more than 4000000 shared strings";
        QTest::newRow("xlsx: long inline texts") << "long-inline-texts.xlsx" << "S1" << "characters of text";
        QTest::newRow("xlsx: cell formats") << "many-cell-formats.xlsx" << "S1" << "inflates to more than";
        QTest::newRow("xlsx: sheet entries") << "many-sheet-entries.xlsx" << "S1" << "more than 4096 sheets";
        QTest::newRow("xlsx: relationships") << "many-relationships.xlsx" << "S1" << "more than 65536 relationships";
        QTest::newRow("xlsx: nesting") << "deep-nesting.xlsx" << "S1" << "nested more than 512 deep";
        QTest::newRow("xls: sheet entries sharing one sheet") << "shared-blank-sheet.xls" << "S40" << noStrings;
        QTest::newRow("ods: repeated rows") << "repeated-rows.ods" << "S1" << "beyond row 1048576";
        QTest::newRow("ods: repeated cells") << "repeated-cells.ods" << "S1" << "more than 4000000 cells";
        QTest::newRow("ods: empty cells") << "empty-cells.ods" << "S1" << "inflates to more than";
        QTest::newRow("csv: one record of separators") << "separators.csv" << "--separator=," << "more than 65537 fields";
        QTest::newRow("csv: empty records") << "rows.csv" << "" << "more than 1048576 records";
        QTest::newRow("csv: short records") << "short-rows.csv" << "" << "more than 1048576 records";
        QTest::newRow("rc: one table") << "strings.rc" << "" << "already defined";
        QTest::newRow("rc: many tables") << "tables.rc" << "" << "already defined";
        QTest::newRow("rc: a string in each of many languages") << "languages.rc" << "" << QString();
        QTest::newRow("po: units") << "units.po" << "" << QString();
        QTest::newRow("xliff: units") << "units.xlf" << "" << QString();
        QTest::newRow("xliff: nesting") << "deep.xlf" << "" << "nested more than 512 deep";
    }
    void everyReaderStaysBounded()
    {
        QFETCH(QString, file);
        QFETCH(QString, sheet);
        QFETCH(QString, refusal);
        QVERIFY(QFileInfo(path(file)).size() <= 10'000'000);
        QStringList args{QStringLiteral("import"), path(file), path(QStringLiteral("t.res")), QStringLiteral("--dry-run")};
        if (sheet.startsWith(QStringLiteral("--")))
            args << sheet.section(u'=', 0, 0) << sheet.section(u'=', 1);
        else if (!sheet.isEmpty())
            args << QStringLiteral("--sheet") << sheet;
        const Measured m = measure(args);
        qInfo("%s: %lld MB", qPrintable(file), m.peakMb);
        QVERIFY2(!m.stopped && m.peakMb <= MemoryLimitMb,
                 qPrintable(QStringLiteral("%1 MB (limit %2 MB)").arg(m.peakMb).arg(MemoryLimitMb)));
        if (refusal.isEmpty()) {
            QVERIFY2(m.exitCode == 0, m.err.left(2000).constData());
        } else {
            QCOMPARE(m.exitCode, 1);
            QVERIFY2(m.err.startsWith(("quillmark: " + path(file)).toUtf8()) && m.err.contains(refusal.toUtf8()),
                     m.err.left(2000).constData());
        }
    }
};

QTEST_GUILESS_MAIN(ReaderBoundsTest)
#include "reader_bounds_test.moc"
