#include "platform/vbide/CommandBar.h"
#include "platform/vbide/CommandBarControl.h"
#include "platform/vbide/CommandBarControls.h"
#include "platform/vbide/CommandBarEvents.h"
#include "platform/vbide/CommandBarPopup.h"
#include "platform/vbide/CommandBars.h"
#include "platform/vbide/Events.h"
#include "platform/vbide/VBComponent.h"
#include "platform/vbide/VBComponents.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProject.h"
#include "platform/vbide/VBProjects.h"
#include "platform/vbide/VBProjectsEvents.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QToolBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace vbide;

class ProjectsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void eventsCarryTheSameProjectObject();
    void exclusiveOpenRemovesTheOthers();
    void refusesBadNamesAndDuplicates_data();
    void refusesBadNamesAndDuplicates();
    void addFileMakesTheResourceFileComponent();
    void addFileRefusals_data();
    void addFileRefusals();
    void commandBarButtonsRaiseClick();
    void popupMenusGoIntoTheMenuBar();
    void sharedActionsAreOneCommand();

private:
    QString path(const QString &relative) const { return QDir(m_dir->path()).filePath(relative); }
    TestEnvironment m_env;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void ProjectsTest::init()
{
    m_dir.reset(new QTemporaryDir);
    writeFile(path("A.frm"), "Attribute VB_Name = \"frmA\"\r\n");
    writeFile(path("A.vbp"), "Type=Exe\r\nForm=A.frm\r\nName=\"Alpha\"\r\n");
    writeFile(path("B.vbp"), "Type=Exe\r\nName=\"Beta\"\r\n");
}

void ProjectsTest::eventsCarryTheSameProjectObject()
{
    VBE vbe;
    VBProjectsEvents *events = vbe.Events()->VBProjectsEvents();
    QSignalSpy added(events, &VBProjectsEvents::ItemAdded);
    QSignalSpy removed(events, &VBProjectsEvents::ItemRemoved);
    QSignalSpy renamed(events, &VBProjectsEvents::ItemRenamed);

    auto alpha = vbe.VBProjects()->AddFromFile(path("A.vbp"));
    QVERIFY2(alpha, qPrintable(alpha.errorString()));
    auto beta = vbe.VBProjects()->AddFromFile(path("B.vbp"));
    QVERIFY(beta);
    QCOMPARE(added.size(), 2);
    QCOMPARE(added[0][0].value<VBProject *>(), *alpha);
    QCOMPARE(added[1][0].value<VBProject *>(), *beta);
    QCOMPARE(vbe.VBProjects()->Count(), 2);
    QCOMPARE(vbe.VBProjects()->Item(1), *alpha);
    QCOMPARE(vbe.VBProjects()->Item("beta"), *beta);
    QVERIFY(!vbe.VBProjects()->Item(3));
    QList<VBProject *> listed(vbe.VBProjects()->begin(), vbe.VBProjects()->end());
    QCOMPARE(listed, QList<VBProject *>({*alpha, *beta}));

    QVERIFY((*alpha)->setName("Gamma"));
    QCOMPARE(renamed.size(), 1);
    QCOMPARE(renamed[0][0].value<VBProject *>(), *alpha);
    QCOMPARE(renamed[0][1].toString(), QStringLiteral("Alpha"));
    QVERIFY((*alpha)->IsDirty());
    QVERIFY((*alpha)->setName("Gamma"));  // the same name again is no rename
    QCOMPARE(renamed.size(), 1);

    QVERIFY(vbe.VBProjects()->Remove(*alpha));
    QCOMPARE(removed.size(), 1);
    QCOMPARE(removed[0][0].value<VBProject *>(), *alpha);
    QCOMPARE(vbe.VBProjects()->Count(), 1);
    QVERIFY(!vbe.VBProjects()->Remove(*alpha));  // gone already
    QCOMPARE(removed.size(), 1);
    // The removed project file was not written: the rename was dropped with it.
    QCOMPARE(readFile(path("A.vbp")), QByteArray("Type=Exe\r\nForm=A.frm\r\nName=\"Alpha\"\r\n"));
}

void ProjectsTest::exclusiveOpenRemovesTheOthers()
{
    VBE vbe;
    QVERIFY(vbe.VBProjects()->AddFromFile(path("A.vbp")));
    QVERIFY(vbe.VBProjects()->AddFromFile(path("B.vbp")));
    QStringList order;
    VBProjectsEvents *events = vbe.Events()->VBProjectsEvents();
    connect(events, &VBProjectsEvents::ItemRemoved, this, [&](VBProject *p) { order << "removed " + p->Name(); });
    connect(events, &VBProjectsEvents::ItemAdded, this, [&](VBProject *p) { order << "added " + p->Name(); });
    QVERIFY(vbe.VBProjects()->AddFromFile(path("A.vbp"), true));
    QCOMPARE(order, QStringList({"removed Beta", "removed Alpha", "added Alpha"}));

    // A file that cannot be opened changes nothing, exclusive or not.
    order.clear();
    auto bad = vbe.VBProjects()->AddFromFile(path("Missing.vbp"), true);
    QVERIFY(!bad);
    QVERIFY(order.isEmpty());
    QCOMPARE(vbe.VBProjects()->Count(), 1);
}

