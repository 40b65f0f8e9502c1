// libFuzzer target: ResFile::Load on arbitrary bytes. Whatever loads must
// save, and the saved file must load back to the same content. The in-place
// reader must take nothing that does not load, and give what loading gives.
#include "platform/resutil/MappedStringTables.h"
#include "platform/resutil/ResFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <set>
#include <cstdlib>
#include <vector>

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

// The (block, language) of every string table, walked independently of the
// reader: entries are DataSize, HeaderSize, type, name, ... language, each
// aligned to four bytes. False when the walk cannot go on.
bool duplicateStringTable(const uint8_t *data, size_t size)
{
    auto word = [&](size_t at) { return at + 2 <= size ? uint32_t(data[at] | data[at + 1] << 8) : 0xffffffffu; };
    auto dword = [&](size_t at) { return at + 4 <= size ? (word(at) | word(at + 2) << 16) : 0; };
    std::set<std::pair<uint32_t, uint32_t>> seen;
    size_t at = 0;
    while (at + 32 <= size) {
        const uint64_t dataSize = dword(at), headerSize = dword(at + 4);
        if (headerSize < 32 || at + headerSize + dataSize > size)
            return false;
        size_t field = at + 8;
        uint32_t ids[2] = {0, 0};
        bool ordinal[2] = {false, false};
        for (int part = 0; part < 2; ++part) {
            if (word(field) == 0xffff) {
                ordinal[part] = true;
                ids[part] = word(field + 2);
                field += 4;
            } else {
                while (field + 2 <= at + headerSize && word(field) != 0)
                    field += 2;
                field += 2;
            }
        }
        field = (field + 3) & ~size_t(3);
        const uint32_t language = word(field + 6);
        if (ordinal[0] && ids[0] == 6 && ordinal[1] && !seen.insert({ids[1], language}).second)
            return true;
        at = (at + headerSize + dataSize + 3) & ~size_t(3);
    }
    return false;
}

void compareInPlace(resutil::MappedStringTables &tables, const resutil::ResStrings &strings)
{
    if (tables.count() != strings.Count())
        broken("the in-place reader counts differently");
    std::vector<qint32> ids;
    std::set<qint32> seen;
    for (const resutil::ResString *entry : strings) {
        if (seen.insert(entry->ID()).second)
            ids.push_back(entry->ID());
        const auto column = std::find(tables.locales().begin(), tables.locales().end(), entry->LocaleID());
        if (column == tables.locales().end())
            broken("the in-place reader misses a language");
        if (tables.text(std::size_t(column - tables.locales().begin()), entry->ID()) != entry->Text())
            broken("the in-place reader gives another text");
    }
    if (ids != tables.ids())
        broken("the in-place reader orders the IDs differently");
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
    auto tables = resutil::MappedStringTables::open(input);
    if (!file.Load().ok()) {
        if (tables)
            broken("the in-place reader took a file that does not load");
        return 0;
    }
    if (tables)
        compareInPlace(*tables, file.Strings());
    if (duplicateStringTable(data, size))
        broken("a file with two string tables for the same IDs and language loaded");
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
