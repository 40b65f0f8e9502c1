#include "ExchangeTestSupport.h"

#include "exchange/Exchange.h"
#include "platform/resutil/ResResource.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// An export into an existing resource script replaces its string tables and
// leaves every other line as it was; the resource compilers still build it.
class RcUpdateTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    static QList<Entry> strings()
    {
        return {{2057, 1, "One"}, {2057, 2, "Two \"q\""}, {1031, 2, "Zwei"}, {1031, 1, "Eins"},
                {1041, 1, QStringLiteral("\u4e00")}};
    }

    static qm::Status exportTo(const QString &file, const QList<Entry> &entries)
    {
        resutil::ResStrings table;
        fill(table, entries);
        exchange::Options options;
        options.format = exchange::Format::Rc;
        options.original = QStringLiteral("Demo.res");
        RecordingFeedback feedback;
        return exchange::exportFile(table, file, options, testLanguageName, feedback);
    }

    // English and German tables to replace, a second German table and a
    // French one to drop, and around them what must stay: an include, an
    // icon, version information, a dialog, comments and odd layouts.
    static QByteArray script()
    {
        return "// Demo resources\n"
               "#include \"keep.h\"\n"
               "\n"
               "LANGUAGE 0x09, 0x02\n"
               "IDI_APP ICON \"app.ico\"\n"
               "\n"
               "1 VERSIONINFO\n"
               "FILEVERSION 1,2,3,4\n"
               "BEGIN\n"
               "  BLOCK \"StringFileInfo\"\n"
               "  BEGIN\n"
               "    BLOCK \"080904b0\"\n"
               "    BEGIN\n"
               "      VALUE \"FileDescription\", \"STRINGTABLE END\\0\"\n"
               "    END\n"
               "  END\n"
               "END\n"
               "\n"
               "STRINGTABLE DISCARDABLE\n"
               "BEGIN\n"
               "  IDS_OLD \"old English\"\n"
               "  IDS_MORE, \"END of it\" L\" and more\"\n"
               "END\n"
               "\n"
               "LANGUAGE 0x07, 0x01\n"
               "STRINGTABLE { 1, \"alt\" }\n"
               "  STRINGTABLE\n"
               "  BEGIN\n"
               "    2 \"zweite alt\" /* END */\n"
               "  END  // second German table\n"
               "\n"
               "STRINGTABLE\n"
               "LANGUAGE 0x0c, 0x01\n"
               "BEGIN\n"
               "  1 \"vieux\"\n"
               "END\n"
               "IDD_MAIN DIALOGEX 0, 0, 100, 50\n"
               "CAPTION \"Main\"\n"
               "BEGIN\n"
               "  PUSHBUTTON \"OK\", 1, 2, 3, 40, 14\n"
               "END";
    }

    static QByteArray updated()
    {
        return "// Demo resources\n"
               "#include \"keep.h\"\n"
               "\n"
               "LANGUAGE 0x09, 0x02\n"
               "IDI_APP ICON \"app.ico\"\n"
               "\n"
               "1 VERSIONINFO\n"
               "FILEVERSION 1,2,3,4\n"
               "BEGIN\n"
               "  BLOCK \"StringFileInfo\"\n"
               "  BEGIN\n"
               "    BLOCK \"080904b0\"\n"
               "    BEGIN\n"
               "      VALUE \"FileDescription\", \"STRINGTABLE END\\0\"\n"
               "    END\n"
               "  END\n"
               "END\n"
               "\n"
               "STRINGTABLE DISCARDABLE\n"
               "BEGIN\n"
               "    1, L\"One\"\n"
               "    2, L\"Two \"\"q\"\"\"\n"
               "END\n"
               "\n"
               "LANGUAGE 0x07, 0x01\n"
               "STRINGTABLE BEGIN\n"
               "    1, L\"Eins\"\n"
               "    2, L\"Zwei\"\n"
               "END\n"
               "  // second German table\n"
               "\n"
               "\n"
               "STRINGTABLE\n"
               "LANGUAGE 0x11, 0x01\n"
               "BEGIN\n"
               "    1, L\"\\x4e00\"\n"
               "END\n"
               "IDD_MAIN DIALOGEX 0, 0, 100, 50\n"
               "CAPTION \"Main\"\n"
               "BEGIN\n"
               "  PUSHBUTTON \"OK\", 1, 2, 3, 40, 14\n"
               "END";
    }

    // A 1x1 icon of 32 bits per pixel.
    static QByteArray icon()
    {
        QByteArray ico("\0\0\1\0\1\0", 6);
        ico += QByteArray("\1\1\0\0\1\0\x20\0", 8) + QByteArray("\x30\0\0\0\x16\0\0\0", 8);
        ico += QByteArray("\x28\0\0\0\1\0\0\0\2\0\0\0\1\0\x20\0", 16) + QByteArray(24, '\0');
        ico += QByteArray(8, '\0');
        return ico;
    }

    struct Run {
        int exitCode = -1;
        QByteArray err;
    };
    Run compile(const QString &program, const QStringList &args)
    {
        QProcess process;
        process.setWorkingDirectory(m_dir.path());
        process.start(program, args);
        if (!process.waitForFinished(120000))
            process.kill();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardError()};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        LgvStringModule::setCurrentUILanguage(2057);
    }

    // Each language takes its first table's place, keeping its options;
    // a new one follows the last table; nothing else moves. Exporting the
    // same strings again changes nothing, with LF or CR LF line ends.
    void onlyStringTablesChange_data()
    {
        QTest::addColumn<QByteArray>("newline");
        QTest::newRow("lf") << QByteArray("\n");
        QTest::newRow("crlf") << QByteArray("\r\n");
        QTest::newRow("bom") << QByteArray("\n");
    }
    void onlyStringTablesChange()
    {
        QFETCH(QByteArray, newline);
        const QByteArray bom = QByteArray(QTest::currentDataTag()) == "bom" ? QByteArray("\xEF\xBB\xBF") : QByteArray();
        const QString file = path(QStringLiteral("update.rc"));
        writeFile(file, bom + QByteArray(script()).replace("\n", newline));
        const qm::Status exported = exportTo(file, strings());
        QVERIFY2(exported.ok(), qPrintable(exported.errorString()));
        QCOMPARE(readFile(file), bom + QByteArray(updated()).replace("\n", newline));
        QVERIFY(exportTo(file, strings()).ok());
        QCOMPARE(readFile(file), bom + QByteArray(updated()).replace("\n", newline));

        resutil::ResStrings none;
        exchange::Options options;
        options.format = exchange::Format::Rc;
        RecordingFeedback feedback;
        auto imported = exchange::importFile(file, none, options, feedback);
        QVERIFY2(imported.ok(), qPrintable(imported.errorString()));
        QCOMPARE(sortedEntries(entriesOf(imported.value())), sortedEntries(strings()));
    }

    // Our own script, a script without tables and an empty file.
    void scriptsWithFewTables_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("no table") << QByteArray("IDI_APP ICON \"app.ico\"")
                                  << QByteArray("IDI_APP ICON \"app.ico\"\n\nSTRINGTABLE\nLANGUAGE 0x09, 0x02\nBEGIN\n"
                                                "    1, L\"One\"\nEND\n");
        QTest::newRow("empty") << QByteArray() << QByteArray("STRINGTABLE\nLANGUAGE 0x09, 0x02\nBEGIN\n    1, L\"One\"\nEND\n");
        QTest::newRow("last in a condition")
            << QByteArray("#ifdef EN\nSTRINGTABLE\nBEGIN\n 1 \"x\"\nEND\n#endif\n")
            << QByteArray("#ifdef EN\nSTRINGTABLE\nBEGIN\n    1, L\"One\"\nEND\n#endif\n\nSTRINGTABLE\nLANGUAGE 0x07, 0x01\n"
                          "BEGIN\n    1, L\"Eins\"\nEND\n");
    }
    void scriptsWithFewTables()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        const QString file = path(QStringLiteral("few.rc"));
        writeFile(file, before);
        const QList<Entry> entries = QByteArray(QTest::currentDataTag()) == "last in a condition"
                                         ? QList<Entry>{{1033, 1, "One"}, {1031, 1, "Eins"}}
                                         : QList<Entry>{{2057, 1, "One"}};
        QVERIFY(exportTo(file, entries).ok());
        QCOMPARE(readFile(file), after);
    }

    void ourOwnScriptIsStable()
    {
        const QString file = path(QStringLiteral("own.rc"));
        QFile::remove(file);
        QVERIFY(exportTo(file, strings()).ok());
        const QByteArray fresh = readFile(file);
        QVERIFY(exportTo(file, strings()).ok());
        QCOMPARE(readFile(file), fresh);
    }

    // A script whose tables cannot be found, or whose table holds a
    // preprocessor line the new table would lose, is left as it was.
    void unreadableScriptIsKept_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("message");
        QTest::newRow("open string") << QByteArray("IDI_APP ICON \"app.ico\"\nSTRINGTABLE\nBEGIN\n 1 \"open\nEND\n")
                                     << ": line 4: the string";
        QTest::newRow("condition in a table")
            << QByteArray("STRINGTABLE\nBEGIN\n 1 \"a\"\n#ifdef DEBUG\n 2 \"b\"\n#endif\nEND\n")
            << ": line 6: a preprocessor line stands inside the STRINGTABLE that starts at line 1";
    }
    void unreadableScriptIsKept()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, message);
        const QString file = path(QStringLiteral("broken.rc"));
        writeFile(file, script);
        const qm::Status refused = exportTo(file, strings());
        QVERIFY(!refused.ok());
        QVERIFY2(refused.errorString().startsWith(file + message), qPrintable(refused.errorString()));
        QVERIFY2(refused.errorString().endsWith(QLatin1String("the script was not changed")), qPrintable(refused.errorString()));
        QCOMPARE(readFile(file), script);
    }

    // The script is written again by someone else while its tables are
    // made: their change is not lost under the lines read before it.
    void scriptChangedMeanwhileIsKept()
    {
        const QString file = path(QStringLiteral("changed.rc"));
        writeFile(file, script());
        struct Meanwhile : RecordingFeedback {
            QString file;
            bool stopRequested() override
            {
                writeFile(file, "// edited elsewhere\n" + script());
                return false;
            }
        } feedback;
        feedback.file = file;
        resutil::ResStrings table;
        fill(table, strings());
        exchange::Options options;
        options.format = exchange::Format::Rc;
        const qm::Status refused = exchange::exportFile(table, file, options, testLanguageName, feedback);
        QVERIFY(!refused.ok());
        QVERIFY2(refused.errorString().contains(QLatin1String("another program changed the script")),
                 qPrintable(refused.errorString()));
        QCOMPARE(readFile(file), "// edited elsewhere\n" + script());
    }

    void compilersBuildTheUpdatedScript_data()
    {
        QTest::addColumn<QString>("compiler");
        QTest::newRow("llvm-rc") << "llvm-rc";
        QTest::newRow("windres") << "x86_64-w64-mingw32-windres";
    }
    void compilersBuildTheUpdatedScript()
    {
        QFETCH(QString, compiler);
        const QString program = QStandardPaths::findExecutable(compiler);
        if (program.isEmpty())
            QSKIP(qPrintable(compiler + QStringLiteral(" is not installed (scripts/install-deps.sh --with-tests installs it)")));
        const QString cpp = QStandardPaths::findExecutable(QStringLiteral("cpp"));
        if (compiler.contains(QLatin1String("windres")) && cpp.isEmpty())
            QSKIP("windres needs the C preprocessor cpp, which is not installed");
        writeFile(path(QStringLiteral("keep.h")), "#define IDI_APP 100\n#define IDD_MAIN 101\n");
        writeFile(path(QStringLiteral("app.ico")), icon());
        const QString file = path(compiler + QStringLiteral(".rc"));
        const QString res = path(compiler + QStringLiteral(".res"));
        writeFile(file, script());
        QVERIFY(exportTo(file, strings()).ok());
        const Run r = compiler == QLatin1String("llvm-rc")
            ? compile(program, {QStringLiteral("/FO"), res, file})
            : compile(program, {QStringLiteral("--preprocessor=") + cpp, QStringLiteral("-I"), m_dir.path(),
                                QStringLiteral("-J"), QStringLiteral("rc"), QStringLiteral("-O"), QStringLiteral("res"),
                                QStringLiteral("-i"), file, QStringLiteral("-o"), res});
        QVERIFY2(r.exitCode == 0, r.err.constData());

        resutil::ResFile built;
        built.setFileName(res);
        QVERIFY2(built.Load().ok(), qPrintable(res));
        QCOMPARE(sortedEntries(entriesOf(built.Strings())), sortedEntries(strings()));
        // The other resources are there, in the languages the script gave them.
        QList<std::pair<quint16, quint16>> others;
        for (const resutil::ResResource &resource : built.OtherResources())
            others.append({resource.type.ordinal, resource.fields.language});
        QVERIFY2(others.contains(std::pair<quint16, quint16>(resutil::RT_GROUP_ICON, 2057)), qPrintable(res));
        QVERIFY(others.contains(std::pair<quint16, quint16>(resutil::RT_VERSION, 2057)));
        QVERIFY(others.contains(std::pair<quint16, quint16>(5, 1031))); // the dialog, after the new table
    }
};

QTEST_MAIN(RcUpdateTest)
#include "rc_update_test.moc"
