#include "platform/excel/Application.h"
#include "platform/excel/model/Constants.h"

#include "tests/testlib/PeerPrograms.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QtTest>

using namespace excel;

// Workbooks that other programs wrote take a new sheet, or a replaced one,
// and keep every other part exactly as it was. A missing peer is skipped
// with a notice.
class ExcelPeerBooksTest : public QObject {
    Q_OBJECT

private:
    TestEnvironment m_env;
    QTemporaryDir m_dir;
    std::unique_ptr<Application> m_app;
    QString m_openpyxlBook;
    // .xls files updated here, each beside its copy from before, with the sheet that changed.
    struct Updated {
        QString after, before, changedSheet;
    };
    QList<Updated> m_updatedXls;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Several sheets with enough data that the parts rewritten by an export
    // lie in the second half of the archive, as in most files of these peers.
    static QString openpyxlScript()
    {
        return QStringLiteral(
            "import sys, openpyxl\n"
            "from openpyxl.styles import Font\n"
            "wb = openpyxl.Workbook(); ws = wb.active; ws.title = 'Budget'\n"
            "for r in range(1, 1500):\n"
            "    ws.cell(r, 1, 'item %d' % r); ws.cell(r, 2, r * 1.5); ws.cell(r, 3, '=B%d*2' % r)\n"
            "ws['A1'].font = Font(bold=True); ws['B2'].number_format = '0.00%'; ws.merge_cells('E1:F2')\n"
            "s = wb.create_sheet('Strings')\n"
            "for r in range(1, 300):\n"
            "    s.cell(r, 1, 100 + r); s.cell(r, 2, 'text %d' % r)\n"
            "wb.create_sheet('Notes')['A1'] = 'keep me'\n"
            "wb.save(sys.argv[1])\n");
    }

    // Fails the test unless every member of `before` but `changed` is in
    // `after` with the same stored bytes, CRC and sizes.
    static void verifyOtherPartsKept(const QString &after, const QString &before, const QStringList &changed)
    {
        const peers::Run r = peers::python(QStringLiteral(
            "import sys, zipfile, struct\n"
            "def raw(path, info):\n"
            "    with open(path, 'rb') as f:\n"
            "        f.seek(info.header_offset); h = f.read(30)\n"
            "        n, m = struct.unpack('<HH', h[26:30]); f.seek(info.header_offset + 30 + n + m)\n"
            "        return f.read(info.compress_size)\n"
            "a, b = zipfile.ZipFile(sys.argv[1]), zipfile.ZipFile(sys.argv[2])\n"
            "changed = set(sys.argv[3:]); kept = 0\n"
            "for i in b.infolist():\n"
            "    if i.filename in changed: continue\n"
            "    j = a.getinfo(i.filename)\n"
            "    assert (j.CRC, j.compress_size, j.file_size, j.compress_type) == (i.CRC, i.compress_size, i.file_size, i.compress_type), i.filename\n"
            "    assert raw(sys.argv[1], j) == raw(sys.argv[2], i) and a.read(j) == b.read(i), i.filename\n"
            "    kept += 1\n"
            "assert kept >= 3, kept\n"
            "assert a.testzip() is None\n"),
            QStringList{after, before} + changed);
        QVERIFY2(r.exitCode == 0, r.err.constData());
    }


    static QString xlwtScript()
    {
        return QStringLiteral(
            "import sys, xlwt\n"
            "wb = xlwt.Workbook(encoding='utf-8'); ws = wb.add_sheet('Budget')\n"
            "bold = xlwt.easyxf('font: bold on'); pct = xlwt.easyxf(num_format_str='0.00%')\n"
            "for r in range(1500):\n"
            "    ws.write(r, 0, 'item %d' % r); ws.write(r, 1, r * 1.5, pct); ws.write(r, 2, xlwt.Formula('B%d*2' % (r + 1)))\n"
            "ws.write(0, 3, 'bold', bold); ws.write_merge(0, 1, 4, 5, 'merged'); ws.col(0).width = 6000\n"
            "f = xlwt.Font(); f.bold = True; ws.write_rich_text(2, 6, ['plain ', ('bold', f), ' Grüße'])\n"
            "s = wb.add_sheet('Strings')\n"
            "for r in range(300):\n"
            "    s.write(r, 0, 100 + r); s.write(r, 1, 'text %d Grüße' % r)\n"
            "wb.add_sheet('Notes').write(0, 0, 'keep me')\n"
            "wb.save(sys.argv[1])\n");
    }

