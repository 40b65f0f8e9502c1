#include "platform/runtime/LocaleInfo.h"

#include <QtTest>

using LgvRuntime::LocaleInfo;

class LocaleInfoTest : public QObject {
    Q_OBJECT
private slots:
    void names_data()
    {
        QTest::addColumn<int>("lcid");
        QTest::addColumn<int>("display");
        QTest::addColumn<QString>("name");
        QTest::newRow("en-GB native") << 2057 << 2057 << "English (United Kingdom)";
        QTest::newRow("de-DE native") << 1031 << 1031 << "Deutsch (Deutschland)";
        QTest::newRow("de-DE in English") << 1031 << 2057 << "German (Germany)";
        QTest::newRow("en-GB in German") << 2057 << 1031 << QString::fromUtf8("Englisch (Vereinigtes Königreich)");
        QTest::newRow("fr-FR in English") << 1036 << 2057 << "French (France)";
        QTest::newRow("ja-JP native") << 1041 << 1041 << QString::fromUtf8("日本語 (日本)");
    }

    void names()
    {
        QFETCH(int, lcid);
        QFETCH(int, display);
        QFETCH(QString, name);
        LocaleInfo info;
        qm::Result<QString> result = info.GetLocaleName(lcid, display);
        QVERIFY2(result.ok(), qPrintable(result.errorString()));
        QCOMPARE(result.value(), name);
    }

    void tags()
    {
        QCOMPARE(LocaleInfo::LocaleTag(2057).value(), QByteArray("en_GB"));
        QCOMPARE(LocaleInfo::LocaleTag(1031).value(), QByteArray("de_DE"));
    }

    void unknownLocale()
    {
        LocaleInfo info;
        qm::Result<QString> result = info.GetLocaleName(0x7777, 2057);
        QVERIFY(!result.ok());
        QCOMPARE(result.errorString(), QStringLiteral("Locale ID 30583 is not a known locale"));
        QVERIFY(!info.GetLocaleName(2057, 0x7777).ok());
    }
};

QTEST_GUILESS_MAIN(LocaleInfoTest)
#include "localeinfo_test.moc"
