#include "editor/clsProject.h"
#include "editor/docResourceEditor.h"
#include "platform/vbide/HostWindow.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProject.h"
#include "platform/vbide/VBProjects.h"
#include "platform/vbproject/VbpFile.h"
#include "platform/win32/SftTree.h"
#include "platform/win32/SftTreeCellEditor.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/testlib/TestEnvironment.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

using namespace editortest;

// A .res without a VB6 project opens as a project of its own, named after the file.
class EditorResProjectTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void bareResourceFileIsAProjectOfItsOwn()
    {
        User user;
        writeRes(path("my strings.res"), {{2057, 1, "One"}, {1031, 1, "Eins"}});
        vbide::VBE vbe;
        auto project = vbe.VBProjects()->AddFromFile(path("my strings.res"));
        QVERIFY2(project, qPrintable(project.errorString()));
        QCOMPARE(project.value()->Name(), QStringLiteral("my_strings"));
        QVERIFY(project.value()->file().resourceOnly());
        // It has no project file: saving the project says so and writes nothing.
        QVERIFY(project.value()->setName(QStringLiteral("Strings")).ok());
        const qm::Status saved = project.value()->Save();
        QVERIFY(!saved.ok());
        QVERIFY2(saved.errorString().contains(QLatin1String("no project file")), qPrintable(saved.errorString()));
        QVERIFY(!QFile::exists(path("my strings.vbp")));

        docResourceEditor editor;
        editor.setVBE(&vbe);
        const int entry = editor.cboProjects()->findText(QStringLiteral("Strings"));
        QVERIFY(entry >= 0);
        editor.cboProjects()->setCurrentIndex(entry);
        emit editor.cboProjects()->activated(entry);
        QVERIFY(editor.CurrentProject()->HasResourceFile());
        win32::SftTree &grid = *editor.SftTree();
        const int row = grid.findItemData(1);
        QVERIFY(row >= 0);
        int column = -1;
        for (int i = 0; i <= editor.LastLanguage(); ++i)
            if (editor.Languages()[i].LocaleID == 1031)
                column = editor.Languages()[i].Column;
        QCOMPARE(grid.cellText(row, column), QStringLiteral("Eins"));
        editor.SftTree_ItemClick(row, column, win32::SftTree::AreaCellText, win32::SftTree::LeftButton, 0);
        QVERIFY(grid.isEditing());
        grid.cellEditor()->setText(QStringLiteral("Eins!"));
        QVERIFY(grid.endEdit(true));
        editor.toolbar_ButtonClick(editor.toolbarButton(QStringLiteral("save")));
        QCOMPARE(textIn(readRes(path("my strings.res")), 1031, 1), QStringLiteral("Eins!"));
        user.verifyNothingUnexpected();
    }

    void missingResourceFileIsRefused()
    {
        vbide::VBE vbe;
        auto project = vbe.VBProjects()->AddFromFile(path("none.res"));
        QVERIFY(!project.ok());
        QVERIFY2(project.errorString().contains(QLatin1String("does not exist")), qPrintable(project.errorString()));
        QCOMPARE(vbe.VBProjects()->Count(), 0);
    }

    // The host's File menu opens one through the file dialog.
    void hostOpensResourceFileFromTheMenu()
    {
        User user;
        writeRes(path("Menu.res"), {{2057, 5, "Five"}});
        vbide::HostWindow host;
        user.answerFileDialog(path("Menu.res"));
        QAction *action = host.findChild<QAction *>(QStringLiteral("mnuFileOpenResource"));
        QVERIFY(action);
        action->trigger();
        QCOMPARE(host.vbe()->VBProjects()->Count(), 1);
        QCOMPARE(host.vbe()->VBProjects()->Item(1)->Name(), QStringLiteral("Menu"));
        QCOMPARE(user.fileDialogs.size(), 1);
        QCOMPARE(user.fileDialogs[0].filters.first(), QStringLiteral("Resource files (*.res)"));
    }
};

QTEST_MAIN(EditorResProjectTest)
#include "editor_resproject_test.moc"
