#include "platform/excel/Application.h"
#include "platform/excel/model/Workbook.h"
#include "platform/excel/model/Worksheet.h"
#include "platform/resutil/ResFile.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

// The command-line tool killed at random moments while it saves: afterwards
// the file is the old one or the new one, whole, and a later save still works.
class KilledSaveTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment m_env;
    QTemporaryDir m_dir;
    QRandomGenerator m_random{20261208};

    QString path(const QString &name) const { return m_dir.filePath(name); }

    static QString text(int round) { return QStringLiteral("round %1 ").arg(round).repeated(4000); }

    // Starts quillmark and kills it after a random moment within its usual run
    // time. The time only spreads the moments over the save; no check depends
    // on it, so a slow machine kills at other moments but never fails for it.
    int runKilled(const QStringList &args, int usualMs)
    {
        QProcess process;
        process.start(QStringLiteral(QM_BINARY_DIR "/bin/quillmark"), args);
        [&] { QVERIFY(process.waitForStarted(-1)); }();
        QThread::msleep(m_random.bounded(usualMs + 1));
        if (process.state() != QProcess::NotRunning)
            process.kill();
        process.waitForFinished(-1);
        return process.exitStatus() == QProcess::CrashExit ? -1 : process.exitCode();
    }

    int usualTime(const QStringList &args)
    {
        QElapsedTimer timer;
        timer.start();
        QProcess process;
        process.start(QStringLiteral(QM_BINARY_DIR "/bin/quillmark"), args);
        [&] { QVERIFY(process.waitForFinished(-1)); }();
        return int(timer.elapsed());
    }

    static QString readText(const QString &file)
    {
        resutil::ResFile res;
        res.setFileName(file);
        if (!res.Load().ok())
            return QStringLiteral("(unreadable)");
        const resutil::ResString *entry = res.Strings().Find(2057, 1);
        return entry ? entry->Text() : QStringLiteral("(missing)");
    }

    static QString cellText(const QString &file)
    {
        auto app = excel::Application::Create();
        if (!app)
            return QStringLiteral("(no back end)");
        auto book = app.value()->Workbooks().Open(file);
        if (!book)
            return QStringLiteral("(unreadable: %1)").arg(book.errorString());
        return book.value()->ActiveSheet()->Cells().Value(3, 2).text();
    }

private slots:
    void resourceFileIsOldOrNewAfterEveryKill()
    {
        const QString file = path(QStringLiteral("K.res"));
        resutil::ResFile res;
        res.setFileName(file);
        QVERIFY(res.Create().ok());
        res.Strings().Add(2057, 1, text(0));
        for (int id = 2; id < 400; ++id)
            res.Strings().Add(2057, id, text(id).left(300));
        QVERIFY(res.Save(0).ok());
        const auto args = [&](int round) {
            return QStringList{QStringLiteral("set"), file, QStringLiteral("2057"), QStringLiteral("1"), text(round)};
        };
        const int usual = usualTime(args(0));
        QString current = text(0);
        for (int round = 1; round <= 20; ++round) {
            const int exit = runKilled(args(round), usual);
            const QString now = readText(file);
            QVERIFY2(now == current || now == text(round),
                     qPrintable(QStringLiteral("round %1 (exit %2): %3").arg(round).arg(exit).arg(now.left(40))));
            if (exit == 0)
                QCOMPARE(now, text(round));
            current = now;
        }
    }

    void workbookIsOldOrNewAfterEveryKill()
    {
        const QString res = path(QStringLiteral("W.res"));
        const QString book = path(QStringLiteral("W.xlsx"));
        resutil::ResFile strings;
        strings.setFileName(res);
        QVERIFY(strings.Create().ok());
        for (int id = 1; id < 2000; ++id)
            strings.Strings().Add(2057, id, QStringLiteral("string %1").arg(id));
        QVERIFY(strings.Save(0).ok());
        const QStringList exportArgs{QStringLiteral("export"), res, book};
        QCOMPARE(QProcess::execute(QStringLiteral(QM_BINARY_DIR "/bin/quillmark"), exportArgs), 0);
        const int usual = usualTime(exportArgs);
        QString current = cellText(book);
        QCOMPARE(current, QStringLiteral("string 1"));
        for (int round = 1; round <= 12; ++round) {
            const QString next = QStringLiteral("round %1").arg(round);
            QCOMPARE(QProcess::execute(QStringLiteral(QM_BINARY_DIR "/bin/quillmark"),
                                       {QStringLiteral("set"), res, QStringLiteral("2057"), QStringLiteral("1"), next}),
                     0);
            const int exit = runKilled(exportArgs, usual);
            const QString now = cellText(book);
            QVERIFY2(now == current || now == next,
                     qPrintable(QStringLiteral("round %1 (exit %2): %3").arg(round).arg(exit).arg(now)));
            if (exit == 0)
                QCOMPARE(now, next);
            current = now;
        }
    }
};

QTEST_GUILESS_MAIN(KilledSaveTest)
#include "killed_save_test.moc"
