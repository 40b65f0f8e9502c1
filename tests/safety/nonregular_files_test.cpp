#include "exchange/Exchange.h"
#include "platform/common/AtomicFile.h"
#include "platform/excel/Application.h"
#include "platform/excel/model/Workbooks.h"
#include "platform/resutil/MappedStringTables.h"
#include "platform/resutil/ResFile.h"
#include "platform/resutil/ResLimits.h"
#include "platform/resutil/ResScan.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

// What is not a regular file (a FIFO, a device, a folder) is neither read
// nor replaced, and the readers refuse a file larger than they take before
// reading a byte of it: each with a message naming the file and what it is.
class NonRegularFilesTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment m_env;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return QDir(m_dir.path()).filePath(name); }

    QString fifo(const QString &name) const
    {
        const QString file = path(name);
        if (!QFileInfo::exists(file))
            [&] { QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0); }();
        return file;
    }
    static bool isFifo(const QString &file)
    {
        struct stat info {};
        return ::stat(QFile::encodeName(file).constData(), &info) == 0 && S_ISFIFO(info.st_mode);
    }

    struct Run {
        int exitCode = -1;
        QString err;
    };
    static Run quillmark(const QStringList &args)
    {
        QProcess process;
        process.start(QStringLiteral(QM_BINARY_DIR "/bin/quillmark"), args);
        process.waitForFinished(-1);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardError()).trimmed()};
    }

    struct Quiet : TransferFeedback {
        void setProgressCaption(const QString &) override {}
        void setProgressMaximum(int) override {}
        void setProgressMinimum(int) override {}
        void setProgressValue(int) override {}
        void showMessage(const QString &) override {}
    };

private slots:
    void readersRefuse_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << fifo(QStringLiteral("pipe.res")) << "a FIFO";
        QTest::newRow("/dev/zero") << "/dev/zero" << "a character device";
        QTest::newRow("folder") << m_dir.path() << "a folder";
    }
    // Without blocking on the FIFO or reading the device's endless zeros.
    void readersRefuse()
    {
        QFETCH(QString, file);
        QFETCH(QString, kind);
        const QString why = QStringLiteral("it is %1, not a regular file; only regular files are read").arg(kind);

        resutil::ResFile res;
        res.setFileName(file);
        const qm::Status loaded = res.Load();
        QCOMPARE(loaded.errorString(), QStringLiteral("%1: cannot be read: %2").arg(file, why));

        const qm::Status scanned = resutil::scanResFile(file, [](quint16, quint16, QStringView) {});
        QCOMPARE(scanned.errorString(), QStringLiteral("%1: cannot be read: %2").arg(file, why));
        QVERIFY(!resutil::MappedStringTables::open(file));

        auto app = excel::Application::Create();
        QVERIFY2(app, qPrintable(app.errorString()));
        auto book = app.value()->Workbooks().Open(file);
        QCOMPARE(book.errorString(), QStringLiteral("%1: cannot be opened: %2").arg(file, why));

        exchange::Options options;
        options.format = exchange::Format::Csv;
        Quiet feedback;
        auto imported = exchange::importFile(file, resutil::ResStrings(), options, feedback);
        QCOMPARE(imported.errorString(), QStringLiteral("%1: cannot be opened: %2").arg(file, why));
    }

    // A sparse file of a few blocks on disk but more bytes than any resource
    // file of 65,536 IDs: refused by its size, not read into memory first.
    void tooLargeResFile()
    {
        const QString file = path(QStringLiteral("Sparse.res"));
        QFile sparse(file);
        QVERIFY(sparse.open(QIODevice::WriteOnly));
        QVERIFY(sparse.resize(qint64(4) << 30));
        sparse.close();
        resutil::ResFile res;
        res.setFileName(file);
        QCOMPARE(res.Load().errorString(),
                 QStringLiteral("%1: cannot be read: it has 4294967296 bytes (4096 MB); resource files of more than "
                                "1073741824 bytes (1024 MB) are not read")
                     .arg(file));
        QVERIFY(!res.Save(0).ok()); // nor written over
        QCOMPARE(QFileInfo(file).size(), qint64(4) << 30);
        QVERIFY(!resutil::MappedStringTables::open(file));
        QVERIFY(QFile::remove(file));
    }

    // Writers refuse to put a plain file where a FIFO or a device is.
    void writersRefuse()
    {
        const QString pipe = fifo(QStringLiteral("out.res"));
        const QString why = QStringLiteral("%1: cannot be written: it is a FIFO, not a regular file; only regular files are replaced").arg(pipe);
        QCOMPARE(qm::AtomicFile::checkTarget(pipe).errorString(), why);
        qm::AtomicFile file(pipe);
        QCOMPARE(file.open().errorString(), why);
        resutil::ResFile res;
        res.setFileName(pipe);
        QCOMPARE(res.Create().errorString(), why);
        QVERIFY(isFifo(pipe));
        QVERIFY(qm::AtomicFile::checkTarget(path(QStringLiteral("new.res"))).ok());
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).filter(QStringLiteral(".tmp")), QStringList());
    }

    // The tool names a FIFO given as its output before it reads anything: the
    // missing input is not even looked at.
    void commandLineOutput_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("output");
        const QString missing = path(QStringLiteral("missing.res"));
        const QString pipe = fifo(QStringLiteral("target.res"));
        QTest::newRow("set -o") << QStringList{"set", missing, "1033", "1", "x", "-o", pipe} << pipe;
        QTest::newRow("remove -o") << QStringList{"remove", missing, "--id", "1", "-o", pipe} << pipe;
        QTest::newRow("import -o") << QStringList{"import", path(QStringLiteral("missing.csv")), missing, "-o", pipe} << pipe;
        const QString book = fifo(QStringLiteral("book.xlsx"));
        QTest::newRow("export .xlsx") << QStringList{"export", missing, book} << book;
        const QString po = fifo(QStringLiteral("texts.po"));
        QTest::newRow("export .po") << QStringList{"export", missing, po, "--target", "1031"} << po;
    }
    void commandLineOutput()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, output);
        const Run run = quillmark(args);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, QStringLiteral("quillmark: %1: cannot be written: it is a FIFO, not a regular file; only "
                                         "regular files are replaced")
                              .arg(output));
        QVERIFY(isFifo(output));
    }

    void commandLineInput()
    {
        const Run run = quillmark({QStringLiteral("dump"), QStringLiteral("/dev/zero")});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, QStringLiteral("quillmark: /dev/zero: cannot be read: it is a character device, not a regular "
                                         "file; only regular files are read"));
    }
};

QTEST_GUILESS_MAIN(NonRegularFilesTest)
#include "nonregular_files_test.moc"
