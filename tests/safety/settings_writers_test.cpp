#include "platform/common/FileLock.h"
#include "platform/win32core/Registry.h"
#include "platform/win32core/RegistryStore.h"
#include "tests/testlib/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>

#include <cstdio>
#include <memory>
#include <sys/stat.h>

using namespace win32;

namespace {

constexpr int kWriters = 6;
constexpr int kValues = 25;
const QString kKey = QStringLiteral("Software\\Corvane\\Writers");

QByteArray dataFor(const QString &name)
{
    return name.toUtf8().repeated(20);
}

} // namespace

// Six processes writing settings at once, some killed part way and started
// again: every value a writer was told was saved is in the file afterwards,
// and the file is never taken for damaged.
class SettingsWritersTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment m_env;

    struct Writer {
        QString name;
        int next = 0;                     // the first value not yet reported saved
        std::unique_ptr<QProcess> process;
    };

    void start(Writer &writer)
    {
        writer.process = std::make_unique<QProcess>();
        writer.process->start(QCoreApplication::applicationFilePath(),
                              {QStringLiteral("--writer"), writer.name, QString::number(writer.next)});
        QVERIFY(writer.process->waitForStarted(-1));
    }
    // Takes the writer's reports: one line per value saved.
    static void collect(Writer &writer)
    {
        while (writer.process->canReadLine()) {
            const int saved = writer.process->readLine().trimmed().toInt();
            writer.next = std::max(writer.next, saved + 1);
        }
    }

private slots:
    void killedWritersLoseNoSavedValue()
    {
        std::vector<Writer> writers(kWriters);
        for (int i = 0; i < kWriters; ++i) {
            writers[i].name = QStringLiteral("W%1").arg(i);
            start(writers[i]);
        }
        QRandomGenerator random(42);
        int kills = 0;
        for (int round = 0; round < 400; ++round) {
            bool running = false;
            for (Writer &writer : writers) {
                writer.process->waitForReadyRead(5);
                collect(writer);
                if (writer.process->state() == QProcess::NotRunning) {
                    QCOMPARE(writer.process->exitStatus(), QProcess::NormalExit);
                    QVERIFY2(writer.process->exitCode() == 0,
                             qPrintable(QString::fromUtf8(writer.process->readAllStandardError())));
                    continue;
                }
                running = true;
                if (kills < 12 && random.bounded(20) == 0) {
                    writer.process->kill();
                    writer.process->waitForFinished(-1);
                    collect(writer);
                    ++kills;
                    start(writer);
                }
            }
            if (!running)
                break;
        }
        for (Writer &writer : writers) {
            if (writer.process->state() != QProcess::NotRunning)
                QVERIFY(writer.process->waitForFinished(-1));
            collect(writer);
            QVERIFY2(writer.process->exitCode() == 0, qPrintable(QString::fromUtf8(writer.process->readAllStandardError())));
            QCOMPARE(writer.next, kValues);
        }
        QVERIFY2(kills > 0, "no writer was killed");

        QVERIFY2(win32::RegistryStore::load(), qPrintable(win32::RegistryStore::lastProblem()));
        const QStringList beside = QFileInfo(m_env.registryFile()).dir().entryList(QDir::Files | QDir::Hidden);
        QVERIFY2(beside.filter(QStringLiteral(".damaged")).isEmpty(), qPrintable(beside.join(' ')));
        HKEY key = 0;
        QCOMPARE(win32::RegOpenKeyEx(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key), ERROR_SUCCESS);
        for (const Writer &writer : writers)
            for (int i = 0; i < kValues; ++i) {
                const QString name = writer.name + QLatin1Char('-') + QString::number(i);
                QByteArray data(4096, '\0');
                DWORD size = DWORD(data.size());
                DWORD type = 0;
                QVERIFY2(win32::RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE *>(data.data()), &size)
                             == ERROR_SUCCESS,
                         qPrintable(name + QStringLiteral(" lost")));
                data.resize(qsizetype(size));
                QCOMPARE(data, dataFor(name));
            }
        win32::RegCloseKey(key);
    }

    // A writer killed after it made the lock file and before it wrote into it
    // left an empty one behind: the next writer goes ahead at once.
    void aLockLeftByADeadWriterDoesNotStopTheNext()
    {
        const QString lockPath = m_env.registryFile() + QStringLiteral(".lock");
        QFile left(lockPath);
        QVERIFY(left.open(QIODevice::WriteOnly));
        left.close();
        HKEY key = 0;
        QCOMPARE(win32::RegCreateKeyEx(HKEY_CURRENT_USER, kKey, 0, QString(), REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                       nullptr, &key, nullptr),
                 ERROR_SUCCESS);
        const QByteArray data = dataFor(QStringLiteral("after"));
        QCOMPARE(win32::RegSetValueEx(key, QStringLiteral("after"), 0, REG_BINARY,
                                      reinterpret_cast<const BYTE *>(data.constData()), DWORD(data.size())),
                 ERROR_SUCCESS);
        win32::RegCloseKey(key);
    }

    void theLockExcludesAnotherHolderUntilReleased()
    {
        const QString lockPath = m_env.registryFile() + QStringLiteral(".other-lock");
        qm::FileLock first(lockPath);
        qm::FileLock second(lockPath);
        QVERIFY(first.lock(0));
        QVERIFY(!second.lock(30));
        QVERIFY(second.timedOut());
        first.unlock();
        QVERIFY2(second.lock(0), qPrintable(second.problem()));
        QVERIFY(QFileInfo::exists(lockPath));
    }

    // Something that is not a file in the lock's place is named, never waited on.
    void aFifoInPlaceOfTheLockIsRefused()
    {
        const QString lockPath = m_env.registryFile() + QStringLiteral(".fifo-lock");
        QCOMPARE(::mkfifo(QFile::encodeName(lockPath).constData(), 0600), 0);
        qm::FileLock lock(lockPath);
        QVERIFY(!lock.lock(1000));
        QVERIFY(!lock.timedOut());
        QCOMPARE(lock.problem(), QStringLiteral("it is not a regular file"));
    }
};

// A writer: saves NAME-FIRST .. NAME-(kValues-1), reporting each once it is saved.
static int runWriter(const QString &name, int first)
{
    HKEY key = 0;
    if (win32::RegCreateKeyEx(HKEY_CURRENT_USER, kKey, 0, QString(), REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr)
        != ERROR_SUCCESS) {
        std::fprintf(stderr, "%s\n", qPrintable(win32::RegistryStore::lastProblem()));
        return 2;
    }
    for (int i = first; i < kValues; ++i) {
        const QString value = name + QLatin1Char('-') + QString::number(i);
        const QByteArray data = dataFor(value);
        if (win32::RegSetValueEx(key, value, 0, REG_BINARY, reinterpret_cast<const BYTE *>(data.constData()),
                                 DWORD(data.size()))
            != ERROR_SUCCESS) {
            std::fprintf(stderr, "%s\n", qPrintable(win32::RegistryStore::lastProblem()));
            return 3;
        }
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
    return win32::RegCloseKey(key) == ERROR_SUCCESS ? 0 : 4;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--writer") == 0)
        return runWriter(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    SettingsWritersTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "settings_writers_test.moc"
