#include "ExchangeTestSupport.h"

#include "exchange/Exchange.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// Other programs read what the exchange formats write: the resource
// compilers, gettext, the translate toolkit, LibreOffice and python3-odf.
// Each check skips with a notice when its program is not installed.
class ExchangePeersTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    struct Run {
        bool started = false;
        int exitCode = -1;
        QByteArray out, err;
    };
    // However long the peer takes: a hung one is ended by the suite.
    static Run run(const QString &program, const QStringList &args)
    {
        QProcess process;
        process.start(program, args);
        Run r;
        r.started = process.waitForStarted(-1);
        if (r.started)
            process.waitForFinished(-1);
        r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        r.out = process.readAllStandardOutput();
        r.err = process.readAllStandardError();
        return r;
    }

    static QList<Entry> everything()
    {
        const SampleTexts s = sampleTexts();
        return s.common + s.longest + s.controls + s.unpaired;
    }

    void exportTo(const QString &file, const QList<Entry> &entries, exchange::Format format, qint32 target = 0)
    {
        resutil::ResStrings strings;
        fill(strings, entries);
        exchange::Options options;
        options.format = format;
        options.sheetName = QStringLiteral("Strings");
        options.targetLocale = target;
        options.original = QStringLiteral("Strings.res");
        RecordingFeedback feedback;
        const qm::Status exported = exchange::exportFile(strings, file, options, testLanguageName, feedback);
        QVERIFY2(exported.ok(), qPrintable(exported.errorString()));
    }

    QList<Entry> importFrom(const QString &file, exchange::Format format, const QList<Entry> &current = {})
    {
        resutil::ResStrings strings;
        fill(strings, current);
        exchange::Options options;
        options.format = format;
        RecordingFeedback feedback;
        auto imported = exchange::importFile(file, strings, options, feedback);
        [&] { QVERIFY2(imported.ok(), qPrintable(imported.errorString())); }();
        return imported ? nonEmpty(entriesOf(imported.value())) : QList<Entry>();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        LgvStringModule::setCurrentUILanguage(2057);
    }

    void resourceCompilersReadOurScripts_data()
    {
        QTest::addColumn<QString>("compiler");
        QTest::newRow("llvm-rc") << "llvm-rc";
        QTest::newRow("windres") << "x86_64-w64-mingw32-windres";
    }
    void resourceCompilersReadOurScripts()
    {
        QFETCH(QString, compiler);
        const QString program = QStandardPaths::findExecutable(compiler);
        if (program.isEmpty())
            QSKIP(qPrintable(compiler + QStringLiteral(" is not installed (scripts/install-deps.sh --with-tests installs it)")));
        const QString cpp = QStandardPaths::findExecutable(QStringLiteral("cpp"));
        if (compiler.contains(QLatin1String("windres")) && cpp.isEmpty())
            QSKIP("windres needs the C preprocessor cpp, which is not installed");
        const QString script = path(compiler + QStringLiteral(".rc"));
        const QString res = path(compiler + QStringLiteral(".res"));
        exportTo(script, everything(), exchange::Format::Rc);
        const Run r = compiler == QLatin1String("llvm-rc")
            ? run(program, {QStringLiteral("/FO"), res, script})
            : run(program, {QStringLiteral("--preprocessor=") + cpp, QStringLiteral("-J"), QStringLiteral("rc"),
                            QStringLiteral("-O"), QStringLiteral("res"), QStringLiteral("-i"), script, QStringLiteral("-o"), res});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QCOMPARE(sortedEntries(readResFile(res)), sortedEntries(everything()));
    }

    void msgfmtChecksOurPo()
    {
        const QString msgfmt = QStandardPaths::findExecutable(QStringLiteral("msgfmt"));
        if (msgfmt.isEmpty())
            QSKIP("msgfmt is not installed (gettext; scripts/install-deps.sh --with-tests installs it)");
        const SampleTexts s = sampleTexts();
        // msgfmt wants a translation to start and end with a line feed where its source does.
        QList<Entry> entries = s.common + s.longest + s.controls;
        entries.removeIf([](const Entry &e) { return std::get<1>(e) == 23; });
        for (const auto &[source, target] : {std::pair{2057, 1031}, std::pair{1031, 2057}}) {
            const QString po = path(QStringLiteral("check-%1.po").arg(target));
            resutil::ResStrings strings;
            fill(strings, entries);
            exchange::Options options;
            options.format = exchange::Format::Po;
            options.sourceLocale = source;
            options.targetLocale = target;
            RecordingFeedback feedback;
            QVERIFY(exchange::exportFile(strings, po, options, testLanguageName, feedback).ok());
            const Run r = run(msgfmt, {QStringLiteral("--check"), QStringLiteral("-o"), path(QStringLiteral("out.mo")), po});
            QVERIFY2(r.exitCode == 0, r.err.constData());
        }
    }

    // LibreOffice opens our .ods with texts as texts, saves it again, and we read every text back.
    void libreOfficeKeepsTexts()
    {
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty())
            QSKIP("LibreOffice is not installed (libreoffice-calc-nogui; scripts/install-deps.sh --with-tests installs it)");
        QList<Entry> entries = sampleTexts().common;
        // A carriage return is kept in our own attribute, which LibreOffice does not write back;
        // LibreOffice drops a cell's tabs (<text:tab/>) when it saves.
        entries.removeIf([](const Entry &e) { return std::get<2>(e).contains(u'\r') || std::get<2>(e).contains(u'\t'); });
        QDir().mkpath(path(QStringLiteral("lo-out")));
        exportTo(path(QStringLiteral("lo.ods")), entries, exchange::Format::Ods);
        const Run r = run(soffice, {QStringLiteral("-env:UserInstallation=file://") + path(QStringLiteral("lo-profile")),
                                    QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("ods"),
                                    QStringLiteral("--outdir"), path(QStringLiteral("lo-out")), path(QStringLiteral("lo.ods"))});
        QVERIFY2(r.exitCode == 0 && QFile::exists(path(QStringLiteral("lo-out/lo.ods"))), r.err.constData());
        QCOMPARE(sortedEntries(importFrom(path(QStringLiteral("lo-out/lo.ods")), exchange::Format::Ods)),
                 sortedEntries(entries));
    }

    void pythonOdfReadsOurOds()
    {
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"), {QStringLiteral("/usr/bin")});
        if (python.isEmpty() || run(python, {QStringLiteral("-c"), QStringLiteral("import odf")}).exitCode != 0)
            QSKIP("python3-odf is not installed (scripts/install-deps.sh --with-tests installs it)");
        exportTo(path(QStringLiteral("py.ods")), {{2057, 1, "007"}, {2057, 2, "=x"}, {2057, 3, "TRUE"}, {2057, 4, "a  b\tc"},
                                                  {1031, 1, "1/2"}},
                 exchange::Format::Ods);
        const char *script =
            "import sys\n"
            "from odf.opendocument import load\n"
            "from odf.table import Table, TableRow, TableCell\n"
            "from odf import teletype\n"
            "doc = load(sys.argv[1])\n"
            "for row in doc.spreadsheet.getElementsByType(Table)[0].getElementsByType(TableRow):\n"
            "    cells = []\n"
            "    for cell in row.getElementsByType(TableCell):\n"
            "        n = int(cell.getAttribute('numbercolumnsrepeated') or 1)\n"
            "        t = cell.getAttribute('valuetype') or ''\n"
            "        cells += [t + ':' + teletype.extractText(cell)] * n\n"
            "    print('|'.join(cells))\n";
        const Run r = run(python, {QStringLiteral("-c"), QString::fromUtf8(script), path(QStringLiteral("py.ods"))});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QCOMPARE(QString::fromUtf8(r.out).split(u'\n').mid(0, 6),
                 (QStringList{":|string:Lang2057|string:Lang1031", ":|float:2057|float:1031",
                              "float:1|string:007|string:1/2", "float:2|string:=x", "float:3|string:TRUE",
                              "float:4|string:a  b\tc"}));
    }
};

QTEST_MAIN(ExchangePeersTest)
#include "exchange_peers_test.moc"
