#include "platform/excel/Application.h"
#include "platform/excel/biff/BiffRecords.h"
#include "platform/excel/model/Constants.h"
#include "platform/excel/biff/XlsParts.h"

#include "tests/testlib/PeerPrograms.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QStringEncoder>
#include <QtTest>

#include <unistd.h>

using namespace excel;
using backend::biff::Body;
using backend::biff::record;

// Excel 5.0/95 workbooks (BIFF5): 8-bit texts in the workbook's code page,
// LABEL cells instead of shared strings, and the stream named "Book".
class ExcelBiff5Test : public QObject {
    Q_OBJECT

private:
    TestEnvironment m_env;
    QTemporaryDir m_dir;
    std::unique_ptr<Application> m_app;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    struct Biff5 {
        QByteArray codec = "windows-1252";
        QByteArray bytes(const QString &text) const
        {
            QStringEncoder encode(codec.constData());
            return encode(text);
        }
        QByteArray label(int row, int column, int xf, const QString &text, unsigned type = 0x0204) const
        {
            const QByteArray b = bytes(text);
            Body body;
            body.u16(row).u16(column).u16(xf).u16(unsigned(b.size())).bytes(b);
            if (type == 0x00D6)
                body.u8(1).u16(0).u8(0); // one formatting run
            return record(type, body.data());
        }
    };

    static QByteArray bof(unsigned kind) { return record(0x0809, Body().u16(0x0500).u16(kind).u16(0x0DBB).u16(0x07CC).data()); }
    static QByteArray xf(unsigned format, unsigned flags, unsigned align = 0)
    {
        return record(0x00E0, Body().u16(0).u16(format).u16(flags).u8(align).u8(0).u32(0).u32(0).u16(0).data());
    }

    // A two-sheet BIFF5 workbook in code page `codePage` (none: no CODEPAGE record).
    static QByteArray workbook(const Biff5 &enc, int codePage, const QStringList &names, const QList<QByteArray> &sheets)
    {
        QByteArray globals = bof(0x0005);
        if (codePage)
            globals += record(0x0042, Body().u16(unsigned(codePage)).data());
        globals += record(0x0022, Body().u16(1).data()); // 1904 dates
        const QByteArray code = "0.000";
        globals += record(0x041E, Body().u16(164).u8(unsigned(code.size())).bytes(code).data());
        globals += xf(0, 0xFFF5);       // a style format
        globals += xf(0, 0x0001);       // cell format 0
        globals += xf(164, 0x0001);     // cell format 1: three decimals
        globals += xf(0, 0x0009, 1);    // cell format 2: quote prefix, left
        QList<qsizetype> entryAt;
        for (const QString &name : names) {
            entryAt << globals.size();
            const QByteArray n = enc.bytes(name);
            globals += record(0x0085, Body().u32(0).u8(0).u8(0).u8(unsigned(n.size())).bytes(n).data());
        }
        globals += record(0x000A, {});
        QByteArray stream = globals;
        for (int i = 0; i < sheets.size(); ++i) {
            const quint32 at = quint32(stream.size());
            for (int k = 0; k < 4; ++k)
                stream[entryAt[i] + 4 + k] = char((at >> (8 * k)) & 0xFF);
            stream += bof(0x0010) + sheets[i] + record(0x000A, {});
        }
        return backend::oleFile(stream, QByteArray()).value();
    }

    // Runs `work` with standard error sent to a file; what reached it.
    template<class F>
    static QByteArray stderrOf(const QString &file, F work)
    {
        fflush(stderr);
        const int saved = dup(2);
        FILE *sink = fopen(QFile::encodeName(file).constData(), "w");
        dup2(fileno(sink), 2);
        work();
        fflush(stderr);
        dup2(saved, 2);
        close(saved);
        fclose(sink);
        return readFile(file);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_app = std::move(Application::Create().value());
    }

