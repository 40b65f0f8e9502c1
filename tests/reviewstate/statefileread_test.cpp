#include "reviewstate/StateFileFormat.h"
#include "tests/testlib/TestEnvironment.h"

#include <QtTest>

using reviewstate::Cell;
using reviewstate::State;

namespace {

constexpr char kHeader[] = "quillmark-review-states\t1\n";

qm::Result<reviewstate::StateTable> read(const QByteArray &lines)
{
    return reviewstate::parseStateFile(kHeader + lines, QStringLiteral("x.state"));
}

} // namespace

// The usual cell lines are read by a shortcut; every line it does not take
// goes to the full reader, so both must agree on what a line is.
class StateFileReadTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment m_env;

private slots:
    // Each byte in each place of a hash: read as a digit exactly when it is a
    // lowercase hex digit, else the line is refused.
    void hashDigitsOnly()
    {
        for (int place = 0; place < 8; ++place) {
            for (int byte = 1; byte < 256; ++byte) {
                if (byte == '\n' || byte == '\r')
                    continue;
                QByteArray hash = "0123abcd";
                hash[place] = char(byte);
                const auto table = read("1031\t7\ttranslated\t" + hash + "\tfedc9876\n");
                const bool digit = (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'f');
                QVERIFY2(table.ok() == digit, qPrintable(QStringLiteral("byte %1 at %2").arg(byte).arg(place)));
                if (!digit)
                    continue;
                QCOMPARE(table->cells.size(), std::size_t(1));
                QCOMPARE(table->cells[0].source, hash.toUInt(nullptr, 16));
                QCOMPARE(table->cells[0].text, 0xfedc9876u);
            }
        }
    }

    void linesTheShortcutLeavesAreReadAsBefore_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("written"); // the cell lines as written back
        QTest::newRow("usual") << QByteArray("0\t0\tnew\t-\t-\n65535\t65535\tapproved\tffffffff\t00000000\n") << true
                               << QByteArray("0\t0\tnew\t-\t-\n65535\t65535\tapproved\tffffffff\t00000000\n");
        QTest::newRow("every state") << QByteArray("1\t1\tnew\t-\t-\n1\t2\ttranslated\t-\t-\n1\t3\tneeds-review\t-\t-\n1\t4\tapproved\t-\t-\n")
                                     << true << QByteArray("1\t1\tnew\t-\t-\n1\t2\ttranslated\t-\t-\n1\t3\tneeds-review\t-\t-\n1\t4\tapproved\t-\t-\n");
        QTest::newRow("CRLF and no last line break") << QByteArray("1\t1\tnew\t-\t-\r\n1\t2\tnew\t-\t-") << true
                                                     << QByteArray("1\t1\tnew\t-\t-\n1\t2\tnew\t-\t-\n");
        QTest::newRow("fields") << QByteArray("1\t1\tnew\t-\t-\tnote=a\n") << true << QByteArray("1\t1\tnew\t-\t-\tnote=a\n");
        QTest::newRow("leading zero") << QByteArray("01\t1\tnew\t-\t-\n") << false << QByteArray();
        QTest::newRow("ID of six digits") << QByteArray("1\t100000\tnew\t-\t-\n") << false << QByteArray();
        QTest::newRow("locale over 65535") << QByteArray("65536\t1\tnew\t-\t-\n") << false << QByteArray();
        QTest::newRow("state as a prefix") << QByteArray("1\t1\tnewer\t-\t-\n") << false << QByteArray();
        QTest::newRow("a state too few") << QByteArray("1\t1\t-\t-\n") << false << QByteArray();
        QTest::newRow("nine digits") << QByteArray("1\t1\tnew\t0123abcd9\t-\n") << false << QByteArray();
        QTest::newRow("uppercase") << QByteArray("1\t1\tnew\t0123ABCD\t-\n") << false << QByteArray();
        QTest::newRow("dash and more") << QByteArray("1\t1\tnew\t-x\t-\n") << false << QByteArray();
        QTest::newRow("an empty field list") << QByteArray("1\t1\tnew\t-\t-\t\n") << true << QByteArray("1\t1\tnew\t-\t-\n");
        QTest::newRow("twice") << QByteArray("1\t1\tnew\t-\t-\n1\t1\tnew\t-\t-\n") << false << QByteArray();
        QTest::newRow("out of order") << QByteArray("2\t1\tnew\t-\t-\n1\t9\tnew\t-\t-\n") << true
                                      << QByteArray("1\t9\tnew\t-\t-\n2\t1\tnew\t-\t-\n");
        QTest::newRow("empty lines") << QByteArray("\n1\t1\tnew\t-\t-\n\n") << true << QByteArray("1\t1\tnew\t-\t-\n");
    }

    void linesTheShortcutLeavesAreReadAsBefore()
    {
        QFETCH(QByteArray, lines);
        QFETCH(bool, ok);
        QFETCH(QByteArray, written);
        const auto table = read(lines);
        QVERIFY2(table.ok() == ok, qPrintable(table.ok() ? QStringLiteral("read") : table.errorString()));
        if (ok)
            QCOMPARE(reviewstate::writeStateFile(table.value()), kHeader + written);
    }

    // The writer's own layout of a line, with notes on a few cells among many.
    void writesWhatItReads()
    {
        QByteArray lines;
        for (int locale : {1031, 2057})
            for (int id = 0; id < 300; ++id) {
                lines += QByteArray::number(locale) + '\t' + QByteArray::number(id) + '\t' +
                         (id % 3 ? "translated" : "needs-review") + '\t' +
                         QByteArray::number(quint32(id * 2654435761u), 16).rightJustified(8, '0') + "\t-";
                if (id % 97 == 5)
                    lines += "\tnote=n" + QByteArray::number(id);
                lines += '\n';
            }
        const auto table = read(lines);
        QVERIFY2(table.ok(), qPrintable(table.errorString()));
        QCOMPARE(table->cells.size(), std::size_t(600));
        QCOMPARE(reviewstate::writeStateFile(table.value()), kHeader + lines);
    }

    // Written in pieces: the same bytes, no piece much beyond 64 KiB however
    // large the table, and a failing receiver stops the writing.
    void writesInPieces()
    {
        QByteArray lines = "*\t7\tmax-length=12\n";
        for (int locale : {1031, 1036, 2057})
            for (int id = 0; id < 20000; ++id) {
                lines += QByteArray::number(locale) + '\t' + QByteArray::number(id) + "\ttranslated\t" +
                         QByteArray::number(quint32(id * 2654435761u), 16).rightJustified(8, '0') + "\t-";
                if (id % 1000 == 999)
                    lines += "\tnote=" + QByteArray(300, 'n');
                lines += '\n';
            }
        const auto table = read(lines);
        QVERIFY2(table.ok(), qPrintable(table.errorString()));
        QByteArray joined;
        qsizetype largest = 0;
        int pieces = 0;
        auto written = reviewstate::writeStateFile(table.value(), [&](QByteArrayView piece) -> qm::Status {
            joined += piece;
            largest = std::max(largest, piece.size());
            ++pieces;
            return {};
        });
        QVERIFY(written.ok());
        QCOMPARE(joined, reviewstate::writeStateFile(table.value()));
        QVERIFY(joined.size() > 1000000);
        QVERIFY2(largest <= 65536 + 400, qPrintable(QString::number(largest)));

        int calls = 0;
        written = reviewstate::writeStateFile(table.value(), [&](QByteArrayView) -> qm::Status {
            ++calls;
            return qm::makeError(QStringLiteral("disk full"));
        });
        QCOMPARE(written.errorString(), QStringLiteral("disk full"));
        QCOMPARE(calls, 1);
    }
};

QTEST_GUILESS_MAIN(StateFileReadTest)
#include "statefileread_test.moc"
