#include "addin/Connect.h"
#include "languages/modUtilFonts.h"
#include "platform/vbide/AddIn.h"
#include "platform/vbide/Addins.h"
#include "platform/vbide/HostWindow.h"
#include "platform/vbide/InprocServer.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/Window.h"
#include "platform/vbide/Windows.h"
#include "platform/runtime/LocaleInfo.h"
#include "platform/win32core/Registry.h"
#include "platform/win32/ScriptedInteraction.h"
#include "support/Globals.h"
#include "tests/testlib/TestEnvironment.h"
#include "support/LanguageSelect.h"
#include "uistrings/LgvStringModule.h"

#include <QListWidget>
#include <QPushButton>
#include <QtTest>

extern "C" int DllRegisterServer(void);

using namespace win32;

namespace {

// Every key and value name below is written out as the settings of earlier
// versions hold them, never taken from the code's own constants: a misspelt
// name in the code would otherwise read back what it wrote and pass.

struct Stored {
    DWORD type = REG_NONE;
    QVariant data;  // string or number; invalid when absent
};

Stored readRaw(const QString &key, const QString &name)
{
    Stored stored;
    HKEY handle = 0;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return stored;
    DWORD size = 0;
    if (RegQueryValueEx(handle, name, nullptr, &stored.type, nullptr, &size) == ERROR_SUCCESS) {
        QByteArray bytes(int(size), '\0');
        RegQueryValueEx(handle, name, nullptr, &stored.type, reinterpret_cast<BYTE *>(bytes.data()), &size);
        if (stored.type == REG_DWORD && size == 4) {
            qint32 number = 0;
            std::memcpy(&number, bytes.constData(), 4);
            stored.data = number;
        } else if (stored.type == REG_SZ) {
            QString text(reinterpret_cast<const QChar *>(bytes.constData()), int(size / 2));
            if (text.endsWith(QChar(0)))
                text.chop(1);
            stored.data = text;
        }
    }
    RegCloseKey(handle);
    return stored;
}

void writeRaw(const QString &key, const QString &name, const QVariant &value)
{
    HKEY handle = 0;
    QCOMPARE(RegCreateKeyEx(HKEY_CURRENT_USER, key, 0, QString(), 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
             ERROR_SUCCESS);
    if (value.typeId() == QMetaType::Int) {
        const qint32 number = value.toInt();
        RegSetValueEx(handle, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), 4);
    } else {
        const QString text = value.toString() + QChar(0);
        RegSetValueEx(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.utf16()), DWORD(text.size() * 2));
    }
    RegCloseKey(handle);
}

void deleteRaw(const QString &key, const QString &name)
{
    HKEY handle = 0;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, key, 0, KEY_ALL_ACCESS, &handle) == ERROR_SUCCESS) {
        RegDeleteValue(handle, name);
        RegCloseKey(handle);
    }
}

void setUILanguage(int id)
{
    const QString name = id == 1031 ? QStringLiteral("German (Germany)") : QStringLiteral("English (United Kingdom)");
    LgvStringModule::SetUILanguage(id, name);
    LgvRuntime::RuntimeSupport support;
    support.SetLanguage(id, name);
}

const QString kSettings = QStringLiteral("Software\\Corvane\\Quillmark");
const QString kFonts = QStringLiteral("Software\\Corvane\\LanguageFonts");
const QString kLingrove = QStringLiteral("SOFTWARE\\Corvane\\Quillmark\\Lingrove");

} // namespace

// The registry locations other versions and other tools share with the add-in, pinned by their literal text.
class RegistryLocationsTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment m_env;  // one store for the process: the registry objects keep what they opened
    std::unique_ptr<ScriptedInteraction> m_user;

    static vbide::Window *toolWindow(vbide::HostWindow &host)
    {
        for (vbide::Window *window : *host.vbe()->Windows())
            if (window->Caption() == QStringLiteral("Quill Resource String Editor"))
                return window;
        return nullptr;
    }
    // Connects the add-in in a new host and returns whether its tool window came up visible.
    static bool connectAndTellVisibility(vbide::HostWindow &host)
    {
        host.vbe()->Addins()->Update();
        vbide::AddIn *addIn = host.vbe()->Addins()->Item(QStringLiteral("Quillmark.Connect"));
        if (!addIn || !addIn->setConnect(true).ok() || !toolWindow(host))
            return false;
        return toolWindow(host)->Visible();
    }

