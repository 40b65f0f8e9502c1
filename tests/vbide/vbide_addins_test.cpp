#include "platform/vbide/AddIn.h"
#include "platform/vbide/Addins.h"
#include "platform/vbide/CommandBar.h"
#include "platform/vbide/CommandBarControl.h"
#include "platform/vbide/CommandBarControls.h"
#include "platform/vbide/CommandBars.h"
#include "platform/vbide/ComRegistration.h"
#include "platform/vbide/HostRegistry.h"
#include "platform/vbide/HostWindow.h"
#include "platform/vbide/InprocServer.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/Window.h"
#include "platform/vbide/Windows.h"
#include "tests/testlib/EventRounds.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/vbide/testaddin/TestAddIn.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QMenu>
#include <QTest>

using namespace vbide;

namespace {

const QString Library = QStringLiteral(QM_TEST_ADDIN_LIBRARY);

QStringList takeLog()
{
    const QStringList entries = qApp->property("testAddInLog").toStringList();
    qApp->setProperty("testAddInLog", QStringList());
    return entries;
}

} // namespace

class AddinsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void registrationWritesTheClassesAndTheAddIn();
    void connectLoadsThroughTheRegistry();
    void failuresKeepTheHostRunning_data();
    void failuresKeepTheHostRunning();
    void throwingAddInIsTakenDown();
    void startupLoadsOnlyStartupAddIns();
    void toolWindowRemembersItsPlace();
    void toolWindowRefusals();

private:
    std::unique_ptr<TestEnvironment> m_env;
};

void AddinsTest::init()
{
    m_env.reset(new TestEnvironment);
    takeLog();
    qApp->setProperty("testAddInThrow", false);
    QVERIFY2(registerServer(Library), qPrintable(registerServer(Library).errorString()));
}

void AddinsTest::cleanup()
{
    m_env.reset();
}

void AddinsTest::registrationWritesTheClassesAndTheAddIn()
{
    auto clsid = clsidFromProgId(testaddin::ConnectProgId);
    QVERIFY2(clsid, qPrintable(clsid.errorString()));
    QCOMPARE(*clsid, QStringLiteral("{0E6B5A10-1C2D-4E3F-8A9B-0C1D2E3F4A5B}"));
    auto server = inprocServerPath(*clsid);
    QVERIFY(server);
    QCOMPARE(*server, QFileInfo(Library).canonicalFilePath());
    auto name = reg::readString(win32::HKEY_CURRENT_USER, QStringLiteral("%1\\%2").arg(AddinsRegistryKey, testaddin::ConnectProgId),
                                "FriendlyName");
    QVERIFY(name);
    QCOMPARE(*name, QStringLiteral("Quill Test Add-In"));

    QVERIFY(unregisterServer(Library));
    QVERIFY(!clsidFromProgId(testaddin::ConnectProgId));
    VBE vbe;
    QCOMPARE(vbe.Addins()->Count(), 0);

    qm::Status bad = registerServer(QStringLiteral("/nonexistent/libnothing.so"));
    QVERIFY(!bad);
    QVERIFY(bad.errorString().contains("does not exist"));
}

