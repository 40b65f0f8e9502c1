#include "platform/vbproject/ProjectFileBytes.h"
#include "platform/vbide/VbgFile.h"
#include "platform/vbproject/VbpFile.h"
#include "platform/vbproject/WindowsPath.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace vbide;

namespace {

QByteArray ansi(const QString &text, const char *codec)
{
    QStringEncoder encode(codec);
    QByteArray bytes = encode(text);
    if (encode.hasError())
        qFatal("test text not in %s", codec);
    return bytes;
}

// The code page a project file is read in; empty when it cannot be read.
QByteArray codePageOf(const QString &fileName, const QByteArray &hint = {})
{
    auto file = VbpFile::read(fileName, {}, hint);
    return file ? file.value()->codePage() : QByteArray();
}

} // namespace

class VbpFileTest : public QObject {
    Q_OBJECT
private slots:
    void init() { m_dir.reset(new QTemporaryDir); }

    void resolvesWindowsPaths_data();
    void resolvesWindowsPaths();
    void readsComponentsWithTheirTypes();
    void decodesTheAnsiCodePage();
    void reportsMissingFilesAndKeepsThem();
    void refusesFilesThatAreNoProject_data();
    void refusesFilesThatAreNoProject();
    void renameRewritesOnlyTheNameLine();
    void addingAResourceFileInsertsOneLine();
    void refusesNamesOutsideTheCodePage();
    void refusesToOverwriteAFileChangedOnDisk();
    void readsGroups();
    void findsTheCodePageUnderWhichTheNamesExist_data();
    void findsTheCodePageUnderWhichTheNamesExist();
    void writesBackInTheCodePageItWasReadIn();
    void guessesTheCodePageWhenNoNameTells();
    void readsGroupsInTheirCodePage();
    void opensVisualBasic4ProjectsAsStandardExe();
    void summarisesManyMissingFiles();
    void refusesFilesLargerThanAProjectFileCanBe();

private:
    QString path(const QString &relative) const { return QDir(m_dir->path()).filePath(relative); }
    std::unique_ptr<QTemporaryDir> m_dir;
    TestEnvironment m_env;
};

void VbpFileTest::resolvesWindowsPaths_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("expected");  // relative to the temporary folder; empty: not found
    QTest::newRow("as written") << "Forms/Main.frm" << "Forms/Main.frm";
    QTest::newRow("backslashes") << "Forms\\Main.frm" << "Forms/Main.frm";
    QTest::newRow("case of file") << "Forms\\MAIN.FRM" << "Forms/Main.frm";
    QTest::newRow("case of folder and file") << "forms\\main.Frm" << "Forms/Main.frm";
    QTest::newRow("dot segments") << ".\\Forms\\..\\Forms\\main.frm" << "Forms/Main.frm";
    QTest::newRow("missing") << "Forms\\Other.frm" << "";
    QTest::newRow("drive letter") << "C:\\Projects\\Main.frm" << "";
}

void VbpFileTest::resolvesWindowsPaths()
{
    QFETCH(QString, written);
    QFETCH(QString, expected);
    writeFile(path("Forms/Main.frm"), "x");
    const ResolvedPath resolved = resolveWindowsPath(m_dir->path(), written);
    if (expected.isEmpty()) {
        QVERIFY(!resolved.exists);
    } else {
        QVERIFY(resolved.exists);
        QCOMPARE(resolved.path, path(expected));
    }
}

