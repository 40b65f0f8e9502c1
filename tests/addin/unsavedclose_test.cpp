#include "addin/Connect.h"
#include "editor/clsProject.h"
#include "editor/docResourceEditor.h"
#include "platform/vbide/AddIn.h"
#include "platform/vbide/Addins.h"
#include "platform/vbide/HostWindow.h"
#include "platform/vbide/InprocServer.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProjects.h"
#include "platform/win32/SftTree.h"
#include "platform/win32/SftTreeCellEditor.h"
#include "support/Globals.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/testlib/TestEnvironment.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

extern "C" int DllRegisterServer(void);
extern "C" int DllUnregisterServer(void);

using namespace editortest;

// Unsaved resource files when the host exits, closes or replaces a project, or
// unloads the add-in: Yes saves, No drops, Cancel keeps everything open, and a
// save that fails keeps the host, the add-in and the edits as they were.
class UnsavedCloseTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment m_env;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<User> m_user;
    std::unique_ptr<vbide::HostWindow> m_host;
    QString m_res;

    QString path(const QString &name) const { return QDir(m_dir->path()).filePath(name); }
    vbide::AddIn *addIn() const { return m_host->vbe()->Addins()->Item(QString::fromLatin1(Connect::ProgID)); }
    QString question() const { return QStringLiteral("Save changes to resource file.\n") + m_res; }
    QString editedText() const
    {
        return EditorInstance->Projects().first()->ResourceFile()->Strings().Find(2057, 1)->Text();
    }

    // The file cannot be written while a folder stands in its place.
    void blockSaving()
    {
        QVERIFY(QFile::remove(m_res));
        QVERIFY(QDir().mkdir(m_res));
    }
    void allowSaving() { QVERIFY(QDir().rmdir(m_res)); }
    void checkKept()
    {
        QVERIFY(addIn()->Connect());
        QCOMPARE(m_host->vbe()->VBProjects()->Count(), 1);
        QCOMPARE(EditorInstance->cboProjects()->count(), 1);
        QVERIFY(EditorInstance->Projects().first()->ResourceFile()->Changed());
        QCOMPARE(editedText(), QStringLiteral("Uno"));
    }
    // The failed save was told plainly (not as a program error); the told
    // message is taken off the list, leaving only the questions.
    void takeFailureMessage()
    {
        QVERIFY(!m_user->messageBoxes.isEmpty());
        const QString told = m_user->messageBoxes.takeLast().prompt;
        QVERIFY2(told.startsWith(QStringLiteral("The resource file could not be saved.")), qPrintable(told));
        QVERIFY2(m_user->errors.isEmpty(), qPrintable(m_user->errors.join('\n')));
    }
    void checkAsked(int count)
    {
        QCOMPARE(m_user->messageBoxes.size(), count);
        for (const auto &box : std::as_const(m_user->messageBoxes)) {
            QCOMPARE(box.prompt, question());
            QCOMPARE(box.style, 3);  // Yes, No and Cancel
            QCOMPARE(box.title, QStringLiteral("Quill Resource String Editor"));
        }
    }

