// Selecting a project whose resource file holds 65,536 string IDs in 12
// languages: reading the file and filling the grid; then filtering its rows
// by a text and by missing translations, and sorting them by a language.
#include "benchmarks/OffscreenSettings.h"
#include "editor/FindBar.h"
#include "editor/docResourceEditor.h"
#include "platform/resutil/ResFile.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProjects.h"
#include "platform/win32/SftTree.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QScrollBar>
#include <QLineEdit>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

const QList<qint32> kLocales{2057, 1031, 1036, 1040, 1034, 1043, 1049, 1032, 1041, 2052, 1025, 1037};
constexpr int kIds = 65536;

long residentKiB()
{
    long pages = 0;
    long resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * 4;
}

struct BigProject {
    QTemporaryDir dir;
    QString vbp;
    // With gaps, language k has no text for the IDs whose remainder by 13 is k.
    explicit BigProject(bool gaps = false)
    {
        resutil::ResFile file;
        file.setFileName(dir.filePath("Big.res"));
        if (!file.Create().ok())
            std::abort();
        file.Strings().reserve(qsizetype(kIds) * kLocales.size());
        for (qint32 lcid : kLocales) {
            const int language = int(kLocales.indexOf(lcid));
            for (int id = 0; id < kIds; ++id) {
                if (!gaps || id % 13 != language)
                    file.Strings().Add(lcid, id, QStringLiteral("Text %1 in %2").arg(id).arg(lcid));
            }
        }
        if (!file.Save(0).ok())
            std::abort();
        vbp = dir.filePath("Big.vbp");
        QFile project(vbp);
        if (!project.open(QIODevice::WriteOnly))
            std::abort();
        project.write("Type=Exe\r\nResFile32=\"Big.res\"\r\nName=\"Big\"\r\n");
    }
};

// From the click on the big project in the project list to its first rows
// painted, in a shown editor that showed another project before.
void SelectBigProject(benchmark::State &state)
{
    static BigProject big;
    QTemporaryDir smallDir;
    QFile small(QDir(smallDir.path()).filePath("Small.vbp"));
    if (!small.open(QIODevice::WriteOnly))
        std::abort();
    small.write("Type=Exe\r\nName=\"Small\"\r\n");
    small.close();
    for (auto _ : state) {
        state.PauseTiming();
        auto vbe = std::make_unique<vbide::VBE>();
        if (!vbe->VBProjects()->AddFromFile(small.fileName()) || !vbe->VBProjects()->AddFromFile(big.vbp))
            std::abort();
        auto editor = std::make_unique<docResourceEditor>();
        editor->resize(1600, 1000);
        editor->setVBE(vbe.get());
        editor->show();
        QComboBox *projects = editor->cboProjects();
        projects->setCurrentIndex(projects->findText(QStringLiteral("Small")));
        editor->cboProjects_Click();
        QCoreApplication::processEvents();
        projects->setCurrentIndex(projects->findText(QStringLiteral("Big")));
        const long before = residentKiB();
        state.ResumeTiming();

        editor->cboProjects_Click();
        editor->SftTree()->viewport()->repaint();

        state.PauseTiming();
        if (editor->SftTree()->itemCount() != kIds || editor->SftTree()->columnCount() != 13)
            state.SkipWithError("the grid was not filled");
        state.counters["rows"] = editor->SftTree()->itemCount();
        state.counters["grown_MiB"] = double(residentKiB() - before) / 1024.0;
        state.counters["resident_MiB"] = double(residentKiB()) / 1024.0;
        editor.reset();
        vbe.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(SelectBigProject)->Unit(benchmark::kMillisecond)->Iterations(3);

// The editor showing the big project with gaps, the find bar open.
struct ShownBigProject {
    BigProject big{true};
    std::unique_ptr<vbide::VBE> vbe = std::make_unique<vbide::VBE>();
    std::unique_ptr<docResourceEditor> editor = std::make_unique<docResourceEditor>();
    ShownBigProject()
    {
        if (!vbe->VBProjects()->AddFromFile(big.vbp))
            std::abort();
        editor->resize(1200, 800);
        editor->setVBE(vbe.get());
        editor->cboProjects()->setCurrentIndex(0);
        editor->cboProjects_Click();
        editor->show();
        editor->ShowFindBar();
        QCoreApplication::processEvents();
    }
    // What the user waits for: the rows chosen, the count shown, the grid drawn again.
    void settleAndDraw()
    {
        editor->findBar()->settle();
        editor->SftTree()->viewport()->repaint();
        QCoreApplication::processEvents();
    }
};

// Made by the first benchmark that needs it and kept for the others; main()
// destroys it, as every widget must go before the application object.
std::unique_ptr<ShownBigProject> g_shown;

ShownBigProject &shownBig()
{
    if (!g_shown)
        g_shown = std::make_unique<ShownBigProject>();
    return *g_shown;
}

// The text filter, from the moment typing pauses; arg 0 finds a few rows, arg 1 nearly all.
void FilterBySubstring(benchmark::State &state)
{
    ShownBigProject &shown = shownBig();
    const QString text = state.range(0) == 0 ? QStringLiteral("4242") : QStringLiteral("in 10");
    int rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        shown.editor->findBar()->findText()->clear();
        shown.settleAndDraw();
        state.ResumeTiming();

        shown.editor->findBar()->findText()->setText(text);
        shown.settleAndDraw();

        state.PauseTiming();
        rows = shown.editor->SftTree()->shownItemCount();
        state.ResumeTiming();
    }
    state.counters["rows_shown"] = rows;
    shown.editor->findBar()->findText()->clear();
    shown.settleAndDraw();
}
BENCHMARK(FilterBySubstring)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

void FilterMissing(benchmark::State &state)
{
    ShownBigProject &shown = shownBig();
    QCheckBox *missing = shown.editor->findBar()->missingTranslations();
    int rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        missing->setChecked(false);
        shown.settleAndDraw();
        state.ResumeTiming();

        missing->setChecked(true);
        shown.settleAndDraw();

        state.PauseTiming();
        rows = shown.editor->SftTree()->shownItemCount();
        state.ResumeTiming();
    }
    state.counters["rows_shown"] = rows;
    missing->setChecked(false);
    shown.settleAndDraw();
}
BENCHMARK(FilterMissing)->Unit(benchmark::kMillisecond)->Iterations(5);

