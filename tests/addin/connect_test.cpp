#include "addin/Connect.h"
#include "editor/docResourceEditor.h"
#include "platform/vbide/AddIn.h"
#include "platform/vbide/Addins.h"
#include "platform/vbide/CommandBar.h"
#include "platform/vbide/CommandBarControl.h"
#include "platform/vbide/CommandBarControls.h"
#include "platform/vbide/CommandBars.h"
#include "platform/vbide/ComRegistration.h"
#include "platform/vbide/InprocServer.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProjects.h"
#include "platform/vbide/Window.h"
#include "platform/vbide/Windows.h"
#include "platform/win32core/Registry.h"
#include "platform/runtime/ResourceReader.h"
#include "platform/runtime/RuntimeSupport.h"
#include "platform/win32/SftTree.h"
#include "platform/win32/SftTreeCellEditor.h"
#include "support/Globals.h"
#include "support/REG_MODULE.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/testlib/TestEnvironment.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

extern "C" QObject *qm_CreateObject(const char *progId);
extern "C" int DllRegisterServer(void);
extern "C" int DllUnregisterServer(void);

using namespace editortest;

// The add-in as the host loads and unloads it: tool window, menu entry,
// remembered visibility, release, and the library's registration.
class ConnectTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment m_env;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<User> m_user;
    std::unique_ptr<QMainWindow> m_main;
    std::unique_ptr<vbide::VBE> m_vbe;
    QMenu *m_addInsMenu = nullptr;

    QString path(const QString &name) const { return QDir(m_dir->path()).filePath(name); }
    vbide::AddIn *addIn() const { return m_vbe->Addins()->Item(QString::fromLatin1(Connect::ProgID)); }
    Connect *connection() const { return qobject_cast<Connect *>(addIn()->Object()); }
    void newHost(bool withAddInsMenu = true)
    {
        m_vbe.reset();
        m_main = std::make_unique<QMainWindow>();
        m_vbe = std::make_unique<vbide::VBE>(m_main.get());
        m_addInsMenu = nullptr;
        if (withAddInsMenu) {
            m_addInsMenu = new QMenu(QStringLiteral("Add-Ins"), m_main.get());
            m_vbe->CommandBars()->Add(QStringLiteral("Add-Ins"), m_addInsMenu);
        }
        m_vbe->Addins()->Update();
    }
    void load(vbide::ext_ConnectMode mode = vbide::ext_cm_AfterStartup)
    {
        const qm::Status status = addIn()->connect(mode);
        QVERIFY2(status.ok(), qPrintable(status.errorString()));
        QVERIFY(connection());
    }
    void unload(vbide::ext_DisconnectMode mode = vbide::ext_dm_UserClosed)
    {
        const qm::Status status = addIn()->disconnect(mode);
        QVERIFY2(status.ok(), qPrintable(status.errorString()));
    }
    static QVariant storedDisplayOnConnect()
    {
        using namespace win32;
        HKEY key = 0;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, QString::fromLatin1(Connect::SettingsKey), 0, KEY_READ, &key) != 0)
            return {};
        const bool value = RegQueryBoolean(key, QStringLiteral("DisplayOnConnect"), true);
        DWORD type = 0;
        DWORD size = 0;
        const bool exists = RegQueryValueEx(key, QStringLiteral("DisplayOnConnect"), nullptr, &type, nullptr, &size) == 0;
        RegCloseKey(key);
        return exists ? QVariant(value) : QVariant();
    }
    static void createSettingsKey()
    {
        using namespace win32;
        HKEY key = 0;
        DWORD disposition = 0;
        QCOMPARE(RegCreateKeyEx(HKEY_CURRENT_USER, QString::fromLatin1(Connect::SettingsKey), 0, QString(), 0,
                                KEY_ALL_ACCESS, nullptr, &key, &disposition),
                 0);
        RegCloseKey(key);
    }

    // As on a machine that never ran the add-in.
    static void wipeSettings()
    {
        using namespace win32;
        HKEY key = 0;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\Corvane"), 0, KEY_ALL_ACCESS, &key) == 0) {
            RegDeleteKey(key, QStringLiteral("Quillmark\\Lingrove"));
            RegDeleteKey(key, QStringLiteral("Quillmark"));
            RegCloseKey(key);
        }
    }

