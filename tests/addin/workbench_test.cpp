#include "addin/Connect.h"
#include "editor/clsProject.h"
#include "editor/FindBar.h"
#include "editor/SuggestionsPane.h"
#include "editor/docResourceEditor.h"
#include "platform/resutil/ResFile.h"
#include "platform/vbide/AddIn.h"
#include "platform/vbide/ComRegistration.h"
#include "platform/vbide/Addins.h"
#include "platform/vbide/HostWindow.h"
#include "platform/vbide/InprocServer.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProjects.h"
#include "platform/vbide/Window.h"
#include "platform/vbide/Windows.h"
#include "platform/win32core/Registry.h"
#include "platform/win32/SftTree.h"
#include "platform/win32/SftTreeCellEditor.h"
#include "support/Globals.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/testlib/EventRounds.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"
#include "uistrings/LgvStringModule.h"

#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QTreeView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

extern "C" int DllRegisterServer(void);
extern "C" int DllUnregisterServer(void);

using namespace editortest;
using win32::SftTree;

// The editor as a place to work in, driven by keys and menus in the real
// host: the "Strings" menu and its keys, saving with Ctrl+S, Refresh, Insert
// and Delete in the grid, what shows unsaved work, and the window layout.
class WorkbenchTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment m_env;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<User> m_user;
    std::unique_ptr<vbide::HostWindow> m_host;

    QString path(const QString &name) const { return QDir(m_dir->path()).filePath(name); }
    vbide::AddIn *addIn() const { return m_host->vbe()->Addins()->Item(QString::fromLatin1(Connect::ProgID)); }
    Connect *connection() const { return qobject_cast<Connect *>(addIn()->Object()); }
    docResourceEditor &editor() const { return *EditorInstance; }
    SftTree &grid() const { return *EditorInstance->SftTree(); }
    QDockWidget *editorDock() const
    {
        for (QDockWidget *dock : m_host->findChildren<QDockWidget *>())
            if (dock->isAncestorOf(EditorInstance))
                return dock;
        return nullptr;
    }
    QDockWidget *explorerDock() const
    {
        vbide::Window *explorer = m_host->vbe()->Windows()->projectWindow();
        return explorer ? explorer->dockWidget() : nullptr;
    }

    void startHost()
    {
        m_host = std::make_unique<vbide::HostWindow>();
        m_host->resize(1600, 1000);
        m_host->show();
        QVERIFY(testlib::waitForExposed(m_host.get()));
        m_host->vbe()->Addins()->Update();
        QVERIFY(addIn()->setConnect(true).ok());
        QVERIFY(EditorInstance);
    }
    // The host with Alpha open (selected, as the only project) and the grid focused.
    void openAlpha()
    {
        QVERIFY(m_host->openProject(path("Alpha.vbp")));
        QVERIFY(editor().CurrentProject());
        m_host->activateWindow();
        QVERIFY(testlib::waitForActive(m_host.get()));
        grid().setFocus();
        grid().setCurrentCell(0, 1);
    }
    // Types text into the current cell with the keyboard.
    void type(const QString &text)
    {
        QTest::keyClick(&grid(), Qt::Key_F2);
        QVERIFY(grid().isEditing());
        QTest::keyClick(grid().cellEditor(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(grid().cellEditor(), text);
        QTest::keyClick(grid().cellEditor(), Qt::Key_Return);  // stores; the editor moves on
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!grid().isEditing());
    }
    QString stored(qint32 id) const
    {
        const resutil::ResString *entry = editor().CurrentProject()->ResourceFile()->Strings().Find(2057, id);
        return entry ? entry->Text() : QString();
    }
    // As on a machine where the host never ran: no remembered arrangement.
    static void forgetArrangement()
    {
        using namespace win32;
        HKEY root = 0;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, QLatin1String(vbide::HostRegistryRoot), 0, KEY_ALL_ACCESS, &root) != 0)
            return;
        HKEY windows = 0;
        if (RegOpenKeyEx(root, QStringLiteral("ToolWindows"), 0, KEY_ALL_ACCESS, &windows) == 0) {
            QString name;
            while (RegEnumKeyEx(windows, 0, &name) == 0 && RegDeleteKey(windows, name) == 0) {
            }
            RegCloseKey(windows);
        }
        RegDeleteKey(root, QStringLiteral("ToolWindows"));
        RegDeleteKey(root, QStringLiteral("Layout"));
        RegCloseKey(root);
    }
    QMenu *stringsMenu() const { return m_host->menuBar()->findChild<QMenu *>(QStringLiteral("mnuStrings")); }

