#include "platform/win32/ScriptedInteraction.h"
#include "support/ErrorTrap.h"
#include "tests/testlib/TestEnvironment.h"

#include <QDialog>
#include <QLabel>
#include <QtTest>

#include <new>
#include <stdexcept>

namespace {

struct Report {
    QString function, line, description, details;
};

// Answers the next error report, keeping what it showed.
void captureReport(win32::ScriptedInteraction &user, QList<Report> &reports)
{
    user.answerDialog([&reports](QDialog &dialog) {
        auto text = [&](const char *name) { return dialog.findChild<QLabel *>(QString::fromLatin1(name))->text(); };
        reports.append({text("lblFunction"), text("lblLineNumber"), text("lblDescription"), text("lblDetails")});
        return int(QDialog::Accepted);
    });
}

int g_failLine = 0;

// A function in the add-in's style: returns what it had assigned before failing.
QString PartialResult(bool fail)
{
    QString result;
    qm::trap("PartialResult", [&] {
        result = QStringLiteral("first");
        if (fail) {
            g_failLine = __LINE__; qm::check(qm::Result<int>(qm::makeError(QStringLiteral("Disk full"))));
        }
        result = QStringLiteral("second");
    });
    return result;
}

} // namespace

class ErrorTrapTest : public QObject {
    Q_OBJECT
    TestEnvironment m_env;

private slots:
    void checkPassesValuesThrough()
    {
        win32::ScriptedInteraction user;
        int result = 0;
        QVERIFY(qm::trap("Sum", [&] { result = qm::check(qm::Result<int>(41)) + 1; }));
        QCOMPARE(result, 42);
        QVERIFY(qm::trap("Ok", [&] { qm::check(qm::Status()); }));
        QVERIFY(user.unexpected.isEmpty());
    }

    void checkReportsNameLineAndDescription()
    {
        win32::ScriptedInteraction user;
        QList<Report> reports;
        captureReport(user, reports);
        QCOMPARE(PartialResult(true), QStringLiteral("first"));
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reports[0].function, QStringLiteral("PartialResult"));
        QCOMPARE(reports[0].line, QString::number(g_failLine));
        QCOMPARE(reports[0].description, QStringLiteral("Disk full"));
        QCOMPARE(reports[0].details, QString());
        QCOMPARE(PartialResult(false), QStringLiteral("second"));
        QCOMPARE(reports.size(), 1);
        QVERIFY(user.unexpected.isEmpty());
    }

    void raiseReportsItsLineAndDetails()
    {
        win32::ScriptedInteraction user;
        QList<Report> reports;
        captureReport(user, reports);
        int line = 0;
        bool after = false;
        QString cell = QStringLiteral("B7: Hallo");
        const bool ok = qm::trap(
            "DoExport",
            [&] {
                line = __LINE__; qm::raise(QStringLiteral("Cannot write cell"));
                after = true;
            },
            [&] { return cell; });
        QVERIFY(!ok);
        QVERIFY(!after);
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reports[0].function, QStringLiteral("DoExport"));
        QCOMPARE(reports[0].line, QString::number(line));
        QCOMPARE(reports[0].description, QStringLiteral("Cannot write cell"));
        QCOMPARE(reports[0].details, cell);
    }

    void otherExceptionsAreReportedToo()
    {
        win32::ScriptedInteraction user;
        QList<Report> reports;
        captureReport(user, reports);
        captureReport(user, reports);
        const int trapLine = __LINE__; QVERIFY(!qm::trap("Std", [] { throw std::runtime_error("bad thing"); }));
        QVERIFY(!qm::trap("Alloc", [] { throw std::bad_alloc(); }));
        QCOMPARE(reports.size(), 2);
        QCOMPARE(reports[0].function, QStringLiteral("Std"));
        QCOMPARE(reports[0].description, QStringLiteral("bad thing"));
        QCOMPARE(reports[0].line, QString::number(trapLine));
        QCOMPARE(reports[1].function, QStringLiteral("Alloc"));
        QCOMPARE(reports[1].description, QStringLiteral("Out of memory"));
    }

    void nestedProcedureFailureLetsCallerGoOn()
    {
        win32::ScriptedInteraction user;
        QList<Report> reports;
        captureReport(user, reports);
        QStringList steps;
        QVERIFY(qm::trap("Outer", [&] {
            steps << QStringLiteral("before");
            qm::trap("Inner", [] { qm::raise(QStringLiteral("inner failed")); });
            steps << QStringLiteral("after");
        }));
        QCOMPARE(steps, (QStringList{QStringLiteral("before"), QStringLiteral("after")}));
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reports[0].function, QStringLiteral("Inner"));
    }
};

QTEST_MAIN(ErrorTrapTest)
#include "errortrap_test.moc"
