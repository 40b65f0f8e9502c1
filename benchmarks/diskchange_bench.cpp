// Noticing a change on disk: from another program's atomic save (a new file
// renamed over the project's resource file) to the editor showing the file
// read again, for a small file and for 65,536 string IDs in 12 languages.
// The watcher's quiet time (DiskWatcher::kQuietMs) is part of the figure.
#include "benchmarks/OffscreenSettings.h"
#include "editor/DiskWatcher.h"
#include "editor/docResourceEditor.h"
#include "merge/ThreeWayMerge.h"
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

#include <cstdio>
#include <malloc.h>
#include <memory>

namespace {

const QList<qint32> kLocales{2057, 1031, 1036, 1040, 1034, 1043, 1049, 1032, 1041, 2052, 1025, 1037};

// Two versions of the project's file that differ in the text of ID 0, English.
struct Project {
    QTemporaryDir dir;
    QString res = dir.filePath("P.res");
    QString versions[2] = {dir.filePath("a.res.ready"), dir.filePath("b.res.ready")};

    Project(int ids, int languages)
    {
        for (int version = 0; version < 2; ++version) {
            resutil::ResFile file;
            file.setFileName(version == 0 ? res : versions[1]);
            if (!file.Create().ok())
                std::abort();
            for (int language = 0; language < languages; ++language)
                for (int id = 0; id < ids; ++id)
                    file.Strings().Add(kLocales[language], id,
                                       id == 0 && language == 0 ? QStringLiteral("Version %1").arg(version)
                                                                : QStringLiteral("Text %1 in %2").arg(id).arg(language));
            if (!file.Save(0).ok())
                std::abort();
        }
        if (!QFile::copy(res, versions[0]))
            std::abort();
        QFile vbp(dir.filePath("P.vbp"));
        if (!vbp.open(QIODevice::WriteOnly))
            std::abort();
        vbp.write("Type=Exe\r\nResFile32=\"P.res\"\r\nName=\"P\"\r\n");
    }
};

void NoticeAChangeOnDisk(benchmark::State &state)
{
    Project project(int(state.range(0)), int(state.range(1)));
    vbide::VBE vbe;
    if (!vbe.VBProjects()->AddFromFile(project.dir.filePath("P.vbp")))
        std::abort();
    docResourceEditor editor;
    editor.resize(1200, 800);
    editor.setVBE(&vbe);
    editor.cboProjects()->setCurrentIndex(0);
    editor.cboProjects_Click();
    editor.show();
    QCoreApplication::processEvents();
    win32::SftTree &grid = *editor.SftTree();
    int english = -1;
    for (int i = 0; i <= editor.LastLanguage(); ++i)
        if (editor.Languages()[i].LocaleID == kLocales[0])
            english = editor.Languages()[i].Column;
    int version = 0;
    for (auto _ : state) {
        state.PauseTiming();
        version = 1 - version;
        const QString next = project.dir.filePath("next.res");
        QFile::remove(next);
        if (!QFile::copy(project.versions[version], next))
            std::abort();
        const QString expected = QStringLiteral("Version %1").arg(version);
        state.ResumeTiming();

        if (std::rename(QFile::encodeName(next).constData(), QFile::encodeName(project.res).constData()) != 0)
            std::abort();
        while (grid.cellText(grid.findItemData(0), english) != expected)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        grid.viewport()->repaint();
    }
    state.counters["quiet_ms"] = DiskWatcher::kQuietMs;
}
BENCHMARK(NoticeAChangeOnDisk)->Args({100, 2})->Args({65536, 12})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// What the merge's base costs beside a read file: the cells of the file as
// read, whose texts share the file's storage.
void KeepTheBaseOfAMerge(benchmark::State &state)
{
    Project project(int(state.range(0)), int(state.range(1)));
    resutil::ResFile file;
    file.setFileName(project.res);
    if (!file.Load().ok())
        std::abort();
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        merge::Version base = merge::versionOf(file);
        benchmark::DoNotOptimize(base);
        const double grown = double(mallinfo2().uordblks - before);
        state.counters["base_MiB"] = grown / (1024.0 * 1024.0);
        state.counters["bytes_per_string"] = grown / double(base.strings.size());
    }
}
BENCHMARK(KeepTheBaseOfAMerge)->Args({65536, 12})->Unit(benchmark::kMillisecond)->Iterations(1);

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