void AddinsTest::connectLoadsThroughTheRegistry()
{
    QMainWindow main;
    VBE vbe(&main);
    QMenu menu;
    vbe.CommandBars()->Add("Add-Ins", &menu);
    QCOMPARE(vbe.Addins()->Count(), 1);
    AddIn *addIn = vbe.Addins()->Item(1);
    QCOMPARE(vbe.Addins()->Item("quilltest.connect"), addIn);
    QCOMPARE(addIn->ProgId(), QStringLiteral("QuillTest.Connect"));
    QCOMPARE(addIn->FriendlyName(), QStringLiteral("Quill Test Add-In"));
    QCOMPARE(addIn->Description(), QStringLiteral("An add-in the host's tests load and unload"));
    QVERIFY(!addIn->Connect());

    QVERIFY2(addIn->setConnect(true), qPrintable(addIn->LastError()));
    QVERIFY(addIn->Connect());
    QVERIFY(addIn->Object());
    QCOMPARE(takeLog(), QStringList({"OnConnection 0 projects=0"}));
    QCOMPARE(vbe.Windows()->Count(), 1);
    Window *window = vbe.Windows()->Item(1);
    QCOMPARE(window->Caption(), QStringLiteral("Test Window"));
    QVERIFY(!window->Visible());
    QCOMPARE(menu.actions().size(), 1);

    menu.actions()[0]->trigger();
    QCOMPARE(takeLog(), QStringList({"Click"}));
    QVERIFY(window->Visible());

    QVERIFY(addIn->setConnect(true));  // already loaded: nothing happens
    QVERIFY(takeLog().isEmpty());

    QVERIFY(addIn->setConnect(false));
    QVERIFY(!addIn->Connect());
    QCOMPARE(takeLog(), QStringList({"OnDisconnection 1", "Document destroyed", "Connect destroyed"}));
    QCOMPARE(vbe.Windows()->Count(), 0);
    QVERIFY(menu.actions().isEmpty());

    // Loading again after unloading works: a fresh object.
    QVERIFY(addIn->setConnect(true));
    QCOMPARE(takeLog(), QStringList({"OnConnection 0 projects=0"}));
}

void AddinsTest::failuresKeepTheHostRunning_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("message");
    QTest::newRow("class not registered") << "noclass" << "is not registered";
    QTest::newRow("library gone") << "nolibrary" << "does not exist";
    QTest::newRow("not a library") << "notlibrary" << "cannot be loaded";
    QTest::newRow("not an add-in") << "plain" << "not an add-in connection class";
}