void ProjectsTest::refusesBadNamesAndDuplicates_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << "";
    QTest::newRow("digit first") << "1Project";
    QTest::newRow("space") << "My Project";
    QTest::newRow("too long") << QString(41, QLatin1Char('a'));
}

void ProjectsTest::refusesBadNamesAndDuplicates()
{
    QFETCH(QString, name);
    VBE vbe;
    auto alpha = vbe.VBProjects()->AddFromFile(path("A.vbp"));
    QVERIFY(alpha);
    QSignalSpy renamed(vbe.Events()->VBProjectsEvents(), &VBProjectsEvents::ItemRenamed);
    qm::Status status = (*alpha)->setName(name);
    QVERIFY(!status);
    QVERIFY(status.errorString().contains("not a valid project name"));
    QCOMPARE(renamed.size(), 0);
    QVERIFY(!(*alpha)->IsDirty());

    auto again = vbe.VBProjects()->AddFromFile(path("a.vbp").replace("a.vbp", "A.vbp"));
    QVERIFY(!again);
    QVERIFY(again.errorString().contains("already open"));
}

void ProjectsTest::addFileMakesTheResourceFileComponent()
{
    VBE vbe;
    auto alpha = vbe.VBProjects()->AddFromFile(path("A.vbp"));
    QVERIFY(alpha);
    QSignalSpy dirty(*alpha, &VBProject::dirtyChanged);
    writeFile(path("Alpha.res"), QByteArray(32, '\0'));
    auto component = (*alpha)->VBComponents()->AddFile(path("Alpha.res"), false);
    QVERIFY2(component, qPrintable(component.errorString()));
    QCOMPARE(int((*component)->Type()), int(vbext_ct_ResFile));
    QCOMPARE((*component)->FileNames(1), path("Alpha.res"));
    QCOMPARE((*alpha)->VBComponents()->Count(), 2);
    QCOMPARE((*alpha)->VBComponents()->Item(2), *component);
    QVERIFY((*alpha)->IsDirty());
    QCOMPARE(dirty.size(), 1);

    QVERIFY((*alpha)->Save());
    QCOMPARE(readFile(path("A.vbp")), QByteArray("Type=Exe\r\nForm=A.frm\r\nResFile32=\"Alpha.res\"\r\nName=\"Alpha\"\r\n"));
    QVERIFY(!(*alpha)->IsDirty());

    VBE second;
    auto reopened = second.VBProjects()->AddFromFile(path("A.vbp"));
    QVERIFY(reopened);
    VBComponent *resource = nullptr;
    for (VBComponent *c : *(*reopened)->VBComponents()) {
        if (c->Type() == vbext_ct_ResFile)
            resource = c;
    }
    QVERIFY(resource);
    QCOMPARE(resource->FileNames(1), path("Alpha.res"));
}

void ProjectsTest::addFileRefusals_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << "Nope.res" << "does not exist";
    QTest::newRow("unknown kind") << "notes.txt" << "not project components";
    QTest::newRow("second resource file") << "Second.res" << "already has the resource file";
    QTest::newRow("already there") << "A.frm" << "already part of";
}

void ProjectsTest::addFileRefusals()
{
    QFETCH(QString, file);
    QFETCH(QString, message);
    writeFile(path("notes.txt"), "x");
    writeFile(path("First.res"), "x");
    writeFile(path("Second.res"), "x");
    writeFile(path("R.vbp"), "Type=Exe\r\nForm=A.frm\r\nResFile32=\"First.res\"\r\nName=\"R\"\r\n");
    VBE vbe;
    auto project = vbe.VBProjects()->AddFromFile(path("R.vbp"));
    QVERIFY(project);
    auto component = (*project)->VBComponents()->AddFile(path(file), false);
    QVERIFY(!component);
    QVERIFY2(component.errorString().contains(message), qPrintable(component.errorString()));
    QVERIFY(!(*project)->IsDirty());
    QCOMPARE((*project)->VBComponents()->Count(), 2);
}

