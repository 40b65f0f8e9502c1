#include "Textconv.h"
#include "EscapedText.h"
#include "Console.h"

#include "platform/resutil/ResFile.h"
#include "platform/win32core/Nls.h"

#include <QCryptographicHash>
#include <QHash>

#include <algorithm>
#include <vector>

namespace cli {

namespace {

struct Line {
    qint32 id;
    qint32 localeId;
    QStringView text;
};

std::string localeName(qint32 localeId)
{
    const QString tag = localeId >= 0 ? win32::LCIDToLocaleName(win32::LCID(localeId)) : QString();
    return tag.isEmpty() ? std::to_string(localeId) : tag.toStdString();
}

std::string textOf(const resutil::ResFile &file)
{
    std::vector<Line> lines;
    lines.reserve(std::size_t(file.Strings().Count()));
    file.Strings().Peek([&](const resutil::ResStrings::Peeked &entry) {
        lines.push_back(Line{entry.id, entry.localeId, entry.text});
    });
    std::stable_sort(lines.begin(), lines.end(), [](const Line &a, const Line &b) {
        return a.id != b.id ? a.id < b.id : a.localeId < b.localeId;
    });
    QHash<qint32, std::string> names;
    std::string out;
    for (const Line &line : lines) {
        auto name = names.find(line.localeId);
        if (name == names.end())
            name = names.insert(line.localeId, localeName(line.localeId));
        out += std::to_string(line.id) + '\t' + *name + '\t' + lineText(line.text) + '\n';
    }
    for (const resutil::ResResource &resource : file.OtherResources()) {
        const QByteArray digest = QCryptographicHash::hash(resource.data, QCryptographicHash::Sha256).toHex();
        out += "resource\t" + resourceName(resource.type) + '\t' + resourceName(resource.name) + '\t' +
               std::to_string(resource.fields.language) + '\t' + std::to_string(resource.data.size()) + " bytes\tsha256 " +
               digest.toStdString() + '\n';
    }
    return out;
}

} // namespace

int dumpTextconv(const QString &path)
{
    resutil::ResFile file;
    file.setFileName(path);
    std::string out;
    if (auto status = file.Load(); !status.ok())
        out = "unreadable resource file: " + lineText(status.errorString()) + '\n';
    else
        out = textOf(file);
    return writeResult(path, QByteArrayView(out.data(), qsizetype(out.size())));
}

} // namespace cli