void VbpFileTest::readsComponentsWithTheirTypes()
{
    writeFile(path("Main.frm"), "VERSION 5.00\r\nBegin VB.Form frmMain\r\nEnd\r\nAttribute VB_Name = \"frmMain\"\r\n");
    writeFile(path("Shell.frm"), "VERSION 5.00\r\nBegin VB.MDIForm mdiShell\r\nEnd\r\nAttribute VB_Name = \"mdiShell\"\r\n");
    writeFile(path("Code/Util.bas"), "Attribute VB_Name = \"modUtil\"\r\n");
    writeFile(path("Code/Thing.cls"), "Attribute VB_Name = \"clsThing\"\r\n");
    writeFile(path("Ctl.ctl"), "Attribute VB_Name = \"ctlGrid\"\r\n");
    writeFile(path("Doc.dob"), "Attribute VB_Name = \"docMain\"\r\n");
    writeFile(path("Page.pag"), "Attribute VB_Name = \"pagGeneral\"\r\n");
    writeFile(path("Env.Dsr"), "x");
    writeFile(path("notes.txt"), "x");
    writeFile(path("Res/Strings.RES"), "x");
    writeFile(path("App.vbp"),
              "Type=Exe\r\nReference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#stdole2.tlb#OLE Automation\r\n"
              "Form=main.frm\r\nForm=Shell.frm\r\nModule=modUtil; CODE\\util.bas\r\nClass=clsThing; Code\\Thing.cls\r\n"
              "UserControl=Ctl.ctl\r\nUserDocument=Doc.dob\r\nPropertyPage=Page.pag\r\nDesigner=env.dsr\r\n"
              "RelatedDoc=Notes.txt\r\nResFile32=\"res\\strings.res\"\r\nName=\"App\"\r\n"
              "[MS Transaction Server]\r\nForm=ignored.frm\r\n");
    auto file = VbpFile::read(path("App.vbp"));
    QVERIFY2(file, qPrintable(file.errorString()));
    const VbpFile &vbp = **file;
    QCOMPARE(vbp.name(), QStringLiteral("App"));
    QVERIFY2(vbp.warnings().isEmpty(), qPrintable(vbp.warnings().join('\n')));
    const QList<QPair<int, QString>> expected = {
        {vbext_ct_VBForm, "frmMain"},          {vbext_ct_VBMDIForm, "mdiShell"},
        {vbext_ct_StdModule, "modUtil"},       {vbext_ct_ClassModule, "clsThing"},
        {vbext_ct_UserControl, "ctlGrid"},     {vbext_ct_DocObject, "docMain"},
        {vbext_ct_PropPage, "pagGeneral"},     {vbext_ct_ActiveXDesigner, "Env"},
        {vbext_ct_RelatedDocument, "notes.txt"}, {vbext_ct_ResFile, "Strings"},
    };
    QCOMPARE(vbp.components().size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(int(vbp.components()[i].type), expected[i].first);
        QCOMPARE(vbp.components()[i].name, expected[i].second);
        QVERIFY(vbp.components()[i].exists);
    }
    QCOMPARE(vbp.components()[2].path, path("Code/Util.bas"));
    QCOMPARE(vbp.components()[9].path, path("Res/Strings.RES"));
}

void VbpFileTest::decodesTheAnsiCodePage()
{
    // "Größe" and "Résumé" as windows-1252 bytes: in names of the project and of a file.
    writeFile(path(QStringLiteral("Résumé.res")), "x");
    writeFile(path("Gr.vbp"), "Type=Exe\r\nResFile32=\"R\xe9sum\xe9.res\"\r\nName=\"Gr\xf6\xdf" "e\"\r\n");
    auto file = VbpFile::read(path("Gr.vbp"));
    QVERIFY2(file, qPrintable(file.errorString()));
    QCOMPARE((*file)->name(), QStringLiteral("Größe"));
    QCOMPARE((*file)->components().size(), 1);
    QVERIFY((*file)->components()[0].exists);

    auto unknown = VbpFile::read(path("Gr.vbp"), "no-such-code-page");
    QVERIFY(!unknown);
    QVERIFY(unknown.errorString().contains("no-such-code-page"));
}

void VbpFileTest::reportsMissingFilesAndKeepsThem()
{
    writeFile(path("P.vbp"), "Type=Exe\r\nForm=Gone.frm\r\nResFile32=\"Lost.res\"\r\nName=\"P\"\r\n");
    auto file = VbpFile::read(path("P.vbp"));
    QVERIFY2(file, qPrintable(file.errorString()));
    const QStringList warnings = (*file)->warnings();
    QCOMPARE(warnings.size(), 2);
    QVERIFY(warnings[0].contains("P.vbp, line 2"));
    QVERIFY(warnings[0].contains("\"Gone.frm\" was not found"));
    QVERIFY(warnings[1].contains("\"Lost.res\""));
    // The missing resource file stays a component, so the project still names it.
    QCOMPARE((*file)->components().size(), 2);
    QCOMPARE(int((*file)->components()[1].type), int(vbext_ct_ResFile));
    QCOMPARE((*file)->components()[1].path, path("Lost.res"));
    QVERIFY(!(*file)->components()[1].exists);

    // Names holding "%" and a digit are put in as they are, not substituted again.
    writeFile(path("P%4.vbp"), "Type=Exe\r\nForm=G%2one.frm\r\nName=\"P\"\r\n");
    auto percent = VbpFile::read(path("P%4.vbp"));
    QVERIFY2(percent, qPrintable(percent.errorString()));
    QCOMPARE((*percent)->warnings().value(0),
             QStringLiteral("P%4.vbp, line 2: the file \"G%2one.frm\" was not found (looked for ")
                 + QDir::toNativeSeparators(path("G%2one.frm")) + QStringLiteral(")."));
}

