// Project files: whatever reads as a .vbp is renamed, saved and read again,
// and keeps its components and every other byte; a .vbg reads the same twice.
#include "platform/vbide/VbgFile.h"
#include "platform/vbproject/VbpFile.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

bool sameComponents(const vbide::VbpFile &a, const vbide::VbpFile &b)
{
    const auto &x = a.components();
    const auto &y = b.components();
    if (x.size() != y.size())
        return false;
    for (qsizetype i = 0; i < x.size(); ++i)
        if (x[i].type != y[i].type || x[i].name != y[i].name || x[i].path != y[i].path
            || x[i].writtenPath != y[i].writtenPath)
            return false;
    return true;
}

void group(const QByteArray &bytes)
{
    const QString path = fuzz::scratch(QStringLiteral("fuzzed.vbg"));
    fuzz::writeBytes(path, bytes);
    auto first = vbide::VbgFile::read(path);
    auto second = vbide::VbgFile::read(path);
    if (first.ok() != second.ok())
        fuzz::broken("a group reads differently twice");
    if (first && (first->projects != second->projects || first->startupProject != second->startupProject))
        fuzz::broken("a group lists different projects twice");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    if (bytes.startsWith("VBGROUP")) {
        group(bytes);
        return 0;
    }
    const QString path = fuzz::scratch(QStringLiteral("fuzzed.vbp"));
    fuzz::writeBytes(path, bytes);
    auto read = vbide::VbpFile::read(path);
    if (!read)
        return 0;
    vbide::VbpFile &project = *read.value();
    if (project.bytes() != bytes)
        fuzz::broken("an unchanged project does not keep its bytes");
    if (!project.setName(QStringLiteral("Fuzzed")))
        return 0;
    if (auto saved = project.save(); !saved)
        fuzz::broken("a project that was read cannot be saved", saved.errorString());
    const QByteArray written = fuzz::readBytes(path);
    if (written != project.bytes())
        fuzz::broken("the saved file is not what the project holds");
    // The code page is a guess from the file's text, and the new name takes
    // some of that text away; what is written reads back in the code page it
    // was written in.
    auto again = vbide::VbpFile::read(path, project.codePage());
    if (!again)
        fuzz::broken("a saved project does not read back", again.errorString());
    if (again.value()->name() != QLatin1String("Fuzzed"))
        fuzz::broken("the new name did not survive", again.value()->name());
    if (!sameComponents(project, *again.value()))
        fuzz::broken("the components changed");
    if (again.value()->bytes() != written)
        fuzz::broken("the reread project does not keep the saved bytes");
    return 0;
}
