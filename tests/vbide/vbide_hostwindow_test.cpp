#include "platform/vbide/AddIn.h"
#include "platform/vbide/AddInManagerDialog.h"
#include "platform/vbide/Addins.h"
#include "platform/vbide/ComRegistration.h"
#include "platform/vbide/HostWindow.h"
#include "platform/vbide/InprocServer.h"
#include "platform/vbide/ProjectExplorer.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProject.h"
#include "platform/vbide/VBProjects.h"
#include "platform/win32/ScriptedInteraction.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"
#include "tests/vbide/testaddin/TestAddIn.h"

#include <QCheckBox>
#include <QDir>
#include <QInputDialog>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace vbide;

class HostWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void opensProjectsAndGroups();
    void reportsMissingComponentFiles();
    void asksAboutUnsavedProjectsOnClose_data();
    void asksAboutUnsavedProjectsOnClose();
    void removeAsksFirst();
    void renameGoesThroughTheDialog();
    void addInManagerLoadsAndUnloads();
    void addInManagerCancelChangesNothing();

private:
    QString path(const QString &relative) const { return QDir(m_dir->path()).filePath(relative); }
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void HostWindowTest::init()
{
    m_env.reset(new TestEnvironment);
    m_dir.reset(new QTemporaryDir);
    qApp->setProperty("testAddInLog", QStringList());
    writeFile(path("A.vbp"), "Type=Exe\r\nName=\"Alpha\"\r\n");
    writeFile(path("B.vbp"), "Type=Exe\r\nName=\"Beta\"\r\n");
    writeFile(path("G.vbg"), "VBGROUP 5.0\r\nStartupProject=a.vbp\r\nProject=b.vbp\r\n");
}

void HostWindowTest::cleanup()
{
    m_dir.reset();
    m_env.reset();
}

void HostWindowTest::opensProjectsAndGroups()
{
    win32::ScriptedInteraction user;
    user.answerMsgBox(win32::vbOK);
    HostWindow host;
    QVERIFY(host.openProject(path("G.vbg")));
    QCOMPARE(host.vbe()->VBProjects()->Count(), 2);
    QCOMPARE(host.explorer()->topLevelItemCount(), 2);
    QVERIFY(host.openProject(path("B.vbp")));  // replaces both
    QCOMPARE(host.vbe()->VBProjects()->Count(), 1);
    QVERIFY(host.addProject(path("A.vbp")));
    QCOMPARE(host.vbe()->VBProjects()->Count(), 2);
    QVERIFY(!host.addProject(path("A.vbp")));  // already open: a message, nothing else
    QCOMPARE(user.messageBoxes.size(), 1);
    QVERIFY(user.messageBoxes[0].prompt.contains("already open"));
    QVERIFY(user.unexpected.isEmpty());
}

void HostWindowTest::reportsMissingComponentFiles()
{
    writeFile(path("M.vbp"), "Type=Exe\r\nForm=Gone.frm\r\nName=\"Missing\"\r\n");
    win32::ScriptedInteraction user;
    user.answerMsgBox(win32::vbOK);
    user.answerMsgBox(win32::vbOK);
    HostWindow host;
    QVERIFY(host.openProject(path("M.vbp")));
    QCOMPARE(user.messageBoxes.size(), 1);
    QVERIFY(user.messageBoxes[0].prompt.contains("\"Gone.frm\" was not found"));
    QCOMPARE(host.vbe()->VBProjects()->Count(), 1);

    QVERIFY(!host.openProject(path("Nothing.vbp")));
    QCOMPARE(user.messageBoxes.size(), 2);
    QVERIFY(user.messageBoxes[1].prompt.contains("Nothing.vbp"));
    QCOMPARE(host.vbe()->VBProjects()->Count(), 1);
    QVERIFY(user.unexpected.isEmpty());
}

void HostWindowTest::asksAboutUnsavedProjectsOnClose_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QByteArray>("fileAfterwards");
    QTest::newRow("yes saves") << int(win32::vbYes) << true << QByteArray("Type=Exe\r\nName=\"Renamed\"\r\n");
    QTest::newRow("no drops") << int(win32::vbNo) << true << QByteArray("Type=Exe\r\nName=\"Alpha\"\r\n");
    QTest::newRow("cancel stays") << int(win32::vbCancel) << false << QByteArray("Type=Exe\r\nName=\"Alpha\"\r\n");
}

void HostWindowTest::asksAboutUnsavedProjectsOnClose()
{
    QFETCH(int, answer);
    QFETCH(bool, closes);
    QFETCH(QByteArray, fileAfterwards);
    win32::ScriptedInteraction user;
    user.answerMsgBox(answer);
    HostWindow host;
    host.show();
    QVERIFY(host.openProject(path("A.vbp")));
    QVERIFY(host.addProject(path("B.vbp")));  // unchanged: not asked about
    QVERIFY(host.renameProject(host.vbe()->VBProjects()->Item(1), "Renamed"));
    QCOMPARE(host.close(), closes);
    QCOMPARE(user.messageBoxes.size(), 1);
    QVERIFY(user.messageBoxes[0].prompt.contains("\"Renamed\""));
    QVERIFY(user.messageBoxes[0].prompt.contains("A.vbp"));
    QCOMPARE(user.messageBoxes[0].style & 7, 3);  // Yes, No and Cancel
    QCOMPARE(readFile(path("A.vbp")), fileAfterwards);
    QCOMPARE(host.isVisible(), !closes);
    QVERIFY(user.unexpected.isEmpty());
}

