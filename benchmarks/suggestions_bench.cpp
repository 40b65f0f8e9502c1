// The memory in the editor with 1,000,000 entries: from a grid cell becoming
// current to its suggestions shown in the pane (the lookup on the memory's
// thread, the pane filled on the window's), and what the window's thread
// does per change of a 786,432-string file: remembering it, and the
// consistency rule over it.
#include "benchmarks/MemoryCorpus.h"
#include "checks/ConsistencyChecks.h"
#include "editor/MemoryService.h"
#include "editor/SuggestionsPane.h"

#include <QApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

namespace {

using namespace corpus;

struct Setup {
    Fixture f;
    QString path;
    resutil::ResFile file;

    Setup()
    {
        file.setFileName(f.resPath);
        if (!file.Load().ok())
            std::abort();
        auto entries = memory::entriesOf(file.Strings(), 2057, f.resPath);
        resutil::ResStrings more;
        f.fillFile(more, 1000000, kMoreIds);
        auto moreEntries = memory::entriesOf(more, 2057, QStringLiteral("/projects/Second.res"));
        if (!f.tm->add(entries) || !f.tm->add(moreEntries))
            std::abort();
        path = f.tm->path();
        f.tm.reset();  // the service opens its own
    }
};

Setup &setup()
{
    static Setup s;
    return s;
}

// Every other cell's source has a word no stored text has: the fuzzy path.
void SuggestionsForCell(benchmark::State &state)
{
    Setup &s = setup();
    MemoryService service(s.path);
    SuggestionsPane pane;
    pane.resize(320, 600);
    pane.show();
    quint64 waiting = 0;
    bool answered = false;
    std::size_t found = 0, cells = 0;
    qint64 paneNs = 0;
    QElapsedTimer paneTime;
    QObject::connect(&service, &MemoryService::suggestionsFound, &pane,
                     [&](quint64 serial, const std::vector<memory::Suggestion> &list, bool available) {
                         if (serial != waiting)
                             return;
                         paneTime.start();
                         pane.showSuggestions(list, available);
                         paneNs += paneTime.nsecsElapsed();
                         found += list.empty() ? 0 : 1;
                         answered = true;
                     });
    quint32 id = 0;
    for (auto _ : state) {
        id = (id + 7919) % kIds;
        QString text = textFor(id, 0, s.f.words[0]);
        if (cells % 2 == 1) {
            const qsizetype space = text.indexOf(u' ');
            text.insert(space < 0 ? text.size() : space, QStringLiteral(" extra"));
        }
        paneTime.start();
        pane.showLookingUp(text, {{QStringLiteral("Deutsch"), textFor(id, 1, s.f.words[1])}});
        paneNs += paneTime.nsecsElapsed();
        answered = false;
        waiting = service.lookup(2057, 1031, text);
        while (!answered)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        ++cells;
    }
    state.counters["with_match"] = double(found) / double(cells);
    state.counters["window_ms"] = double(paneNs) / 1e6 / double(cells);
}
BENCHMARK(SuggestionsForCell)->Unit(benchmark::kMillisecond)->Iterations(200)->UseRealTime();

void RememberBigFile(benchmark::State &state)
{
    Setup &s = setup();
    for (auto _ : state)
        benchmark::DoNotOptimize(memory::entriesOf(s.file.Strings(), 2057, s.f.resPath));
}
BENCHMARK(RememberBigFile)->Unit(benchmark::kMillisecond)->Iterations(3);

void ConsistencyOfBigFile(benchmark::State &state)
{
    Setup &s = setup();
    for (auto _ : state)
        benchmark::DoNotOptimize(checks::checkConsistency(s.file.Strings(), 2057));
}
BENCHMARK(ConsistencyOfBigFile)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
