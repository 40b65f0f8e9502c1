#include "platform/win32core/Nls.h"
#include "tests/testlib/TestEnvironment.h"

#include <QtTest>

using namespace win32;

namespace {

QString info(LCID lcid, LCTYPE type)
{
    const int size = GetLocaleInfo(lcid, type, nullptr, 0);
    if (size == 0)
        return QStringLiteral("<none>");
    QList<char16_t> buffer(size);
    if (GetLocaleInfo(lcid, type, buffer.data(), size) != size)
        return QStringLiteral("<short>");
    return QString::fromUtf16(buffer.data(), size - 1);
}

} // namespace

class NlsTest : public QObject {
    Q_OBJECT
    TestEnvironment m_env;

private slots:
    void init()
    {
        qunsetenv("LC_ALL");
        qunsetenv("LC_MESSAGES");
        qputenv("LANG", "en_GB.UTF-8");
    }

    void localeFacts_data()
    {
        QTest::addColumn<uint>("lcid");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ansi");
        QTest::addColumn<QString>("oem");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("native");
        QTest::newRow("1041") << 1041u << "ja-JP" << "932" << "932" << "Japanese (Japan)" << "Japanese" << "日本語";
        QTest::newRow("1025") << 1025u << "ar-SA" << "1256" << "720" << "Arabic (Saudi Arabia)" << "Arabic" << "العربية";
        QTest::newRow("1081") << 1081u << "hi-IN" << "0" << "1" << "Hindi (India)" << "Hindi" << "हिन्दी";
        QTest::newRow("2057") << 2057u << "en-GB" << "1252" << "850" << "English (United Kingdom)" << "English"
                              << "English";
        QTest::newRow("1031") << 1031u << "de-DE" << "1252" << "850" << "German (Germany)" << "German" << "Deutsch";
    }
    void localeFacts()
    {
        QFETCH(uint, lcid);
        QFETCH(QString, name);
        QFETCH(QString, ansi);
        QFETCH(QString, oem);
        QFETCH(QString, english);
        QFETCH(QString, language);
        QFETCH(QString, native);
        QCOMPARE(info(lcid, LOCALE_SNAME), name);
        QCOMPARE(info(lcid, LOCALE_IDEFAULTANSICODEPAGE), ansi);
        QCOMPARE(info(lcid, LOCALE_IDEFAULTCODEPAGE), oem);
        QCOMPARE(info(lcid, LOCALE_SLANGUAGE), english);
        QCOMPARE(info(lcid, LOCALE_SENGLANGUAGE), language);
        QCOMPARE(info(lcid, LOCALE_SNATIVELANGNAME), native);
        QCOMPARE(LCIDToLocaleName(lcid), name);
        QCOMPARE(LocaleNameToLCID(name.toLower()), LCID(lcid));
    }

    void namesFollowTheSystemLanguage()
    {
        qputenv("LANG", "de_DE.UTF-8");
        QCOMPARE(GetSystemDefaultLCID(), LCID(1031));
        QCOMPARE(info(1041, LOCALE_SLANGUAGE), QStringLiteral("Japanisch (Japan)"));
        QCOMPARE(info(2057, LOCALE_SLANGUAGE), QStringLiteral("Englisch (Vereinigtes Königreich)"));
        QCOMPARE(info(1041, LOCALE_SENGLANGUAGE), QStringLiteral("Japanese"));
    }

    void defaultLocaleFromTheEnvironment_data()
    {
        QTest::addColumn<QByteArray>("lcAll");
        QTest::addColumn<QByteArray>("lang");
        QTest::addColumn<uint>("lcid");
        QTest::newRow("LANG") << QByteArray() << QByteArray("ja_JP.UTF-8") << 1041u;
        QTest::newRow("LC_ALL wins") << QByteArray("fr_FR.UTF-8") << QByteArray("ja_JP.UTF-8") << 1036u;
        QTest::newRow("modifier") << QByteArray() << QByteArray("de_DE@euro") << 1031u;
        QTest::newRow("language only") << QByteArray() << QByteArray("de") << 1031u;
        QTest::newRow("C locale") << QByteArray() << QByteArray("C.UTF-8") << 1033u;
        QTest::newRow("unknown") << QByteArray() << QByteArray("xx_YY") << 1033u;
        QTest::newRow("unset") << QByteArray() << QByteArray() << 1033u;
    }
    void defaultLocaleFromTheEnvironment()
    {
        QFETCH(QByteArray, lcAll);
        QFETCH(QByteArray, lang);
        QFETCH(uint, lcid);
        if (!lcAll.isEmpty())
            qputenv("LC_ALL", lcAll);
        if (lang.isEmpty())
            qunsetenv("LANG");
        else
            qputenv("LANG", lang);
        QCOMPARE(GetSystemDefaultLCID(), LCID(lcid));
        QCOMPARE(GetUserDefaultLCID(), LCID(lcid));
    }

    void enumeratesTheSpecificLocales()
    {
        QStringList seen;
        QVERIFY(EnumSystemLocales([&](const QString &hex) { seen.append(hex); return true; }, LCID_SUPPORTED));
        QCOMPARE(seen.size(), 258);  // with the three pseudo-locales
        QVERIFY(seen.contains(QStringLiteral("00000409")));
        QVERIFY(seen.contains(QStringLiteral("00000411")));
        QVERIFY(!seen.contains(QStringLiteral("00000009")));   // neutral English
        QVERIFY(std::is_sorted(seen.begin(), seen.end()));
        int calls = 0;
        QVERIFY(EnumSystemLocales([&](const QString &) { return ++calls < 3; }, LCID_INSTALLED));
        QCOMPARE(calls, 3);
        QVERIFY(!EnumSystemLocales([](const QString &) { return true; }, 7));
    }

    void neutralAndUnknownLocales()
    {
        QCOMPARE(LCIDToLocaleName(0x0009), QStringLiteral("en-US"));
        QCOMPARE(LCIDToLocaleName(0x0009, LOCALE_ALLOW_NEUTRAL_NAMES), QStringLiteral("en"));
        QCOMPARE(LocaleNameToLCID(QStringLiteral("en")), LCID(0));
        QCOMPARE(LocaleNameToLCID(QStringLiteral("en"), LOCALE_ALLOW_NEUTRAL_NAMES), LCID(9));
        QCOMPARE(info(0x7777, LOCALE_SNAME), QStringLiteral("<none>"));
        QCOMPARE(GetLastError(), ERROR_INVALID_PARAMETER);
        QCOMPARE(info(1041, 0x9999), QStringLiteral("<none>"));
        QCOMPARE(GetLastError(), ERROR_INVALID_FLAGS);
        char16_t small[3];
        QCOMPARE(GetLocaleInfo(1041, LOCALE_SNAME, small, 3), 0);
        QCOMPARE(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        QCOMPARE(info(LOCALE_SYSTEM_DEFAULT, LOCALE_SNAME), QStringLiteral("en-GB"));
    }
};

QTEST_GUILESS_MAIN(NlsTest)
#include "nls_test.moc"