private slots:
    void initTestCase() { QCOMPARE(DllRegisterServer(), vbide::S_OK); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_user = std::make_unique<User>();
        skipLanguageDialog();
        writeRes(path("A.res"), {{2057, 1, "One"}});
        writeProject(m_dir->path(), "Alpha", "A.res");
        writeProject(m_dir->path(), "Beta");
        newHost();
    }
    void cleanup()
    {
        if (addIn() && addIn()->Connect())
            unload();
        m_vbe.reset();
        m_main.reset();
        m_user->verifyNothingUnexpected();
        m_user.reset();
        wipeSettings();
    }

    void registrationListsTheAddIn()
    {
        QVERIFY(addIn());
        QCOMPARE(addIn()->FriendlyName(), QStringLiteral("Quill Resource String Editor"));
        QCOMPARE(addIn()->Description(),
                 QStringLiteral("Resource string editor with support for non western character sets"));
        QCOMPARE(qm_CreateObject("Quillmark.Nothing"), nullptr);
        QCOMPARE(qm_CreateObject(nullptr), nullptr);
        // Registering again keeps the user's choice of when the add-in loads.
        QVERIFY(addIn()->setLoadBehavior(vbide::LoadBehaviorNone).ok());
        QCOMPARE(DllRegisterServer(), vbide::S_OK);
        m_vbe->Addins()->Update();
        QCOMPARE(addIn()->LoadBehavior(), std::uint32_t(vbide::LoadBehaviorNone));
    }

    void firstConnectionCreatesTheWindowHidden()
    {
        wipeSettings();
        m_user->answerDialog([](QDialog &) { return int(QDialog::Accepted); });  // the UI language, asked once
        load();
        Connect *connect = connection();
        QVERIFY(connect->ToolWindow());
        QVERIFY(!connect->ToolWindow()->Visible());
        QCOMPARE(connect->ToolWindow()->Caption(), QStringLiteral("Quill Resource String Editor"));
        QCOMPARE(connect->ToolWindow()->guidPosition(), QStringLiteral("{64BCB040-A947-11d5-BF0A-0020182C1E5C}"));
        QVERIFY(EditorInstance);
        QCOMPARE(EditorInstance->VBE(), m_vbe.get());
        QCOMPARE(VersionText, LibraryVersionText());
        QVERIFY(VersionText.startsWith("Version "));
        QVERIFY(LocaleInfo);
        QCOMPARE(HelpFilePath, LibraryHelpFilePath());
        // The menu entry shows the window.
        QVERIFY(connect->MenuItem());
        QCOMPARE(connect->MenuItem()->Caption(), QStringLiteral("Quill Resource String Editor"));
        connect->MenuItem()->Execute();
        QVERIFY(connect->ToolWindow()->Visible());
        connect->MenuItem()->Execute();  // again: nothing changes
        QVERIFY(connect->ToolWindow()->Visible());
    }

    void registeringShowsTheEditorAtTheFirstStartOnly()
    {
        wipeSettings();
        QCOMPARE(DllRegisterServer(), vbide::S_OK);
        skipLanguageDialog();
        load();
        QVERIFY(connection()->ToolWindow()->Visible());
        connection()->ToolWindow()->setVisible(false);
        unload();
        QCOMPARE(DllRegisterServer(), vbide::S_OK);  // again, as the run command does each time
        load();
        QVERIFY(!connection()->ToolWindow()->Visible());
    }

    void aKeyWithoutTheValueShowsTheWindow()
    {
        createSettingsKey();
        load();
        QVERIFY(connection()->DisplayOnConnect());
        QVERIFY(connection()->ToolWindow()->Visible());
    }

    void visibilityIsRememberedAcrossConnections_data()
    {
        QTest::addColumn<bool>("visible");
        QTest::newRow("closed by the user") << false;
        QTest::newRow("left open") << true;
    }
    void visibilityIsRememberedAcrossConnections()
    {
        QFETCH(bool, visible);
        createSettingsKey();
        load();
        connection()->ToolWindow()->setVisible(visible);
        unload();
        QCOMPARE(storedDisplayOnConnect(), QVariant(visible));
        load();
        QCOMPARE(connection()->ToolWindow()->Visible(), visible);
    }

    void theConnectModeMakesNoDifference_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("after start-up") << int(vbide::ext_cm_AfterStartup);
        QTest::newRow("start-up") << int(vbide::ext_cm_Startup);
        QTest::newRow("command line") << int(vbide::ext_cm_CommandLine);
    }
    void theConnectModeMakesNoDifference()
    {
        QFETCH(int, mode);
        createSettingsKey();
        load(static_cast<vbide::ext_ConnectMode>(mode));
        QVERIFY(connection()->ToolWindow()->Visible());
        QVERIFY(connection()->MenuItem());
    }

    void withoutAnAddInsMenuThereIsNoEntryButEverythingElseWorks()
    {
        newHost(false);
        load();
        QCOMPARE(connection()->MenuItem(), nullptr);
        QVERIFY(m_user->messageBoxes.isEmpty());
        connection()->ToolWindow()->setVisible(true);
        unload();
        QCOMPARE(storedDisplayOnConnect(), QVariant(true));
        QCOMPARE(EditorInstance, nullptr);
    }

    void disconnectionRemovesTheEntryAndReleasesEverything()
    {
        load();
        QCOMPARE(m_addInsMenu->actions().size(), 1);
        QPointer<docResourceEditor> editor = EditorInstance;
        unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(m_addInsMenu->actions().size(), 0);
        QCOMPARE(EditorInstance, nullptr);
        QVERIFY(!LocaleInfo);
        QVERIFY(!editor);
    }

    void theEditorListsTheProjectsOpenAtConnection()
    {
        QVERIFY(m_vbe->VBProjects()->AddFromFile(path("Alpha.vbp")));
        QVERIFY(m_vbe->VBProjects()->AddFromFile(path("Beta.vbp")));
        load();
        QComboBox *list = EditorInstance->cboProjects();
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->itemText(0), QStringLiteral("Alpha"));
        QCOMPARE(list->itemText(1), QStringLiteral("Beta"));
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(EditorInstance->SftTree()->itemCount(), 0);
    }

    void unsavedEditsAreAskedAboutWhenUnloaded_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("answer");
        QTest::newRow("unloaded, Yes") << int(vbide::ext_dm_UserClosed) << int(win32::vbYes);
        QTest::newRow("unloaded, No") << int(vbide::ext_dm_UserClosed) << int(win32::vbNo);
        QTest::newRow("host exits, Yes") << int(vbide::ext_dm_HostShutdown) << int(win32::vbYes);
    }
    void unsavedEditsAreAskedAboutWhenUnloaded()
    {
        QFETCH(int, mode);
        QFETCH(int, answer);
        QVERIFY(m_vbe->VBProjects()->AddFromFile(path("Alpha.vbp")));
        load();
        docResourceEditor &editor = *EditorInstance;
        editor.cboProjects()->setCurrentIndex(0);
        editor.cboProjects_Click();
        editor.SftTree_ItemClick(0, 1, win32::SftTree::AreaCellText, win32::SftTree::LeftButton, 0);
        editor.SftTree()->cellEditor()->setText(QStringLiteral("Uno"));  // still in the cell editor
        m_user->answerMsgBox(answer);
        if (mode == vbide::ext_dm_HostShutdown)
            m_vbe->Addins()->disconnectAll(vbide::ext_dm_HostShutdown);
        else
            unload();
        QCOMPARE(m_user->messageBoxes.size(), 1);
        QCOMPARE(m_user->messageBoxes[0].prompt, QStringLiteral("Save changes to resource file.\n") + path("A.res"));
        QCOMPARE(m_user->messageBoxes[0].style, int(win32::vbYesNo));
        QCOMPARE(textIn(readRes(path("A.res")), 2057, 1),
                 answer == win32::vbYes ? QStringLiteral("Uno") : QStringLiteral("One"));
    }

    void unloadingWithoutChangesAsksNothing()
    {
        QVERIFY(m_vbe->VBProjects()->AddFromFile(path("Alpha.vbp")));
        load();
        EditorInstance->cboProjects()->setCurrentIndex(0);
        EditorInstance->cboProjects_Click();
        unload();
        QVERIFY(m_user->messageBoxes.isEmpty());
    }

    // Every text of the editor that a user sees or hears, by where it is.
    static QStringList editorTexts(docResourceEditor &editor)
    {
        QStringList texts;
        for (QAction *button : editor.toolbar()->actions()) {
            if (!button->isSeparator())
                texts << QStringLiteral("tip ") + button->toolTip() << QStringLiteral("button ") + button->text();
        }
        for (QAction *item : editor.mnuColumnMenu()->actions()) {
            if (!item->isSeparator())
                texts << QStringLiteral("item ") + item->text();
        }
        texts << QStringLiteral("menu ") + editor.mnuColumnMenu()->title();
        texts << QStringLiteral("header ") + editor.SftTree()->columnCaption(0);
        for (QWidget *widget : editor.findChildren<QWidget *>()) {
            if (!widget->accessibleName().isEmpty())
                texts << widget->objectName() + QStringLiteral(" name ") + widget->accessibleName();
            if (!widget->toolTip().isEmpty())
                texts << widget->objectName() + QStringLiteral(" tip ") + widget->toolTip();
        }
        return texts;
    }

    void aGermanStartShowsAGermanEditor()
    {
        // The language of an earlier start in this process must not help.
        LgvStringModule::SetUILanguage(2057, QString());
        LgvRuntime::RuntimeSupport().SetLanguage(2057, QStringLiteral("English (United Kingdom)"));
        const auto key = OpenOrCreateRegKey(LanguageSelect::SettingsKeyPath);
        AddOrReplaceValue(key, QStringLiteral("LangId"), 1031, 4);
        AddOrReplaceValue(key, QStringLiteral("LangName"), QStringLiteral("German (Germany)"), 1);
        createSettingsKey();  // the editor's window is shown at connection
        QVERIFY(m_vbe->VBProjects()->AddFromFile(path("Alpha.vbp")));
        load(vbide::ext_cm_Startup);
        docResourceEditor &editor = *EditorInstance;
        const auto german = [](int id) { return LgvStringModule::StringReader().GetString(id, 1031).value(); };
        const QList<int> tips{493, 494, 495, 496, 497, 498, 499, 452, 500, 501, 138, 461};
        int next = 0;
        for (QAction *button : editor.toolbar()->actions()) {
            if (button->isSeparator())
                continue;
            QVERIFY(button->toolTip().startsWith(german(tips[next])));  // and the key, where it has one
            QCOMPARE(button->iconText(), german(tips[next++]));
        }
        QCOMPARE(editor.mnuRemoveLanguage()->text(), german(27));
        QCOMPARE(editor.mnuChangeFont()->text(), german(505));
        QCOMPARE(editor.mnuRemoveResourceString()->text(), german(507));
        QCOMPARE(editor.mnuAddLanguage()->text(), german(87));
        QCOMPARE(editor.mnuAddResourceString()->text(), german(508));
        // No English text that has a different German one anywhere in the window.
        QSet<QString> english{QStringLiteral("Toolbar"), QStringLiteral("Projects"), QStringLiteral("Resource strings"),
                              QStringLiteral("Cell editor"), QStringLiteral("Column menu"), QStringLiteral("More buttons")};
        for (int id = 1; id < 1000; ++id) {
            const QString text = LgvStringModule::StringReader().GetString(id, 2057).value();
            if (!text.isEmpty() && text != german(id))
                english.insert(text);
        }
        const QStringList shown = editorTexts(editor);
        for (const QString &text : shown)
            QVERIFY2(!english.contains(text.section(QLatin1Char(' '), 1)), qPrintable(text));
        // Choosing German again changes nothing.
        LgvRuntime::RuntimeSupport().SetLanguage(1031, QStringLiteral("German (Germany)"));
        QCOMPARE(editorTexts(editor), shown);
        LgvRuntime::RuntimeSupport().SetLanguage(2057, QStringLiteral("English (United Kingdom)"));
    }

    void cleanupTestCase() { QCOMPARE(DllUnregisterServer(), vbide::S_OK); }
};

QTEST_MAIN(ConnectTest)
#include "connect_test.moc"
