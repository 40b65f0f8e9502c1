// libFuzzer target: ResFile::Load on arbitrary bytes. Whatever loads must
// save, and the saved file must load back to the same content.
#include "platform/resutil/ResFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

[[noreturn]] void broken(const char *what)
{
    std::fprintf(stderr, "round trip broken: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = QDir(folder().path()).filePath(QStringLiteral("input.res"));
    const QString output = QDir(folder().path()).filePath(QStringLiteral("output.res"));
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            broken("cannot write the input file");
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    resutil::ResFile file;
    file.setFileName(input);
    if (!file.Load().ok())
        return 0;
    file.setFileName(output);
    if (!file.Save(0).ok())
        return 0; // e.g. a string longer than the format allows cannot come from a valid file, but refusing is fine
    resutil::ResFile again;
    again.setFileName(output);
    if (!again.Load().ok())
        broken("a saved file does not load");
    if (again.Strings().Count() != file.Strings().Count() || again.OtherResources().size() != file.OtherResources().size())
        broken("counts differ");
    for (const resutil::ResString *entry : file.Strings()) {
        const resutil::ResString *other = again.Strings().Find(entry->LocaleID(), entry->ID());
        if (!other || other->Text() != entry->Text())
            broken("a string differs");
    }
    for (qsizetype i = 0; i < file.OtherResources().size(); ++i) {
        if (file.OtherResources()[i].header != again.OtherResources()[i].header
            || file.OtherResources()[i].data != again.OtherResources()[i].data)
            broken("another resource differs");
    }
    return 0;
}