    // The other sheets as xlrd sees them: values, types, formats, fonts, merged cells, widths.
    static void verifyOtherSheetsByXlrd(const QString &after, const QString &before, const QString &changedSheet)
    {
        const peers::Run r = peers::python(QStringLiteral(
            "import sys, xlrd\n"
            "def dump(path):\n"
            "    b = xlrd.open_workbook(path, formatting_info=True); out = {}\n"
            "    for s in b.sheets():\n"
            "        if s.name == sys.argv[3]: continue\n"
            "        cells = []\n"
            "        for r in range(s.nrows):\n"
            "            for c in range(s.ncols):\n"
            "                xf = b.xf_list[s.cell_xf_index(r, c)]; font = b.font_list[xf.font_index]\n"
            "                cells.append((r, c, s.cell_type(r, c), s.cell_value(r, c), b.format_map[xf.format_key].format_str, font.bold, font.name, xf.alignment.hor_align))\n"
            "        out[s.name] = (cells, sorted(s.merged_cells), sorted((k, v.width) for k, v in s.colinfo_map.items()),\n"
            "                       sorted(s.rich_text_runlist_map.items()))\n"
            "    return out\n"
            "a, b = dump(sys.argv[1]), dump(sys.argv[2])\n"
            "assert sorted(a) == sorted(b), (sorted(a), sorted(b))\n"
            "for name in a: assert a[name] == b[name], name\n"
            "assert sum(len(v[0]) for v in a.values()) > 1000\n"),
            {after, before, changedSheet});
        QVERIFY2(r.exitCode == 0, r.err.constData());
    }

    // Long enough for two CONTINUE records, each ending on an odd number of characters.
    static QString emoji() { return QString(QStringLiteral("\U0001F600")).repeated(16000); }

    static void verifySharedStringLayout(const QString &file)
    {
        const peers::Run r = peers::run(QStringLiteral("/usr/bin/python3"),
                                        {QStringLiteral(QM_SOURCE_DIR "/tests/excel_backend/peers/check_sst.py"), file});
        QVERIFY2(r.exitCode == 0, r.err.constData());
    }

    // An updated book and its copy from before, both converted to .xlsx by a
    // peer: the changed sheet holds what was written, the others what they held.
    static void verifyConvertedAsBefore(const QString &after, const QString &before, const Updated &u)
    {
        const peers::Run r = peers::python(QStringLiteral(
            "import sys, openpyxl\n"
            "def dump(path):\n"
            "    wb = openpyxl.load_workbook(path); out = {}\n"
            "    for ws in wb.worksheets:\n"
            "        if ws.title == sys.argv[3]: continue\n"
            "        out[ws.title] = ([(c.coordinate, c.value, c.number_format, c.font.b, c.alignment.horizontal) for row in ws.iter_rows() for c in row],\n"
            "                         sorted(str(m) for m in ws.merged_cells.ranges))\n"
            "    return out\n"
            "def formulas(book): return any(isinstance(v[1], str) and v[1].startswith('=') for v in book['Budget'][0])\n"
            "a, b = dump(sys.argv[1]), dump(sys.argv[2])\n"
            "assert sorted(a) == sorted(b)\n"
            "for name in a: assert a[name] == b[name], name\n"
            "assert formulas(a) == formulas(b), 'formulas lost'\n"
            "s = openpyxl.load_workbook(sys.argv[1])[sys.argv[3]]\n"
            "assert s['B400'].value == 'Grüße 400 文字' and s['A400'].value == 1400, (s['A400'].value, s['B400'].value)\n"
            "assert s['B402'].value == '\\U0001F600' * 16000 and s['C1'].value == 'again'\n"),
            {after, before, u.changedSheet});
        QVERIFY2(r.exitCode == 0, qPrintable(u.after + QStringLiteral(": ") + QString::fromUtf8(r.err)));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_app = std::move(Application::Create().value());
        if (!peers::pythonHas("openpyxl"))
            return;
        m_openpyxlBook = path(QStringLiteral("openpyxl.xlsx"));
        const peers::Run made = peers::python(openpyxlScript(), {m_openpyxlBook});
        QVERIFY2(made.exitCode == 0, made.err.constData());
    }

