#include "support/ErrorTrap.h"

#include <QtTest>

// The report itself is tested with the error dialog; here only the trap's control flow.
class ErrorTrapTest : public QObject {
    Q_OBJECT
private slots:
    void checkPassesValuesThrough()
    {
        int result = 0;
        QVERIFY(qm::trap("Sum", [&] { result = qm::check(qm::Result<int>(41)) + 1; }));
        QCOMPARE(result, 42);
    }
};

QTEST_MAIN(ErrorTrapTest)
#include "errortrap_test.moc"