    void textsAreReadInTheWorkbooksCodePage_data()
    {
        QTest::addColumn<QByteArray>("codec");
        QTest::addColumn<int>("codePage");
        QTest::addColumn<QString>("sheetName");
        QTest::addColumn<QString>("text");
        QTest::newRow("Western") << QByteArray("windows-1252") << 1252 << "Übersicht" << "Grüße, señor €";
        QTest::newRow("no code page: Western") << QByteArray("windows-1252") << 0 << "Straße" << "naïve café";
        QTest::newRow("Cyrillic") << QByteArray("windows-1251") << 1251 << "Лист" << "Привет, мир";
        QTest::newRow("Japanese") << QByteArray("Shift_JIS") << 932 << "表" << "文字列の編集";
        QTest::newRow("Mac Roman") << QByteArray("macintosh") << 0x8000 << "Résumé" << "Ærø ﬁ";
    }
    void textsAreReadInTheWorkbooksCodePage()
    {
        QFETCH(QByteArray, codec);
        QFETCH(int, codePage);
        QFETCH(QString, sheetName);
        QFETCH(QString, text);
        Biff5 enc{codec};
        QByteArray cells = enc.label(0, 0, 1, text);
        cells += record(0x0203, Body().u16(0).u16(1).u16(2).f64(3.14159).data());                 // NUMBER B1, 3 decimals
        cells += record(0x027E, Body().u16(1).u16(0).u16(1).u32((42u << 2) | 0x02).data());      // RK A2 = 42
        cells += record(0x0205, Body().u16(1).u16(1).u16(1).u8(1).u8(0).data());                 // BOOLERR B2 = TRUE
        cells += record(0x0006, Body().u16(2).u16(0).u16(1).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).u16(0xFFFF).u16(0).u32(0).u16(0).data());
        const QByteArray result = enc.bytes(text + QStringLiteral("!"));
        cells += record(0x0207, Body().u16(unsigned(result.size())).bytes(result).data()); // the formula's text
        cells += enc.label(2, 1, 3, QStringLiteral("'") + text, 0x00D6);                  // RSTRING B3
        const QString file = path(QStringLiteral("biff5-%1.xls").arg(codePage));
        writeFile(file, workbook(enc, codePage, {sheetName, QStringLiteral("Two")},
                                 {cells, enc.label(0, 0, 1, QStringLiteral("second"))}));

