#include "platform/resutil/ResFile.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QtTest>

using resutil::ResFile;
using resutil::ResString;

// Files written by other resource compilers, and files of ours read by them.
namespace {

using Entries = QList<std::tuple<qint32, qint32, QString>>;

Entries entriesOf(const ResFile &file)
{
    Entries out;
    for (const ResString *entry : file.Strings())
        out.append({entry->LocaleID(), entry->ID(), entry->Text()});
    return out;
}

QString dataFile(const char *name)
{
    return QStringLiteral(QM_SOURCE_DIR "/tests/resutil/data/") + QLatin1String(name);
}

// Runs a tool; on failure returns its error output.
QString run(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return program + QStringLiteral(" failed: ") + QString::fromLocal8Bit(process.readAllStandardError());
    return {};
}

QString windres() { return QStandardPaths::findExecutable(QStringLiteral("x86_64-w64-mingw32-windres")); }

QString compileWithWindres(const QString &rc, const QString &res)
{
    // windres needs a C preprocessor; the rc sources need none beyond passing pragmas through.
    return run(windres(), {QStringLiteral("--preprocessor=cpp"), QStringLiteral("-c"), QStringLiteral("65001"), QStringLiteral("-i"), rc,
                           QStringLiteral("-o"), res, QStringLiteral("-O"), QStringLiteral("res")});
}

QString decompileWithWindres(const QString &res, const QString &rc)
{
    return run(windres(), {QStringLiteral("-i"), res, QStringLiteral("-o"), rc});
}

const Entries &sampleEntries()
{
    static const Entries entries{
        {1031, 1, QStringLiteral("Hallo")},
        {1031, 16, QStringLiteral("Zweiter Block")},
        {1033, 1, QStringLiteral("Hello")},
        {1033, 2, QStringLiteral("Quote \"inside\" and tab\tend")},
        {1033, 15, QStringLiteral("last of the first block")},
        {1033, 16, QStringLiteral("first of the second block")},
        {1033, 1000, QStringLiteral("Unicode: Grüße, 日本語, שלום")},
        {1033, 65535, QStringLiteral("the highest ID")},
        {1041, 1, QStringLiteral("こんにちは")},
    };
    return entries;
}

} // namespace

class ResToolsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }

    void filesCompiledByOtherToolsAreRead_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::newRow("llvm-rc") << QStringLiteral("llvm-rc");
        QTest::newRow("windres") << QStringLiteral("windres");
    }
    void filesCompiledByOtherToolsAreRead()
    {
        QFETCH(QString, tool);
        const QString res = path("sample.res");
        if (tool == QLatin1String("llvm-rc")) {
            const QString llvmRc = QStandardPaths::findExecutable(QStringLiteral("llvm-rc"));
            if (llvmRc.isEmpty())
                QSKIP("llvm-rc is not installed (Debian package llvm)");
            // "--": llvm-rc would take a path such as /check/... for its /c option.
            const QString failure = run(llvmRc, {QStringLiteral("-no-preprocess"), QStringLiteral("-c"), QStringLiteral("65001"),
                                                 QStringLiteral("-fo"), res, QStringLiteral("--"), dataFile("sample.rc")});
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
        } else {
            if (windres().isEmpty() || QStandardPaths::findExecutable(QStringLiteral("cpp")).isEmpty())
                QSKIP("x86_64-w64-mingw32-windres or cpp is not installed (Debian packages binutils-mingw-w64-x86-64, cpp)");
            const QString failure = compileWithWindres(dataFile("sample.rc"), res);
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
        }

        ResFile file;
        file.setFileName(res);
        QVERIFY2(file.Load().ok(), qPrintable(file.Load().errorString()));
        QCOMPARE(entriesOf(file), sampleEntries());
        QCOMPARE(file.Languages(), (QList<qint32>{1031, 1033, 1041}));
        QSet<QString> types;
        for (const auto &other : file.OtherResources())
            types.insert(other.type.isString ? other.type.name : QString::number(other.type.ordinal));
        QCOMPARE(types, (QSet<QString>{QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("10"), QStringLiteral("MYDATA")}));

        // Saved unchanged, windres sees exactly the file the tool wrote.
        const QString saved = path("saved.res");
        file.setFileName(saved);
        QVERIFY(file.Save(0).ok());
        if (windres().isEmpty())
            QSKIP("x86_64-w64-mingw32-windres is not installed: the saved file was not decompiled");
        QString failure = decompileWithWindres(res, path("original.rc"));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        failure = decompileWithWindres(saved, path("saved.rc"));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(readFile(path("saved.rc")), readFile(path("original.rc")));
    }

    void filesWeWriteAreReadByOtherTools_data()
    {
        QTest::addColumn<Entries>("entries");
        QTest::newRow("created, no strings") << Entries{};
        QTest::newRow("several languages and scripts") << Entries{
            {1025, 5, QStringLiteral("مرحبا")},
            {1031, 0, QStringLiteral("Größe \"quoted\" \\ back\\slash")},
            {1033, 0, QStringLiteral("line\nbreak\ttab")},
            {1033, 4095, QStringLiteral("astral \U0001F600")},
            {1054, 65535, QStringLiteral("สวัสดี")},
            {2052, 17, QStringLiteral("中文")},
        };
    }
    void filesWeWriteAreReadByOtherTools()
    {
        QFETCH(Entries, entries);
        if (windres().isEmpty())
            QSKIP("x86_64-w64-mingw32-windres is not installed (Debian package binutils-mingw-w64-x86-64)");
        const QString res = path("ours.res");
        ResFile file;
        file.setFileName(res);
        QVERIFY(file.Create().ok());
        for (const auto &[locale, id, text] : entries)
            file.Strings().Add(locale, id, text);
        QVERIFY(file.Save(0).ok());

        const QString cvtres = QStandardPaths::findExecutable(QStringLiteral("llvm-cvtres"));
        if (!cvtres.isEmpty()) {
            const QString failure = run(cvtres, {QStringLiteral("/machine:x64"), QStringLiteral("/out:") + path("ours.obj"), res});
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
        } else {
            qWarning("llvm-cvtres is not installed (Debian package llvm): only windres checks the file");
        }

        QString failure = decompileWithWindres(res, path("ours.rc"));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        if (entries.isEmpty())
            return; // windres will not compile a source without resources
        if (QStandardPaths::findExecutable(QStringLiteral("cpp")).isEmpty())
            QSKIP("cpp is not installed: the decompiled file was not compiled again");
        // windres's own source, compiled again, holds the same strings.
        failure = compileWithWindres(path("ours.rc"), path("back.res"));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        ResFile back;
        back.setFileName(path("back.res"));
        QVERIFY2(back.Load().ok(), qPrintable(back.Load().errorString()));
        QCOMPARE(entriesOf(back), entries);
    }

private:
    QString path(const char *name) const { return QDir(m_env->path()).filePath(QLatin1String(name)); }
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(ResToolsTest)
#include "restools_test.moc"
