#include "platform/win32core/Registry.h"
#include "platform/win32core/RegistryObjects.h"
#include "platform/win32core/RegistryStore.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QtTest>

using namespace win32;

namespace {

QByteArray utf16z(const QString &text)
{
    QByteArray bytes(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    bytes.append(2, '\0');
    return bytes;
}

QByteArray dword(quint32 n)
{
    QByteArray bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes.append(char((n >> shift) & 0xff));
    return bytes;
}

HKEY createKey(const QString &path)
{
    HKEY key = 0;
    const LONG status = RegCreateKeyEx(HKEY_CURRENT_USER, path, 0, QString(), REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                       nullptr, &key, nullptr);
    return status == ERROR_SUCCESS ? key : 0;
}

LONG setRaw(HKEY key, const QString &name, DWORD type, const QByteArray &data)
{
    return RegSetValueEx(key, name, 0, type, reinterpret_cast<const BYTE *>(data.constData()), DWORD(data.size()));
}

bool queryRaw(HKEY key, const QString &name, DWORD *type, QByteArray *data)
{
    DWORD size = 0;
    if (RegQueryValueEx(key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    data->resize(qsizetype(size));
    return RegQueryValueEx(key, name, nullptr, type, reinterpret_cast<BYTE *>(data->data()), &size) == ERROR_SUCCESS;
}

} // namespace

class RegistryTest : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void valuesKeepTypeAndBytesThroughTheFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<uint>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("string") << "Text" << uint(REG_SZ) << utf16z(QStringLiteral("Hello"));
        QTest::newRow("empty string") << "Empty" << uint(REG_SZ) << utf16z(QString());
        QTest::newRow("no data at all") << "Nothing" << uint(REG_SZ) << QByteArray();
        QTest::newRow("quotes and backslashes") << "C:\\x \"y\"" << uint(REG_SZ)
                                                << utf16z(QStringLiteral("C:\\Program Files\\\"Q\"\\"));
        QTest::newRow("line break") << "Lines" << uint(REG_SZ) << utf16z(QStringLiteral("one\r\ntwo"));
        QTest::newRow("non-Latin") << QStringLiteral("名前") << uint(REG_SZ) << utf16z(QStringLiteral("日本語 עברית"));
        QTest::newRow("expandable") << "Path" << uint(REG_EXPAND_SZ) << utf16z(QStringLiteral("%HOME%\\x"));
        QTest::newRow("number") << "Count" << uint(REG_DWORD) << dword(10);
        QTest::newRow("minus one") << "Flag" << uint(REG_DWORD) << dword(0xffffffffu);
        QTest::newRow("binary") << "Blob" << uint(REG_BINARY) << QByteArray::fromHex("00ff10203040506070");
        QTest::newRow("long binary wraps") << "Big" << uint(REG_BINARY) << QByteArray(300, '\x5a');
        QTest::newRow("default value") << "" << uint(REG_SZ) << utf16z(QStringLiteral("default"));
        const QChar high(0xd83d), low(0xde00);
        QTest::newRow("surrogate pair") << QString(high) + low << uint(REG_SZ) << utf16z(QString(high) + low);
        QTest::newRow("lone high surrogate in the data") << "Lone" << uint(REG_SZ) << utf16z(QString(high) + "x");
        QTest::newRow("lone low surrogate in the data") << "Lone" << uint(REG_SZ) << utf16z("x" + QString(low));
        QTest::newRow("swapped pair in the data") << "Lone" << uint(REG_SZ) << utf16z(QString(low) + high);
        QTest::newRow("lone surrogate in the name") << "a" + QString(low) << uint(REG_SZ) << utf16z("v");
        QTest::newRow("lone surrogate in an expandable") << "E" << uint(REG_EXPAND_SZ) << utf16z(QString(high));
    }
    void valuesKeepTypeAndBytesThroughTheFile()
    {
        QFETCH(QString, name);
        QFETCH(uint, type);
        QFETCH(QByteArray, data);
        HKEY key = createKey(QStringLiteral("Software\\Corvane\\Test"));
        QVERIFY(key);
        QCOMPARE(setRaw(key, name, type, data), ERROR_SUCCESS);
        QVERIFY(RegistryStore::load());   // read back from the file, not the cache
        DWORD readType = 0;
        QByteArray readData;
        QVERIFY(queryRaw(key, name, &readType, &readData));
        QCOMPARE(readType, DWORD(type));
        QCOMPARE(readData, data);
        QCOMPARE(RegCloseKey(key), ERROR_SUCCESS);
    }

    void fileUsesRegeditSyntax()
    {
        HKEY key = createKey(QStringLiteral("Software\\Corvane\\Quillmark"));
        QCOMPARE(setRaw(key, QStringLiteral("DisplayOnConnect"), REG_SZ, utf16z(QStringLiteral("-1"))), ERROR_SUCCESS);
        QCOMPARE(setRaw(key, QStringLiteral("Dir"), REG_SZ, utf16z(QStringLiteral("C:\\a \"b\""))), ERROR_SUCCESS);
        QCOMPARE(setRaw(key, QStringLiteral("n"), REG_DWORD, dword(10)), ERROR_SUCCESS);
        QCOMPARE(setRaw(key, QString(), REG_EXPAND_SZ, utf16z(QStringLiteral("%A%"))), ERROR_SUCCESS);
        QCOMPARE(setRaw(key, QStringLiteral("b"), REG_BINARY, QByteArray::fromHex("01ab")), ERROR_SUCCESS);
        RegCloseKey(key);
        const QByteArray text = readFile(m_env->registryFile());
        QVERIFY(text.startsWith("Windows Registry Editor Version 5.00\n\n"));
        QVERIFY(text.contains("\n[HKEY_CURRENT_USER\\Software\\Corvane\\Quillmark]\n"
                              "\"DisplayOnConnect\"=\"-1\"\n"
                              "\"Dir\"=\"C:\\\\a \\\"b\\\"\"\n"
                              "\"n\"=dword:0000000a\n"
                              "@=hex(2):25,00,41,00,25,00,00,00\n"
                              "\"b\"=hex:01,ab\n"));
        QVERIFY(text.contains("[HKEY_CURRENT_USER\\Software]\n"));
    }

    void loneSurrogatesKeepTheRestOfTheFileAsText()
    {
        const QChar lone(0xd800);
        HKEY key = createKey(QStringLiteral("Software\\Corvane\\Quillmark"));
        QCOMPARE(setRaw(key, QStringLiteral("Data"), REG_SZ, utf16z(QString(lone))), ERROR_SUCCESS);
        QCOMPARE(setRaw(key, QStringLiteral("Plain"), REG_SZ, utf16z(QStringLiteral("ä"))), ERROR_SUCCESS);
        // Data the quoted form cannot carry is written as its bytes; the file stays UTF-8.
        QByteArray text = readFile(m_env->registryFile());
        QVERIFY2(text.contains("\"Data\"=hex(1):00,d8,00,00\n\"Plain\"=\"\xc3\xa4\"\n"), text.constData());
        // A name no UTF-8 text can hold makes the file UTF-16, as regedit writes it.
        HKEY odd = createKey(QStringLiteral("Software\\K") + lone);
        QVERIFY(odd);
        QCOMPARE(setRaw(odd, QString(lone), REG_DWORD, dword(7)), ERROR_SUCCESS);
        text = readFile(m_env->registryFile());
        QVERIFY(text.startsWith("\xff\xfe"));
        QVERIFY(RegistryStore::load());
        HKEY again = 0;
        QCOMPARE(RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\K") + lone, 0, KEY_READ, &again),
                 ERROR_SUCCESS);
        DWORD type = 0;
        QByteArray data;
        QVERIFY(queryRaw(again, QString(lone), &type, &data));
        QCOMPARE(data, dword(7));
        QVERIFY(queryRaw(key, QStringLiteral("Plain"), &type, &data));
        QCOMPARE(data, utf16z(QStringLiteral("ä")));
        RegCloseKey(again);
        RegCloseKey(odd);
        RegCloseKey(key);
    }

    void readsRegeditExportsWithContinuationAndUtf16()
    {
        const QString content = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                               "; exported\r\n"
                                               "[HKEY_CURRENT_USER\\Software\\X]\r\n"
                                               "\"Bytes\"=hex:01,02,\\\r\n  03,04\r\n"
                                               "\"Name\"=\"Äpfel\"\r\n\r\n"
                                               "[-HKEY_CURRENT_USER\\Software\\Gone]\r\n");
        QByteArray bytes("\xff\xfe", 2);
        bytes += QByteArray(reinterpret_cast<const char *>(content.utf16()), content.size() * 2);
        writeFile(m_env->registryFile(), bytes);
        QVERIFY(RegistryStore::load());
        HKEY key = 0;
        QCOMPARE(RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("software\\x"), 0, KEY_READ, &key), ERROR_SUCCESS);
        DWORD type = 0;
        QByteArray data;
        QVERIFY(queryRaw(key, QStringLiteral("bytes"), &type, &data));
        QCOMPARE(data, QByteArray::fromHex("01020304"));
        QVERIFY(queryRaw(key, QStringLiteral("NAME"), &type, &data));
        QCOMPARE(data, utf16z(QStringLiteral("Äpfel")));
        RegCloseKey(key);
    }

    void namesAreCaseInsensitiveAndKeepTheirCase()
    {
        HKEY key = createKey(QStringLiteral("Software\\Corvane\\LanguageFonts"));
        QCOMPARE(setRaw(key, QStringLiteral("DisplayOnConnect"), REG_SZ, utf16z(QStringLiteral("0"))), ERROR_SUCCESS);
        QCOMPARE(setRaw(key, QStringLiteral("DISPLAYONCONNECT"), REG_SZ, utf16z(QStringLiteral("-1"))), ERROR_SUCCESS);
        RegCloseKey(key);

        HKEY again = 0;
        QCOMPARE(RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("SOFTWARE\\corvane\\languagefonts"), 0, KEY_READ, &again),
                 ERROR_SUCCESS);
        QString name;
        DWORD type = 0;
        QByteArray data(64, '\0');
        DWORD size = DWORD(data.size());
        QCOMPARE(RegEnumValue(again, 0, &name, &type, reinterpret_cast<BYTE *>(data.data()), &size), ERROR_SUCCESS);
        QCOMPARE(name, QStringLiteral("DisplayOnConnect"));
        QCOMPARE(data.left(int(size)), utf16z(QStringLiteral("-1")));
        QCOMPARE(RegEnumValue(again, 1, &name, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
        RegCloseKey(again);

        HKEY software = 0;
        QCOMPARE(RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("software"), 0, KEY_READ, &software), ERROR_SUCCESS);
        QCOMPARE(RegEnumKeyEx(software, 0, &name), ERROR_SUCCESS);
        QCOMPARE(name, QStringLiteral("Corvane"));
        QCOMPARE(RegEnumKeyEx(software, 1, &name), ERROR_NO_MORE_ITEMS);
        RegCloseKey(software);
    }

    void win32ErrorCodes()
    {
        HKEY key = 0;
        QCOMPARE(RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\Missing"), 0, KEY_QUERY_VALUE, &key),
                 ERROR_FILE_NOT_FOUND);
        QCOMPARE(key, HKEY(0));
        QCOMPARE(RegOpenKeyEx(0x1234, QStringLiteral("x"), 0, KEY_QUERY_VALUE, &key), ERROR_INVALID_HANDLE);

        HKEY parent = createKey(QStringLiteral("Software\\Codes"));
        HKEY child = createKey(QStringLiteral("Software\\Codes\\Child"));
        QCOMPARE(setRaw(parent, QStringLiteral("Text"), REG_SZ, utf16z(QStringLiteral("abcdef"))), ERROR_SUCCESS);

        QByteArray small(4, '\0');
        DWORD size = 4;
        QCOMPARE(RegQueryValueEx(parent, QStringLiteral("Text"), nullptr, nullptr, reinterpret_cast<BYTE *>(small.data()),
                                 &size),
                 ERROR_MORE_DATA);
        QCOMPARE(size, DWORD(14));
        QCOMPARE(RegQueryValueEx(parent, QStringLiteral("Absent"), nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
        QCOMPARE(RegDeleteKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Codes")), ERROR_ACCESS_DENIED);
        QCOMPARE(RegDeleteValue(parent, QStringLiteral("absent")), ERROR_FILE_NOT_FOUND);

        HKEY readOnly = 0;
        QCOMPARE(RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\Codes"), 0, KEY_QUERY_VALUE, &readOnly),
                 ERROR_SUCCESS);
        QCOMPARE(setRaw(readOnly, QStringLiteral("Text"), REG_SZ, utf16z(QStringLiteral("x"))), ERROR_ACCESS_DENIED);
        QString name;
        QCOMPARE(RegEnumKeyEx(readOnly, 0, &name), ERROR_ACCESS_DENIED);
        RegCloseKey(readOnly);

        QCOMPARE(RegCloseKey(child), ERROR_SUCCESS);
        QCOMPARE(RegDeleteKey(parent, QStringLiteral("Child")), ERROR_SUCCESS);
        QCOMPARE(RegCloseKey(child), ERROR_INVALID_HANDLE);
        QCOMPARE(RegDeleteKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Codes")), ERROR_SUCCESS);
        QCOMPARE(RegQueryValueEx(parent, QStringLiteral("Text"), nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
        RegCloseKey(parent);

        DWORD disposition = 0;
        QCOMPARE(RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("\\Lead"), 0, QString(), 0, KEY_ALL_ACCESS, nullptr,
                                &key, &disposition),
                 ERROR_BADKEY);
        QCOMPARE(RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("A\\\\B"), 0, QString(), 0, KEY_ALL_ACCESS, nullptr, &key,
                                &disposition),
                 ERROR_INVALID_PARAMETER);
        QCOMPARE(RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("New"), 0, QString(), 0, KEY_ALL_ACCESS, nullptr, &key,
                                &disposition),
                 ERROR_SUCCESS);
        QCOMPARE(disposition, REG_CREATED_NEW_KEY);
        RegCloseKey(key);
        QCOMPARE(RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("NEW"), 0, QString(), 0, KEY_ALL_ACCESS, nullptr, &key,
                                &disposition),
                 ERROR_SUCCESS);
        QCOMPARE(disposition, REG_OPENED_EXISTING_KEY);
        RegCloseKey(key);
    }

    void damagedFileIsKeptAsideWithAClearMessage()
    {
        const QByteArray damaged = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\X]\n"
                                   "\"Good\"=\"1\"\n\"Broken\"=dword:12zz\n";
        writeFile(m_env->registryFile(), damaged);
        qm::Status status = RegistryStore::load();
        QVERIFY(!status);
        QVERIFY2(status.errorString().contains(QLatin1String("line 5")), qPrintable(status.errorString()));
        QVERIFY(status.errorString().contains(QLatin1String("registry.reg.damaged")));
        QCOMPARE(readFile(m_env->registryFile() + QStringLiteral(".damaged")), damaged);
        QVERIFY(!QFile::exists(m_env->registryFile()));

        // New settings are saved, and a second damage does not replace the first copy.
        HKEY key = createKey(QStringLiteral("Software\\Y"));
        QVERIFY(key);
        RegCloseKey(key);
        writeFile(m_env->registryFile(), "not a registry file");
        QVERIFY(!RegistryStore::load());
        QCOMPARE(readFile(m_env->registryFile() + QStringLiteral(".damaged")), damaged);
        QCOMPARE(readFile(m_env->registryFile() + QStringLiteral(".damaged.1")), QByteArray("not a registry file"));
    }

    void twoProcessesWritingAtOnceLoseNothing()
    {
        HKEY key = createKey(QStringLiteral("Software\\Race"));
        RegCloseKey(key);
        QProcess first, second;
        for (QProcess *process : {&first, &second}) {
            const QString prefix = process == &first ? QStringLiteral("A") : QStringLiteral("B");
            process->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--writer"), prefix});
        }
        QVERIFY(first.waitForFinished(-1));
        QVERIFY(second.waitForFinished(-1));
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(RegistryStore::load());
        QVERIFY(RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\Race"), 0, KEY_READ, &key) == ERROR_SUCCESS);
        for (const char *prefix : {"A", "B"})
            for (int i = 0; i < kWrites; ++i) {
                DWORD type = 0;
                QByteArray data;
                QVERIFY2(queryRaw(key, QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(i), &type, &data),
                         qPrintable(QStringLiteral("%1%2 lost").arg(QLatin1String(prefix)).arg(i)));
                QCOMPARE(data, dword(quint32(i)));
            }
        RegCloseKey(key);
    }

    void keyObjects()
    {
        auto root = registryRoot().key(HKEY_CURRENT_USER);
        QVERIFY(root);
        QVERIFY(!root->subkeys().item(QStringLiteral("Software")));
        auto software = root->subkeys().add(QStringLiteral("Software"));
        QVERIFY(software);
        QCOMPARE(software->fullName(), QStringLiteral("HKEY_CURRENT_USER\\Software"));
        auto byName = registryRoot().key(QStringLiteral("hkey_current_user\\SOFTWARE\\"));
        QVERIFY(byName);
        QVERIFY(*byName == *software);
        QVERIFY(!registryRoot().key(QStringLiteral("HKEY_NOWHERE\\")));

        auto value = software->values().add(QStringLiteral("LangId"), 2057, REG_DWORD);
        QVERIFY(value);
        QCOMPARE(value->data()->toInt(), 2057);
        QVERIFY(value->setData(QStringLiteral("1031")));
        QCOMPARE(value->type().value(), REG_DWORD);
        QCOMPARE(value->data()->toInt(), 1031);
        QVERIFY(!value->setData(QStringLiteral("German")));   // not a number
        QCOMPARE(value->data()->toInt(), 1031);
        QVERIFY(software->values().add(QStringLiteral("ShowDialog"), -1, REG_DWORD));
        QCOMPARE(software->values().item(QStringLiteral("showdialog"))->data()->toInt(), -1);
        QVERIFY(!software->values().item(QStringLiteral("Missing")));
    }

public:
    static constexpr int kWrites = 40;

private:
    std::unique_ptr<TestEnvironment> m_env;
};

// Started by twoProcessesWritingAtOnceLoseNothing: writes kWrites numbers named <prefix><i>.
static int runWriter(const QString &prefix)
{
    HKEY key = 0;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\Race"), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return 2;
    for (int i = 0; i < RegistryTest::kWrites; ++i) {
        const QByteArray data = dword(quint32(i));
        if (setRaw(key, prefix + QString::number(i), REG_DWORD, data) != ERROR_SUCCESS)
            return 3;
    }
    return RegCloseKey(key) == ERROR_SUCCESS ? 0 : 4;
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--writer") == 0) {
        QCoreApplication app(argc, argv);
        return runWriter(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    RegistryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "registry_test.moc"
