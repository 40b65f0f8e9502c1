#include "coderefs/CodeReferences.h"
#include "coderefs/ProjectCode.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QStringEncoder>
#include <QtTest>

#include <memory>

using coderefs::CodeReferences;
using coderefs::MemberCode;

namespace {

MemberCode memberCode(const QString &name, const QString &text, vbide::vbext_ComponentType type = vbide::vbext_ct_StdModule)
{
    MemberCode code;
    code.member.name = name;
    code.member.writtenPath = name + QStringLiteral(".bas");
    code.member.type = type;
    code.text = text;
    return code;
}

// Declarations every row of the table sees beside its own module.
QList<MemberCode> sharedModules()
{
    return {
        memberCode(QStringLiteral("modIds"), QStringLiteral("Attribute VB_Name = \"modIds\"\r\n"
                                                       "Option Explicit\r\n"
                                                       "Public Const IDS_BASE As Long = 1000\r\n"
                                                       "Global Const IDS_GLOBAL = 2000&\r\n"
                                                       "Private Const IDS_HIDDEN = 3000\r\n"
                                                       "Const IDS_ALSO_HIDDEN = 3001\r\n"
                                                       "Public Const IDS_HEX = &H100\r\n"
                                                       "Public Const IDS_TWICE = 1\r\n"
                                                       "Public Const IDS_SAME = 5\r\n"
                                                       "Public Enum StringIds\r\n"
                                                       "    sidFirst = 500\r\n"
                                                       "    sidSecond\r\n"
                                                       "    sidThird = IDS_BASE + 10\r\n"
                                                       "    sidFourth\r\n"
                                                       "End Enum\r\n"
                                                       "Private Enum HiddenIds\r\n"
                                                       "    hidOne = 900\r\n"
                                                       "End Enum\r\n")),
        memberCode(QStringLiteral("modOther"), QStringLiteral("Public Const IDS_TWICE = 2\r\n"
                                                         "Public Const IDS_SAME = 5\r\n")),
        // A class's Public Const is no constant of the project.
        memberCode(QStringLiteral("clsThing"), QStringLiteral("VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\n"
                                                         "Public Const IDS_CLASS = 77\r\n"),
               vbide::vbext_ct_ClassModule),
    };
}

// What a user reads of the result: one line per use and per unresolved call.
QStringList summary(const CodeReferences &references)
{
    QStringList lines;
    for (const coderefs::ResourceUse &use : references.uses) {
        QString line = QString::fromLatin1(coderefs::callName(use.call)) + u' ' + (use.id >= 0 ? QString::number(use.id) : use.name);
        if (use.typeOrdinal >= 0)
            line += QStringLiteral(" (type %1)").arg(use.typeOrdinal);
        if (!use.typeName.isEmpty())
            line += QStringLiteral(" (type %1)").arg(use.typeName);
        lines << line + QStringLiteral(" %1:%2 %3").arg(references.members[use.member].name, QString::number(use.line), use.expression);
    }
    for (const coderefs::UnresolvedCall &call : references.unresolved)
        lines << QStringLiteral("unresolved %1 %2:%3 %4 (%5)")
                     .arg(QString::fromLatin1(coderefs::callName(call.call)), references.members[call.member].name,
                          QString::number(call.line), call.expression, call.reason);
    return lines;
}

QString lf(const char *text)
{
    return QString::fromUtf8(text);
}

} // namespace

class CodeRefsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_env = std::make_unique<TestEnvironment>(); }

    // Each row is the code of module modA after its first line (so its code
    // starts on line 2), beside the modules of sharedModules().
    void fragments_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("decimal") << lf("x = LoadResString(101)\n") << QStringList{"LoadResString 101 modA:2 101"};
        QTest::newRow("hex, with and without the Long suffix")
            << lf("x = LoadResString(&H65) & LoadResString(&h66&)\r\ny = LoadResString(&HFFFF&)\n")
            << QStringList{"LoadResString 101 modA:2 &H65", "LoadResString 102 modA:2 &h66&", "LoadResString 65535 modA:3 &HFFFF&"};
        QTest::newRow("a four-digit hex without suffix is an Integer")
            << lf("x = LoadResString(&HFFFF)\n")
            << QStringList{"unresolved LoadResString modA:2 &HFFFF (the ID -1 is outside 0 to 65535)"};
        QTest::newRow("octal") << lf("x = LoadResString(&O17)\n") << QStringList{"LoadResString 15 modA:2 &O17"};
        QTest::newRow("constants of the member, typed and with type suffixes")
            << lf("Private Const IDS_A As Long = 7&\nConst IDS_B% = 8\nx = LoadResString(IDS_A) + LoadResString(IDS_B%)\n")
            << QStringList{"LoadResString 7 modA:4 IDS_A", "LoadResString 8 modA:4 IDS_B%"};
        QTest::newRow("public constants of another module, in any case")
            << lf("x = LoadResString(ids_base)\nx = LoadResString(IDS_GLOBAL)\nx = LoadResString(modIds.IDS_BASE)\n")
            << QStringList{"LoadResString 1000 modA:2 ids_base", "LoadResString 2000 modA:3 IDS_GLOBAL",
                           "LoadResString 1000 modA:4 modIds.IDS_BASE"};
        QTest::newRow("private constants of another module are not seen")
            << lf("x = LoadResString(IDS_HIDDEN)\nx = LoadResString(IDS_ALSO_HIDDEN)\nx = LoadResString(IDS_CLASS)\n")
            << QStringList{"unresolved LoadResString modA:2 IDS_HIDDEN (IDS_HIDDEN is not a constant or Enum member of the project)",
                           "unresolved LoadResString modA:3 IDS_ALSO_HIDDEN (IDS_ALSO_HIDDEN is not a constant or Enum member of the project)",
                           "unresolved LoadResString modA:4 IDS_CLASS (IDS_CLASS is not a constant or Enum member of the project)"};
        QTest::newRow("Enum members, counted on and qualified")
            << lf("x = LoadResString(sidSecond)\nx = LoadResString(StringIds.sidFourth)\nx = LoadResString(modIds.StringIds.sidFirst)\n"
                  "x = LoadResString(hidOne)\n")
            << QStringList{"LoadResString 501 modA:2 sidSecond", "LoadResString 1011 modA:3 StringIds.sidFourth",
                           "LoadResString 500 modA:4 modIds.StringIds.sidFirst",
                           "unresolved LoadResString modA:5 hidOne (hidOne is not a constant or Enum member of the project)"};
        QTest::newRow("an Enum of the member itself")
            << lf("Private Enum Local\n  locA = 3\n  locB\nEnd Enum\nx = LoadResString(locB)\n")
            << QStringList{"LoadResString 4 modA:6 locB"};
        QTest::newRow("sums and differences")
            << lf("x = LoadResString(IDS_BASE + 3)\nx = LoadResString(IDS_BASE - 1 + sidFirst)\n"
                  "x = LoadResString((IDS_HEX + 1) * 2)\nx = LoadResString(-IDS_BASE + 1001)\n")
            << QStringList{"LoadResString 1003 modA:2 IDS_BASE + 3", "LoadResString 1499 modA:3 IDS_BASE - 1 + sidFirst",
                           "LoadResString 514 modA:4 (IDS_HEX + 1) * 2", "LoadResString 1 modA:5 -IDS_BASE + 1001"};
        QTest::newRow("continuation lines")
            << lf("x = LoadResString( _\r\n        IDS_BASE _\r\n        + 3)\r\ny = LoadResString(4)\r\n")
            << QStringList{"LoadResString 1003 modA:2 IDS_BASE + 3", "LoadResString 4 modA:5 4"};
        QTest::newRow("comments that look like calls")
            << lf("' LoadResString(1)\nRem LoadResString(2)\nx = 1 ' LoadResString(3)\nx = 2: Rem LoadResString(4)\n"
                  "' a comment goes on _\n   LoadResString(5)\nx = LoadResString(6) ' LoadResString(7)\nRemark = LoadResString(8)\n")
            << QStringList{"LoadResString 6 modA:8 6", "LoadResString 8 modA:9 8"};
        QTest::newRow("strings that look like calls")
            << lf("MsgBox \"LoadResString(1)\"\ns = \"say \"\"LoadResString(2)\"\" twice\"\n"
                  "s = \"x\" & LoadResString(3) & \"LoadResString(4)\"\n")
            << QStringList{"LoadResString 3 modA:4 3"};
        QTest::newRow("any case, with or without VB.")
            << lf("x = loadresstring(1)\nx = VB.LoadResString(2)\nb = LOADRESDATA(3, 10)\nSet p = vb.LoadResPicture(4, vbResIcon)\n")
            << QStringList{"LoadResString 1 modA:2 1", "LoadResString 2 modA:3 2", "LoadResData 3 (type 10) modA:4 3",
                           "LoadResPicture 4 (type 14) modA:5 4"};
        QTest::newRow("methods and routines of the same name are not the runtime's")
            << lf("x = obj.LoadResString(1)\nx = frm.VB.LoadResString(2)\nFunction LoadResData(a)\n  LoadResData = a\nEnd Function\n")
            << QStringList{};
        QTest::newRow("variables and functions stay unresolved")
            << lf("x = LoadResString(id)\nx = LoadResString(GetId(1))\nx = LoadResString(IDS_BASE + offset)\n")
            << QStringList{"unresolved LoadResString modA:2 id (id is not a constant or Enum member of the project)",
                           "unresolved LoadResString modA:3 GetId(1) (GetId is a function or an array)",
                           "unresolved LoadResString modA:4 IDS_BASE + offset (offset is not a constant or Enum member of the project)"};
        QTest::newRow("a name two modules declare alike or not")
            << lf("x = LoadResString(IDS_SAME)\nx = LoadResString(IDS_TWICE)\nx = LoadResString(modOther.IDS_TWICE)\n")
            << QStringList{"LoadResString 5 modA:2 IDS_SAME", "LoadResString 2 modA:4 modOther.IDS_TWICE",
                           "unresolved LoadResString modA:3 IDS_TWICE (IDS_TWICE is declared in more than one place (modIds, modOther))"};
        QTest::newRow("the member's own constant wins over a public one")
            << lf("Private Const IDS_BASE = 42\nx = LoadResString(IDS_BASE)\n") << QStringList{"LoadResString 42 modA:3 IDS_BASE"};
        QTest::newRow("a procedure's constant is its own")
            << lf("Sub A()\n  Const IDS_LOCAL = 11\n  x = LoadResString(IDS_LOCAL)\nEnd Sub\nSub B()\n  x = LoadResString(IDS_LOCAL)\nEnd Sub\n")
            << QStringList{"LoadResString 11 modA:4 IDS_LOCAL",
                           "unresolved LoadResString modA:7 IDS_LOCAL (IDS_LOCAL is not a constant or Enum member of the project)"};
        QTest::newRow("a constant defined by itself")
            << lf("Const IDS_A = IDS_B\nConst IDS_B = IDS_A + 1\nx = LoadResString(IDS_A)\n")
            << QStringList{"unresolved LoadResString modA:4 IDS_A (IDS_A is defined by itself)"};
        QTest::newRow("a name declared twice in one place: the first stands")
            << lf("Const IDS_D = 1\nConst IDS_D = 2\nSub A()\n  Const IDS_E = 3\n  Const IDS_E = 4\n  x = LoadResString(IDS_D + IDS_E)\nEnd Sub\n")
            << QStringList{"LoadResString 4 modA:7 IDS_D + IDS_E"};
        QTest::newRow("several constants on one line")
            << lf("Const A1 = 1, A2 = A1 + 1\nx = LoadResString(A2)\n") << QStringList{"LoadResString 2 modA:3 A2"};
        QTest::newRow("named arguments")
            << lf("Set p = LoadResPicture(Format:=vbResCursor, Index:=9)\n") << QStringList{"LoadResPicture 9 (type 12) modA:2 9"};
        QTest::newRow("resources named by strings")
            << lf("b = LoadResData(\"logo\", \"PNG\")\nb = LoadResData(\"#12\", 10)\nx = LoadResString(\"17\")\nx = LoadResString(\"abc\")\n")
            << QStringList{"LoadResData LOGO (type PNG) modA:2 \"logo\"", "LoadResData 12 (type 10) modA:3 \"#12\"",
                           "LoadResString 17 modA:4 \"17\"",
                           "unresolved LoadResString modA:5 \"abc\" (LoadResString takes a number, not \"abc\")"};
        QTest::newRow("labels and statements after colons")
            << lf("Start: x = LoadResString(1): y = LoadResString(2)\n")
            << QStringList{"LoadResString 1 modA:2 1", "LoadResString 2 modA:2 2"};
        QTest::newRow("line numbers") << lf("10 Const IDS_N = 4\n20 x = LoadResString(IDS_N)\n")
                                      << QStringList{"LoadResString 4 modA:3 IDS_N"};
        QTest::newRow("a call without an ID") << lf("x = LoadResString()\n")
                                              << QStringList{"unresolved LoadResString modA:2  (the call has no ID)"};
        QTest::newRow("both branches of conditional compilation")
            << lf("#Const DEBUG_IDS = 1\n#If DEBUG_IDS Then\nx = LoadResString(1)\n#Else\nx = LoadResString(2)\n#End If\n")
            << QStringList{"LoadResString 1 modA:4 1", "LoadResString 2 modA:6 2"};
        QTest::newRow("broken code is read as far as it goes")
            << lf("x = LoadResString(IDS_BASE\ns = \"LoadResString(1)\ny = LoadResString(2)\nConst = 5\nEnum\nz = LoadResString")
            << QStringList{"LoadResString 1000 modA:2 IDS_BASE", "LoadResString 2 modA:4 2",
                           "unresolved LoadResString modA:7  (the call has no ID)"};
        QTest::newRow("an expression nested past all reason")
            << QStringLiteral("x = LoadResString(%1 1)\n").arg(QString(100000, u'(')) << QStringList{
                   QStringLiteral("unresolved LoadResString modA:2 %1 1) (the expression is nested too deeply)").arg(QString(100000, u'('))};
        QTest::newRow("lone CR line ends") << lf("x = 1\ry = LoadResString(3)\r") << QStringList{"LoadResString 3 modA:3 3"};
    }
    void fragments()
    {
        QFETCH(QString, code);
        QFETCH(QStringList, expected);
        QList<MemberCode> members = sharedModules();
        members.append(memberCode(QStringLiteral("modA"), QStringLiteral("Attribute VB_Name = \"modA\"\n") + code));
        QCOMPARE(summary(coderefs::findReferences(members)), expected);
    }

    void propertyBlocks()
    {
        const QString form = lf("VERSION 5.00\r\n"
                                "Object = \"{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0\"; \"MSCOMCTL.OCX\"\r\n"
                                "Begin VB.Form frmA \r\n"
                                "   Caption         =   \"LoadResString(1)\"\r\n"
                                "   Begin VB.CommandButton cmdOK \r\n"
                                "      Caption         =   \"End\"\r\n"
                                "      BeginProperty Font \r\n"
                                "         Name            =   \"Tahoma\"\r\n"
                                "      EndProperty\r\n"
                                "   End\r\n"
                                "   Begin VB.Label lbl \r\n"
                                "      Tag             =   \"x\" 'LoadResString(2)\r\n"
                                "   End\r\n"
                                "End\r\n"
                                "Attribute VB_Name = \"frmA\"\r\n"
                                "Attribute VB_PredeclaredId = True\r\n"
                                "Option Explicit\r\n"
                                "Private Sub Form_Load()\r\n"
                                "    Caption = LoadResString(3)\r\n"
                                "End Sub\r\n");
        const QString cls = lf("VERSION 1.0 CLASS\nBEGIN\n  MultiUse = -1  'True\n  Tag = LoadResString(4)\nEND\n"
                               "Attribute VB_Name = \"clsA\"\nPrivate Sub Class_Initialize()\n  x = LoadResString(5)\nEnd Sub\n");
        const QString broken = lf("VERSION 5.00\nBegin VB.Form frmB\n  Caption = \"x\"\nPrivate Sub Form_Load()\n"
                                  "  x = LoadResString(6)\nEnd Sub\n");
        const CodeReferences references = coderefs::findReferences(
            {memberCode(QStringLiteral("frmA"), form, vbide::vbext_ct_VBForm), memberCode(QStringLiteral("clsA"), cls, vbide::vbext_ct_ClassModule),
             memberCode(QStringLiteral("frmB"), broken, vbide::vbext_ct_VBForm)});
        QCOMPARE(summary(references), (QStringList{"LoadResString 3 frmA:19 3", "LoadResString 5 clsA:8 5"}));
        QCOMPARE(references.members[0].codeStartLine, 17);
        QCOMPARE(references.members[1].codeStartLine, 7);
        QCOMPARE(references.warnings, QStringList{"frmB.bas: the property block has no End; its code was not read."});
    }

    void useCounts()
    {
        const CodeReferences references = coderefs::findReferences(
            {memberCode(QStringLiteral("modA"), lf("x = LoadResString(7)\ny = LoadResString(7) & LoadResString(8)\n"
                                               "Set p = LoadResPicture(7, 0)\nz = LoadResString(n)\n"))});
        QCOMPARE(references.stringUseCount(7), 2);
        QCOMPARE(references.stringUseCount(8), 1);
        QCOMPARE(references.stringUseCount(9), 0); // neither the picture nor the unresolved call counts
        QCOMPARE(references.usedStringIds(), (QList<qint32>{7, 8}));
        QCOMPARE(references.stringUses(7), (QList<qsizetype>{0, 1}));
    }

    // Member files on disk: found by a Windows path in any case, read in their
    // code page, with LF or CRLF line ends.
    void projectOnDisk()
    {
        QTemporaryDir dir;
        const auto path = [&](const char *name) { return dir.filePath(QString::fromUtf8(name)); };
        writeFile(path("Project.vbp"), "Type=Exe\r\nForm=Forms\\MAIN.frm\r\nModule=modW; modWestern.bas\r\n"
                                        "Class=clsGone; Gone.cls\r\nRelatedDoc=notes.txt\r\nName=\"P\"\r\n");
        QStringEncoder western("windows-1252");
        writeFile(path("modWestern.bas"), western(lf("Attribute VB_Name = \"modW\"\r\n' Größe der Fenster\r\n"
                                                     "Public Const IDS_ÄNDERN = 7\r\n"
                                                     "Public Sub Show()\r\n  MsgBox \"Schließen\" & LoadResString(IDS_ÄNDERN)\r\nEnd Sub\r\n")));
        writeFile(path("forms/main.frm"), "VERSION 5.00\nBegin VB.Form frmMain\n   Caption = \"LoadResString(1)\"\nEnd\n"
                                          "Attribute VB_Name = \"frmMain\"\nPrivate Sub Form_Load()\n"
                                          "  Caption = LoadResString(IDS_\xC4NDERN + 1)\nEnd Sub\n");
        writeFile(path("notes.txt"), "LoadResString(99)\n");
        qm::Result<CodeReferences> references = coderefs::readProjectReferences(path("Project.vbp"));
        QVERIFY2(references.ok(), qPrintable(references.errorString()));
        QCOMPARE(summary(*references), (QStringList{"LoadResString 8 frmMain:7 IDS_ÄNDERN + 1", "LoadResString 7 modW:5 IDS_ÄNDERN"}));
        QCOMPARE(references->members[0].path, path("forms/main.frm"));
        QCOMPARE(references->members[0].writtenPath, QStringLiteral("Forms\\MAIN.frm"));
        QCOMPARE(references->warnings.size(), 1);
        QVERIFY2(references->warnings.first().contains(QStringLiteral("Gone.cls")), qPrintable(references->warnings.first()));

        const qm::Result<CodeReferences> missing = coderefs::readProjectReferences(path("None.vbp"));
        QVERIFY(!missing.ok());
        QVERIFY2(missing.errorString().contains(QStringLiteral("None.vbp")), qPrintable(missing.errorString()));
    }

    // A project whose file names are Cyrillic is read in Windows-1251, and so
    // are its members, though Windows-1252 would read their bytes too.
    void memberInProjectCodePage()
    {
        QTemporaryDir dir;
        QStringEncoder cyrillic("windows-1251");
        writeFile(dir.filePath(QStringLiteral("Проект.vbp")),
                  cyrillic(QStringLiteral("Type=Exe\r\nModule=modRu; Модуль.bas\r\nName=\"Ru\"\r\n")));
        writeFile(dir.filePath(QStringLiteral("Модуль.bas")),
                  cyrillic(QStringLiteral("Attribute VB_Name = \"modRu\"\r\nPublic Const IDS_ЗАГОЛОВОК = 3\r\n"
                                          "x = LoadResString(IDS_ЗАГОЛОВОК)\r\n")));
        qm::Result<CodeReferences> references = coderefs::readProjectReferences(dir.filePath(QStringLiteral("Проект.vbp")));
        QVERIFY2(references.ok(), qPrintable(references.errorString()));
        QCOMPARE(summary(*references), QStringList{"LoadResString 3 modRu:3 IDS_ЗАГОЛОВОК"});
    }

    // Every resource call of the demo's forms, modules and class resolves,
    // and every string of its resource file is used.
    void demo()
    {
        qm::Result<CodeReferences> references = coderefs::readProjectReferences(QStringLiteral(QM_SOURCE_DIR "/demo/Demo.vbp"));
        QVERIFY2(references.ok(), qPrintable(references.errorString()));
        QCOMPARE(summary(*references).filter(QStringLiteral("unresolved")), QStringList());
        QCOMPARE(references->warnings, QStringList());
        QCOMPARE(references->members.size(), 3);
        int calls = 0;
        for (const coderefs::CodeMember &member : references->members)
            calls += int(QString::fromLatin1(readFile(member.path)).count(QStringLiteral("LoadResString(")));
        QCOMPARE(references->uses.size(), calls);
        for (qint32 id = 101; id <= 116; ++id)
            QVERIFY2(references->stringUseCount(id) > 0, qPrintable(QString::number(id)));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(CodeRefsTest)
#include "coderefs_test.moc"
