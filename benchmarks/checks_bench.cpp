// The translation checks over 65,536 string IDs in 12 languages (786,432
// strings): the command-line check over the file's strings, and the editor's
// check of every row of a filled grid, which the "Problems" filter runs.
#include "benchmarks/OffscreenSettings.h"
#include "checks/StringTableChecks.h"
#include "editor/docResourceEditor.h"
#include "platform/resutil/ResFile.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProjects.h"
#include "platform/win32/SftTree.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

const QList<qint32> kLocales{2057, 1031, 1036, 1040, 1034, 1043, 1049, 1032, 1041, 2052, 1025, 1037};
constexpr int kIds = 65536;

// Texts as a user interface has them: most plain, some with placeholders,
// access keys, line breaks or a trailing space; one translation in a hundred
// breaks a rule.
QString textFor(int id, qint32 lcid)
{
    const QString word = lcid == 2057 ? QStringLiteral("Text") : QStringLiteral("Wort%1").arg(lcid);
    const bool broken = lcid != 2057 && (id * 7 + lcid) % 100 == 0;
    switch (id % 8) {
    case 0:
        return QStringLiteral("%1 %2 of %3").arg(word).arg(broken ? QStringLiteral("%0") : QStringLiteral("%1"), QStringLiteral("%2"));
    case 1:
        return (broken ? QString() : QStringLiteral("&")) + word + QString::number(id);
    case 2:
        return word + QStringLiteral(" has %d items, %s").replace(QStringLiteral("%s"), broken ? QString() : QStringLiteral("%s"));
    case 3:
        return word + (broken ? QStringLiteral(" one line") : QStringLiteral("\r\nsecond line"));
    case 4:
        return word + QStringLiteral(" {0:N2} total");
    default:
        return broken ? QString() : QStringLiteral("%1 number %2, a longer plain sentence.").arg(word).arg(id);
    }
}

void fill(resutil::ResStrings &strings)
{
    strings.reserve(qsizetype(kIds) * kLocales.size());
    for (qint32 lcid : kLocales)
        for (int id = 0; id < kIds; ++id)
            if (QString text = textFor(id, lcid); !text.isEmpty())
                strings.Add(lcid, id, std::move(text));
}

void CheckStringTables(benchmark::State &state)
{
    resutil::ResStrings strings;
    fill(strings);
    std::size_t problems = 0;
    for (auto _ : state) {
        problems = checks::checkStrings(strings, 2057).size();
        benchmark::DoNotOptimize(problems);
    }
    state.counters["strings"] = double(strings.Count());
    state.counters["problems"] = double(problems);
}
BENCHMARK(CheckStringTables)->Unit(benchmark::kMillisecond)->Iterations(5);

struct BigProject {
    QTemporaryDir dir;
    QString vbp;
    BigProject()
    {
        resutil::ResFile file;
        file.setFileName(dir.filePath("Big.res"));
        if (!file.Create().ok())
            std::abort();
        fill(file.Strings());
        if (!file.Save(0).ok())
            std::abort();
        vbp = dir.filePath("Big.vbp");
        QFile project(vbp);
        if (!project.open(QIODevice::WriteOnly))
            std::abort();
        project.write("Type=Exe\r\nResFile32=\"Big.res\"\r\nName=\"Big\"\r\n");
    }
};

void CheckEveryGridRow(benchmark::State &state)
{
    static BigProject big;
    auto vbe = std::make_unique<vbide::VBE>();
    if (!vbe->VBProjects()->AddFromFile(big.vbp))
        std::abort();
    auto editor = std::make_unique<docResourceEditor>();
    editor->resize(1200, 800);
    editor->setVBE(vbe.get());
    editor->cboProjects()->setCurrentIndex(0);
    editor->cboProjects_Click();
    if (editor->SftTree()->itemCount() != kIds)
        state.SkipWithError("the grid was not filled");
    int rows = 0;
    for (auto _ : state) {
        rows = 0;
        for (int row = 0; row < editor->SftTree()->itemCount(); ++row)
            rows += editor->RowHasProblems(row) ? 1 : 0;
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows_with_problems"] = rows;
}
BENCHMARK(CheckEveryGridRow)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    const OffscreenSettings settings;
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
