#include "editor/docResourceEditor.h"
#include "platform/vbide/HostWindow.h"
#include "platform/vbide/ProjectExplorer.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProject.h"
#include "platform/vbide/VBProjects.h"
#include "platform/vbproject/VbpFile.h"
#include "platform/win32/SftTree.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/testlib/ShownDialogs.h"
#include "tests/testlib/TestEnvironment.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace vbide;
using editortest::Entry;

namespace {

QByteArray ansi(const QString &text, const char *codec)
{
    QStringEncoder encode(codec);
    return encode(text);
}

// A project as Visual Basic writes it on a Windows of that code page: its
// names, resource file included, in the code page's bytes.
void writeAnsiProject(const QString &dir, const QString &name, const char *codec, const QList<Entry> &strings)
{
    editortest::writeRes(QDir(dir).filePath(name + QStringLiteral(".RES")), strings);
    writeFile(QDir(dir).filePath(QStringLiteral("Module1.bas")), "Attribute VB_Name = \"Module1\"\r\n");
    writeFile(QDir(dir).filePath(name + QStringLiteral(".vbp")),
              "Type=Exe\r\nModule=Module1; Module1.bas\r\nResFile32=\"" + ansi(name, codec) + ".RES\"\r\nName=\""
                  + ansi(name, codec) + "\"\r\n");
}

QStringList gridTexts(docResourceEditor &editor)
{
    QStringList texts;
    win32::SftTree &grid = *editor.SftTree();
    for (int row = 0; row < grid.itemCount(); ++row)
        for (int column = 1; column < grid.columnCount(); ++column)
            texts.append(grid.cellText(row, column));
    return texts;
}

} // namespace

// Projects written on Chinese and Japanese Windows, read in their code page.
class CodePagesTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void opensChineseAndJapaneseProjectsWithTheirStrings();
    void reopensAProjectInTheCodePageTheUserChooses();
    void summarisesManyMissingFilesInOneMessage();

private:
    QString path(const QString &relative) const { return QDir(m_dir->path()).filePath(relative); }
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void CodePagesTest::init()
{
    m_env.reset(new TestEnvironment);
    m_dir.reset(new QTemporaryDir);
}

void CodePagesTest::cleanup()
{
    m_dir.reset();
    m_env.reset();
}

void CodePagesTest::opensChineseAndJapaneseProjectsWithTheirStrings()
{
    QDir(m_dir->path()).mkpath(QStringLiteral("gbk"));
    QDir(m_dir->path()).mkpath(QStringLiteral("sjis"));
    writeAnsiProject(path("gbk"), QStringLiteral("工程1"), "windows-936", {{2052, 1, QStringLiteral("你好，世界")}});
    writeAnsiProject(path("sjis"), QStringLiteral("実験"), "windows-932", {{1041, 1, QStringLiteral("こんにちは")}});
    writeFile(path("Japanese.vbg"), "VBGROUP 5.0\r\nStartupProject=sjis\\" + ansi(QStringLiteral("実験.vbp"), "windows-932") + "\r\n");

    editortest::User user;
    HostWindow host;
    QVERIFY(host.openProject(path("gbk/工程1.vbp")));
    QVERIFY(host.addProject(path("sjis/実験.vbp")));
    QVERIFY2(user.messageBoxes.isEmpty(), qPrintable(user.messageBoxes.value(0).prompt));
    QTreeWidgetItem *chinese = host.explorer()->topLevelItem(0);
    QCOMPARE(chinese->text(0), QStringLiteral("工程1 (工程1.vbp)"));
    QVERIFY(chinese->toolTip(0).endsWith(QStringLiteral("Code page 936 Chinese Simplified (GBK)")));
    QTreeWidgetItem *related = chinese->child(1);
    QCOMPARE(related->child(0)->text(0), QStringLiteral("工程1 (工程1.RES)"));
    QCOMPARE(host.explorer()->topLevelItem(1)->text(0), QStringLiteral("実験 (実験.vbp)"));

    docResourceEditor editor;
    editor.setVBE(host.vbe());
    editor.cboProjects()->setCurrentIndex(editor.cboProjects()->findText(QStringLiteral("工程1")));
    editor.cboProjects_Click();
    QVERIFY(gridTexts(editor).contains(QStringLiteral("你好，世界")));
    editor.cboProjects()->setCurrentIndex(editor.cboProjects()->findText(QStringLiteral("実験")));
    editor.cboProjects_Click();
    QVERIFY(gridTexts(editor).contains(QStringLiteral("こんにちは")));

    QVERIFY(host.openProject(path("Japanese.vbg")));
    QCOMPARE(host.vbe()->VBProjects()->Count(), 1);
    QCOMPARE(host.vbe()->VBProjects()->Item(1)->Name(), QStringLiteral("実験"));
    QCOMPARE(host.vbe()->VBProjects()->Item(1)->file().codePage(), QByteArray("windows-932"));
    user.verifyNothingUnexpected();
}