private slots:
    void initTestCase() { QCOMPARE(DllRegisterServer(), vbide::S_OK); }
    void cleanupTestCase() { QCOMPARE(DllUnregisterServer(), vbide::S_OK); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_user = std::make_unique<User>();
        skipLanguageDialog();
        writeRes(path("A.res"), {{2057, 1, "One"}, {2057, 2, "Two"}});
        writeProject(m_dir->path(), "Alpha", "A.res");
        writeProject(m_dir->path(), "Beta");
        forgetArrangement();
        startHost();
    }
    void cleanup()
    {
        LgvStringModule::setCurrentUILanguage(2057);
        m_host.reset();
        m_user->verifyNothingUnexpected();
        m_user.reset();
    }

    void theStringsMenuSharesTheToolbarsCommandsAndKeys()
    {
        QMenu *menu = stringsMenu();
        QVERIFY(menu);
        for (const QString &key : docResourceEditor::ToolbarKeys()) {
            if (!key.isEmpty())
                QVERIFY2(menu->actions().contains(editor().toolbarButton(key)), qPrintable(key));
        }
        QVERIFY(menu->actions().contains(editor().mnuFind()));
        QCOMPARE(editor().toolbarButton("save")->shortcut(), QKeySequence(QKeySequence::Save));
        QCOMPARE(editor().toolbarButton("refresh")->shortcut(), QKeySequence(Qt::Key_F5));
        QCOMPARE(editor().toolbarButton("help")->shortcut(), QKeySequence(QKeySequence::HelpContents));
        QCOMPARE(editor().toolbarButton("insertstring")->shortcut(), QKeySequence(QKeySequence::New));
        QCOMPARE(editor().toolbarButton("deletestring")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Delete));
        QVERIFY(editor().toolbarButton("save")->toolTip().endsWith(QStringLiteral("(Ctrl+S)")));
        // The host's own project save has a key of its own.
        auto *hostSave = m_host->findChild<QAction *>(QStringLiteral("mnuFileSave"));
        QCOMPARE(hostSave->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));

        // German tips name the keys as German keyboards label them.
        LgvStringModule::setCurrentUILanguage(1031);
        editor().lgv_UpdateControls();
        QVERIFY2(editor().toolbarButton("save")->toolTip().endsWith(QStringLiteral("(Strg+S)")),
                 qPrintable(editor().toolbarButton("save")->toolTip()));
        QVERIFY(editor().toolbarButton("deletestring")->toolTip().endsWith(QStringLiteral("(Strg+Entf)")));
    }

    void ctrlSSavesTheStringsMarksAndTellsWhatItWrote()
    {
        openAlpha();
        const QByteArray project = readFile(path("Alpha.vbp"));
        QCOMPARE(editor().cboProjects()->currentText(), QStringLiteral("Alpha"));
        type(QStringLiteral("Uno"));
        QCOMPARE(stored(1), QStringLiteral("Uno"));
        QCOMPARE(editor().cboProjects()->currentText(), QStringLiteral("Alpha *"));
        QVERIFY(editor().isWindowModified());
        QVERIFY(editorDock()->isWindowModified());

        QTest::keyClick(&grid(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(textIn(readRes(path("A.res")), 2057, 1), QStringLiteral("Uno"));
        QCOMPARE(readFile(path("Alpha.vbp")), project);  // the project file is not the editor's to save
        QCOMPARE(editor().cboProjects()->currentText(), QStringLiteral("Alpha"));
        QVERIFY(!editor().isWindowModified());
        QCOMPARE(m_host->statusBar()->currentMessage(),
                 QStringLiteral("Saved %1 (2 strings).").arg(QDir::toNativeSeparators(path("A.res"))));
    }

    void f5AsksBeforeDroppingTypedWork()
    {
        openAlpha();
        QTest::keyClick(&grid(), Qt::Key_F5);  // nothing unsaved: nothing to ask
        QVERIFY(m_user->messageBoxes.isEmpty());
        type(QStringLiteral("Uno"));

        m_user->answerMsgBox(win32::vbNo);
        QTest::keyClick(&grid(), Qt::Key_F5);
        QCOMPARE(m_user->messageBoxes.size(), 1);
        QCOMPARE(m_user->messageBoxes[0].style & 0xF, int(win32::vbYesNo));
        QCOMPARE(stored(1), QStringLiteral("Uno"));

        m_user->answerMsgBox(win32::vbYes);
        QTest::keyClick(&grid(), Qt::Key_F5);
        QCOMPARE(stored(1), QStringLiteral("One"));
        QCOMPARE(editor().cboProjects()->currentText(), QStringLiteral("Alpha"));
    }

    void insertAddsAStringAndDeleteOnTheIdRemovesOne()
    {
        openAlpha();
        QTest::keyClick(&grid(), Qt::Key_Insert);
        QVERIFY(grid().isEditing());  // the new row's first language cell is open for typing
        QCOMPARE(grid().itemCount(), 3);
        const qint32 id = grid().itemData(grid().editRow());
        QTest::keyClicks(grid().cellEditor(), QStringLiteral("Drei"));
        QTest::keyClick(grid().cellEditor(), Qt::Key_Return);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!grid().isEditing());
        QCOMPARE(stored(id), QStringLiteral("Drei"));

        // Delete on a language cell is no command; on the ID column it removes the row, after asking.
        grid().setCurrentCell(0, 1);
        QTest::keyClick(&grid(), Qt::Key_Delete);
        QVERIFY(m_user->messageBoxes.isEmpty());
        grid().setCurrentCell(0, 0);
        grid().selectRow(0);
        m_user->answerMsgBox(win32::vbOK);
        QTest::keyClick(&grid(), Qt::Key_Delete);
        QCOMPARE(m_user->messageBoxes.size(), 1);
        QCOMPARE(grid().itemCount(), 2);
        QVERIFY(stored(1).isEmpty());

        // Ctrl+Delete removes the selected row from anywhere in the grid.
        grid().setCurrentCell(0, 1);
        grid().selectRow(0);
        m_user->answerMsgBox(win32::vbOK);
        QTest::keyClick(&grid(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(grid().itemCount(), 1);
        m_user->answerMsgBox(win32::vbNo);  // leaving: the removals are not saved
    }

    void theProjectListShowsAPlaceholderUntilAProjectIsChosen()
    {
        QVERIFY(m_host->openProject(path("Alpha.vbp")));
        QVERIFY(m_host->addProject(path("Beta.vbp")));
        QVERIFY(editor().CurrentProject());  // the first and only one was selected when it opened
        QVERIFY(m_host->openProject(path("Beta.vbp")));
        QVERIFY(m_host->addProject(path("Alpha.vbp")));
        QCOMPARE(editor().cboProjects()->count(), 2);
        QCOMPARE(editor().cboProjects()->currentIndex() == -1, !editor().CurrentProject());
        QVERIFY(!editor().cboProjects()->placeholderText().isEmpty());
    }

    void theEditorTakesTheWindowAndTheViewMenuBringsItBack()
    {
        auto *workspace = m_host->findChild<QLabel *>(QStringLiteral("lblWorkspace"));
        QVERIFY(editorDock()->isVisible());
        QVERIFY(!workspace->isVisible());
        QM_TRY_VERIFY2(editorDock()->width() > 2 * explorerDock()->width(),
                     qPrintable(QStringLiteral("%1 %2").arg(editorDock()->width()).arg(explorerDock()->width())));

        editorDock()->close();
        // The suggestions beside the editor still hold the window; closed too, nothing does.
        QVERIFY(!workspace->isVisible());
        QDockWidget *suggestions = connection()->SuggestionsWindow()->dockWidget();
        QVERIFY(suggestions->isVisible());
        suggestions->close();
        QVERIFY(workspace->isVisible());
        QMenu *view = m_host->findChild<QMenu *>(QStringLiteral("mnuView"));
        emit view->aboutToShow();
        QAction *show = nullptr;
        for (QAction *action : view->actions())
            if (action->text() == editorDock()->windowTitle() || action->text().startsWith(QStringLiteral("Quill")))
                show = action;
        QVERIFY(show);
        QVERIFY(!show->isChecked());
        show->trigger();
        QVERIFY(editorDock()->isVisible());

        editorDock()->setFloating(true);
        emit view->aboutToShow();
        m_host->findChild<QAction *>(QStringLiteral("mnuViewResetLayout"))->trigger();
        QVERIFY(!editorDock()->isFloating());
        QCOMPARE(m_host->dockWidgetArea(explorerDock()), Qt::LeftDockWidgetArea);
        QM_TRY_VERIFY(!workspace->isVisible());
    }

    void theSuggestionsStandBesideTheEditorAndTheViewMenuListsThem()
    {
        vbide::Window *window = connection()->SuggestionsWindow();
        QVERIFY(window);
        QDockWidget *suggestions = window->dockWidget();
        QVERIFY(suggestions->isVisible());
        QVERIFY(testlib::waitForExposed(suggestions));
        QCOMPARE(window->Caption(), LgvStringModule::lgv_string(1203));
        QCOMPARE(suggestions->widget(), static_cast<QWidget *>(editor().Suggestions()));
        QVERIFY(!m_host->tabifiedDockWidgets(editorDock()).contains(suggestions));
        QM_TRY_VERIFY(suggestions->x() >= editorDock()->x() + editorDock()->width());
        QMenu *view = m_host->findChild<QMenu *>(QStringLiteral("mnuView"));
        emit view->aboutToShow();
        QAction *toggle = nullptr;
        for (QAction *action : view->actions())
            if (action->text() == window->Caption())
                toggle = action;
        QVERIFY(toggle && toggle->isChecked());
        toggle->trigger();
        QVERIFY(!suggestions->isVisible());
        emit view->aboutToShow();
        for (QAction *action : view->actions())
            if (action->text() == window->Caption())
                action->trigger();
        QVERIFY(suggestions->isVisible());
    }

    void ctrlFFindsFromAnywhereInTheWindowAndBringsAClosedEditorBack()
    {
        openAlpha();
        FindBar *bar = editor().findBar();
        auto *explorer = explorerDock()->findChild<QTreeView *>();
        QVERIFY(explorer);
        explorer->setFocus();
        QM_TRY_VERIFY(explorer->hasFocus());
        QTest::keyClick(explorer, Qt::Key_F, Qt::ControlModifier);
        QM_TRY_VERIFY(bar->findText()->hasFocus());
        QTest::keyClicks(bar->findText(), QStringLiteral("Two"));
        bar->settle();
        QCOMPARE(grid().shownItemCount(), 1);

        // F3 from the explorer walks the matches too, once the rows are all shown.
        bar->filterRows()->setChecked(false);
        explorer->setFocus();
        QTest::keyClick(explorer, Qt::Key_F3);
        QM_TRY_COMPARE(grid().currentRow(), grid().findItemData(2));

        QTest::keyClick(bar->findText(), Qt::Key_Escape);
        editorDock()->close();
        explorer->setFocus();
        QTest::keyClick(explorer, Qt::Key_F, Qt::ControlModifier);
        QM_TRY_VERIFY(editorDock()->isVisible());
        QM_TRY_VERIFY(bar->findText()->hasFocus());
    }

    // With the editor's window closed, a Strings menu command brings it back
    // before it changes the grid, so the user sees what it did.
    void stringsMenuCommandsBringAClosedEditorBack()
    {
        openAlpha();
        type(QStringLiteral("Uno"));
        QCOMPARE(stored(1), QStringLiteral("Uno"));
        const QList<QAction *> entries = stringsMenu()->actions();
        QVERIFY(entries.contains(editor().mnuUndo()));
        editorDock()->close();
        QVERIFY(!editor().isVisible());
        editor().mnuUndo()->trigger();
        QVERIFY(editorDock()->isVisible());
        QCOMPARE(stored(1), QStringLiteral("One"));

        QAction *newString = editor().toolbarButton(QStringLiteral("insertstring"));
        QVERIFY(entries.contains(newString));
        editorDock()->close();
        newString->trigger();
        QVERIFY(editorDock()->isVisible());
        QCOMPARE(grid().itemCount(), 3);
        QVERIFY(grid().isEditing());
    }

    void theFindBarWrapsIntoRowsWhenTheEditorIsNarrow()
    {
        openAlpha();
        editor().ShowFindBar();
        FindBar *bar = editor().findBar();
        // Every control whole inside the bar, none over another.
        const auto overlapping = [bar] {
            QList<QRect> taken;
            for (QWidget *control : bar->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                if (!control->isVisible())
                    continue;
                const QRect at = control->geometry();
                if (!bar->rect().contains(at))
                    return true;
                for (const QRect &other : taken)
                    if (at.intersects(other))
                        return true;
                taken.append(at);
            }
            return false;
        };
        // Wide enough for the whole bar on one row, whatever the host gives the editor.
        editorDock()->setFloating(true);
        editorDock()->resize(1500, 500);
        QM_TRY_COMPARE(bar->rowCount(), 1);
        QVERIFY(!overlapping());
        const int oneRowHeight = bar->height();

        editorDock()->resize(620, 500);
        QM_TRY_VERIFY(bar->rowCount() > 1);
        QM_TRY_VERIFY(bar->width() <= 620);
        QVERIFY(!overlapping());
        QVERIFY(bar->height() > oneRowHeight);
        QVERIFY(grid().geometry().top() > bar->geometry().bottom());

        editorDock()->resize(420, 500);
        QM_TRY_VERIFY(bar->rowCount() > 2);
        QM_TRY_VERIFY(bar->width() <= 420);
        QVERIFY(!overlapping());
        QVERIFY(grid().geometry().top() > bar->geometry().bottom());

        editorDock()->resize(1500, 500);
        QM_TRY_COMPARE(bar->rowCount(), 1);
        QCOMPARE(bar->height(), oneRowHeight);
    }

    void theLayoutIsRememberedAcrossAStart()
    {
        editorDock()->setFloating(true);
        editorDock()->resize(700, 400);
        QVERIFY(m_host->close());
        m_host.reset();
        QVERIFY(!EditorInstance);
        startHost();
        QVERIFY(editorDock()->isFloating());
    }
};

QTEST_MAIN(WorkbenchTest)
#include "workbench_test.moc"
