// .xlsx parts inside a valid package: the input is a member name, a line
// break and that member's new content (a name the package lacks adds a
// member). The package is otherwise one the product wrote itself, so the
// fuzzing reaches the part readers instead of stopping at the zip layer.
// The property is the one in WorkbookRoundTrip.h.
#include "platform/excel/model/Cells.h"
#include "platform/excel/model/Constants.h"
#include "tests/fuzz/WorkbookRoundTrip.h"

#include <QFile>

#include <zip.h>

#include <vector>

namespace {

struct Member {
    QByteArray name;
    QByteArray content;
};

std::vector<Member> readMembers(const QString &path)
{
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!archive)
        fuzz::broken("the template package does not open");
    std::vector<Member> members;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, zip_uint64_t(i), 0, &stat);
        QByteArray content(qsizetype(stat.size), '\0');
        zip_file_t *file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        if (!file || zip_fread(file, content.data(), stat.size) != zip_int64_t(stat.size))
            fuzz::broken("a template member cannot be read");
        zip_fclose(file);
        members.push_back({QByteArray(stat.name), content});
    }
    zip_close(archive);
    return members;
}

// A workbook of the kinds of cell the readers know, with two sheets.
const std::vector<Member> &templateMembers()
{
    static const std::vector<Member> members = [] {
        auto app = excel::Application::Create();
        excel::Workbook *book = app.value()->Workbooks().Add(excel::xlWBATWorksheet).value();
        excel::Worksheet *sheet = book->ActiveSheet();
        (void)sheet->Cells().Set(1, 1, excel::Value(QStringLiteral("Text")));
        (void)sheet->Cells().Set(1, 2, excel::Value(2057));
        (void)sheet->Cells().Set(2, 1, excel::Value(QStringLiteral("'0042")));
        (void)sheet->Cells().Set(2, 2, excel::Value(QStringLiteral("Zweite Zeile äöü 日本")));
        (void)book->Worksheets().Add();
        const QString path = fuzz::scratch(QStringLiteral("template.xlsx"));
        if (!book->SaveAs(path))
            fuzz::broken("the template workbook cannot be written");
        return readMembers(path);
    }();
    return members;
}

void writePackage(const QString &path, const std::vector<Member> &members)
{
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        fuzz::broken("a package cannot be created");
    for (const Member &member : members) {
        // libzip copies nothing: the contents stay alive until zip_close.
        zip_source_t *source = zip_source_buffer(archive, member.content.constData(), zip_uint64_t(member.content.size()), 0);
        const zip_int64_t index = source ? zip_file_add(archive, member.name.constData(), source, ZIP_FL_ENC_GUESS) : -1;
        if (index < 0) {
            zip_source_free(source);
            continue; // a name libzip refuses
        }
        zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0);
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        fuzz::broken("a package cannot be written");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzz::bytesOf(data, size);
    const qsizetype newline = input.indexOf('\n');
    if (newline <= 0)
        return 0;
    std::vector<Member> members = templateMembers();
    const QByteArray name = input.left(newline);
    bool replaced = false;
    for (Member &member : members)
        if (member.name == name) {
            member.content = input.mid(newline + 1);
            replaced = true;
        }
    if (!replaced)
        members.push_back({name, input.mid(newline + 1)});
    const QString package = fuzz::scratch(QStringLiteral("parts.xlsx"));
    writePackage(package, members);
    fuzz::checkRoundTrip(package, fuzz::scratch(QStringLiteral("saved.xlsx")));
    return 0;
}
