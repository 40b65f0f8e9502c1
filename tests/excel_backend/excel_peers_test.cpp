#include "platform/excel/Application.h"
#include "platform/excel/model/Constants.h"

#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QtTest>

using namespace excel;

// Workbooks we write must open in other programs, and theirs must read here.
// A peer that is not installed is skipped with a notice.
class ExcelPeersTest : public QObject {
    Q_OBJECT

private:
    TestEnvironment m_env;
    QTemporaryDir m_dir;
    std::unique_ptr<Application> m_app;

    static QStringList texts()
    {
        return {QStringLiteral("Grüße"), QStringLiteral("文字列の編集"), QStringLiteral("مرحبا"), QStringLiteral("שלום"),
                QStringLiteral("สวัสดี"), QStringLiteral("नमस्ते"), QStringLiteral("😀 𝄞"), QStringLiteral("=SUM(A1:A3)"),
                QStringLiteral("'quoted"), QStringLiteral("007"), QStringLiteral("1/2"), QStringLiteral("1e5"),
                QStringLiteral("TRUE"), QStringLiteral("line one\nline two"), QStringLiteral("_x0041_"),
                QStringLiteral("<&>\""), QString(MaxTextLength, u'w')};
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    struct Run {
        int exitCode = -1;
        QByteArray out, err;
    };
    // However long the peer takes: a hung one is ended by the suite.
    static Run run(const QString &program, const QStringList &args)
    {
        QProcess p;
        p.start(program, args);
        Run r;
        if (!p.waitForStarted(-1) || !p.waitForFinished(-1))
            return r;
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }
    static bool pythonHas(const char *module)
    {
        return run(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral("import %1").arg(QLatin1String(module))}).exitCode == 0;
    }
    static Run python(const QString &script, const QStringList &args)
    {
        return run(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), script} + args);
    }

    // Sheet "Strings": A1 empty, B2 2057, then per row an ID and one text.
    QString writeOurs(const QString &name)
    {
        Workbook *book = m_app->Workbooks().Add(xlWBATWorksheet).value();
        Worksheet *sheet = book->ActiveSheet();
        (void)sheet->SetName(QStringLiteral("Strings"));
        (void)sheet->Cells().SetHorizontalAlignment(xlLeft);
        (void)sheet->Cells().Set(1, 2, QStringLiteral("English"));
        (void)sheet->Cells().Set(2, 2, 2057);
        const QStringList all = texts();
        for (int i = 0; i < all.size(); ++i) {
            (void)sheet->Cells().Set(i + 3, 1, 100 + i);
            const QString &t = all[i];
            (void)sheet->Cells().Set(i + 3, 2, t.startsWith(u'\'') || t.startsWith(u'=') ? u'\'' + t : t);
        }
        auto saved = book->SaveAs(path(name));
        if (!saved)
            qWarning() << saved.errorString();
        return path(name);
    }

    // Gnumeric does not implement the format's _xHHHH_ escape, neither reading nor writing.
    void verifyOurTable(const QString &file, bool peerKnowsEscapes = true)
    {
        auto opened = m_app->Workbooks().Open(file);
        QVERIFY2(opened.ok(), qPrintable(opened.errorString()));
        Worksheet *sheet = opened.value()->Worksheets().Item(QStringLiteral("Strings")).value();
        const Range used = sheet->UsedRange();
        const QStringList all = texts();
        QCOMPARE(used.RowsCount(), all.size() + 2);
        QCOMPARE(used.Value(2, 2).number(), 2057.0);
        for (int i = 0; i < all.size(); ++i) {
            QCOMPARE(used.Value(i + 3, 1).number(), double(100 + i));
            if (!peerKnowsEscapes && all[i].contains(QLatin1String("_x")))
                continue;
            QCOMPARE(used.Text(i + 3, 2), all[i]);
        }
    }

    static QStringList decodeLines(const QByteArray &out)
    {
        QStringList lines;
        for (const QByteArray &l : out.split('\n'))
            if (!l.isEmpty())
                lines << QString::fromUtf8(QByteArray::fromHex(l));
        return lines;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_app = std::move(Application::Create().value());
    }

    void openpyxlReadsOurXlsx()
    {
        if (!pythonHas("openpyxl"))
            QSKIP("python3-openpyxl is not installed: peer skipped");
        const QString file = writeOurs(QStringLiteral("ours.xlsx"));
        // Each text as hex UTF-8, then its quote prefix and the ID's type.
        const Run r = python(QStringLiteral(
            "import sys, openpyxl\n"
            "ws = openpyxl.load_workbook(sys.argv[1])['Strings']\n"
            "assert ws['B2'].value == 2057, ws['B2'].value\n"
            "for row in ws.iter_rows(min_row=3):\n"
            "    a, b = row[0], row[1]\n"
            "    assert isinstance(a.value, int) and isinstance(b.value, str), (a.value, b.value)\n"
            "    print((b.value + ('|prefix' if b.quotePrefix else '') + ('|left' if b.alignment.horizontal == 'left' else '')).encode('utf-8').hex())\n"),
            {file});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        const QStringList lines = decodeLines(r.out);
        const QStringList all = texts();
        QCOMPARE(lines.size(), all.size());
        for (int i = 0; i < all.size(); ++i) {
            const bool prefixed = all[i].startsWith(u'\'') || all[i].startsWith(u'=');
            QCOMPARE(lines[i], all[i] + (prefixed ? QStringLiteral("|prefix") : QString()) + QStringLiteral("|left"));
        }
    }

    void openpyxlWorkbookKeepsItsOtherSheet()
    {
        if (!pythonHas("openpyxl"))
            QSKIP("python3-openpyxl is not installed: peer skipped");
        const QString file = path(QStringLiteral("theirs.xlsx"));
        const Run made = python(QStringLiteral(
            "import sys, openpyxl\n"
            "from openpyxl.styles import Font\n"
            "wb = openpyxl.Workbook(); ws = wb.active; ws.title = 'Other'\n"
            "ws['A1'] = 3; ws['A2'] = '=A1*2'; ws['B1'] = 'bold'; ws['B1'].font = Font(bold=True)\n"
            "ws['C1'] = 0.5; ws['C1'].number_format = '0.00%'; ws.merge_cells('D1:E2'); ws.column_dimensions['B'].width = 40\n"
            "s = wb.create_sheet('Strings'); s['A1'] = 'old'; s['B7'] = 12\n"
            "s['A2'] = 'line\\r\\nbreak _x0041_'\n"
            "wb.save(sys.argv[1])\n"),
            {file});
        QVERIFY2(made.exitCode == 0, made.err.constData());

        Workbook *book = m_app->Workbooks().Open(file).value();
        QVERIFY(book);
        QCOMPARE(book->Worksheets().Item(1).value()->Cells().Text(1, 3), QStringLiteral("50.00%"));
        Worksheet *strings = book->Worksheets().Item(QStringLiteral("Strings")).value();
        // openpyxl writes _x0041_ without escaping it, so Excel, and we, read an "A".
        QCOMPARE(strings->Cells().Text(2, 1), QStringLiteral("line\r\nbreak A"));
        strings->Cells().Clear();
        QVERIFY(strings->Cells().SetHorizontalAlignment(xlLeft).ok());
        QVERIFY(strings->Cells().Set(1, 1, QStringLiteral("'=new")).ok());
        Worksheet *added = book->Worksheets().Add().value();
        QVERIFY(added->SetName(QStringLiteral("Added")).ok());
        QVERIFY(added->Cells().Set(1, 1, 1).ok());
        QVERIFY(QFile::copy(file, path(QStringLiteral("theirs-before.xlsx"))));
        QVERIFY(book->Save().ok());

        const Run check = python(QStringLiteral(
            "import sys, zipfile, openpyxl\n"
            "before, after = zipfile.ZipFile(sys.argv[2]), zipfile.ZipFile(sys.argv[1])\n"
            "changed = {'xl/worksheets/sheet2.xml', 'xl/workbook.xml', 'xl/_rels/workbook.xml.rels', '[Content_Types].xml', 'xl/styles.xml'}\n"
            "for i in before.infolist():\n"
            "    if i.filename not in changed:\n"
            "        j = after.getinfo(i.filename)\n"
            "        assert after.read(i.filename) == before.read(i.filename) and (j.CRC, j.compress_size) == (i.CRC, i.compress_size), i.filename\n"
            "wb = openpyxl.load_workbook(sys.argv[1])\n"
            "assert wb.sheetnames == ['Other', 'Strings', 'Added'], wb.sheetnames\n"
            "o = wb['Other']\n"
            "assert o['A2'].value == '=A1*2' and o['B1'].font.b and o['C1'].number_format == '0.00%', 'other sheet changed'\n"
            "assert 'D1:E2' in [str(r) for r in o.merged_cells.ranges] and o.column_dimensions['B'].width == 40\n"
            "s = wb['Strings']\n"
            "assert s['A1'].value == '=new' and s['A1'].data_type == 's' and s['A1'].quotePrefix, s['A1'].value\n"
            "assert s.max_row == 1 and s['B7'].value is None\n"
            "assert wb['Added']['A1'].value == 1\n"),
            {file, path(QStringLiteral("theirs-before.xlsx"))});
        QVERIFY2(check.exitCode == 0, check.err.constData());
    }

    void xlrdReadsOurXls()
    {
        if (!pythonHas("xlrd"))
            QSKIP("python3-xlrd is not installed: peer skipped");
        const QString file = writeOurs(QStringLiteral("ours.xls"));
        const Run r = python(QStringLiteral(
            "import sys, xlrd\n"
            "wb = xlrd.open_workbook(sys.argv[1], formatting_info=True); ws = wb.sheet_by_name('Strings')\n"
            "assert ws.cell_value(1, 1) == 2057 and ws.cell_type(1, 1) == xlrd.XL_CELL_NUMBER\n"
            "for r in range(2, ws.nrows):\n"
            "    assert ws.cell_type(r, 0) == xlrd.XL_CELL_NUMBER and ws.cell_type(r, 1) == xlrd.XL_CELL_TEXT\n"
            "    xf = wb.xf_list[ws.cell_xf_index(r, 1)]\n"
            "    print((ws.cell_value(r, 1) + ('|left' if xf.alignment.hor_align == 1 else '')).encode('utf-8').hex())\n"),
            {file});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        const QStringList lines = decodeLines(r.out);
        QCOMPARE(lines.size(), texts().size());
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(lines[i], texts()[i] + QStringLiteral("|left"));
        const Run layout = run(QStringLiteral("/usr/bin/python3"),
                               {QStringLiteral(QM_SOURCE_DIR "/tests/excel_backend/peers/check_sst.py"), file});
        QVERIFY2(layout.exitCode == 0, layout.err.constData());
    }

    void weReadXlwtXls()
    {
        if (!pythonHas("xlwt"))
            QSKIP("python3-xlwt is not installed: peer skipped");
        const QString file = path(QStringLiteral("xlwt.xls"));
        QStringList hex;
        for (const QString &t : texts())
            hex << QString::fromLatin1(t.toUtf8().toHex());
        const Run r = python(QStringLiteral(
            "import sys, xlwt\n"
            "wb = xlwt.Workbook(encoding='utf-8'); first = wb.add_sheet('First'); first.write(0, 0, 'x')\n"
            "ws = wb.add_sheet('Strings'); ws.write(0, 1, 'English'); ws.write(1, 1, 2057)\n"
            "pct = xlwt.easyxf(num_format_str='0.0%'); first.write(1, 0, 0.25, pct)\n"
            "for i, h in enumerate(sys.argv[2:]):\n"
            "    ws.write(i + 2, 0, 100 + i); ws.write(i + 2, 1, bytes.fromhex(h).decode('utf-8'))\n"
            "wb.save(sys.argv[1])\n"),
            QStringList{file} + hex);
        QVERIFY2(r.exitCode == 0, r.err.constData());
        verifyOurTable(file);
        Workbook *book = m_app->Workbooks().Open(file).value();
        QCOMPARE(book->Worksheets().Item(1).value()->Cells().Text(2, 1), QStringLiteral("25.0%"));
        // Another program's .xls takes the changed sheet; the others stay.
        QVERIFY(book->Worksheets().Item(2).value()->Cells().Set(1, 1, QStringLiteral("changed")).ok());
        const qm::Status saved = book->Save();
        QVERIFY2(saved.ok(), qPrintable(saved.errorString()));
        Workbook *reread = m_app->Workbooks().Open(file).value();
        QCOMPARE(reread->Worksheets().Item(2).value()->Cells().Text(1, 1), QStringLiteral("changed"));
        QCOMPARE(reread->Worksheets().Item(1).value()->Cells().Text(2, 1), QStringLiteral("25.0%"));
    }

    void libreOfficeConvertsBothWays()
    {
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty())
            QSKIP("LibreOffice (libreoffice-calc-nogui) is not installed: peer skipped");
        const QString xlsx = writeOurs(QStringLiteral("lo-in.xlsx"));
        const QString xls = writeOurs(QStringLiteral("lo-in.xls"));
        const QString profile = QStringLiteral("-env:UserInstallation=file://") + path(QStringLiteral("lo-profile"));
        QDir().mkpath(path(QStringLiteral("lo-a")));
        QDir().mkpath(path(QStringLiteral("lo-b")));
        // LibreOffice starts slowly: one conversion per target format.
        const Run a = run(soffice, {profile, QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("xls"),
                                    QStringLiteral("--outdir"), path(QStringLiteral("lo-a")), xlsx});
        const Run b = run(soffice, {profile, QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("xlsx"),
                                    QStringLiteral("--outdir"), path(QStringLiteral("lo-b")), xls});
        QVERIFY2(a.exitCode == 0 && b.exitCode == 0, (a.err + b.err).constData());
        verifyOurTable(path(QStringLiteral("lo-a/lo-in.xls")));
        verifyOurTable(path(QStringLiteral("lo-b/lo-in.xlsx")));
    }

    void gnumericConvertsBothWays()
    {
        const QString ssconvert = QStandardPaths::findExecutable(QStringLiteral("ssconvert"));
        if (ssconvert.isEmpty())
            QSKIP("gnumeric's ssconvert is not installed: peer skipped");
        const QString xlsx = writeOurs(QStringLiteral("gn-in.xlsx"));
        const QString xls = writeOurs(QStringLiteral("gn-in.xls"));
        const Run a = run(ssconvert, {xlsx, path(QStringLiteral("gn-out.xls"))});
        const Run b = run(ssconvert, {xls, path(QStringLiteral("gn-out.xlsx"))});
        QVERIFY2(a.exitCode == 0 && b.exitCode == 0, (a.err + b.err).constData());
        verifyOurTable(path(QStringLiteral("gn-out.xls")), false);
        verifyOurTable(path(QStringLiteral("gn-out.xlsx")), false);
    }
};

QTEST_GUILESS_MAIN(ExcelPeersTest)
#include "excel_peers_test.moc"