void AddinsTest::failuresKeepTheHostRunning()
{
    QFETCH(QString, damage);
    QFETCH(QString, message);
    const QString clsid = QStringLiteral("{0E6B5A10-1C2D-4E3F-8A9B-0C1D2E3F4A5B}");
    if (damage == "noclass") {
        QVERIFY(unregisterClass(testaddin::ConnectProgId));
    } else if (damage == "nolibrary") {
        QVERIFY(reg::writeString(win32::HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32", {}, "/nonexistent/lib.so"));
    } else if (damage == "notlibrary") {
        QVERIFY(reg::writeString(win32::HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32", {}, m_env->registryFile()));
    } else {
        QVERIFY(registerAddIn(testaddin::PlainProgId, "Plain", "Not an add-in", LoadBehaviorNone));
    }
    VBE vbe;
    AddIn *addIn = vbe.Addins()->Item(damage == "plain" ? testaddin::PlainProgId : testaddin::ConnectProgId);
    QVERIFY(addIn);
    qm::Status status = addIn->setConnect(true);
    QVERIFY(!status);
    QVERIFY2(status.errorString().contains(message), qPrintable(status.errorString()));
    QCOMPARE(addIn->LastError(), status.errorString());
    QVERIFY(!addIn->Connect());
    QCOMPARE(vbe.Windows()->Count(), 0);
}

void AddinsTest::throwingAddInIsTakenDown()
{
    qApp->setProperty("testAddInThrow", true);
    VBE vbe;
    AddIn *addIn = vbe.Addins()->Item(testaddin::ConnectProgId);
    qm::Status status = addIn->setConnect(true);
    QVERIFY(!status);
    QVERIFY(status.errorString().contains("OnConnection"));
    QVERIFY(status.errorString().contains("connection refused for the test"));
    QVERIFY(!addIn->Connect());
    QCOMPARE(takeLog(), QStringList({"OnConnection 0 projects=0", "Connect destroyed"}));
}

void AddinsTest::startupLoadsOnlyStartupAddIns()
{
    {
        VBE vbe;
        vbe.Addins()->connectAtStartup();
        QVERIFY(!vbe.Addins()->Item(1)->Connect());
        QVERIFY(vbe.Addins()->Item(1)->setLoadBehavior(LoadBehaviorStartup));
    }
    VBE vbe;
    vbe.Addins()->connectAtStartup();
    vbe.Addins()->startupComplete();
    QVERIFY(vbe.Addins()->Item(1)->Connect());
    QCOMPARE(takeLog(), QStringList({"OnConnection 1 projects=0", "OnStartupComplete"}));
    vbe.Addins()->beginShutdown();
    vbe.Addins()->disconnectAll(ext_dm_HostShutdown);
    QCOMPARE(takeLog(), QStringList({"OnBeginShutdown", "OnDisconnection 0", "Document destroyed", "Connect destroyed"}));
}

void AddinsTest::toolWindowRemembersItsPlace()
{
    {
        HostWindow host;
        host.show();
        QVERIFY(testlib::waitForExposed(&host));
        AddIn *addIn = host.vbe()->Addins()->Item(testaddin::ConnectProgId);
        QVERIFY(addIn->setConnect(true));
        Window *window = host.vbe()->Windows()->Item(2);
        QCOMPARE(window->guidPosition(), QLatin1String(testaddin::WindowGuid));
        // First beside the project explorer, in the same area.
        QCOMPARE(host.dockWidgetArea(window->dockWidget()), Qt::LeftDockWidgetArea);
        window->setVisible(true);
        host.addDockWidget(Qt::BottomDockWidgetArea, window->dockWidget());
        host.resizeDocks({window->dockWidget()}, {222}, Qt::Vertical);
        QM_TRY_VERIFY(qAbs(window->dockWidget()->height() - 222) <= 8);
        QVERIFY(addIn->setConnect(false));
    }
    auto area = reg::readDword(win32::HKEY_CURRENT_USER,
                               QStringLiteral("%1\\ToolWindows\\%2").arg(HostRegistryRoot, testaddin::WindowGuid), "DockArea");
    QVERIFY(area);
    QCOMPARE(*area, std::uint32_t(Qt::BottomDockWidgetArea));

    HostWindow host;
    host.show();
    QVERIFY(testlib::waitForExposed(&host));
    AddIn *addIn = host.vbe()->Addins()->Item(testaddin::ConnectProgId);
    QVERIFY(addIn->setConnect(true));
    Window *window = host.vbe()->Windows()->Item(2);
    QCOMPARE(host.dockWidgetArea(window->dockWidget()), Qt::BottomDockWidgetArea);
    QVERIFY(!window->Visible());
    window->setVisible(true);
    testlib::waitUntil([&] { return qAbs(window->dockWidget()->height() - 222) <= 8; });
    QVERIFY2(qAbs(window->dockWidget()->height() - 222) <= 8, qPrintable(QString::number(window->dockWidget()->height())));
}

void AddinsTest::toolWindowRefusals()
{
    VBE vbe;
    AddIn *addIn = vbe.Addins()->Item(testaddin::ConnectProgId);
    QObject *document = reinterpret_cast<QObject *>(1);
    auto noAddIn = vbe.Windows()->CreateToolWindow(nullptr, testaddin::DocumentProgId, "X", testaddin::WindowGuid, document);
    QVERIFY(!noAddIn);
    QVERIFY(!document);
    auto badGuid = vbe.Windows()->CreateToolWindow(addIn, testaddin::DocumentProgId, "X", "64BCB040", document);
    QVERIFY(!badGuid);
    QVERIFY(badGuid.errorString().contains("position GUID"));
    auto notWidget = vbe.Windows()->CreateToolWindow(addIn, testaddin::PlainProgId, "X", testaddin::WindowGuid, document);
    QVERIFY(!notWidget);
    QVERIFY(notWidget.errorString().contains("not a window document"));
    auto first = vbe.Windows()->CreateToolWindow(addIn, testaddin::DocumentProgId, "X", testaddin::WindowGuid, document);
    QVERIFY(first);
    QCOMPARE(document->objectName(), QStringLiteral("testDocument"));
    auto twice = vbe.Windows()->CreateToolWindow(addIn, testaddin::DocumentProgId, "X", testaddin::WindowGuid, document);
    QVERIFY(!twice);
    QVERIFY(twice.errorString().contains("already exists"));
    vbe.Windows()->destroyToolWindowsOf(addIn);
    QCOMPARE(vbe.Windows()->Count(), 0);
}

QTEST_MAIN(AddinsTest)
#include "vbide_addins_test.moc"