void VbpFileTest::refusesFilesThatAreNoProject_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << QByteArray() << "has no \"Type=\" line";
    QTest::newRow("text") << QByteArray("hello\r\nworld\r\n") << "has no \"Type=\" line";
    QTest::newRow("binary") << QByteArray("Type=Exe\0\x01\x02", 11) << "binary data";
}

void VbpFileTest::refusesFilesThatAreNoProject()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    writeFile(path("Bad.vbp"), bytes);
    auto file = VbpFile::read(path("Bad.vbp"));
    QVERIFY(!file);
    QVERIFY2(file.errorString().contains(message), qPrintable(file.errorString()));
    QVERIFY(file.errorString().contains("Bad.vbp"));

    auto missing = VbpFile::read(path("None.vbp"));
    QVERIFY(!missing);
    QVERIFY(missing.errorString().contains("None.vbp"));
}

void VbpFileTest::renameRewritesOnlyTheNameLine()
{
    const QByteArray before = "Type=Exe\r\nForm=A.frm\r\nName=\"Old\"\r\nHelpContextID=\"0\"\r\n\r\n[MS Transaction Server]\r\nAutoRefresh=1";
    writeFile(path("A.frm"), "x");
    writeFile(path("R.vbp"), before);
    auto file = VbpFile::read(path("R.vbp"));
    QVERIFY(file);
    QVERIFY((*file)->setName("Renamed"));
    QVERIFY((*file)->isChanged());
    QVERIFY((*file)->save());
    QByteArray expected = before;
    expected.replace("Name=\"Old\"", "Name=\"Renamed\"");
    QCOMPARE(readFile(path("R.vbp")), expected);
    QVERIFY(!(*file)->isChanged());

    // A project file without a Name= line gets one at the end of its first section.
    writeFile(path("N.vbp"), "Type=Exe\nForm=A.frm\n\n[Section]\nX=1\n");
    auto unnamed = VbpFile::read(path("N.vbp"));
    QVERIFY(unnamed);
    QCOMPARE((*unnamed)->name(), QStringLiteral("Project1"));
    QVERIFY((*unnamed)->setName("Named"));
    QVERIFY((*unnamed)->save());
    QCOMPARE(readFile(path("N.vbp")), QByteArray("Type=Exe\nForm=A.frm\nName=\"Named\"\n\n[Section]\nX=1\n"));
}

void VbpFileTest::addingAResourceFileInsertsOneLine()
{
    const QByteArray before = "Type=Exe\r\nForm=A.frm\r\nModule=modA; A.bas\r\nStartup=\"frmA\"\r\nName=\"P\"\r\n";
    writeFile(path("A.frm"), "x");
    writeFile(path("A.bas"), "x");
    writeFile(path("res/New.res"), "x");
    writeFile(path("P.vbp"), before);
    auto file = VbpFile::read(path("P.vbp"));
    QVERIFY(file);
    QVERIFY((*file)->addComponent(vbext_ct_ResFile, "New", path("res/New.res")));
    QVERIFY((*file)->save());
    QCOMPARE(readFile(path("P.vbp")),
             QByteArray("Type=Exe\r\nForm=A.frm\r\nModule=modA; A.bas\r\nResFile32=\"res\\New.res\"\r\nStartup=\"frmA\"\r\nName=\"P\"\r\n"));

    auto again = VbpFile::read(path("P.vbp"));
    QVERIFY(again);
    QCOMPARE((*again)->components().last().path, path("res/New.res"));
}

