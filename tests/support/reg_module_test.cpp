#include "platform/win32core/Registry.h"
#include "platform/win32/ScriptedInteraction.h"
#include "support/REG_MODULE.h"
#include "support/modUtilRegistry.h"
#include "tests/testlib/TestEnvironment.h"

#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QtTest>

using namespace win32;

namespace {

struct Report {
    QString function, description;
};

// Answers every error report, keeping what it showed.
class ReportCatcher {
public:
    ReportCatcher()
    {
        for (int i = 0; i < 8; ++i)
            user.answerDialog([this](QDialog &dialog) {
                auto text = [&](const char *name) { return dialog.findChild<QLabel *>(QString::fromLatin1(name))->text(); };
                reports.append({text("lblFunction"), text("lblDescription")});
                return int(QDialog::Accepted);
            });
    }
    ScriptedInteraction user;
    QList<Report> reports;
};

QByteArray utf16z(const QString &text)
{
    QByteArray bytes(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    bytes.append(2, '\0');
    return bytes;
}

void setRaw(HKEY key, const QString &name, DWORD type, const QByteArray &data)
{
    QCOMPARE(RegSetValueEx(key, name, 0, type, reinterpret_cast<const BYTE *>(data.constData()), DWORD(data.size())),
             ERROR_SUCCESS);
}

QByteArray rawData(HKEY key, const QString &name, DWORD *type)
{
    QByteArray data(8192, '\0');
    DWORD size = DWORD(data.size());
    if (RegQueryValueEx(key, name, nullptr, type, reinterpret_cast<BYTE *>(data.data()), &size) != ERROR_SUCCESS)
        return "missing";
    return data.left(int(size));
}

QByteArray dword(qint32 n)
{
    const quint32 u = quint32(n);
    QByteArray bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes.append(char((u >> shift) & 0xff));
    return bytes;
}

} // namespace

class RegModuleTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        QCOMPARE(RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\Corvane\\Quillmark"), 0, QString(),
                                REG_OPTION_NON_VOLATILE, 0x3F, nullptr, &m_key, nullptr),
                 ERROR_SUCCESS);
    }
    void cleanup()
    {
        RegCloseKey(m_key);
        m_env.reset();
    }

    void stringsAreStoredWithTheirNul()
    {
        ReportCatcher catcher;
        RegStoreString(m_key, QStringLiteral("Font"), QStringLiteral("MS GOTHIC"));
        DWORD type = 0;
        QCOMPARE(rawData(m_key, QStringLiteral("Font"), &type), utf16z(QStringLiteral("MS GOTHIC")));
        QCOMPARE(type, REG_SZ);
        QCOMPARE(RegQueryString(m_key, QStringLiteral("font"), QStringLiteral("x")), QStringLiteral("MS GOTHIC"));

        RegStoreString(m_key, QStringLiteral("Font"), QString());   // nothing written
        QCOMPARE(RegQueryString(m_key, QStringLiteral("Font"), QStringLiteral("x")), QStringLiteral("MS GOTHIC"));
        RegStoreString(m_key, QStringLiteral("Other"), QString());
        QCOMPARE(rawData(m_key, QStringLiteral("Other"), &type), QByteArray("missing"));
        QVERIFY(catcher.reports.isEmpty());
    }

    void queryStringFallsBackToTheDefault_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("fits");
        QTest::newRow("2047 characters fit") << 2047 << true;
        QTest::newRow("2048 characters do not") << 2048 << false;
        QTest::newRow("far too long") << 5000 << false;
    }
    void queryStringFallsBackToTheDefault()
    {
        QFETCH(int, length);
        QFETCH(bool, fits);
        ReportCatcher catcher;
        const QString text(length, QLatin1Char('w'));
        RegStoreString(m_key, QStringLiteral("Long"), text);
        QCOMPARE(RegQueryString(m_key, QStringLiteral("Long"), QStringLiteral("default")),
                 fits ? text : QStringLiteral("default"));
        QCOMPARE(RegQueryString(m_key, QStringLiteral("Missing"), QStringLiteral("default")), QStringLiteral("default"));
        QCOMPARE(RegQueryString(0x4242, QStringLiteral("Long"), QStringLiteral("bad handle")), QStringLiteral("bad handle"));
        QVERIFY(catcher.reports.isEmpty());
    }

    void numbersAndBooleansAreDecimalText()
    {
        ReportCatcher catcher;
        DWORD type = 0;
        RegStoreLong(m_key, QStringLiteral("N"), -2057);
        QCOMPARE(rawData(m_key, QStringLiteral("N"), &type), utf16z(QStringLiteral("-2057")));
        QCOMPARE(RegQueryLong(m_key, QStringLiteral("N"), 7), -2057);
        RegStoreLong(m_key, QStringLiteral("Zero"), 0);
        QCOMPARE(rawData(m_key, QStringLiteral("Zero"), &type), utf16z(QStringLiteral("0")));

        RegStoreBoolean(m_key, QStringLiteral("DisplayOnConnect"), true);
        QCOMPARE(rawData(m_key, QStringLiteral("DisplayOnConnect"), &type), utf16z(QStringLiteral("-1")));
        QCOMPARE(RegQueryBoolean(m_key, QStringLiteral("DisplayOnConnect"), false), true);
        QCOMPARE(RegQueryLong(m_key, QStringLiteral("DisplayOnConnect"), 0), -1);
        RegStoreBoolean(m_key, QStringLiteral("DisplayOnConnect"), false);
        QCOMPARE(rawData(m_key, QStringLiteral("DisplayOnConnect"), &type), utf16z(QStringLiteral("0")));
        QCOMPARE(RegQueryBoolean(m_key, QStringLiteral("DisplayOnConnect"), true), false);

        QCOMPARE(RegQueryBoolean(m_key, QStringLiteral("Missing"), true), true);
        QCOMPARE(RegQueryBoolean(m_key, QStringLiteral("Missing"), false), false);
        QCOMPARE(RegQueryLong(m_key, QStringLiteral("Missing"), 1031), 1031);
        QVERIFY(catcher.reports.isEmpty());
    }

    void queryLongByType_data()
    {
        QTest::addColumn<uint>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("asBoolean");
        QTest::newRow("string 1 is true") << uint(REG_SZ) << utf16z(QStringLiteral("1")) << 1 << true;
        QTest::newRow("plus sign") << uint(REG_SZ) << utf16z(QStringLiteral("+12")) << 12 << true;
        QTest::newRow("expandable string") << uint(REG_EXPAND_SZ) << utf16z(QStringLiteral("42")) << 42 << true;
        QTest::newRow("32-bit number") << uint(REG_DWORD) << dword(1041) << 1041 << true;
        QTest::newRow("32-bit minus one") << uint(REG_DWORD) << dword(-1) << -1 << true;
        QTest::newRow("32-bit zero") << uint(REG_DWORD) << dword(0) << 0 << false;
        QTest::newRow("binary gives the default") << uint(REG_BINARY) << QByteArray("\x01\x02", 2) << 99 << true;
        QTest::newRow("300 characters give the default") << uint(REG_SZ) << utf16z(QString(300, QLatin1Char('1')))
                                                         << 99 << true;
    }
    void queryLongByType()
    {
        QFETCH(uint, type);
        QFETCH(QByteArray, data);
        QFETCH(int, expected);
        QFETCH(bool, asBoolean);
        ReportCatcher catcher;
        setRaw(m_key, QStringLiteral("V"), type, data);
        QCOMPARE(RegQueryLong(m_key, QStringLiteral("V"), 99), expected);
        QCOMPARE(RegQueryBoolean(m_key, QStringLiteral("V"), true), asBoolean);
        QVERIFY(catcher.reports.isEmpty());
    }

    void badDataIsReported_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("description");
        QTest::newRow("not a number") << utf16z(QStringLiteral("yes")) << "Type mismatch";
        QTest::newRow("empty text") << utf16z(QString()) << "Type mismatch";
        QTest::newRow("too large") << utf16z(QStringLiteral("99999999999")) << "Overflow";
        QTest::newRow("no data at all") << QByteArray() << "Invalid procedure call or argument";
    }
    void badDataIsReported()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, description);
        ReportCatcher catcher;
        setRaw(m_key, QStringLiteral("V"), REG_SZ, data);
        QCOMPARE(RegQueryLong(m_key, QStringLiteral("V"), 5), 0);
        QCOMPARE(RegQueryBoolean(m_key, QStringLiteral("V"), true), false);
        QCOMPARE(catcher.reports.size(), 2);
        QCOMPARE(catcher.reports[0].function, QStringLiteral("RegQueryLong"));
        QCOMPARE(catcher.reports[0].description, description);
        QCOMPARE(catcher.reports[1].function, QStringLiteral("RegQueryBoolean"));
    }

    void emptyDataIsReportedByQueryString()
    {
        ReportCatcher catcher;
        setRaw(m_key, QStringLiteral("V"), REG_SZ, QByteArray());
        QCOMPARE(RegQueryString(m_key, QStringLiteral("V"), QStringLiteral("default")), QString());
        QCOMPARE(catcher.reports.size(), 1);
        QCOMPARE(catcher.reports[0].function, QStringLiteral("RegQueryString"));
    }

    void failedWritesAreSilent()
    {
        ReportCatcher catcher;
        HKEY readOnly = 0;
        QCOMPARE(RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\Corvane\\Quillmark"), 0, KEY_QUERY_VALUE,
                              &readOnly),
                 ERROR_SUCCESS);
        RegStoreString(readOnly, QStringLiteral("V"), QStringLiteral("x"));
        RegStoreBoolean(0x4242, QStringLiteral("V"), true);
        RegCloseKey(readOnly);
        QCOMPARE(RegQueryString(m_key, QStringLiteral("V"), QStringLiteral("none")), QStringLiteral("none"));
        QVERIFY(catcher.reports.isEmpty());
    }

    void openOrCreateRegKeyCreatesTheNestedKeysOnce()
    {
        ReportCatcher catcher;
        const QString path = QStringLiteral("\\HKEY_CURRENT_USER\\SOFTWARE\\Corvane\\Quillmark\\Lingrove");
        auto key = OpenOrCreateRegKey(path);
        QVERIFY(key);
        QCOMPARE(key->fullName(), QStringLiteral("HKEY_CURRENT_USER\\SOFTWARE\\Corvane\\Quillmark\\Lingrove"));
        QVERIFY(key->subkeys().names()->isEmpty());
        HKEY opened = 0;
        QCOMPARE(RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("software\\corvane\\quillmark\\lingrove"), 0, KEY_READ,
                              &opened),
                 ERROR_SUCCESS);
        RegCloseKey(opened);

        QFile file(m_env->registryFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        auto again = OpenOrCreateRegKey(path);
        QVERIFY(again);
        QVERIFY(*again == *key);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QVERIFY(catcher.reports.isEmpty());
    }

    void openOrCreateRegKeyReportsWhatItCannotOpen_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("unknown root") << QStringLiteral("\\HKEY_NOWHERE\\Software");
        QTest::newRow("no leading backslash") << QStringLiteral("HKEY_CURRENT_USER\\Software");
        QTest::newRow("key name too long") << QStringLiteral("\\HKEY_CURRENT_USER\\") + QString(300, QLatin1Char('k'));
    }
    void openOrCreateRegKeyReportsWhatItCannotOpen()
    {
        QFETCH(QString, path);
        ReportCatcher catcher;
        QVERIFY(!OpenOrCreateRegKey(path));
        QCOMPARE(catcher.reports.size(), 1);
        QCOMPARE(catcher.reports[0].function, QStringLiteral("OpenOrCreateRegKey"));
    }

    void addOrReplaceValueKeepsTheType()
    {
        ReportCatcher catcher;
        auto key = OpenOrCreateRegKey(QStringLiteral("\\HKEY_CURRENT_USER\\SOFTWARE\\Corvane\\Quillmark\\Lingrove"));
        QVERIFY(key);
        QCOMPARE(GetValueWithDefault(key, QStringLiteral("LangId"), 2057).toInt(), 2057);
        AddOrReplaceValue(key, QStringLiteral("LangId"), 1031, 4);
        AddOrReplaceValue(key, QStringLiteral("LangName"), QStringLiteral("German (Germany)"), 1);
        AddOrReplaceValue(key, QStringLiteral("ShowDialog"), -1, 4);
        QCOMPARE(GetValueWithDefault(key, QStringLiteral("langid"), 2057).toInt(), 1031);
        QCOMPARE(GetValueWithDefault(key, QStringLiteral("LangName"), QString()).toString(), QStringLiteral("German (Germany)"));
        QCOMPARE(GetValueWithDefault(key, QStringLiteral("ShowDialog"), 0).toInt(), -1);

        AddOrReplaceValue(key, QStringLiteral("LangId"), QStringLiteral("2057"), 1);   // type code not applied
        HKEY raw = 0;
        QCOMPARE(RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("SOFTWARE\\Corvane\\Quillmark\\Lingrove"), 0, KEY_READ, &raw),
                 ERROR_SUCCESS);
        DWORD type = 0;
        QCOMPARE(rawData(raw, QStringLiteral("LangId"), &type), dword(2057));
        QCOMPARE(type, REG_DWORD);
        RegCloseKey(raw);
        QVERIFY(catcher.reports.isEmpty());

        AddOrReplaceValue(key, QStringLiteral("LangId"), QStringLiteral("English"), 4);
        AddOrReplaceValue(std::nullopt, QStringLiteral("LangId"), 1, 4);
        QCOMPARE(GetValueWithDefault(std::nullopt, QStringLiteral("LangId"), 7), QVariant());
        QCOMPARE(catcher.reports.size(), 3);
        QCOMPARE(catcher.reports[0].function, QStringLiteral("AddOrReplaceValue"));
        QCOMPARE(catcher.reports[2].function, QStringLiteral("GetValueWithDefault"));
        QCOMPARE(GetValueWithDefault(key, QStringLiteral("LangId"), 0).toInt(), 2057);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
    HKEY m_key = 0;
};

QTEST_MAIN(RegModuleTest)
#include "reg_module_test.moc"