        auto opened = m_app->Workbooks().Open(file);
        QVERIFY2(opened.ok(), qPrintable(opened.errorString()));
        Workbook &book = *opened.value();
        QCOMPARE(book.Worksheets().Count(), 2);
        QCOMPARE(book.Worksheets().Item(1).value()->Name(), sheetName);
        QVERIFY(book.date1904);
        const Cells &c = book.Worksheets().Item(1).value()->Cells();
        QCOMPARE(c.Text(1, 1), text);
        QCOMPARE(c.Text(1, 2), QStringLiteral("3.142"));
        QCOMPARE(c.Value(2, 1).number(), 42.0);
        QCOMPARE(c.Text(2, 2), QStringLiteral("TRUE"));
        QCOMPARE(c.Text(3, 1), text + QStringLiteral("!"));
        QCOMPARE(c.Text(3, 2), QStringLiteral("'") + text);
        QCOMPARE(book.Worksheets().Item(QStringLiteral("Two")).value()->Cells().Text(1, 1), QStringLiteral("second"));
        // An Excel 5 file is kept as it is, but a changed sheet cannot be written into it.
        const QByteArray before = readFile(file);
        QVERIFY(book.Save().ok());
        QCOMPARE(readFile(file), before);
        QVERIFY(c.Text(1, 1) == text);
        QVERIFY(book.Worksheets().Item(1).value()->Cells().Set(5, 1, QStringLiteral("new")).ok());
        auto saved = book.Save();
        QVERIFY(!saved.ok());
        QVERIFY2(saved.errorString().contains(QStringLiteral("Excel 5 (BIFF5)")), qPrintable(saved.errorString()));
        QCOMPARE(readFile(file), before);
    }

    void damagedOrUnknownBiff5IsRefusedClearly_data()
    {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<QByteArray>("cells");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown code page") << 4242 << QByteArray() << "code page 4242";
        QTest::newRow("UTF-16 has no 8-bit form") << 1200 << QByteArray() << "code page 1200";
        QTest::newRow("label longer than its record") << 1252
            << record(0x0204, Body().u16(0).u16(0).u16(1).u16(200).bytes("short").data()) << "cut short";
        QTest::newRow("cell beyond an .xls sheet") << 1252
            << record(0x0203, Body().u16(0).u16(300).u16(1).f64(1).data()) << "column 301";
    }
    void damagedOrUnknownBiff5IsRefusedClearly()
    {
        QFETCH(int, codePage);
        QFETCH(QByteArray, cells);
        QFETCH(QString, message);
        const QString file = path(QStringLiteral("bad.xls"));
        writeFile(file, workbook(Biff5{}, codePage, {QStringLiteral("S")}, {cells}));
        // The globals are read on opening, a sheet when it is asked for.
        auto opened = m_app->Workbooks().Open(file);
        const qm::Status read = !opened.ok() ? qm::Status(opened.error())
                              : opened.value()->Worksheets().Item(1).ok() ? qm::Status()
                                                                          : opened.value()->Worksheets().Item(1).error();
        QVERIFY(!read.ok());
        QVERIFY2(read.errorString().startsWith(file) && read.errorString().contains(message),
                 qPrintable(read.errorString()));
    }

    // gnumeric writes Excel 5 files as Excel 5 did: a "Book" stream, LABEL records.
    void gnumericsExcel5FilesAreRead()
    {
        const QString ssconvert = peers::program("ssconvert");
        if (ssconvert.isEmpty())
            QSKIP("gnumeric's ssconvert is not installed: peer skipped");
        Workbook *book = m_app->Workbooks().Add(xlWBATWorksheet).value();
        Worksheet *sheet = book->ActiveSheet();
        QVERIFY(sheet->SetName(QStringLiteral("Übersetzung")).ok());
        const QStringList texts{QStringLiteral("Grüße"), QStringLiteral("Ça va? ½ £"), QStringLiteral("line one\nline two")};
        for (int r = 1; r <= texts.size(); ++r) {
            QVERIFY(sheet->Cells().Set(r, 1, 1000 + r).ok());
            QVERIFY(sheet->Cells().Set(r, 2, texts[r - 1]).ok());
        }
        QVERIFY(book->Worksheets().Add().ok());
        QVERIFY(book->Worksheets().Item(2).value()->Cells().Set(2, 3, QStringLiteral("zwei")).ok());
        QVERIFY(book->SaveAs(path(QStringLiteral("for-gnumeric.xlsx"))).ok());
        const QString xls = path(QStringLiteral("gnumeric5.xls"));
        const peers::Run r = peers::run(ssconvert, {QStringLiteral("-T"), QStringLiteral("Gnumeric_Excel:excel_biff7"),
                                                    path(QStringLiteral("for-gnumeric.xlsx")), xls});
        QVERIFY2(r.exitCode == 0 && QFileInfo::exists(xls), r.err.constData());
        QVERIFY(readFile(xls).contains(QByteArray("B\0o\0o\0k\0", 8))); // the BIFF5 stream name

        auto opened = m_app->Workbooks().Open(xls);
        QVERIFY2(opened.ok(), qPrintable(opened.errorString()));
        Workbook &read = *opened.value();
        QCOMPARE(read.Worksheets().Count(), 2);
        const Worksheet *first = read.Worksheets().Item(1).value();
        QCOMPARE(first->Name(), QStringLiteral("Übersetzung"));
        for (int row = 1; row <= texts.size(); ++row) {
            QCOMPARE(first->Cells().Value(row, 1).number(), double(1000 + row));
            QCOMPARE(first->Cells().Text(row, 2), texts[row - 1]);
        }
        QCOMPARE(read.Worksheets().Item(2).value()->Cells().Text(2, 3), QStringLiteral("zwei"));
    }

    // A damaged container is reported in the product's message; libgsf and
    // GLib print nothing of their own.
    void damagedContainersPrintNothingOnStandardError()
    {
        Workbook *book = m_app->Workbooks().Add(xlWBATWorksheet).value();
        for (int r = 1; r <= 3000; ++r)
            QVERIFY(book->ActiveSheet()->Cells().Set(r, 1, QStringLiteral("text %1").arg(r)).ok());
        QVERIFY(book->SaveAs(path(QStringLiteral("whole.xls"))).ok());
        const QByteArray whole = readFile(path(QStringLiteral("whole.xls")));
        QList<QByteArray> damaged;
        for (const double share : {0.1, 0.3, 0.6, 0.95})
            damaged << whole.left(qsizetype(whole.size() * share));
        for (qsizetype at : {0x30, 0x44, 0x4C, 0x200, 0x400}) { // FAT and directory pointers
            QByteArray bytes = whole;
            for (int k = 0; k < 4 && at + k < bytes.size(); ++k)
                bytes[at + k] = char(0xFE);
            damaged << bytes;
        }
        int refused = 0;
        for (int i = 0; i < damaged.size(); ++i) {
            const QString file = path(QStringLiteral("damaged%1.xls").arg(i));
            writeFile(file, damaged[i]);
            QString message;
            const QByteArray err = stderrOf(path(QStringLiteral("stderr.txt")), [&] {
                auto opened = m_app->Workbooks().Open(file);
                if (!opened.ok())
                    message = opened.errorString();
                else if (auto sheet = opened.value()->Worksheets().Item(1); !sheet.ok())
                    message = sheet.errorString();
            });
            QVERIFY2(err.isEmpty(), err.constData());
            if (!message.isEmpty()) {
                ++refused;
                QVERIFY2(message.startsWith(file), qPrintable(message));
            }
        }
        QVERIFY(refused >= damaged.size() / 2);
    }
};

QTEST_GUILESS_MAIN(ExcelBiff5Test)
#include "excel_biff5_test.moc"