void VbpFileTest::refusesNamesOutsideTheCodePage()
{
    writeFile(path(QStringLiteral("日本.res")), "x");
    writeFile(path("P.vbp"), "Type=Exe\r\nName=\"P\"\r\n");
    auto file = VbpFile::read(path("P.vbp"));
    QVERIFY(file);
    qm::Status added = (*file)->addComponent(vbext_ct_ResFile, "x", path(QStringLiteral("日本.res")));
    QVERIFY(!added);
    QVERIFY(added.errorString().contains("windows-1252"));
    QVERIFY(!(*file)->isChanged());
}

void VbpFileTest::refusesToOverwriteAFileChangedOnDisk()
{
    writeFile(path("P.vbp"), "Type=Exe\r\nName=\"P\"\r\n");
    auto file = VbpFile::read(path("P.vbp"));
    QVERIFY(file);
    QVERIFY((*file)->setName("Q"));
    writeFile(path("P.vbp"), "Type=Exe\r\nName=\"Changed elsewhere\"\r\n");
    qm::Status saved = (*file)->save();
    QVERIFY(!saved);
    QVERIFY(saved.errorString().contains("changed by another program"));
    QCOMPARE(readFile(path("P.vbp")), QByteArray("Type=Exe\r\nName=\"Changed elsewhere\"\r\n"));
}

void VbpFileTest::readsGroups()
{
    writeFile(path("One/One.vbp"), "Type=Exe\r\n");
    writeFile(path("Two.vbp"), "Type=Exe\r\n");
    writeFile(path("G.vbg"), "VBGROUP 5.0\r\nStartupProject=ONE\\one.vbp\r\nProject=two.VBP\r\nProject=Three.vbp\r\n");
    auto group = VbgFile::read(path("G.vbg"));
    QVERIFY2(group, qPrintable(group.errorString()));
    QCOMPARE(group->projects, QStringList({path("One/One.vbp"), path("Two.vbp")}));
    QCOMPARE(group->startupProject, path("One/One.vbp"));
    QCOMPARE(group->warnings.size(), 1);
    QVERIFY(group->warnings[0].contains("Three.vbp"));

    writeFile(path("Bad.vbg"), "Type=Exe\r\n");
    auto bad = VbgFile::read(path("Bad.vbg"));
    QVERIFY(!bad);
    QVERIFY(bad.errorString().contains("VBGROUP"));
}

void VbpFileTest::findsTheCodePageUnderWhichTheNamesExist_data()
{
    QTest::addColumn<QString>("codec");
    QTest::addColumn<QString>("project");
    QTest::addColumn<QString>("resFile");
    QTest::newRow("GBK") << "windows-936" << QStringLiteral("工程1") << QStringLiteral("工程1.RES");
    QTest::newRow("Shift-JIS") << "windows-932" << QStringLiteral("実験") << QStringLiteral("表示\\実験.res");
    QTest::newRow("Big5") << "windows-950" << QStringLiteral("專案") << QStringLiteral("專案資源.res");
    QTest::newRow("1251") << "windows-1251" << QStringLiteral("Проект") << QStringLiteral("Ресурсы.res");
    QTest::newRow("1252") << "windows-1252" << QStringLiteral("Größe") << QStringLiteral("Résumé.res");
}

void VbpFileTest::findsTheCodePageUnderWhichTheNamesExist()
{
    QFETCH(QString, codec);
    QFETCH(QString, project);
    QFETCH(QString, resFile);
    // 表 ends in the byte of a backslash in Shift-JIS: the folder must not split there.
    writeFile(path(QString(resFile).replace(u'\\', u'/')), "x");
    const QByteArray cp = codec.toLatin1();
    writeFile(path("P.vbp"), "Type=Exe\r\nResFile32=\"" + ansi(resFile, cp) + "\"\r\nName=\"" + ansi(project, cp) + "\"\r\n");
    auto file = VbpFile::read(path("P.vbp"));
    QVERIFY2(file, qPrintable(file.errorString()));
    QCOMPARE((*file)->codePage(), cp);
    QCOMPARE((*file)->name(), project);
    QVERIFY2((*file)->warnings().isEmpty(), qPrintable((*file)->warnings().join('\n')));
    QCOMPARE((*file)->components().size(), 1);
    QVERIFY((*file)->components()[0].exists);
    QCOMPARE((*file)->components()[0].path, path(QString(resFile).replace(u'\\', u'/')));
}

