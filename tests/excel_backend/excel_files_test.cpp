#include "platform/excel/Application.h"
#include "platform/excel/model/Constants.h"
#include "platform/excel/io/OoxmlText.h"
#include "platform/excel/io/ZipArchive.h"

#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QtEndian>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>

using namespace excel;

namespace {

// Texts that a spreadsheet program is tempted to change.
QList<QPair<const char *, QString>> trickyTexts()
{
    return {
        {"latin", QStringLiteral("Grüße, café")},
        {"cjk", QStringLiteral("文字列の編集 한국어 中文")},
        {"arabic", QStringLiteral("مرحبا بالعالم")},
        {"hebrew", QStringLiteral("שלום עולם")},
        {"thai", QStringLiteral("สวัสดีครับ")},
        {"devanagari", QStringLiteral("नमस्ते दुनिया")},
        {"emoji beyond the BMP", QStringLiteral("smile 😀 𝄞")},
        {"formula", QStringLiteral("=SUM(A1:A3)")},
        {"apostrophe", QStringLiteral("'quoted")},
        {"leading zeros", QStringLiteral("007")},
        {"fraction", QStringLiteral("1/2")},
        {"exponent", QStringLiteral("1e5")},
        {"boolean word", QStringLiteral("TRUE")},
        {"date-like", QStringLiteral("2024-01-31")},
        {"line breaks", QStringLiteral("one\ntwo\r\nthree\rfour")},
        {"tabs and blanks", QStringLiteral("  \tindented  ")},
        {"escape look-alike", QStringLiteral("_x0041_ and _x005F_ and _xZZZZ_")},
        {"markup", QStringLiteral("<b>&amp;</b> \"q\"")},
        {"longest text", QString(MaxTextLength - 1, u'z') + u'!'},
    };
}

} // namespace

