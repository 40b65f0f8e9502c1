#include "coderefs/ProjectUses.h"
#include "tests/testlib/EventRounds.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <condition_variable>
#include <memory>
#include <mutex>

using coderefs::CodeReferences;
using coderefs::ProjectUses;

namespace {

// A reader that waits for the test to let it go, and tells which project it read.
class GatedReader {
public:
    ProjectUses::Reader reader()
    {
        return [this](const QString &path) -> qm::Result<CodeReferences> {
            std::unique_lock lock(m_mutex);
            ++m_started;
            m_changed.notify_all();
            // Wakes the test's event loop, which waits for the start.
            QMetaObject::invokeMethod(QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
            m_changed.wait(lock, [this] { return m_released > 0; });
            --m_released;
            CodeReferences references;
            references.warnings.append(path);
            return references;
        };
    }
    void release()
    {
        const std::lock_guard lock(m_mutex);
        ++m_released;
        m_changed.notify_all();
    }
    // Waits until the worker has begun its n-th reading (one the caller started itself).
    void waitForStart(int n)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_started >= n; });
    }
    int started()
    {
        const std::lock_guard lock(m_mutex);
        return m_started;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_started = 0;
    int m_released = 0;
};

const QByteArray kModule = "Attribute VB_Name = \"modMain\"\r\nPublic Const IDS_A = 101\r\n"
                           "Sub Main()\r\n    MsgBox LoadResString(IDS_A)\r\nEnd Sub\r\n";

} // namespace

class ProjectUsesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_env = std::make_unique<TestEnvironment>(); }

    // The window's thread goes on with its events while the code is read, and
    // takes the result only from its own event loop.
    void readingNeverBlocksTheCaller()
    {
        GatedReader gate;
        ProjectUses uses(gate.reader());
        QSignalSpy read(&uses, &ProjectUses::referencesRead);
        uses.watch(QStringLiteral("/nowhere/A.vbp"));
        QVERIFY(uses.reading());
        QVERIFY(!uses.hasReferences());
        gate.waitForStart(1);
        // Rounds of the event loop the window has while the worker is held.
        int rounds = 0;
        std::function<void()> tick = [&] {
            if (++rounds < 50)
                QTimer::singleShot(0, &uses, tick);
        };
        QTimer::singleShot(0, &uses, tick);
        QM_TRY_COMPARE(rounds, 50);
        QVERIFY(!uses.hasReferences());
        QCOMPARE(read.count(), 0);
        gate.release();
        QM_TRY_COMPARE(read.count(), 1);
        QVERIFY(!uses.reading());
        QCOMPARE(uses.references().warnings, QStringList{QStringLiteral("/nowhere/A.vbp")});
        QCOMPARE(uses.readings(), 1);
    }

    // A change during a reading is read once after it; a project chosen during a
    // reading drops that reading's result.
    void changesDuringAReading()
    {
        GatedReader gate;
        ProjectUses uses(gate.reader());
        QSignalSpy read(&uses, &ProjectUses::referencesRead);
        uses.watch(QStringLiteral("/nowhere/A.vbp"));
        gate.waitForStart(1);
        uses.refresh();
        uses.refresh();
        gate.release();
        // The next reading starts from the window's event loop, once the first has been taken.
        QM_TRY_VERIFY(gate.started() == 2);
        QCOMPARE(uses.readings(), 1);
        gate.release();
        QM_TRY_COMPARE(uses.readings(), 2);
        QCOMPARE(gate.started(), 2);

        uses.watch(QStringLiteral("/nowhere/B.vbp"));
        QVERIFY(!uses.hasReferences());
        gate.waitForStart(3);
        uses.watch(QStringLiteral("/nowhere/C.vbp"));
        gate.release();  // B's reading, dropped
        QM_TRY_VERIFY(gate.started() == 4);
        gate.release();
        QM_TRY_VERIFY(uses.hasReferences());
        QCOMPARE(uses.references().warnings, QStringList{QStringLiteral("/nowhere/C.vbp")});
        QCOMPARE(uses.readings(), 1);
        QVERIFY(!uses.reading());
    }

    // The object goes while its worker still reads: it waits, and nothing arrives after.
    void destroyedWhileReading()
    {
        GatedReader gate;
        auto uses = std::make_unique<ProjectUses>(gate.reader());
        uses->watch(QStringLiteral("/nowhere/A.vbp"));
        gate.waitForStart(1);
        gate.release();
        uses.reset();
        QCoreApplication::processEvents();
        QCOMPARE(gate.started(), 1);
    }

    // A member file written on disk is read again, and so is the project file.
    void memberChangedOnDisk()
    {
        QTemporaryDir dir;
        const QString vbp = dir.filePath(QStringLiteral("P.vbp"));
        writeFile(vbp, "Type=Exe\r\nModule=modMain; modMain.bas\r\nName=\"P\"\r\n");
        writeFile(dir.filePath(QStringLiteral("modMain.bas")), kModule);
        ProjectUses uses;
        uses.watch(vbp);
        QM_TRY_VERIFY(uses.hasReferences() && !uses.reading());
        QCOMPARE(uses.references().stringUseCount(101), 1);
        QCOMPARE(uses.references().stringUseCount(4242), 0);

        writeFile(dir.filePath(QStringLiteral("modMain.bas")),
                  kModule + "Sub Other()\r\n    MsgBox LoadResString(4242)\r\nEnd Sub\r\n");
        QM_TRY_VERIFY(uses.references().stringUseCount(4242) == 1);
        QCOMPARE(uses.references().uses.last().line, 7);

        // A form the project file lists from now on.
        writeFile(dir.filePath(QStringLiteral("frmA.frm")),
                  "VERSION 5.00\r\nBegin VB.Form frmA\r\n   Caption = \"LoadResString(1)\"\r\nEnd\r\n"
                  "Attribute VB_Name = \"frmA\"\r\nPrivate Sub Form_Load()\r\n    Caption = LoadResString(IDS_A)\r\nEnd Sub\r\n");
        writeFile(vbp, "Type=Exe\r\nModule=modMain; modMain.bas\r\nForm=frmA.frm\r\nName=\"P\"\r\n");
        QM_TRY_VERIFY(uses.references().stringUseCount(101) == 2);
        QCOMPARE(uses.references().stringUseCount(1), 0);
        QCOMPARE(uses.failure(), QString());
    }

    // A project file that cannot be read says why, with no uses.
    void unreadableProject()
    {
        QTemporaryDir dir;
        ProjectUses uses;
        uses.watch(dir.filePath(QStringLiteral("Gone.vbp")));
        QM_TRY_VERIFY(uses.hasReferences());
        QVERIFY(uses.failure().contains(QStringLiteral("Gone.vbp")));
        QVERIFY(uses.references().uses.isEmpty());
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(ProjectUsesTest)
#include "projectuses_test.moc"