    void xlsxOfEveryPeerTakesASheet_data()
    {
        QTest::addColumn<QString>("peer");
        QTest::addColumn<bool>("replace");
        for (const char *peer : {"openpyxl", "LibreOffice", "gnumeric"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1, new sheet").arg(QLatin1String(peer)))) << QString::fromLatin1(peer) << false;
            QTest::newRow(qPrintable(QStringLiteral("%1, replaced sheet").arg(QLatin1String(peer)))) << QString::fromLatin1(peer) << true;
        }
    }
    void xlsxOfEveryPeerTakesASheet()
    {
        QFETCH(QString, peer);
        QFETCH(bool, replace);
        if (m_openpyxlBook.isEmpty())
            QSKIP("python3-openpyxl is not installed: peer skipped");
        const QString tag = peer + (replace ? QStringLiteral("-replaced") : QStringLiteral("-new"));
        QString file = path(tag + QStringLiteral(".xlsx"));
        if (peer == QLatin1String("openpyxl")) {
            QVERIFY(QFile::copy(m_openpyxlBook, file));
        } else if (peer == QLatin1String("LibreOffice")) {
            if (peers::program("soffice").isEmpty())
                QSKIP("LibreOffice (libreoffice-calc-nogui) is not installed: peer skipped");
            QByteArray errors;
            const QString converted = peers::libreOfficeConvert(m_openpyxlBook, QStringLiteral("xlsx"), path(tag), path(QString()), &errors);
            QVERIFY2(!converted.isEmpty(), errors.constData());
            QVERIFY(QFile::rename(converted, file));
        } else {
            const QString ssconvert = peers::program("ssconvert");
            if (ssconvert.isEmpty())
                QSKIP("gnumeric's ssconvert is not installed: peer skipped");
            const peers::Run r = peers::run(ssconvert, {m_openpyxlBook, file});
            QVERIFY2(r.exitCode == 0, r.err.constData());
        }
        const QString before = file + QStringLiteral(".before");
        QVERIFY(QFile::copy(file, before));

        auto opened = m_app->Workbooks().Open(file);
        QVERIFY2(opened.ok(), qPrintable(opened.errorString()));
        Workbook *book = opened.value();
        QStringList changed{QStringLiteral("xl/workbook.xml"), QStringLiteral("xl/_rels/workbook.xml.rels"),
                            QStringLiteral("[Content_Types].xml"), QStringLiteral("xl/styles.xml")};
        Worksheet *sheet = nullptr;
        if (replace) {
            sheet = book->Worksheets().Item(QStringLiteral("Strings")).value();
            QVERIFY(sheet);
            changed << sheet->sourcePart << QStringLiteral("xl/calcChain.xml");
            sheet->Cells().Clear();
        } else {
            sheet = book->Worksheets().Add().value();
            QVERIFY(sheet->SetName(QStringLiteral("Demo")).ok());
        }
        QVERIFY(sheet->Cells().SetHorizontalAlignment(xlLeft).ok());
        for (int r = 1; r <= 200; ++r) {
            QVERIFY(sheet->Cells().Set(r, 1, 1000 + r).ok());
            QVERIFY(sheet->Cells().Set(r, 2, QStringLiteral("Grüße %1 文字").arg(r)).ok());
        }
        const qm::Status saved = book->Save();
        QVERIFY2(saved.ok(), qPrintable(saved.errorString()));
        // A second export into the same book, as the next release would.
        QVERIFY(sheet->Cells().Set(1, 3, QStringLiteral("again")).ok());
        QVERIFY(book->Save().ok());

        verifyOtherPartsKept(file, before, changed);
        Workbook *reread = m_app->Workbooks().Open(file).value();
        QVERIFY(reread);
        QCOMPARE(reread->Worksheets().Count(), replace ? 3 : 4);
        Worksheet *back = reread->Worksheets().Item(replace ? QStringLiteral("Strings") : QStringLiteral("Demo")).value();
        QCOMPARE(back->Cells().Text(200, 2), QStringLiteral("Grüße 200 文字"));
        QCOMPARE(back->Cells().Text(1, 3), QStringLiteral("again"));
        QCOMPARE(reread->Worksheets().Item(QStringLiteral("Notes")).value()->Cells().Text(1, 1), QStringLiteral("keep me"));
        if (peers::pythonHas("openpyxl")) {
            const peers::Run check = peers::python(QStringLiteral(
                "import sys, openpyxl\n"
                "wb = openpyxl.load_workbook(sys.argv[1])\n"
                "s = wb[sys.argv[2]]\n"
                "assert s['A200'].value == 1200 and s['B200'].value == 'Grüße 200 文字', (s['A200'].value, s['B200'].value)\n"
                "assert wb['Budget']['A1'].font.b and wb['Budget']['C5'].value == '=B5*2'\n"),
                {file, replace ? QStringLiteral("Strings") : QStringLiteral("Demo")});
            QVERIFY2(check.exitCode == 0, check.err.constData());
        }
    }

    // A text formula with an empty result is stored as a STRING record of no characters.
    void gnumericXlsWithFormulasIsRead()
    {
        if (!peers::pythonHas("openpyxl"))
            QSKIP("python3-openpyxl is not installed: peer skipped");
        const QString ssconvert = peers::program("ssconvert");
        if (ssconvert.isEmpty())
            QSKIP("gnumeric's ssconvert is not installed: peer skipped");
        const QString source = path(QStringLiteral("formulas.xlsx")), file = path(QStringLiteral("gnumeric-formulas.xls"));
        const peers::Run made = peers::python(QStringLiteral(
            "import sys, openpyxl\n"
            "wb = openpyxl.Workbook(); ws = wb.active; ws.title = 'Calc'\n"
            "ws['A1'] = 2; ws['A2'] = '=A1*3'; ws['A3'] = '=IF(A1>5,\\\"big\\\",\\\"\\\")'; ws['A4'] = '=\\\"x\\\"&\\\"y\\\"'\n"
            "ws['A5'] = '=A1>1'; ws['A6'] = '=1/0'; ws['B3'] = 'after'\n"
            "wb.create_sheet('Second')['A1'] = '=Calc!A2&\\\"\\\"'\n"
            "wb.save(sys.argv[1])\n"),
            {source});
        QVERIFY2(made.exitCode == 0, made.err.constData());
        const peers::Run converted = peers::run(ssconvert, {source, file});
        QVERIFY2(converted.exitCode == 0, converted.err.constData());
        auto opened = m_app->Workbooks().Open(file);
        QVERIFY2(opened.ok(), qPrintable(opened.errorString()));
        const Cells &calc = opened.value()->Worksheets().Item(QStringLiteral("Calc")).value()->Cells();
        QCOMPARE(calc.Value(2, 1).number(), 6.0);
        QVERIFY(calc.Value(3, 1).isText() || calc.Value(3, 1).isEmpty());
        QCOMPARE(calc.Text(3, 1), QString());
        QCOMPARE(calc.Text(3, 2), QStringLiteral("after"));
        QCOMPARE(calc.Text(4, 1), QStringLiteral("xy"));
        QVERIFY(calc.Value(5, 1).toBool());
        QVERIFY(calc.Value(6, 1).isError());
        QCOMPARE(opened.value()->Worksheets().Item(QStringLiteral("Second")).value()->Cells().Text(1, 1), QStringLiteral("6"));
    }

    // openpyxl does not decode the format's _xHHHH_ escape: a carriage return must reach it as XML.
    void openpyxlReadsCarriageReturnsExactly()
    {
        if (!peers::pythonHas("openpyxl"))
            QSKIP("python3-openpyxl is not installed: peer skipped");
        const QStringList texts{QStringLiteral("a\rb"), QStringLiteral("line\r\nbreak"), QStringLiteral("\r\n"),
                                QStringLiteral("tab\there")};
        const QString file = path(QStringLiteral("cr.xlsx"));
        Workbook *book = m_app->Workbooks().Add(xlWBATWorksheet).value();
        for (int i = 0; i < texts.size(); ++i)
            QVERIFY(book->ActiveSheet()->Cells().Set(i + 1, 1, texts[i]).ok());
        QVERIFY(book->SaveAs(file).ok());
        const peers::Run r = peers::python(QStringLiteral(
            "import sys, openpyxl\n"
            "for row in openpyxl.load_workbook(sys.argv[1]).active.iter_rows():\n"
            "    print(row[0].value.encode('utf-8').hex())\n"),
            {file});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QStringList read;
        for (const QByteArray &line : r.out.split('\n'))
            if (!line.isEmpty())
                read << QString::fromUtf8(QByteArray::fromHex(line));
        QCOMPARE(read, texts);
        Workbook *back = m_app->Workbooks().Open(file).value();
        for (int i = 0; i < texts.size(); ++i)
            QCOMPARE(back->ActiveSheet()->Cells().Text(i + 1, 1), texts[i]);
    }

    void xlsOfOtherProgramsTakesASheet_data()
    {
        QTest::addColumn<QString>("peer");
        QTest::addColumn<bool>("replace");
        for (const char *peer : {"xlwt", "LibreOffice", "gnumeric", "SheetJS"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1, new sheet").arg(QLatin1String(peer)))) << QString::fromLatin1(peer) << false;
            QTest::newRow(qPrintable(QStringLiteral("%1, replaced sheet").arg(QLatin1String(peer)))) << QString::fromLatin1(peer) << true;
        }
    }
    void xlsOfOtherProgramsTakesASheet()
    {
        QFETCH(QString, peer);
        QFETCH(bool, replace);
        if (!peers::pythonHas("xlrd"))
            QSKIP("python3-xlrd is not installed: peer skipped");
        const QString tag = QStringLiteral("xls-") + peer + (replace ? QStringLiteral("-replaced") : QStringLiteral("-new"));
        const QString file = path(tag + QStringLiteral(".xls"));
        if (peer == QLatin1String("xlwt")) {
            if (!peers::pythonHas("xlwt"))
                QSKIP("python3-xlwt is not installed: peer skipped");
            const peers::Run made = peers::python(xlwtScript(), {file});
            QVERIFY2(made.exitCode == 0, made.err.constData());
        } else if (peer == QLatin1String("SheetJS")) {
            // Its shared string table is empty: every text is a LABEL record.
            QVERIFY(QFile::copy(QStringLiteral(QM_SOURCE_DIR "/tests/excel_backend/peers/sheetjs.xls"), file));
            QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
        } else if (m_openpyxlBook.isEmpty()) {
            QSKIP("python3-openpyxl is not installed: peer skipped");
        } else if (peer == QLatin1String("LibreOffice")) {
            if (peers::program("soffice").isEmpty())
                QSKIP("LibreOffice (libreoffice-calc-nogui) is not installed: peer skipped");
            QByteArray errors;
            const QString converted = peers::libreOfficeConvert(m_openpyxlBook, QStringLiteral("xls"), path(tag), path(QString()), &errors);
            QVERIFY2(!converted.isEmpty(), errors.constData());
            QVERIFY(QFile::rename(converted, file));
        } else {
            const QString ssconvert = peers::program("ssconvert");
            if (ssconvert.isEmpty())
                QSKIP("gnumeric's ssconvert is not installed: peer skipped");
            const peers::Run r = peers::run(ssconvert, {m_openpyxlBook, file});
            QVERIFY2(r.exitCode == 0, r.err.constData());
        }
        const QString before = path(tag + QStringLiteral("-before.xls"));
        QVERIFY(QFile::copy(file, before));

        auto opened = m_app->Workbooks().Open(file);
        QVERIFY2(opened.ok(), qPrintable(opened.errorString()));
        Workbook *book = opened.value();
        Worksheet *sheet = nullptr;
        if (replace) {
            sheet = book->Worksheets().Item(QStringLiteral("Strings")).value();
            sheet->Cells().Clear();
        } else {
            sheet = book->Worksheets().Add().value();
            QVERIFY(sheet->SetName(QStringLiteral("Demo")).ok());
        }
        QVERIFY(sheet->Cells().SetHorizontalAlignment(xlLeft).ok());
        for (int r = 1; r <= 400; ++r) {
            QVERIFY(sheet->Cells().Set(r, 1, 1000 + r).ok());
            QVERIFY(sheet->Cells().Set(r, 2, QStringLiteral("Grüße %1 文字").arg(r)).ok());
        }
        QVERIFY(sheet->Cells().Set(401, 2, QString(MaxTextLength, u'w')).ok()); // spans CONTINUE records
        QVERIFY(sheet->Cells().Set(402, 2, emoji()).ok()); // pairs that a record's end must not split
        qm::Status saved = book->Save();
        QVERIFY2(saved.ok(), qPrintable(saved.errorString()));
        // The next release goes into the same file.
        QVERIFY(sheet->Cells().Set(1, 3, QStringLiteral("again")).ok());
        saved = book->Save();
        QVERIFY2(saved.ok(), qPrintable(saved.errorString()));

        Workbook *reread = m_app->Workbooks().Open(file).value();
        QVERIFY(reread);
        QCOMPARE(reread->Worksheets().Count(), replace ? 3 : 4);
        const Worksheet *backSheet = reread->Worksheets().Item(replace ? QStringLiteral("Strings") : QStringLiteral("Demo")).value();
        const Cells &back = backSheet->Cells();
        QCOMPARE(back.Text(400, 2), QStringLiteral("Grüße 400 文字"));
        QCOMPARE(back.Text(401, 2), QString(MaxTextLength, u'w'));
        QCOMPARE(back.Text(402, 2), emoji());
        QCOMPARE(back.Text(1, 3), QStringLiteral("again"));
        QVERIFY(backSheet->data().find(2, 2) && reread->formats().at(backSheet->data().find(2, 2)->xf).alignLeft);
        QCOMPARE(reread->Worksheets().Item(QStringLiteral("Notes")).value()->Cells().Text(1, 1), QStringLiteral("keep me"));
        verifyOtherSheetsByXlrd(file, before, replace ? QStringLiteral("Strings") : QStringLiteral("Demo"));
        const peers::Run xlrdReads = peers::python(QStringLiteral(
            "import sys, xlrd\n"
            "s = xlrd.open_workbook(sys.argv[1]).sheet_by_name(sys.argv[2])\n"
            "assert s.cell_value(399, 1) == 'Grüße 400 文字' and s.cell_value(399, 0) == 1400 and len(s.cell_value(400, 1)) == 32767\n"
            "assert s.cell_value(401, 1) == '\\U0001F600' * 16000\n"),
            {file, replace ? QStringLiteral("Strings") : QStringLiteral("Demo")});
        QVERIFY2(xlrdReads.exitCode == 0, xlrdReads.err.constData());
        verifySharedStringLayout(file);
        m_updatedXls << Updated{file, before, replace ? QStringLiteral("Strings") : QStringLiteral("Demo")};
    }

    // LibreOffice sees the new sheet, and the other sheets' values, formulas and formats as before.
    void libreOfficeSeesOtherSheetsAsBefore()
    {
        if (m_updatedXls.isEmpty())
            QSKIP("no .xls file was updated: peers missing");
        if (peers::program("soffice").isEmpty() || !peers::pythonHas("openpyxl"))
            QSKIP("LibreOffice or python3-openpyxl is not installed: peer skipped");
        QStringList files;
        for (const Updated &u : m_updatedXls)
            files << u.after << u.before;
        const QString outDir = path(QStringLiteral("lo-check"));
        QDir().mkpath(outDir);
        const QString profile = QStringLiteral("-env:UserInstallation=file://") + path(QStringLiteral("lo-profile"));
        const peers::Run converted = peers::run(peers::program("soffice"), QStringList{profile, QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                                                QStringLiteral("xlsx"), QStringLiteral("--outdir"), outDir} + files);
        QVERIFY2(converted.exitCode == 0, converted.err.constData());
        for (const Updated &u : m_updatedXls) {
            const auto xlsx = [&](const QString &xls) { return QDir(outDir).filePath(QFileInfo(xls).completeBaseName() + QStringLiteral(".xlsx")); };
            verifyConvertedAsBefore(xlsx(u.after), xlsx(u.before), u);
        }
    }

    // gnumeric reads the same.
    void gnumericSeesOtherSheetsAsBefore()
    {
        if (m_updatedXls.isEmpty())
            QSKIP("no .xls file was updated: peers missing");
        const QString ssconvert = peers::program("ssconvert");
        if (ssconvert.isEmpty() || !peers::pythonHas("openpyxl"))
            QSKIP("gnumeric's ssconvert or python3-openpyxl is not installed: peer skipped");
        for (const Updated &u : m_updatedXls) {
            QStringList converted;
            for (const QString &xls : {u.after, u.before}) {
                converted << xls + QStringLiteral(".gnumeric.xlsx");
                const peers::Run r = peers::run(ssconvert, {xls, converted.last()});
                QVERIFY2(r.exitCode == 0, qPrintable(xls + QStringLiteral(": ") + QString::fromUtf8(r.err)));
            }
            verifyConvertedAsBefore(converted[0], converted[1], u);
        }
    }
};

QTEST_GUILESS_MAIN(ExcelPeerBooksTest)
#include "excel_peer_books_test.moc"