private slots:
    void initTestCase() { ::LocaleInfo = std::make_shared<LgvRuntime::LocaleInfo>(); }
    void cleanupTestCase() { ::LocaleInfo.reset(); }
    void init()
    {
        m_user = std::make_unique<ScriptedInteraction>();
        setUILanguage(2057);
    }
    void cleanup()
    {
        QVERIFY2(m_user->unexpected.isEmpty(), qPrintable(m_user->unexpected.join('\n')));
        m_user.reset();
    }

    void uiLanguage()
    {
        // Stored by an earlier session: German, no dialog at start-up.
        writeRaw(kLingrove, QStringLiteral("LangId"), 1031);
        writeRaw(kLingrove, QStringLiteral("LangName"), QStringLiteral("German (Germany)"));
        writeRaw(kLingrove, QStringLiteral("ShowDialog"), 0);
        LanguageSelect::ShowDialog(true);
        QCOMPARE(LgvStringModule::CurrentUILanguage(), 1031);
        QVERIFY(m_user->unexpected.isEmpty());

        // Chosen in the dialog: English, shown at start-up again.
        m_user->answerDialog([](QDialog &dialog) {
            auto &form = dynamic_cast<LanguageSelect &>(dialog);
            form.LanguageList->setCurrentRow(0);
            form.chkShowOnStartup->setChecked(true);
            form.OkButton->click();
            return QDialog::Accepted;
        });
        LanguageSelect::ShowDialog(false);
        Stored id = readRaw(kLingrove, QStringLiteral("LangId"));
        QCOMPARE(id.type, REG_DWORD);
        QCOMPARE(id.data.toInt(), 2057);
        Stored name = readRaw(kLingrove, QStringLiteral("LangName"));
        QCOMPARE(name.type, REG_SZ);
        QCOMPARE(name.data.toString(), QStringLiteral("English (United Kingdom)"));
        Stored show = readRaw(kLingrove, QStringLiteral("ShowDialog"));
        QCOMPARE(show.type, REG_DWORD);
        QCOMPARE(show.data.toInt(), -1);
    }

    void addInRegistration()
    {
        QCOMPARE(DllRegisterServer(), vbide::S_OK);
        const QString key = QStringLiteral("Software\\Microsoft\\Visual Basic\\6.0\\Addins\\Quillmark.Connect");
        QCOMPARE(readRaw(key, QStringLiteral("FriendlyName")).data.toString(),
                 QStringLiteral("Quill Resource String Editor"));
        QCOMPARE(readRaw(key, QStringLiteral("Description")).data.toString(),
                 QStringLiteral("Resource string editor with support for non western character sets"));
        QCOMPARE(readRaw(key, QStringLiteral("LoadBehavior")).type, REG_DWORD);
    }

    void displayOnConnectAndToolWindowPosition()
    {
        QCOMPARE(DllRegisterServer(), vbide::S_OK);
        writeRaw(kLingrove, QStringLiteral("ShowDialog"), 0);
        {
            vbide::HostWindow host;
            host.show();
            connectAndTellVisibility(host);
            QCOMPARE(toolWindow(host)->guidPosition(), QStringLiteral("{64BCB040-A947-11d5-BF0A-0020182C1E5C}"));
            toolWindow(host)->setVisible(true);
            QVERIFY(host.vbe()->Addins()->Item(QStringLiteral("Quillmark.Connect"))->setConnect(false).ok());
        }
        Stored stored = readRaw(kSettings, QStringLiteral("DisplayOnConnect"));
        QCOMPARE(stored.type, REG_SZ);
        QCOMPARE(stored.data.toString(), QStringLiteral("-1"));

        writeRaw(kSettings, QStringLiteral("DisplayOnConnect"), QStringLiteral("0"));
        {
            vbide::HostWindow host;
            QVERIFY(!connectAndTellVisibility(host));
        }
        deleteRaw(kSettings, QStringLiteral("DisplayOnConnect"));
        {
            vbide::HostWindow host;
            QVERIFY(connectAndTellVisibility(host));  // key there, value missing: shown
        }
    }

    void languageFonts()
    {
        modUtil::StoreLanguageFont(1031, QStringLiteral("Noto Serif"));
        const Stored stored = readRaw(kFonts, QStringLiteral("1031"));
        QCOMPARE(stored.type, REG_SZ);
        QCOMPARE(stored.data.toString(), QStringLiteral("Noto Serif"));
        writeRaw(kFonts, QStringLiteral("1041"), QStringLiteral("Noto Sans CJK JP"));
        QCOMPARE(modUtil::GetStoredLanguageFont(1041, QStringLiteral("none")), QStringLiteral("Noto Sans CJK JP"));
        QCOMPARE(modUtil::GetStoredLanguageFont(1036, QStringLiteral("none")), QStringLiteral("none"));
    }

};

QTEST_MAIN(RegistryLocationsTest)
#include "registry_locations_test.moc"