void VbpFileTest::writesBackInTheCodePageItWasReadIn()
{
    const QByteArray before = "Type=Exe\r\nModule=Module1; " + ansi(QStringLiteral("模块.bas"), "windows-936")
                            + "\r\nName=\"" + ansi(QStringLiteral("工程1"), "windows-936") + "\"\r\nTitle=\""
                            + ansi(QStringLiteral("测试"), "windows-936") + "\"\r\n";
    writeFile(path(QStringLiteral("模块.bas")), "Attribute VB_Name = \"" + ansi(QStringLiteral("模块"), "windows-936") + "\"\r\n");
    writeFile(path(QStringLiteral("资源.res")), "x");
    writeFile(path("P.vbp"), before);
    auto file = VbpFile::read(path("P.vbp"));
    QVERIFY2(file, qPrintable(file.errorString()));
    QCOMPARE((*file)->codePage(), QByteArray("windows-936"));
    QVERIFY((*file)->addComponent(vbext_ct_ResFile, QStringLiteral("资源"), path(QStringLiteral("资源.res"))));
    QVERIFY((*file)->save());
    QByteArray expected = before;
    expected.insert(expected.indexOf("Name="), "ResFile32=\"" + ansi(QStringLiteral("资源.res"), "windows-936") + "\"\r\n");
    QCOMPARE(readFile(path("P.vbp")), expected);

    // What the host writes after a save still goes in that code page, and what it cannot hold is refused.
    QVERIFY((*file)->setName("Renamed"));
    QVERIFY((*file)->save());
    QCOMPARE(readFile(path("P.vbp")), QByteArray(expected).replace(ansi(QStringLiteral("\"工程1\""), "windows-936"), "\"Renamed\""));
    writeFile(path(QStringLiteral("한국어.res")), "x");
    qm::Status korean = (*file)->addComponent(vbext_ct_RelatedDocument, "k", path(QStringLiteral("한국어.res")));
    QVERIFY(!korean);
    QVERIFY2(korean.errorString().contains("936 Chinese Simplified (GBK)"), qPrintable(korean.errorString()));

    auto again = VbpFile::read(path("P.vbp"));
    QVERIFY(again);
    QCOMPARE((*again)->components()[0].name, QStringLiteral("Module1"));
    QCOMPARE((*again)->components()[1].path, path(QStringLiteral("资源.res")));
}

void VbpFileTest::guessesTheCodePageWhenNoNameTells()
{
    // No non-ASCII name: ICU's detection reads the description.
    const QString description = QStringLiteral("日本語のテキストを表示するためのサンプルプロジェクトです。"
                                               "文字列はリソースファイルに保存されています。");
    writeFile(path("J.vbp"), "Type=Exe\r\nName=\"Sample\"\r\nDescription=\"" + ansi(description, "windows-932") + "\"\r\n");
    auto japanese = VbpFile::read(path("J.vbp"));
    QVERIFY2(japanese, qPrintable(japanese.errorString()));
    QCOMPARE((*japanese)->codePage(), QByteArray("windows-932"));

    // A name that exists under no code page: the group's code page, then the guess.
    writeFile(path("G.vbp"), "Type=Exe\r\nForm=" + ansi(QStringLiteral("画面.frm"), "windows-936") + "\r\n");
    auto hinted = VbpFile::read(path("G.vbp"), {}, "windows-936");
    QVERIFY(hinted);
    QCOMPARE((*hinted)->codePage(), QByteArray("windows-936"));
    QCOMPARE((*hinted)->components()[0].writtenPath, QStringLiteral("画面.frm"));

    // ASCII throughout: Western, unless the group says otherwise; a code page asked for wins.
    writeFile(path("A.vbp"), "Type=Exe\r\nName=\"A\"\r\n");
    QCOMPARE(codePageOf(path("A.vbp")), QByteArray("windows-1252"));
    QCOMPARE(codePageOf(path("A.vbp"), "windows-1251"), QByteArray("windows-1251"));
    auto chosen = VbpFile::read(path("G.vbp"), "windows-1251");
    QVERIFY(chosen);
    QCOMPARE((*chosen)->codePage(), QByteArray("windows-1251"));
    QCOMPARE((*chosen)->components()[0].writtenPath, QStringLiteral("\u00bb\u00ad\u0413\u0436.frm"));
}