// Sorting all rows by the German texts, as German sorts them.
void SortByLanguage(benchmark::State &state)
{
    ShownBigProject &shown = shownBig();
    for (auto _ : state) {
        state.PauseTiming();
        shown.editor->SortRows(-1, false);
        shown.settleAndDraw();
        state.ResumeTiming();

        shown.editor->SortRows(1031, false);
        shown.settleAndDraw();
    }
    shown.editor->SortRows(-1, false);
}
BENCHMARK(SortByLanguage)->Unit(benchmark::kMillisecond)->Iterations(5);

// A screen of rows not drawn before, scrolled to with the spelling off (0)
// and on (1): with it on, every cell's words are looked up as it is drawn.
void ScrollAPage(benchmark::State &state)
{
    ShownBigProject &shown = shownBig();
    win32::SftTree &grid = *shown.editor->SftTree();
    shown.editor->SetCheckSpelling(state.range(0) != 0);
    QScrollBar &bar = *grid.verticalScrollBar();
    // Each setting starts from rows of its own, so that neither finds the other's texts looked up.
    bar.setValue(state.range(0) != 0 ? bar.maximum() / 2 : 0);
    grid.viewport()->repaint();
    for (auto _ : state) {
        bar.setValue(bar.value() + bar.pageStep());
        grid.viewport()->repaint();
    }
    state.counters["rows"] = bar.pageStep();
    bar.setValue(0);
}
BENCHMARK(ScrollAPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(50);

// Usable at once: jumping to the last row and drawing it, then storing an
// edit of its German cell, as pressing Ctrl+End and typing does.
void ScrollToTheEndAndEdit(benchmark::State &state)
{
    ShownBigProject &shown = shownBig();
    win32::SftTree &grid = *shown.editor->SftTree();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        grid.verticalScrollBar()->setValue(0);
        grid.viewport()->repaint();
        QString text = QStringLiteral("Edited %1").arg(++round);
        state.ResumeTiming();

        grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
        grid.viewport()->repaint();
        const int last = grid.itemAtPosition(grid.shownItemCount() - 1);
        grid.setCurrentCell(last, 2);
        shown.editor->SftTree_AfterEdit(text, last, 2);
        grid.viewport()->repaint();
    }
}
BENCHMARK(ScrollToTheEndAndEdit)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    const OffscreenSettings settings;
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    g_shown.reset();
    benchmark::Shutdown();
    return 0;
}
