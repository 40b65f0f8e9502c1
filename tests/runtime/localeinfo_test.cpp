#include "platform/runtime/LocaleInfo.h"
#include "platform/win32core/Nls.h"

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
        // IDs that ICU's own LCID table maps elsewhere or more coarsely than the locale table.
        QTest::newRow("ko-KR in English") << 1042 << 2057 << "Korean (Korea)";
        QTest::newRow("en-AE in English") << 19465 << 2057 << "English (United Arab Emirates)";
        QTest::newRow("quc-Latn-GT in English") << 1158 << 2057 << QString::fromUtf8("Kʼicheʼ (Latin, Guatemala)");
        QTest::newRow("la-VA in English") << 1142 << 2057 << "Latin (Vatican City)";
        QTest::newRow("la-VA in German") << 1142 << 1031 << QString::fromUtf8("Latein (Vatikanstadt)");
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
        QCOMPARE(LocaleInfo::LocaleTag(19465).value(), QByteArray("en_AE"));
        QCOMPARE(LocaleInfo::LocaleTag(1034).value(), QByteArray("es_ES"));  // traditional sort
    }

    // A locale read from a file is named by the system (LOCALE_SLANGUAGE); one
    // added through the locale list by LocaleInfo. Both give the same name.
    void oneNameForEachLocale_data()
    {
        QTest::addColumn<QByteArray>("lang");
        QTest::addColumn<int>("display");
        QTest::newRow("English system") << QByteArray("en_GB.UTF-8") << 2057;
        QTest::newRow("German system") << QByteArray("de_DE.UTF-8") << 1031;
    }
    void oneNameForEachLocale()
    {
        QFETCH(QByteArray, lang);
        QFETCH(int, display);
        const QByteArray lcAll = qgetenv("LC_ALL");
        qputenv("LC_ALL", lang);
        LocaleInfo info;
        QStringList differing;
        for (int lcid : LocaleInfo::SystemLocaleIds()) {
            char16_t buffer[256] = {};
            const int length = win32::GetLocaleInfo(win32::LCID(lcid), win32::LOCALE_SLANGUAGE, buffer, 256);
            const QString system = QString::fromUtf16(buffer, qMax(length - 1, 0));
            const qm::Result<QString> name = info.GetLocaleName(lcid, display);
            if (!name.ok() || name.value() != system)
                differing.append(QStringLiteral("%1: %2 / %3").arg(lcid).arg(system, name.ok() ? name.value() : name.errorString()));
        }
        qputenv("LC_ALL", lcAll);
        QVERIFY2(differing.isEmpty(), qPrintable(differing.join(QLatin1Char('\n'))));
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