private slots:
    void initTestCase() { QCOMPARE(DllRegisterServer(), vbide::S_OK); }
    void cleanupTestCase() { QCOMPARE(DllUnregisterServer(), vbide::S_OK); }

    // The host with project Alpha open, and "Uno" typed over "One", still in the cell editor.
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_user = std::make_unique<User>();
        skipLanguageDialog();
        m_res = path("A.res");
        writeRes(m_res, {{2057, 1, "One"}});
        writeProject(m_dir->path(), "Alpha", "A.res");
        writeProject(m_dir->path(), "Beta");
        m_host = std::make_unique<vbide::HostWindow>();
        m_host->show();
        m_host->vbe()->Addins()->Update();
        QVERIFY(addIn()->setConnect(true).ok());
        QVERIFY(m_host->openProject(path("Alpha.vbp")));
        docResourceEditor &editor = *EditorInstance;
        editor.cboProjects()->setCurrentIndex(0);
        editor.cboProjects_Click();
        editor.SftTree_ItemClick(0, 1, win32::SftTree::AreaCellText, win32::SftTree::LeftButton, 0);
        editor.SftTree()->cellEditor()->setText(QStringLiteral("Uno"));
    }
    void cleanup()
    {
        QDir().rmdir(m_res);
        m_host.reset();
        m_user->verifyNothingUnexpected();
        m_user.reset();
    }

    void exitAfterAFailedSaveKeepsTheHostAndTheEdits()
    {
        blockSaving();
        m_user->answerMsgBox(win32::vbYes);
        m_user->answerMsgBox(win32::vbOK);
        QVERIFY(!m_host->close());
        takeFailureMessage();
        checkAsked(1);
        QVERIFY(m_host->isVisible());
        checkKept();
        // The user frees the file and tries again.
        allowSaving();
        m_user->answerMsgBox(win32::vbYes);
        QVERIFY(m_host->close());
        checkAsked(2);
        QVERIFY(!EditorInstance);
        QCOMPARE(textIn(readRes(m_res), 2057, 1), QStringLiteral("Uno"));
    }

    void exitCancelKeepsEverythingAndNoDropsTheEdits()
    {
        m_user->answerMsgBox(win32::vbCancel);
        QVERIFY(!m_host->close());
        checkKept();
        m_user->answerMsgBox(win32::vbNo);
        QVERIFY(m_host->close());
        checkAsked(2);  // the unloading asks nothing more
        QVERIFY(!EditorInstance);
        QCOMPARE(textIn(readRes(m_res), 2057, 1), QStringLiteral("One"));
    }

    void removingTheProjectAfterAFailedSaveKeepsIt()
    {
        blockSaving();
        m_user->answerMsgBox(win32::vbYes);
        m_user->answerMsgBox(win32::vbOK);
        QVERIFY(!m_host->removeProject(m_host->vbe()->VBProjects()->Item(1)));
        takeFailureMessage();
        checkKept();
        QCOMPARE(EditorInstance->CurrentProject(), EditorInstance->Projects().first());
        m_user->answerMsgBox(win32::vbNo);
        QVERIFY(m_host->removeProject(m_host->vbe()->VBProjects()->Item(1)));
        checkAsked(2);
        QCOMPARE(EditorInstance->Projects().size(), 0);
        QCOMPARE(m_host->vbe()->VBProjects()->Count(), 0);
    }

    void openingAnotherProjectAsksAboutTheOldOne()
    {
        m_user->answerMsgBox(win32::vbCancel);
        QVERIFY(!m_host->openProject(path("Beta.vbp")));
        checkKept();
        m_user->answerMsgBox(win32::vbYes);
        QVERIFY(m_host->openProject(path("Beta.vbp")));
        checkAsked(2);
        QCOMPARE(EditorInstance->cboProjects()->itemText(0), QStringLiteral("Beta"));
        QCOMPARE(textIn(readRes(m_res), 2057, 1), QStringLiteral("Uno"));
    }

    void unloadingTheAddInAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("blocked");
        QTest::newRow("Cancel") << int(win32::vbCancel) << false;
        QTest::newRow("Yes, save fails") << int(win32::vbYes) << true;
    }
    void unloadingTheAddInAsksFirst()
    {
        QFETCH(int, answer);
        QFETCH(bool, blocked);
        if (blocked)
            blockSaving();
        m_user->answerMsgBox(answer);
        if (blocked)
            m_user->answerMsgBox(win32::vbOK);
        QVERIFY(!addIn()->setConnect(false).ok());
        if (blocked)
            takeFailureMessage();
        checkKept();
        if (blocked)
            allowSaving();
        m_user->answerMsgBox(win32::vbYes);
        QVERIFY(addIn()->setConnect(false).ok());
        checkAsked(2);
        QVERIFY(!addIn()->Connect());
        QCOMPARE(textIn(readRes(m_res), 2057, 1), QStringLiteral("Uno"));
    }
};

QTEST_MAIN(UnsavedCloseTest)
#include "unsavedclose_test.moc"