void HostWindowTest::removeAsksFirst()
{
    win32::ScriptedInteraction user;
    user.answerMsgBox(win32::vbCancel);
    user.answerMsgBox(win32::vbNo);
    HostWindow host;
    QVERIFY(host.openProject(path("A.vbp")));
    VBProject *project = host.vbe()->VBProjects()->Item(1);
    QVERIFY(host.removeProject(project));  // unchanged: removed without a question
    QCOMPARE(user.messageBoxes.size(), 0);
    QCOMPARE(host.vbe()->VBProjects()->Count(), 0);

    QVERIFY(host.openProject(path("A.vbp")));
    project = host.vbe()->VBProjects()->Item(1);
    QVERIFY(project->setName("Changed"));
    QVERIFY(!host.removeProject(project));  // Cancel
    QCOMPARE(host.vbe()->VBProjects()->Count(), 1);
    QVERIFY(host.removeProject(project));   // No
    QCOMPARE(host.vbe()->VBProjects()->Count(), 0);
    QCOMPARE(user.messageBoxes.size(), 2);
    QCOMPARE(readFile(path("A.vbp")), QByteArray("Type=Exe\r\nName=\"Alpha\"\r\n"));
}

void HostWindowTest::renameGoesThroughTheDialog()
{
    win32::ScriptedInteraction user;
    user.answerDialog([](QDialog &dialog) {
        auto &input = static_cast<QInputDialog &>(dialog);
        input.setTextValue("Not valid");
        return int(QDialog::Accepted);
    });
    user.answerMsgBox(win32::vbOK);
    user.answerDialog([](QDialog &dialog) {
        auto &input = static_cast<QInputDialog &>(dialog);
        input.setTextValue("Omega");
        return int(QDialog::Accepted);
    });
    HostWindow host;
    QVERIFY(host.openProject(path("A.vbp")));
    QAction *rename = host.findChild<QAction *>("mnuFileRename");
    QVERIFY(rename && rename->isEnabled());
    rename->trigger();
    QCOMPARE(user.messageBoxes.size(), 1);
    QVERIFY(user.messageBoxes[0].prompt.contains("not a valid project name"));
    QCOMPARE(host.vbe()->VBProjects()->Item(1)->Name(), QStringLiteral("Alpha"));
    rename->trigger();
    QCOMPARE(host.vbe()->VBProjects()->Item(1)->Name(), QStringLiteral("Omega"));
    QVERIFY(host.explorer()->topLevelItem(0)->text(0).startsWith("Omega (A.vbp) *"));
    QVERIFY(user.unexpected.isEmpty());
}

void HostWindowTest::addInManagerLoadsAndUnloads()
{
    QVERIFY(registerServer(QStringLiteral(QM_TEST_ADDIN_LIBRARY)));
    win32::ScriptedInteraction user;
    QString listed;
    QString described;
    user.answerDialog([&](QDialog &dialog) {
        auto &manager = static_cast<AddInManagerDialog &>(dialog);
        listed = manager.list()->topLevelItem(0)->text(0);
        described = manager.findChild<QPlainTextEdit *>("txtDescription")->toPlainText();
        manager.loadedBox()->setChecked(true);
        manager.startupBox()->setChecked(true);
        return int(QDialog::Accepted);
    });
    user.answerDialog([](QDialog &dialog) {
        auto &manager = static_cast<AddInManagerDialog &>(dialog);
        if (manager.list()->topLevelItem(0)->text(1) != "Startup / Loaded")
            return int(QDialog::Rejected);
        manager.loadedBox()->setChecked(false);
        return int(QDialog::Accepted);
    });
    HostWindow host;
    host.showAddInManager();
    QCOMPARE(listed, QStringLiteral("Quill Test Add-In"));
    QCOMPARE(described, QStringLiteral("An add-in the host's tests load and unload"));
    AddIn *addIn = host.vbe()->Addins()->Item(testaddin::ConnectProgId);
    QVERIFY2(addIn->Connect(), qPrintable(addIn->LastError()));
    QCOMPARE(addIn->LoadBehavior(), std::uint32_t(LoadBehaviorStartup));

    host.showAddInManager();
    QVERIFY(!addIn->Connect());
    QCOMPARE(addIn->LoadBehavior(), std::uint32_t(LoadBehaviorStartup));
    QVERIFY(user.messageBoxes.isEmpty());

    // Load on start-up takes effect in the next host.
    HostWindow next;
    next.startAddIns();
    QVERIFY(next.vbe()->Addins()->Item(testaddin::ConnectProgId)->Connect());
}

void HostWindowTest::addInManagerCancelChangesNothing()
{
    QVERIFY(registerServer(QStringLiteral(QM_TEST_ADDIN_LIBRARY)));
    win32::ScriptedInteraction user;
    user.answerDialog([](QDialog &dialog) {
        auto &manager = static_cast<AddInManagerDialog &>(dialog);
        manager.loadedBox()->setChecked(true);
        manager.startupBox()->setChecked(true);
        return int(QDialog::Rejected);
    });
    HostWindow host;
    host.showAddInManager();
    AddIn *addIn = host.vbe()->Addins()->Item(testaddin::ConnectProgId);
    QVERIFY(!addIn->Connect());
    QCOMPARE(addIn->LoadBehavior(), std::uint32_t(LoadBehaviorNone));
}

QTEST_MAIN(HostWindowTest)
#include "vbide_hostwindow_test.moc"