void VbpFileTest::readsGroupsInTheirCodePage()
{
    writeFile(path(QStringLiteral("実験/実験.vbp")), "Type=Exe\r\n");
    writeFile(path("G.vbg"), "VBGROUP 5.0\r\nStartupProject=" + ansi(QStringLiteral("実験\\実験.vbp"), "windows-932")
                                 + "\r\nProject=" + ansi(QStringLiteral("無い.vbp"), "windows-932") + "\r\n");
    auto group = VbgFile::read(path("G.vbg"));
    QVERIFY2(group, qPrintable(group.errorString()));
    QCOMPARE(group->codePage, QByteArray("windows-932"));
    QCOMPARE(group->projects, QStringList{path(QStringLiteral("実験/実験.vbp"))});
    QCOMPARE(group->warnings.size(), 1);
    QVERIFY2(group->warnings[0].contains(QStringLiteral("\"無い.vbp\" was not found")), qPrintable(group->warnings[0]));
}

void VbpFileTest::opensVisualBasic4ProjectsAsStandardExe()
{
    const QByteArray vb4 = "Form=Form1.frm\r\nReference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#stdole2.tlb#OLE\r\n"
                           "ProjWinSize=82,463,248,215\r\nProjWinShow=2\r\nIconForm=\"Form1\"\r\nExeName32=\"Old.exe\"\r\n"
                           "Name=\"Old\"\r\n";
    writeFile(path("Form1.frm"), "VERSION 4.00\r\nBegin VB.Form Form1\r\nEnd\r\nAttribute VB_Name = \"Form1\"\r\n");
    writeFile(path("Old.vbp"), vb4);
    auto file = VbpFile::read(path("Old.vbp"));
    QVERIFY2(file, qPrintable(file.errorString()));
    QCOMPARE((*file)->projectType(), QStringLiteral("Exe"));
    QCOMPARE((*file)->name(), QStringLiteral("Old"));
    QCOMPARE((*file)->components().size(), 1);
    QVERIFY((*file)->setName("Newer"));
    QVERIFY((*file)->save());
    QCOMPARE(readFile(path("Old.vbp")), QByteArray(vb4).replace("Name=\"Old\"", "Name=\"Newer\""));

    writeFile(path("Dll.vbp"), "Type=OleDll\r\nName=\"D\"\r\n");
    auto dll = VbpFile::read(path("Dll.vbp"));
    QVERIFY(dll);
    QCOMPARE((*dll)->projectType(), QStringLiteral("OleDll"));
}

void VbpFileTest::summarisesManyMissingFiles()
{
    QByteArray text = "Type=Exe\r\n";
    for (int i = 0; i < 412; ++i)
        text += "Module=M" + QByteArray::number(i) + "; Gone\\M" + QByteArray::number(i) + ".bas\r\n";
    writeFile(path("Many.vbp"), text);
    auto file = VbpFile::read(path("Many.vbp"));
    QVERIFY(file);
    QCOMPARE((*file)->components().size(), 412);
    const QStringList warnings = (*file)->warnings();
    QCOMPARE(warnings.size(), 11);
    QCOMPARE(warnings[0], QStringLiteral("Many.vbp: 412 files were not found; the first 10:"));
    QVERIFY(warnings[1].contains("\"Gone\\M0.bas\""));
    QVERIFY(warnings[10].contains("\"Gone\\M9.bas\""));
}

void VbpFileTest::refusesFilesLargerThanAProjectFileCanBe()
{
    QFile big(path("Big.vbp"));
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.write("Type=Exe\r\n"));
    QVERIFY(big.resize(MaxProjectFileBytes + 1));
    big.close();
    auto file = VbpFile::read(path("Big.vbp"));
    QVERIFY(!file);
    QVERIFY2(file.errorString().contains("10,485,761 bytes, more than the 10,485,760 bytes (10 MB)"),
             qPrintable(file.errorString()));
    QVERIFY(file.errorString().contains("Big.vbp"));
    QFile::rename(path("Big.vbp"), path("Big.vbg"));
    auto group = VbgFile::read(path("Big.vbg"));
    QVERIFY(!group);
    QVERIFY(group.errorString().contains("project group"));
}

QTEST_GUILESS_MAIN(VbpFileTest)
#include "vbide_vbpfile_test.moc"