void ProjectsTest::commandBarButtonsRaiseClick()
{
    VBE vbe;
    QMenu menu;
    CommandBar *bar = vbe.CommandBars()->Add("Add-Ins", &menu);
    QCOMPARE(vbe.CommandBars()->Item("add-ins"), bar);
    QVERIFY(!vbe.CommandBars()->Item("Standard"));
    QVERIFY(!bar->Controls()->Add(4));  // buttons and pop-ups only, no combo boxes
    CommandBarControl *button = bar->Controls()->Add(1);
    QVERIFY(button);
    button->setCaption("Tool");
    QCOMPARE(menu.actions().size(), 1);
    QCOMPARE(menu.actions()[0]->text(), QStringLiteral("Tool"));
    CommandBarEvents *events = vbe.Events()->CommandBarEvents(button);
    QCOMPARE(vbe.Events()->CommandBarEvents(button), events);
    int clicks = 0;
    connect(events, &CommandBarEvents::Click, this, [&](CommandBarControl *control, bool &handled, bool &cancel) {
        QCOMPARE(control, button);
        QVERIFY(!handled);
        QVERIFY(!cancel);
        ++clicks;
    });
    menu.actions()[0]->trigger();
    QCOMPARE(clicks, 1);

    button->Delete();
    QCOMPARE(bar->Controls()->Count(), 0);
    QVERIFY(menu.actions().isEmpty());

    bar->Delete();
    QVERIFY(!vbe.CommandBars()->Item("Add-Ins"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// An add-in's menu in the menu bar, placed before the host's "Add-Ins" menu.
void ProjectsTest::popupMenusGoIntoTheMenuBar()
{
    VBE vbe;
    QMenuBar menuBar;
    QMenu *file = menuBar.addMenu("&File");
    QMenu *addIns = menuBar.addMenu("&Add-Ins");
    CommandBar *addInsBar = vbe.CommandBars()->Add("Add-Ins", addIns);
    CommandBar *bar = vbe.CommandBars()->Add("Menu Bar", &menuBar);
    bar->Controls()->adoptMenu(file);
    CommandBarPopup *adopted = bar->Controls()->adoptMenu(addIns, addInsBar);
    QCOMPARE(adopted->CommandBar(), addInsBar);
    QCOMPARE(adopted->Index(), 2);

    auto *popup = qobject_cast<CommandBarPopup *>(bar->Controls()->Add(msoControlPopup, {}, {}, adopted->Index()));
    QVERIFY(popup);
    QCOMPARE(popup->Type(), msoControlPopup);
    popup->setCaption("&Strings");
    QCOMPARE(menuBar.actions().size(), 3);
    QCOMPARE(menuBar.actions()[1], popup->menu()->menuAction());
    QCOMPARE(menuBar.actions()[1]->text(), QStringLiteral("&Strings"));
    QCOMPARE(popup->menu()->accessibleName(), QStringLiteral("Strings"));  // the open menu is read by name
    QCOMPARE(popup->CommandBar()->Name(), QStringLiteral("Strings"));
    QCOMPARE(bar->Controls()->Item(2), popup);
    QCOMPARE(adopted->Index(), 3);

    CommandBarControl *entry = popup->Controls()->Add(msoControlButton);
    entry->setCaption("Go");
    CommandBarControl *later = popup->Controls()->Add(msoControlButton);
    later->setCaption("Later");
    later->setBeginGroup(true);
    QCOMPARE(popup->menu()->actions().size(), 3);
    QVERIFY(popup->menu()->actions()[1]->isSeparator());
    later->setBeginGroup(false);
    QCOMPARE(popup->menu()->actions().size(), 2);

    // Deleting the menu takes it, with its entries, out of the menu bar.
    QPointer<QMenu> shown = popup->menu();
    popup->Delete();
    QCOMPARE(bar->Controls()->Count(), 2);
    QCOMPARE(popup->Controls()->Count(), 0);
    QCOMPARE(menuBar.actions().size(), 2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!shown);
    QCOMPARE(bar->Controls()->Item(2), adopted);
}

// A toolbar's action added to a menu: one text, one enabled state, one trigger.
void ProjectsTest::sharedActionsAreOneCommand()
{
    VBE vbe;
    QMenu menu;
    CommandBar *bar = vbe.CommandBars()->Add("Strings", &menu);
    QToolBar toolbar;
    QAction *save = toolbar.addAction("Save");
    int saves = 0;
    connect(save, &QAction::triggered, this, [&] { ++saves; });
    QVERIFY(!bar->Controls()->AddAction(nullptr));
    CommandBarControl *entry = bar->Controls()->AddAction(save);
    QCOMPARE(menu.actions(), QList<QAction *>{save});
    int clicks = 0;
    connect(vbe.Events()->CommandBarEvents(entry), &CommandBarEvents::Click, this,
            [&](CommandBarControl *, bool &, bool &) { ++clicks; });
    save->setEnabled(false);
    QVERIFY(!entry->Enabled());
    save->setEnabled(true);
    menu.actions()[0]->trigger();
    QCOMPARE(saves, 1);
    QCOMPARE(clicks, 1);
    entry->setCaption("&Save File");
    QCOMPARE(save->text(), QStringLiteral("&Save File"));

    // Off the menu, the action stays its owner's.
    entry->Delete();
    QVERIFY(menu.actions().isEmpty());
    QCOMPARE(toolbar.actions(), QList<QAction *>{save});
    QVERIFY(save->isEnabled());
    save->trigger();
    QCOMPARE(clicks, 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(toolbar.actions(), QList<QAction *>{save});
}

QTEST_MAIN(ProjectsTest)
#include "vbide_projects_test.moc"
