#include "editor/DiskWatcher.h"
#include "tests/testlib/EventRounds.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

// The watcher over a resource file and its state file: each way another
// program changes a file is one change, and what the program acknowledged is none.
class DiskWatcherTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment m_env;
    QTemporaryDir m_dir;
    QString res() const { return QDir(m_dir.path()).filePath(QStringLiteral("P.res")); }
    QString state() const { return res() + QStringLiteral(".state"); }

    // As an atomic save does it: a new file renamed over the old one.
    void replaceByRename(const QString &path, const QByteArray &bytes)
    {
        const QString temporary = path + QStringLiteral(".new");
        writeFile(temporary, bytes);
        QCOMPARE(std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()), 0);
    }
    static void editInPlace(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        QCOMPARE(file.write(bytes), qint64(bytes.size()));
    }

private slots:
    void init()
    {
        writeFile(res(), "first");
        writeFile(state(), "states");
    }

    void eachWayOfChangingAFileIsOneChange_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("stateFile");
        for (const char *how : {"edit in place", "replace by rename", "delete and recreate"}) {
            QTest::newRow(how) << QString::fromLatin1(how) << false;
            QTest::newRow(QByteArray(how).append(" (state file)").constData()) << QString::fromLatin1(how) << true;
        }
    }
    void eachWayOfChangingAFileIsOneChange()
    {
        QFETCH(QString, how);
        QFETCH(bool, stateFile);
        const QString path = stateFile ? state() : res();
        DiskWatcher watcher;
        watcher.watch({res(), state()});
        QSignalSpy changes(&watcher, &DiskWatcher::changed);
        if (how == QLatin1String("edit in place")) {
            editInPlace(path, " and more");
        } else if (how == QLatin1String("replace by rename")) {
            replaceByRename(path, "second");
        } else {
            QVERIFY(QFile::remove(path));
            QM_TRY_COMPARE(changes.count(), 1);  // gone is a change too
            writeFile(path, "made again");
        }
        const int expected = how == QLatin1String("delete and recreate") ? 2 : 1;
        QM_TRY_COMPARE(changes.count(), expected);
        // Still watched: the file now in its place, however it got there.
        editInPlace(path, " and again");
        QM_TRY_COMPARE(changes.count(), expected + 1);
    }

    // The program's own save: acknowledged at once, it is no news.
    void anAcknowledgedChangeIsNoChange()
    {
        DiskWatcher watcher;
        watcher.watch({res(), state()});
        QSignalSpy changes(&watcher, &DiskWatcher::changed);
        const int checks = watcher.checks();
        replaceByRename(res(), "saved here");
        replaceByRename(state(), "states saved here");
        watcher.acknowledge();
        QM_TRY_VERIFY(watcher.checks() > checks);
        QCOMPARE(changes.count(), 0);
        // Another program's change after it still is.
        replaceByRename(res(), "saved elsewhere");
        QM_TRY_COMPARE(changes.count(), 1);
    }

    // A file that is not there yet is watched for through its folder.
    void aFileMadeLaterIsNoticed()
    {
        QVERIFY(QFile::remove(state()));
        DiskWatcher watcher;
        watcher.watch({res(), state()});
        QSignalSpy changes(&watcher, &DiskWatcher::changed);
        writeFile(state(), "new states");
        QM_TRY_COMPARE(changes.count(), 1);
        // Files of the folder that are not watched are no change.
        const int checks = watcher.checks();
        writeFile(QDir(m_dir.path()).filePath(QStringLiteral("other.txt")), "x");
        QM_TRY_VERIFY(watcher.checks() > checks);
        QCOMPARE(changes.count(), 1);
    }

    void aReminderComesWithoutNews()
    {
        DiskWatcher watcher;
        watcher.watch({res()});
        QSignalSpy changes(&watcher, &DiskWatcher::changed);
        watcher.remindLater();
        QM_TRY_COMPARE(changes.count(), 1);
    }
};

QTEST_MAIN(DiskWatcherTest)
#include "diskwatcher_test.moc"
