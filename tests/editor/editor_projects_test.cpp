#include "editor/clsProject.h"
#include "editor/docResourceEditor.h"
#include "platform/vbide/Events.h"
#include "platform/vbide/VBComponent.h"
#include "platform/vbide/VBComponents.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProject.h"
#include "platform/vbide/VBProjects.h"
#include "platform/win32/SftTree.h"
#include "platform/win32/SftTreeCellEditor.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

using namespace editortest;

// The editor following the host's projects: listing, opening, renaming and
// closing them, and the question about unsaved changes.
class EditorProjectsTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment m_env;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<User> m_user;
    std::unique_ptr<vbide::VBE> m_vbe;
    QString m_alphaRes;
    QString m_betaRes;

    QString path(const QString &name) const { return QDir(m_dir->path()).filePath(name); }
    vbide::VBProject *open(const QString &vbp)
    {
        auto project = m_vbe->VBProjects()->AddFromFile(vbp);
        if (!project)
            qWarning("%s", qPrintable(project.errorString()));
        return project ? project.value() : nullptr;
    }
    static QStringList listed(const docResourceEditor &editor)
    {
        QStringList names;
        for (int entry = 0; entry < editor.cboProjects()->count(); ++entry)
            names << editor.cboProjects()->itemText(entry);
        return names;
    }
    static void choose(docResourceEditor &editor, const QString &name)
    {
        int entry = editor.cboProjects()->findText(name);
        if (entry < 0)
            entry = editor.cboProjects()->findText(name + QStringLiteral(" *"));  // with unsaved strings
        QVERIFY(entry >= 0);
        editor.cboProjects()->setCurrentIndex(entry);
        emit editor.cboProjects()->activated(entry);
    }
    // Types into the cell of (string ID, column) as the user does, and accepts.
    static void type(docResourceEditor &editor, qint32 id, int column, const QString &text)
    {
        win32::SftTree &grid = *editor.SftTree();
        const int row = grid.findItemData(id);
        QVERIFY(row >= 0);
        editor.SftTree_ItemClick(row, column, win32::SftTree::AreaCellText, win32::SftTree::LeftButton, 0);
        QVERIFY(grid.isEditing());
        grid.cellEditor()->setText(text);
        QVERIFY(grid.endEdit(true));
    }
    static int columnOf(const docResourceEditor &editor, qint32 localeId)
    {
        for (int i = 0; i <= editor.LastLanguage(); ++i) {
            if (editor.Languages()[i].LocaleID == localeId)
                return editor.Languages()[i].Column;
        }
        return -1;
    }
    QStringList enabledButtons(const docResourceEditor &editor) const
    {
        QStringList keys;
        for (const QString &key : docResourceEditor::ToolbarKeys()) {
            if (!key.isEmpty() && editor.toolbarButton(key)->isEnabled())
                keys << key;
        }
        return keys;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_user = std::make_unique<User>();
        m_vbe = std::make_unique<vbide::VBE>();
        m_alphaRes = path("Alpha.res");
        m_betaRes = path("Beta.res");
        writeRes(m_alphaRes, {{2057, 1, "One"}, {1031, 1, "Eins"}, {2057, 2, "Two"}});
        writeRes(m_betaRes, {{2057, 7, "Seven"}});
        writeProject(m_dir->path(), "Alpha", "Alpha.res");
        writeProject(m_dir->path(), "Beta", "Beta.res");
        writeProject(m_dir->path(), "Plain");
        QVERIFY(open(path("Alpha.vbp")));
        QVERIFY(open(path("Beta.vbp")));
    }
    void cleanup()
    {
        m_user->verifyNothingUnexpected();
        m_vbe.reset();
        m_user.reset();
    }

    void listsTheOpenProjectsWithNothingSelected()
    {
        docResourceEditor editor;
        editor.setVBE(m_vbe.get());
        QCOMPARE(listed(editor), (QStringList{"Alpha", "Beta"}));
        QCOMPARE(editor.cboProjects()->currentIndex(), -1);
        QCOMPARE(editor.CurrentProject(), nullptr);
        QCOMPARE(editor.SftTree()->itemCount(), 0);
        QCOMPARE(enabledButtons(editor), (QStringList{"properties", "info", "help", "switch"}));
        for (clsProject *project : editor.Projects())
            QVERIFY(!project->Initialised());
        QCOMPARE(editor.cboProjects()->itemData(1).toInt(), editor.Projects()[1]->Index());
    }

    void openedLaterIsAppendedAndReadOnFirstSelection()
    {
        docResourceEditor editor;
        editor.setVBE(m_vbe.get());
        choose(editor, "Beta");
        QVERIFY(open(path("Plain.vbp")));
        QCOMPARE(listed(editor), (QStringList{"Alpha", "Beta", "Plain"}));
        QCOMPARE(editor.cboProjects()->currentText(), QStringLiteral("Beta"));
        clsProject *plain = editor.Projects().last();
        QVERIFY(!plain->Initialised());
        choose(editor, "Plain");
        QVERIFY(plain->Initialised());
        QVERIFY(!plain->HasResourceFile());
        // One column, one row saying so, and only the project buttons besides the constant ones.
        QCOMPARE(editor.SftTree()->columnCount(), 1);
        QCOMPARE(editor.SftTree()->itemCount(), 1);
        QCOMPARE(editor.SftTree()->cellText(0, 0), QStringLiteral("No Resource file"));
        QCOMPARE(enabledButtons(editor), (QStringList{"refresh", "new", "properties", "info", "help", "switch"}));
        choose(editor, "Alpha");
        QCOMPARE(enabledButtons(editor).size(), 11);
        QVERIFY(!enabledButtons(editor).contains("new"));
    }

    void renameChangesTheTextInPlace()
    {
        docResourceEditor editor;
        editor.setVBE(m_vbe.get());
        choose(editor, "Beta");
        QVERIFY(m_vbe->VBProjects()->Item(2)->setName(QStringLiteral("Gamma")).ok());
        QCOMPARE(listed(editor), (QStringList{"Alpha", "Gamma"}));
        QCOMPARE(editor.cboProjects()->currentText(), QStringLiteral("Gamma"));
        QCOMPARE(editor.CurrentProject(), editor.Projects()[1]);
    }

    void closingAProjectWithUnsavedChangesAsks_data()
    {
        QTest::addColumn<bool>("selected");
        QTest::addColumn<int>("answer");
        QTest::newRow("selected, Yes") << true << int(win32::vbYes);
        QTest::newRow("selected, No") << true << int(win32::vbNo);
        QTest::newRow("not selected, Yes") << false << int(win32::vbYes);
        QTest::newRow("not selected, No") << false << int(win32::vbNo);
    }
    void closingAProjectWithUnsavedChangesAsks()
    {
        QFETCH(bool, selected);
        QFETCH(int, answer);
        docResourceEditor editor;
        editor.setVBE(m_vbe.get());
        choose(editor, "Alpha");
        type(editor, 2, columnOf(editor, 1031), QStringLiteral("Zwei"));
        if (!selected)
            choose(editor, "Beta");
        m_user->answerMsgBox(answer);
        QVERIFY(m_vbe->VBProjects()->Remove(m_vbe->VBProjects()->Item(1)).ok());
        QCOMPARE(m_user->messageBoxes.size(), 1);
        QCOMPARE(m_user->messageBoxes[0].prompt,
                 QStringLiteral("Save changes to resource file.\n") + m_alphaRes);
        QCOMPARE(m_user->messageBoxes[0].style, int(win32::vbYesNo));
        QCOMPARE(m_user->messageBoxes[0].title, QStringLiteral("Quill Resource String Editor"));
        QCOMPARE(listed(editor), QStringList{"Beta"});
        QCOMPARE(editor.Projects().size(), 1);
        if (selected) {
            // The one project left is selected in its place.
            QCOMPARE(editor.CurrentProject(), editor.Projects().first());
            QCOMPARE(editor.cboProjects()->currentText(), QStringLiteral("Beta"));
        } else {
            QCOMPARE(editor.cboProjects()->currentText(), QStringLiteral("Beta"));
        }
        const QList<Entry> onDisk = readRes(m_alphaRes);
        QCOMPARE(textIn(onDisk, 1031, 2), answer == win32::vbYes ? QStringLiteral("Zwei") : QStringLiteral("<none>"));
        QCOMPARE(textIn(onDisk, 2057, 1), QStringLiteral("One"));
    }

    void closingWithoutChangesOrResourceFileAsksNothing()
    {
        QVERIFY(open(path("Plain.vbp")));
        docResourceEditor editor;
        editor.setVBE(m_vbe.get());
        choose(editor, "Plain");
        choose(editor, "Alpha");
        QVERIFY(m_vbe->VBProjects()->Remove(m_vbe->VBProjects()->Item(3)).ok());
        QVERIFY(m_vbe->VBProjects()->Remove(m_vbe->VBProjects()->Item(1)).ok());
        QVERIFY(m_user->messageBoxes.isEmpty());
        QCOMPARE(listed(editor), QStringList{"Beta"});
    }

    void anOpenCellEditIsKeptWhenItsProjectCloses()
    {
        docResourceEditor editor;
        editor.setVBE(m_vbe.get());
        choose(editor, "Alpha");
        win32::SftTree &grid = *editor.SftTree();
        editor.SftTree_ItemClick(grid.findItemData(1), columnOf(editor, 2057), win32::SftTree::AreaCellText, win32::SftTree::LeftButton, 0);
        grid.cellEditor()->setText(QStringLiteral("Typed, not yet accepted"));
        m_user->answerMsgBox(win32::vbYes);
        QVERIFY(m_vbe->VBProjects()->Remove(m_vbe->VBProjects()->Item(1)).ok());
        QCOMPARE(m_user->messageBoxes.size(), 1);
        QCOMPARE(textIn(readRes(m_alphaRes), 2057, 1), QStringLiteral("Typed, not yet accepted"));
    }

    void switchingProjectsKeepsEachOnesEdits()
    {
        docResourceEditor editor;
        editor.setVBE(m_vbe.get());
        choose(editor, "Alpha");
        type(editor, 1, columnOf(editor, 2057), QStringLiteral("Uno"));
        choose(editor, "Beta");
        QCOMPARE(editor.SftTree()->cellText(0, 1), QStringLiteral("Seven"));
        type(editor, 7, 1, QStringLiteral("Sieben"));
        choose(editor, "Alpha");
        QCOMPARE(editor.SftTree()->cellText(editor.SftTree()->findItemData(1), columnOf(editor, 2057)), QStringLiteral("Uno"));
        choose(editor, "Beta");
        QCOMPARE(editor.SftTree()->cellText(0, 1), QStringLiteral("Sieben"));
        QVERIFY(editor.CurrentProject()->ResourceFile()->Changed());
    }

    void choosingTheCurrentProjectAgainChangesNothing()
    {
        docResourceEditor editor;
        editor.setVBE(m_vbe.get());
        choose(editor, "Alpha");
        type(editor, 1, columnOf(editor, 2057), QStringLiteral("Uno"));
        resutil::ResFile *file = editor.CurrentProject()->ResourceFile();
        choose(editor, "Alpha");
        QCOMPARE(editor.CurrentProject()->ResourceFile(), file);
        QCOMPARE(editor.SftTree()->cellText(editor.SftTree()->findItemData(1), columnOf(editor, 2057)), QStringLiteral("Uno"));
    }

    void refreshShowsTheFileFromDiskAgain()
    {
        docResourceEditor editor;
        editor.setVBE(m_vbe.get());
        editor.Refresh();  // nothing selected: nothing happens
        choose(editor, "Alpha");
        type(editor, 1, columnOf(editor, 2057), QStringLiteral("Uno"));
        // Unsaved edits are dropped only when the user agrees.
        m_user->answerMsgBox(win32::vbNo);
        editor.Refresh();
        QCOMPARE(m_user->messageBoxes.size(), 1);
        QCOMPARE(m_user->messageBoxes[0].prompt,
                 QStringLiteral("The resource file has changes that are not saved. Read it again from disk and drop them?\n")
                     + m_alphaRes);
        QCOMPARE(m_user->messageBoxes[0].style, int(win32::vbYesNo | win32::vbExclamation));
        QCOMPARE(editor.SftTree()->cellText(editor.SftTree()->findItemData(1), columnOf(editor, 2057)), QStringLiteral("Uno"));
        QVERIFY(editor.CurrentProject()->ResourceFile()->Changed());
        m_user->answerMsgBox(win32::vbYes);
        editor.Refresh();
        QCOMPARE(m_user->messageBoxes.size(), 2);
        QCOMPARE(editor.SftTree()->cellText(editor.SftTree()->findItemData(1), columnOf(editor, 2057)), QStringLiteral("One"));
        QVERIFY(!editor.CurrentProject()->ResourceFile()->Changed());
        // Without edits it asks nothing.
        editor.Refresh();
        QCOMPARE(m_user->messageBoxes.size(), 2);
    }

    void indicesAreNeverReused()
    {
        docResourceEditor editor;
        editor.setVBE(m_vbe.get());
        QCOMPARE(editor.NextProjectIndex(), 2);
        QVERIFY(m_vbe->VBProjects()->Remove(m_vbe->VBProjects()->Item(2)).ok());
        QVERIFY(open(path("Plain.vbp")));
        QCOMPARE(editor.Projects().last()->Index(), 2);
        QVERIFY(m_vbe->VBProjects()->Remove(m_vbe->VBProjects()->Item(2)).ok());
        QVERIFY(open(path("Beta.vbp")));
        QCOMPARE(editor.Projects().last()->Index(), 3);
        QCOMPARE(editor.cboProjects()->itemData(1).toInt(), 3);
        choose(editor, "Beta");
        QCOMPARE(editor.CurrentProject()->Index(), 3);
    }

    // Told in a plain message naming the file and why, not as a program error.
    void aMissingResourceFileIsToldAndLeftUninitialised()
    {
        QVERIFY(QFile::remove(m_betaRes));
        docResourceEditor editor;
        editor.setVBE(m_vbe.get());
        m_user->answerMsgBox(win32::vbOK);
        choose(editor, "Beta");
        QCOMPARE(m_user->messageBoxes.size(), 1);
        QCOMPARE(m_user->messageBoxes[0].prompt,
                 QStringLiteral("The resource file could not be read.\n%1: cannot be read: No such file or directory")
                     .arg(QDir::toNativeSeparators(m_betaRes)));
        QCOMPARE(m_user->messageBoxes[0].style, win32::vbOKOnly | win32::vbExclamation);
        QVERIFY(!editor.CurrentProject()->Initialised());
        // In German, the library's part too.
        LgvStringModule::SetUILanguage(1031, QString());
        m_user->answerMsgBox(win32::vbOK);
        choose(editor, "Alpha");
        choose(editor, "Beta");
        LgvStringModule::SetUILanguage(2057, QString());
        QCOMPARE(m_user->messageBoxes.size(), 2);
        const QString german = m_user->messageBoxes[1].prompt;
        QVERIFY2(german.startsWith(QStringLiteral("Die Resourcendatei konnte nicht gelesen werden.\n")), qPrintable(german));
        QVERIFY2(german.contains(QDir::toNativeSeparators(m_betaRes)) && !german.contains(QStringLiteral("cannot")),
                 qPrintable(german));
        writeRes(m_betaRes, {{2057, 7, "Seven"}});
        choose(editor, "Alpha");
        choose(editor, "Beta");  // not initialised: read again
        QVERIFY(editor.CurrentProject()->Initialised());
        QCOMPARE(editor.SftTree()->cellText(0, 1), QStringLiteral("Seven"));
    }

    // File > Open Project: the host asks, then closes the open projects, the
    // last first, and opens the new one. The first project, alone for a
    // moment, is going too: it is not selected, and its missing file not read.
    void aProjectTheHostIsClosingIsNotSelected()
    {
        QVERIFY(QFile::remove(m_alphaRes));
        docResourceEditor editor;
        editor.setVBE(m_vbe.get());
        QList<vbide::VBProject *> open;
        for (vbide::VBProject *project : *m_vbe->VBProjects())
            open.append(project);
        QVERIFY(editor.QueryClose(open, false));
        QVERIFY(m_vbe->VBProjects()->AddFromFile(path("Plain.vbp"), true));
        QVERIFY2(m_user->errors.isEmpty(), qPrintable(m_user->errors.join('\n')));
        QVERIFY(m_user->messageBoxes.isEmpty());
        QCOMPARE(listed(editor), QStringList{"Plain"});
        QCOMPARE(editor.CurrentProject()->Project()->Name(), QStringLiteral("Plain"));
        QCOMPARE(editor.SftTree()->cellText(0, 0), QStringLiteral("No Resource file"));
    }

    // The only project, selected for the user: a file that cannot be read is
    // shown in the grid's row, without a message; choosing it reads it again.
    void anOnlyProjectChosenForTheUserShowsAnUnreadableFileInTheGrid()
    {
        writeFile(m_alphaRes, "not a resource file");
        QVERIFY(m_vbe->VBProjects()->AddFromFile(path("Alpha.vbp"), true));
        docResourceEditor editor;
        editor.setVBE(m_vbe.get());
        QVERIFY(m_user->messageBoxes.isEmpty());
        QVERIFY(editor.CurrentProject());
        QVERIFY(editor.CurrentProject()->ResourceFileUnreadable());
        QCOMPARE(editor.SftTree()->itemCount(), 1);
        QCOMPARE(editor.SftTree()->cellText(0, 0), QStringLiteral("The resource file could not be read."));
        QVERIFY(editor.SftTree()->grid().rowSpanned(0));  // the text is not cut to the ID column
        writeRes(m_alphaRes, {{2057, 1, "One"}});
        editor.Refresh();
        QCOMPARE(editor.SftTree()->cellText(0, 1), QStringLiteral("One"));
    }

    void anUnreadableResourceFileIsShownButNotEdited_data()
    {
        QTest::addColumn<QByteArray>("content");  // "-": no file at all; "cut": a resource file cut short
        QTest::newRow("missing") << QByteArray("-");
        QTest::newRow("truncated") << QByteArray("cut");
        QTest::newRow("garbage") << QByteArray("This is not a resource file, just text.\n");
    }
    void anUnreadableResourceFileIsShownButNotEdited()
    {
        QFETCH(QByteArray, content);
        if (content == "cut")
            content = readFile(m_alphaRes).left(45);
        QVERIFY(QFile::remove(m_betaRes));
        if (content != "-")
            writeFile(m_betaRes, content);
        docResourceEditor editor;
        editor.setVBE(m_vbe.get());
        m_user->answerMsgBox(win32::vbOK);
        choose(editor, "Beta");
        QCOMPARE(m_user->messageBoxes.size(), 1);
        QVERIFY(m_user->messageBoxes[0].prompt.startsWith("The resource file could not be read.\n"));
        m_user->messageBoxes.clear();
        QVERIFY(editor.CurrentProject()->ResourceFileUnreadable());
        win32::SftTree &grid = *editor.SftTree();
        QCOMPARE(grid.columnCount(), 1);
        QCOMPARE(grid.itemCount(), 1);
        QCOMPARE(grid.cellText(0, 0), QStringLiteral("The resource file could not be read."));
        QCOMPARE(enabledButtons(editor), (QStringList{"refresh", "properties", "info", "help", "switch"}));
        // The commands refuse too, whatever calls them, and nothing is written.
        editor.SaveResFile();
        editor.NewResString();
        editor.AddLanguage();
        editor.DelResString();
        editor.mnuAddResourceString_Click();
        editor.mnuRemoveResourceString_Click();
        editor.NewResFile();
        QCOMPARE(grid.itemCount(), 1);
        QVERIFY(m_user->messageBoxes.isEmpty());
        QVERIFY(m_user->fileDialogs.isEmpty());
        if (content == "-")
            QVERIFY(!QFile::exists(m_betaRes));
        else
            QCOMPARE(readFile(m_betaRes), content);
        // In German the row says so in German.
        LgvStringModule::SetUILanguage(1031, QString());
        editor.ProjectSelect(editor.CurrentProject());
        QCOMPARE(grid.cellText(0, 0), QStringLiteral("Die Resourcendatei konnte nicht gelesen werden."));
        LgvStringModule::SetUILanguage(2057, QString());
        // Refresh reads the file again, which now succeeds.
        writeRes(m_betaRes, {{2057, 7, "Seven"}});
        editor.Refresh();
        QVERIFY(m_user->errors.isEmpty());
        QVERIFY(editor.CurrentProject()->HasReadableResourceFile());
        QCOMPARE(grid.cellText(0, 1), QStringLiteral("Seven"));
        QVERIFY(editor.toolbarButton(QStringLiteral("save"))->isEnabled());
    }

    void createResourceFileAddsItToTheProjectOnce()
    {
        QVERIFY(open(path("Plain.vbp")));
        docResourceEditor editor;
        editor.setVBE(m_vbe.get());
        choose(editor, "Plain");
        clsProject *plain = editor.CurrentProject();
        const QString file = path("Plain.res");
        plain->CreateResourceFile(file);
        QVERIFY(plain->HasResourceFile());
        QVERIFY(QFile::exists(file));
        resutil::ResFile *created = plain->ResourceFile();
        plain->CreateResourceFile(path("Other.res"));
        QCOMPARE(plain->ResourceFile(), created);
        QVERIFY(!QFile::exists(path("Other.res")));
        int resourceComponents = 0;
        for (vbide::VBComponent *component : *plain->Project()->VBComponents())
            resourceComponents += component->Type() == vbide::vbext_ct_ResFile;
        QCOMPARE(resourceComponents, 1);
    }

    void aFailedCreationLeavesTheProjectWithoutFile()
    {
        QVERIFY(open(path("Plain.vbp")));
        docResourceEditor editor;
        editor.setVBE(m_vbe.get());
        choose(editor, "Plain");
        m_user->answerMsgBox(win32::vbOK);
        editor.CurrentProject()->CreateResourceFile(path("no such folder/Plain.res"));
        QCOMPARE(m_user->messageBoxes.size(), 1);
        QVERIFY2(m_user->messageBoxes[0].prompt.startsWith(
                     "The resource file could not be created.\n" + QDir::toNativeSeparators(path("no such folder/Plain.res"))),
                 qPrintable(m_user->messageBoxes[0].prompt));
        QVERIFY(!editor.CurrentProject()->HasResourceFile());
    }

    void unloadingAsksAboutEveryChangedFile_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes") << int(win32::vbYes);
        QTest::newRow("No") << int(win32::vbNo);
    }
    void unloadingAsksAboutEveryChangedFile()
    {
        QFETCH(int, answer);
        docResourceEditor editor;
        editor.setVBE(m_vbe.get());
        choose(editor, "Alpha");
        type(editor, 1, columnOf(editor, 2057), QStringLiteral("Uno"));
        choose(editor, "Beta");
        type(editor, 7, 1, QStringLiteral("Sieben"));
        m_user->answerMsgBox(answer);
        m_user->answerMsgBox(answer);
        editor.SaveChangedResourceFiles();
        QCOMPARE(m_user->messageBoxes.size(), 2);
        QCOMPARE(m_user->messageBoxes[0].prompt, QStringLiteral("Save changes to resource file.\n") + m_alphaRes);
        QCOMPARE(m_user->messageBoxes[1].prompt, QStringLiteral("Save changes to resource file.\n") + m_betaRes);
        const bool saved = answer == win32::vbYes;
        QCOMPARE(textIn(readRes(m_alphaRes), 2057, 1), saved ? QStringLiteral("Uno") : QStringLiteral("One"));
        QCOMPARE(textIn(readRes(m_betaRes), 2057, 7), saved ? QStringLiteral("Sieben") : QStringLiteral("Seven"));
    }
};

QTEST_MAIN(EditorProjectsTest)
#include "editor_projects_test.moc"
