#include "platform/runtime/ResourceReader.h"

#include <QtTest>

using LgvRuntime::ResourceReader;

class ResourceReaderTest : public QObject {
    Q_OBJECT
private slots:
    void readsTextsByIdAndLanguage()
    {
        ResourceReader reader;
        QVERIFY(reader.OpenText("// comment\r\n"
                                "STRINGTABLE LANGUAGE 2057\r\n"
                                "BEGIN\r\n"
                                "    233, \"Remove \"\r\n"
                                "    5,\"say \"\"hi\"\"\"\r\n"
                                "    6, \"a\\nb\\t\\\\, c\"\r\n"
                                "END\r\n"
                                "STRINGTABLE LANGUAGE 1031\n"
                                "BEGIN\n"
                                "    5, \"Über\"\n"
                                "    65535, \"last\"\n"
                                "END\n",
                                QStringLiteral("t.rc"))
                    .ok());
        QCOMPARE(reader.GetString(233, 2057).value(), QStringLiteral("Remove "));
        QCOMPARE(reader.GetString(5, 2057).value(), QStringLiteral("say \"hi\""));
        QCOMPARE(reader.GetString(6, 2057).value(), QStringLiteral("a\nb\t\\, c"));
        QCOMPARE(reader.GetString(5, 1031).value(), QString::fromUtf8("Über"));
        QCOMPARE(reader.GetString(65535, 1031).value(), QStringLiteral("last"));
        // No text in that language, or no such ID: empty.
        QCOMPARE(reader.GetString(233, 1031).value(), QString());
        QCOMPARE(reader.GetString(7, 2057).value(), QString());
        QCOMPARE(reader.GetString(5, 1033).value(), QString());
        // The neutral language asks for the first table's language.
        QCOMPARE(reader.DefaultLanguage(), 2057);
        QCOMPARE(reader.GetString(233, 0).value(), QStringLiteral("Remove "));
    }

    void notOpenFails()
    {
        ResourceReader reader;
        qm::Result<QString> text = reader.GetString(51, 2057);
        QVERIFY(!text.ok());
        QVERIFY(text.errorString().contains(QStringLiteral("not open")));
    }

    void malformedTables_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("no header") << QByteArray("BEGIN\n") << "bad.rc, line 1: expected \"STRINGTABLE LANGUAGE <locale ID>\", found \"BEGIN\"";
        QTest::newRow("no BEGIN") << QByteArray("STRINGTABLE LANGUAGE 2057\n1, \"a\"\n") << "bad.rc, line 2: expected \"BEGIN\", found \"1, \"a\"\"";
        QTest::newRow("ID too large") << QByteArray("STRINGTABLE LANGUAGE 2057\nBEGIN\n65536, \"a\"\nEND\n")
                                      << "bad.rc, line 3: expected \"<string ID 0-65535>, \"text\"\", found \"65536, \"a\"\"";
        QTest::newRow("unclosed text") << QByteArray("STRINGTABLE LANGUAGE 2057\nBEGIN\n1, \"a\nEND\n")
                                       << "bad.rc, line 3: string ID 1: the text has no closing quote";
        QTest::newRow("unquoted") << QByteArray("STRINGTABLE LANGUAGE 2057\nBEGIN\n1, a\nEND\n")
                                  << "bad.rc, line 3: string ID 1: expected a text in double quotes";
        QTest::newRow("trailing") << QByteArray("STRINGTABLE LANGUAGE 2057\nBEGIN\n1, \"a\" x\nEND\n")
                                  << "bad.rc, line 3: string ID 1: unexpected \"x\" after the closing quote";
        QTest::newRow("duplicate") << QByteArray("STRINGTABLE LANGUAGE 2057\nBEGIN\n1, \"a\"\n1, \"b\"\nEND\n")
                                   << "bad.rc, line 4: string ID 1 appears twice in language 2057";
        QTest::newRow("no END") << QByteArray("STRINGTABLE LANGUAGE 2057\nBEGIN\n1, \"a\"\n")
                                << "bad.rc, line 4: the last string table has no \"END\"";
        QTest::newRow("empty") << QByteArray("// nothing\n") << "bad.rc holds no string table";
    }

    void malformedTables()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, message);
        ResourceReader reader;
        QVERIFY(reader.OpenText("STRINGTABLE LANGUAGE 1031\nBEGIN\n1, \"alt\"\nEND\n", QStringLiteral("good.rc")).ok());
        qm::Status status = reader.OpenText(text, QStringLiteral("bad.rc"));
        QVERIFY(!status.ok());
        QCOMPARE(status.errorString(), message);
        // A failed open keeps the tables that were open.
        QCOMPARE(reader.GetString(1, 1031).value(), QStringLiteral("alt"));
        QCOMPARE(reader.OpenCount(), 1);
    }

    void missingFile()
    {
        ResourceReader reader;
        qm::Status status = reader.Open(QStringLiteral("/nonexistent/strings.rc"));
        QVERIFY(!status.ok());
        QVERIFY(status.errorString().startsWith(QStringLiteral("Cannot open the string tables /nonexistent/strings.rc")));
        QVERIFY(!reader.IsOpen());
    }
};

QTEST_GUILESS_MAIN(ResourceReaderTest)
#include "resourcereader_test.moc"