class ExcelFilesTest : public QObject {
    Q_OBJECT

private:
    TestEnvironment m_env;
    QTemporaryDir m_dir;
    std::unique_ptr<Application> m_app;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    static QString exported(const QString &text)
    {
        return text.startsWith(u'\'') || text.startsWith(u'=') ? u'\'' + text : text;
    }

private slots:
    // Another program saved the file after it was read here: saving the copy
    // read would put back what was there before, so the save is refused and
    // the other program's sheet stays. Read again, the file takes the save.
    void fileChangedSinceItWasReadIsNotWrittenOver_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("inPlace");
        QTest::newRow("xlsx, saved anew") << QStringLiteral("saved-anew.xlsx") << false;
        QTest::newRow("xls, saved anew") << QStringLiteral("saved-anew-too.xls") << false;
        QTest::newRow("xls, same size and time") << QStringLiteral("same-stamp.xls") << true;
    }
    void fileChangedSinceItWasReadIsNotWrittenOver()
    {
        QFETCH(QString, name);
        QFETCH(bool, inPlace);
        const QString file = path(name);
        {
            Workbook *made = m_app->Workbooks().Add(xlWBATWorksheet).value();
            QVERIFY(made->ActiveSheet()->Cells().Set(1, 1, QStringLiteral("first")).ok());
            QVERIFY(made->SaveAs(file).ok());
        }
        Workbook *ours = m_app->Workbooks().Open(file).value();
        QVERIFY(ours);
        QVERIFY(!ours->changedOnDisk());
        if (inPlace) {
            // One byte of the file differs; its size, time and inode do not.
            struct stat before;
            QCOMPARE(::stat(QFile::encodeName(file).constData(), &before), 0);
            QByteArray bytes = readFile(file);
            bytes[bytes.size() - 1] = char(bytes[bytes.size() - 1] ^ 1);
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QCOMPARE(f.write(bytes), bytes.size());
            f.close();
            const struct timespec times[2] = {before.st_atim, before.st_mtim};
            QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0), 0);
        } else {
            auto other = Application::Create();
            Workbook *theirs = other.value()->Workbooks().Open(file).value();
            QVERIFY(theirs);
            QVERIFY(theirs->Worksheets().Add().value()->SetName(QStringLiteral("Theirs")).ok());
            QVERIFY(theirs->Save().ok());
        }
        const QByteArray changed = readFile(file);
        QVERIFY(ours->changedOnDisk());
        QVERIFY(ours->ActiveSheet()->Cells().Set(1, 2, QStringLiteral("ours")).ok());
        const qm::Status refused = ours->Save();
        QVERIFY(!refused.ok());
        QCOMPARE(refused.errorString(), file + QStringLiteral(": another program has changed the file since it was "
                                                              "read; it was not written over. Open it again and "
                                                              "repeat the save"));
        QVERIFY(readFile(file) == changed);
        QCOMPARE(QDir(m_dir.path()).entryList({name + u'*'}, QDir::Files | QDir::Hidden), QStringList{name});
        if (inPlace)
            return;

        // Read again, saved twice: the second save is over the file the first wrote.
        Workbook *again = m_app->Workbooks().Open(file).value();
        QVERIFY(again->Worksheets().Item(1).value()->Cells().Set(1, 2, QStringLiteral("ours")).ok());
        QVERIFY(again->Save().ok());
        QVERIFY(!again->changedOnDisk());
        QVERIFY(again->Worksheets().Item(1).value()->Cells().Set(1, 3, QStringLiteral("more")).ok());
        QVERIFY(again->Save().ok());
        Workbook *back = m_app->Workbooks().Open(file).value();
        QCOMPARE(back->Worksheets().Names(), (QStringList{QStringLiteral("Sheet1"), QStringLiteral("Theirs")}));
        QCOMPARE(back->ActiveSheet()->Cells().Text(1, 3), QStringLiteral("more"));
    }

    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        auto app = Application::Create();
        QVERIFY(app.ok());
        m_app = std::move(app.value());
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("text");
        for (const char *ext : {"xlsx", "xls"})
            for (const auto &[name, text] : trickyTexts())
                QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(ext), QLatin1String(name)))) << QString::fromLatin1(ext) << text;
        QTest::newRow("xlsx: control characters") << "xlsx" << QStringLiteral("a\x01" "b\x1F" "c") + QChar(0) + u'd';
        QTest::newRow("xlsx: lone surrogate") << "xlsx" << QStringLiteral("x") + QChar(0xD800) + u'y';
    }
    void roundTrip()
    {
        QFETCH(QString, extension);
        QFETCH(QString, text);
        const QString file = path(QStringLiteral("trip.") + extension);
        Workbook *book = m_app->Workbooks().Add(xlWBATWorksheet).value();
        Worksheet *sheet = book->ActiveSheet();
        QVERIFY(sheet->SetName(QStringLiteral("Strings")).ok());
        QVERIFY(sheet->Cells().SetHorizontalAlignment(xlLeft).ok());
        QVERIFY(sheet->Cells().Set(2, 2, 2057).ok());
        QVERIFY(sheet->Cells().Set(3, 1, 65535).ok());
        QVERIFY(sheet->Cells().Set(3, 2, exported(text)).ok());
        auto saved = book->SaveAs(file);
        QVERIFY2(saved.ok(), qPrintable(saved.errorString()));

        auto opened = m_app->Workbooks().Open(file);
        QVERIFY2(opened.ok(), qPrintable(opened.errorString()));
        Worksheet *read = opened.value()->Worksheets().Item(QStringLiteral("Strings")).value();
        Range used = read->UsedRange();
        QCOMPARE(used.Row(), 2);
        QCOMPARE(used.Column(), 1);
        QCOMPARE(used.RowsCount(), 2);
        QCOMPARE(used.ColumnsCount(), 2);
        QVERIFY(read->Cells().Value(3, 2).isText());
        QCOMPARE(read->Cells().Text(3, 2), text);
        QCOMPARE(read->Cells().Value(3, 1).number(), 65535.0);
        QCOMPARE(read->Cells().Value(2, 2).number(), 2057.0);
    }

    // A table with repeated texts (one shared string each in .xls), numbers,
    // gaps inside rows and a second sheet: every cell comes back as it was.
    void everyCellOfABigTableSurvives_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::newRow("xlsx") << "xlsx";
        QTest::newRow("xls") << "xls";
    }
    void everyCellOfABigTableSurvives()
    {
        QFETCH(QString, extension);
        const QList<QPair<const char *, QString>> tricky = trickyTexts();
        auto expected = [&](int sheet, int row, int column) -> Value {
            const int k = sheet * 7919 + row * 31 + column;
            if (k % 11 == 0)
                return Value(); // a gap
            if (column == 1)
                return Value(double(row) + 0.25 * sheet);
            const QString &base = tricky[k % (tricky.size() - 1)].second; // the longest text would make it slow
            return Value(k % 3 == 0 ? base : base + QString::number(k % 97));
        };
        const QString file = path(QStringLiteral("big.") + extension);
        Workbook *book = m_app->Workbooks().Add(xlWBATWorksheet).value();
        QVERIFY(book->Worksheets().Add().ok());
        for (int s = 1; s <= 2; ++s)
            for (int r = 1; r <= 600; ++r)
                for (int c = 1; c <= 7; ++c)
                    if (const Value v = expected(s, r, c); !v.isEmpty())
                        QVERIFY(book->Worksheets().Item(s).value()->Cells().Set(r, c, v.isText() ? Value(exported(v.text())) : v).ok());
        auto saved = book->SaveAs(file);
        QVERIFY2(saved.ok(), qPrintable(saved.errorString()));

        auto opened = m_app->Workbooks().Open(file);
        QVERIFY2(opened.ok(), qPrintable(opened.errorString()));
        for (int s = 1; s <= 2; ++s) {
            const Worksheet *sheet = opened.value()->Worksheets().Item(s).value();
            for (int r = 1; r <= 600; ++r)
                for (int c = 1; c <= 7; ++c) {
                    const Value want = expected(s, r, c);
                    const Value got = sheet->Cells().Value(r, c);
                    QVERIFY2(got == want, qPrintable(QStringLiteral("sheet %1, row %2, column %3").arg(s).arg(r).arg(c)));
                }
        }
    }

    void quotePrefixSurvivesXlsx()
    {
        const QString file = path(QStringLiteral("prefix.xlsx"));
        Workbook *book = m_app->Workbooks().Add(xlWBATWorksheet).value();
        QVERIFY(book->ActiveSheet()->Cells().Set(1, 1, QStringLiteral("'=1+1")).ok());
        QVERIFY(book->SaveAs(file).ok());
        Workbook *read = m_app->Workbooks().Open(file).value();
        const Worksheet *sheet = read->ActiveSheet();
        QVERIFY(read->formats().at(sheet->data().find(1, 1)->xf).quotePrefix);
        QCOMPARE(sheet->Cells().Text(1, 1), QStringLiteral("=1+1"));
    }

    void formatChosenByContentWhenOpening()
    {
        // An .xlsx package under a .xls name still opens, as the wizard proposes .xls names.
        Workbook *book = m_app->Workbooks().Add(xlWBATWorksheet).value();
        QVERIFY(book->ActiveSheet()->Cells().Set(1, 1, QStringLiteral("x")).ok());
        QVERIFY(book->SaveAs(path(QStringLiteral("real.xlsx"))).ok());
        QVERIFY(QFile::copy(path(QStringLiteral("real.xlsx")), path(QStringLiteral("named.xls"))));
        auto opened = m_app->Workbooks().Open(path(QStringLiteral("named.xls")));
        QVERIFY(opened.ok());
        QCOMPARE(opened.value()->sourceFormat, FileFormat::Xlsx);
        QVERIFY(readFile(path(QStringLiteral("real.xlsx"))).startsWith("PK"));
        QVERIFY(book->SaveAs(path(QStringLiteral("new.xls"))).ok());
        QVERIFY(readFile(path(QStringLiteral("new.xls"))).startsWith("\xD0\xCF\x11\xE0"));
    }

    void xlsxOutputIsReproducible()
    {
        auto write = [&](const QString &name) {
            Workbook *book = m_app->Workbooks().Add(xlWBATWorksheet).value();
            (void)book->ActiveSheet()->Cells().Set(1, 1, QStringLiteral("same"));
            (void)book->SaveAs(path(name));
            return readFile(path(name));
        };
        const QByteArray first = write(QStringLiteral("a.xlsx"));
        QCOMPARE(write(QStringLiteral("b.xlsx")), first);
        // No member takes the clock's time: each is dated 1 January 1980.
        QVERIFY(first.size() > 22);
        const auto u16 = [&first](qsizetype at) { return qFromLittleEndian<quint16>(first.constData() + at); };
        const auto u32 = [&first](qsizetype at) { return qFromLittleEndian<quint32>(first.constData() + at); };
        const qsizetype end = first.size() - 22; // the archive has no comment
        QCOMPARE(u32(end), quint32(0x06054b50));
        const int members = u16(end + 10);
        QVERIFY(members > 0);
        qsizetype at = u32(end + 16);
        for (int i = 0; i < members; ++i) {
            QCOMPARE(u32(at), quint32(0x02014b50));
            QCOMPARE(u16(at + 12), quint16(0));                       // 00:00:00
            QCOMPARE(u16(at + 14), quint16((0 << 9) | (1 << 5) | 1)); // 1980-01-01
            at += 46 + u16(at + 28) + u16(at + 30) + u16(at + 32);
        }
    }

    void xlsLimitsRefusedBeforeWriting_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("named");
        QTest::newRow("row 65537") << 65537 << 1 << "65536";
        QTest::newRow("column 257") << 1 << 257 << "256";
    }
    void xlsLimitsRefusedBeforeWriting()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, named);
        const QString file = path(QStringLiteral("limits.xls"));
        QFile::remove(file);
        Workbook *book = m_app->Workbooks().Add(xlWBATWorksheet).value();
        QVERIFY(book->ActiveSheet()->Cells().Set(65536, 256, 1).ok()); // the last cell fits
        QVERIFY(book->SaveAs(file).ok());
        const QByteArray before = readFile(file);
        QVERIFY(book->ActiveSheet()->Cells().Set(row, column, 1).ok());
        auto refused = book->Save();
        QVERIFY(!refused.ok());
        QVERIFY2(refused.errorString().contains(named), qPrintable(refused.errorString()));
        QCOMPARE(readFile(file), before);
        QVERIFY(book->SaveAs(path(QStringLiteral("limits-ok.xlsx"))).ok()); // .xlsx holds it
    }

    void existingXlsIsNeverRewrittenLossily()
    {
        const QString file = path(QStringLiteral("kept.xls"));
        Workbook *book = m_app->Workbooks().Add(xlWBATWorksheet).value();
        QVERIFY(book->ActiveSheet()->Cells().Set(1, 1, QStringLiteral("keep")).ok());
        QVERIFY(book->SaveAs(file).ok());
        const QByteArray before = readFile(file);
        Workbook *opened = m_app->Workbooks().Open(file).value();
        QVERIFY(opened->Save().ok()); // unchanged: written back as it was
        QCOMPARE(readFile(file), before);
        // A file this back end wrote holds nothing it cannot write again: changes are saved.
        Worksheet *added = opened->Worksheets().Add().value();
        QVERIFY(added->Cells().Set(2, 2, QStringLiteral("added")).ok());
        QVERIFY(opened->Save().ok());
        Workbook *again = m_app->Workbooks().Open(file).value();
        QCOMPARE(again->Worksheets().Count(), 2);
        QCOMPARE(again->Worksheets().Item(1).value()->Cells().Text(1, 1), QStringLiteral("keep"));
        QCOMPARE(again->Worksheets().Item(2).value()->Cells().Text(2, 2), QStringLiteral("added"));
    }

    void otherSheetsOfAnXlsxStayAsTheyWere()
    {
        const QString file = path(QStringLiteral("three.xlsx"));
        {
            Workbook *book = m_app->Workbooks().Add(xlWBATWorksheet).value();
            QVERIFY(book->ActiveSheet()->Cells().Set(1, 1, QStringLiteral("first")).ok());
            Worksheet *second = book->Worksheets().Add().value();
            QVERIFY(second->Cells().Set(2, 2, QStringLiteral("'=second")).ok());
            QVERIFY(book->SaveAs(file).ok());
        }
        const QByteArray original = readFile(file);
        Workbook *book = m_app->Workbooks().Open(file).value();
        Worksheet *target = book->Worksheets().Item(QStringLiteral("Sheet2")).value();
        target->Cells().Clear();
        QVERIFY(target->Cells().SetHorizontalAlignment(xlLeft).ok());
        QVERIFY(target->Cells().Set(1, 1, QStringLiteral("replaced")).ok());
        Worksheet *added = book->Worksheets().Add().value();
        QVERIFY(added->SetName(QStringLiteral("Added")).ok());
        QVERIFY(added->Cells().Set(1, 1, QStringLiteral("new & <sheet>")).ok());
        QVERIFY(book->Save().ok());

        auto before = backend::ZipReader::open(original);
        const QByteArray updated = readFile(file);
        auto after = backend::ZipReader::open(updated);
        QVERIFY(before.ok() && after.ok());
        for (const char *kept : {"xl/worksheets/sheet1.xml", "xl/sharedStrings.xml", "_rels/.rels"})
            QCOMPARE(after->readAll(QLatin1String(kept)).value(), before->readAll(QLatin1String(kept)).value());
        QVERIFY(after->readAll(QStringLiteral("xl/worksheets/sheet2.xml")).value() != before->readAll(QStringLiteral("xl/worksheets/sheet2.xml")).value());

        Workbook *reread = m_app->Workbooks().Open(file).value();
        QCOMPARE(reread->Worksheets().Count(), 3);
        QCOMPARE(reread->Worksheets().Item(1).value()->Cells().Text(1, 1), QStringLiteral("first"));
        Worksheet *second = reread->Worksheets().Item(2).value();
        QCOMPARE(second->Cells().Text(1, 1), QStringLiteral("replaced"));
        QVERIFY(second->Cells().Value(2, 2).isEmpty());
        QVERIFY(reread->formats().at(second->defaultXf()).alignLeft);
        QCOMPARE(reread->Worksheets().Item(3).value()->Name(), QStringLiteral("Added"));
        QCOMPARE(reread->Worksheets().Item(3).value()->Cells().Text(1, 1), QStringLiteral("new & <sheet>"));

        // A second save of the same workbook builds on the first.
        QVERIFY(added->Cells().Set(2, 1, QStringLiteral("again")).ok());
        QVERIFY(book->Save().ok());
        Workbook *third = m_app->Workbooks().Open(file).value();
        QCOMPARE(third->Worksheets().Count(), 3);
        QCOMPARE(third->Worksheets().Item(3).value()->Cells().Text(2, 1), QStringLiteral("again"));
    }

    void escapesOfTheFormat_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("xml");
        QTest::newRow("plain") << "abc" << QByteArray("abc");
        QTest::newRow("markup") << "<&>" << QByteArray("&lt;&amp;&gt;");
        QTest::newRow("carriage return as a reference") << "a\r\nb" << QByteArray("a&#13;\nb");
        QTest::newRow("control character the format escapes") << "a\x01" "b" << QByteArray("a_x0001_b");
        QTest::newRow("line feed kept") << "a\nb" << QByteArray("a\nb");
        QTest::newRow("escape look-alike") << "_x0041_" << QByteArray("_x005F_x0041_");
        QTest::newRow("not hex") << "_xGGGG_" << QByteArray("_xGGGG_");
    }
    void escapesOfTheFormat()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, xml);
        QByteArray out;
        backend::appendEscapedText(out, text);
        QCOMPARE(out, xml);
    }
};

QTEST_GUILESS_MAIN(ExcelFilesTest)
#include "excel_files_test.moc"