void CodePagesTest::reopensAProjectInTheCodePageTheUserChooses()
{
    // No name tells the code page; the user knows better than the guess.
    writeFile(path("A.vbp"), "Type=Exe\r\nName=\"A\"\r\nTitle=\"" + ansi(QStringLiteral("Проверка"), "windows-1251") + "\"\r\n");
    writeFile(path("B.vbp"), "Type=Exe\r\nName=\"B\"\r\n");
    win32::ScriptedInteraction user;
    QStringList listed;
    QString shownTitle;
    QByteArray preselected;
    user.answerMsgBox(win32::vbNo);  // the rename is not saved
    user.answerDialog([&](QDialog &dialog) {
        whenModalShown([&](QWidget &window) {
            auto *list = window.findChild<QListWidget *>(QStringLiteral("lstCodePages"));
            shownTitle = window.accessibleName();
            if (list->currentItem())
                preselected = list->currentItem()->data(Qt::UserRole).toByteArray();
            for (int i = 0; i < list->count(); ++i)
                listed.append(list->item(i)->text());
            list->setCurrentItem(list->findItems(QStringLiteral("1253  Greek"), Qt::MatchExactly).value(0));
            pressKey(window, Qt::Key_Return);
        });
        return dialog.exec();
    });
    HostWindow host;
    QVERIFY(host.openProject(path("A.vbp")));
    QVERIFY(host.addProject(path("B.vbp")));
    VBProject *first = host.vbe()->VBProjects()->Item(1);
    const QByteArray guessed = first->file().codePage();
    QVERIFY(guessed != "windows-1253");
    host.explorer()->selectProject(first);
    QVERIFY(host.renameProject(first, QStringLiteral("Renamed")));
    QAction *reopen = host.findChild<QAction *>(QStringLiteral("mnuFileReopenCodePage"));
    QVERIFY(reopen && reopen->isEnabled());
    reopen->trigger();
    QVERIFY2(takeShownDialogFailures().isEmpty(), "the code page dialog did not show");
    QCOMPARE(shownTitle, QStringLiteral("Reopen with Code Page"));
    QCOMPARE(preselected, guessed);
    QVERIFY(listed.contains(QStringLiteral("936  Chinese Simplified (GBK)")));
    QVERIFY(listed.contains(QStringLiteral("932  Japanese (Shift-JIS)")));
    QCOMPARE(user.messageBoxes.size(), 1);
    QVERIFY(user.messageBoxes[0].prompt.contains("Save changes"));

    QCOMPARE(host.vbe()->VBProjects()->Count(), 2);
    VBProject *reopened = host.vbe()->VBProjects()->Item(1);
    QVERIFY(reopened != first);
    QCOMPARE(reopened->file().codePage(), QByteArray("windows-1253"));
    QCOMPARE(reopened->Name(), QStringLiteral("A"));  // the unsaved name is gone
    QCOMPARE(host.explorer()->topLevelItem(0)->text(0), QStringLiteral("A (A.vbp)"));
    QVERIFY(host.explorer()->topLevelItem(0)->toolTip(0).endsWith(QStringLiteral("1253 Greek")));
    QCOMPARE(host.explorer()->selectedProject(), reopened);

    // The choice holds the next time the project is opened.
    QVERIFY(host.openProject(path("A.vbp")));
    QCOMPARE(host.vbe()->VBProjects()->Count(), 1);
    reopened = host.vbe()->VBProjects()->Item(1);
    QCOMPARE(reopened->file().codePage(), QByteArray("windows-1253"));

    // A code page that cannot read the file leaves the project as it was.
    writeFile(path("A.vbp"), "Type=Exe\r\nName=\"\xff\"\r\n");
    user.answerMsgBox(win32::vbOK);
    QVERIFY(!host.reopenWithCodePage(reopened, "UTF-8"));
    QCOMPARE(host.vbe()->VBProjects()->Item(1), reopened);
    QVERIFY2(user.messageBoxes.last().prompt.contains("cannot be read in the code page 65001 Unicode (UTF-8)"),
             qPrintable(user.messageBoxes.last().prompt));
    QVERIFY(user.unexpected.isEmpty());
}

void CodePagesTest::summarisesManyMissingFilesInOneMessage()
{
    QByteArray text = "Type=Exe\r\n";
    for (int i = 0; i < 412; ++i)
        text += "Form=Forms\\F" + QByteArray::number(i) + ".frm\r\n";
    writeFile(path("Many.vbp"), text);
    win32::ScriptedInteraction user;
    user.answerMsgBox(win32::vbOK);
    HostWindow host;
    QVERIFY(host.openProject(path("Many.vbp")));
    QCOMPARE(user.messageBoxes.size(), 1);
    const QStringList lines = user.messageBoxes[0].prompt.split('\n');
    QCOMPARE(lines.size(), 11);
    QCOMPARE(lines[0], QStringLiteral("Many.vbp: 412 files were not found; the first 10:"));
    QVERIFY(user.unexpected.isEmpty());
}

QTEST_MAIN(CodePagesTest)
#include "vbide_codepages_test.moc"
