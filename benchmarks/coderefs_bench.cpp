// Reading the resource calls of a generated project of 1,000 members and
// 500,000 lines: 10 modules of constants and Enums, then forms, classes and
// modules of code with comments (some in German, Windows-1252), strings and a
// resource call every eighth line, as the editor reads it when a project is
// selected.
#include "coderefs/ProjectCode.h"
#include "coderefs/ProjectUses.h"

#include <QCoreApplication>

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

constexpr int kMembers = 1000;
constexpr int kConstantModules = 10;
constexpr int kLinesPerMember = 500;
constexpr int kIdsPerModule = 130;

qint64 write(const QString &path, const QString &text)
{
    QFile file(path);
    QStringEncoder western("windows-1252");
    if (!file.open(QIODevice::WriteOnly) || file.write(western(text)) < 0)
        std::abort();
    return text.count(u'\n');
}

QString constantModule(int m)
{
    QString text = QStringLiteral("Attribute VB_Name = \"modIds%1\"\r\nOption Explicit\r\n").arg(m);
    int lines = 2;
    text += QStringLiteral("Public Const IDS_BASE%1 As Long = %2\r\n").arg(m).arg(m * 1000);
    ++lines;
    for (int i = 0; i < kIdsPerModule; ++i, ++lines)
        text += QStringLiteral("Public Const IDS_M%1_%2 As Long = IDS_BASE%1 + %2 ' Text für %2\r\n").arg(m).arg(i);
    text += QStringLiteral("Public Enum Ids%1\r\n    id%1First = %2\r\n").arg(m).arg(m * 1000 + 500);
    lines += 2;
    for (; lines < kLinesPerMember - 1; ++lines)
        text += QStringLiteral("    id%1E%2\r\n").arg(m).arg(lines);
    text += QStringLiteral("End Enum\r\n");
    return text;
}

QString codeLine(int member, int line)
{
    const int m = (member + line) % kConstantModules;
    switch (line % 8) {
    case 0: return QStringLiteral("    lbl(%1).Caption = LoadResString(IDS_M%2_%3)\r\n").arg(line).arg(m).arg(line % kIdsPerModule);
    case 1: return QStringLiteral("    ' Größe und Position der Steuerelemente: LoadResString(%1) bleibt hier\r\n").arg(line);
    case 2: return QStringLiteral("    s = \"LoadResString(%1)\" & CStr(i) & \"Übersicht\"\r\n").arg(line);
    case 3: return QStringLiteral("    If i > %1 Then i = i - 1 Else i = i + 1\r\n").arg(line);
    case 4: return QStringLiteral("    Me.Caption = LoadResString(IDS_BASE%1 + %2) & _\r\n").arg(m).arg(line % 100);
    case 5: return QStringLiteral("        \" \" & VB.LoadResString(&H%1&)\r\n").arg(line, 0, 16);
    case 6: return QStringLiteral("    Set pic = LoadResPicture(id%1First, vbResBitmap)\r\n").arg(m);
    default: return QStringLiteral("    total = total + values(%1) * 2\r\n").arg(line);
    }
}

QString codeMember(int member, bool form)
{
    QString text;
    int lines = 0;
    if (form) {
        text += QStringLiteral("VERSION 5.00\r\nBegin VB.Form frm%1 \r\n   Caption         =   \"LoadResString(1)\"\r\n"
                               "   Begin VB.Label lbl \r\n      Caption         =   \"Label\"\r\n      Index           =   0\r\n"
                               "   End\r\nEnd\r\nAttribute VB_Name = \"frm%1\"\r\n").arg(member);
        lines = 9;
    } else {
        text += QStringLiteral("Attribute VB_Name = \"mod%1\"\r\n").arg(member);
        lines = 1;
    }
    text += QStringLiteral("Option Explicit\r\n");
    ++lines;
    int procedure = 0;
    while (lines < kLinesPerMember) {
        text += QStringLiteral("Private Sub Work%1()\r\n    Dim i As Long, s As String, total As Long\r\n").arg(procedure++);
        lines += 2;
        for (int i = 0; i < 40 && lines < kLinesPerMember - 1; ++i, ++lines) {
            // A continued line is never the last of a procedure.
            if (lines % 8 == 4 && (i == 39 || lines + 1 >= kLinesPerMember - 1)) {
                text += codeLine(member, lines + 3);
                continue;
            }
            text += codeLine(member, lines);
        }
        text += QStringLiteral("End Sub\r\n");
        ++lines;
    }
    return text;
}

struct GeneratedProject {
    QTemporaryDir dir;
    QString vbp;
    qint64 lines = 0; // of the members
    GeneratedProject()
    {
        QString project = QStringLiteral("Type=Exe\r\n");
        for (int m = 0; m < kConstantModules; ++m) {
            lines += write(dir.filePath(QStringLiteral("modIds%1.bas").arg(m)), constantModule(m));
            project += QStringLiteral("Module=modIds%1; modIds%1.bas\r\n").arg(m);
        }
        for (int member = kConstantModules; member < kMembers; ++member) {
            const bool form = member % 3 == 0;
            const QString name = form ? QStringLiteral("Forms\\frm%1.frm").arg(member) : QStringLiteral("mod%1.bas").arg(member);
            QDir(dir.path()).mkpath(QStringLiteral("Forms"));
            lines += write(dir.filePath(QString(name).replace(u'\\', u'/')), codeMember(member, form));
            project += form ? QStringLiteral("Form=%1\r\n").arg(name) : QStringLiteral("Module=mod%1; %2\r\n").arg(member).arg(name);
        }
        project += QStringLiteral("Name=\"Generated\"\r\n");
        vbp = dir.filePath(QStringLiteral("Generated.vbp"));
        write(vbp, project);
    }
};

void ReadProjectReferences(benchmark::State &state)
{
    static GeneratedProject project;
    qsizetype uses = 0;
    qsizetype unresolved = 0;
    qsizetype members = 0;
    for (auto _ : state) {
        qm::Result<coderefs::CodeReferences> references = coderefs::readProjectReferences(project.vbp);
        if (!references)
            std::abort();
        uses = references->uses.size();
        unresolved = references->unresolved.size();
        members = references->members.size();
        benchmark::DoNotOptimize(uses);
    }
    state.counters["members"] = double(members);
    state.counters["uses"] = double(uses);
    state.counters["unresolved"] = double(unresolved);
    state.counters["lines"] = double(project.lines);
}
BENCHMARK(ReadProjectReferences)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same reading as the editor does it: on its worker, from choosing the
// project until the result is in the window's thread, which meanwhile goes
// round its event loop (the rounds it had, to show that it never waited).
void ReadInTheWindowsWorker(benchmark::State &state)
{
    static int argc = 1;
    static char name[] = "coderefs_bench";
    static char *argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    static GeneratedProject project;
    qint64 rounds = 0;
    qsizetype uses = 0;
    for (auto _ : state) {
        coderefs::ProjectUses reader;
        reader.watch(project.vbp);
        while (!reader.hasReferences()) {
            QCoreApplication::processEvents();
            ++rounds;
        }
        if (!reader.failure().isEmpty())
            std::abort();
        uses = reader.references().uses.size();
    }
    state.counters["uses"] = double(uses);
    state.counters["lines"] = double(project.lines);
    state.counters["window_rounds"] = benchmark::Counter(double(rounds), benchmark::Counter::kAvgIterations);
}
BENCHMARK(ReadInTheWindowsWorker)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
