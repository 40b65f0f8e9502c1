#include "ReviewCommands.h"
#include "Console.h"
#include "EscapedText.h"

#include "coderefs/ProjectCode.h"
#include "platform/resutil/ResFile.h"
#include "platform/vbproject/VbpFile.h"

#include <QDir>
#include <QSet>

#include <algorithm>
#include <string>

namespace {

struct Report {
    const coderefs::CodeReferences &references;
    QString folder;                  // the project's, for the members' paths
    QList<qint32> fileIds;           // the string IDs of the project's resource file, ascending
    bool hasResFile = false;

    QString fileOf(int member) const
    {
        const QString path = references.members[member].path;
        return path.isEmpty() ? references.members[member].name : QDir(folder).relativeFilePath(path);
    }
    static QString idOf(const coderefs::ResourceUse &use) { return use.id >= 0 ? QString::number(use.id) : use.name; }
};

// One line per use, unresolved call, use count and warning, each led by its kind:
// use ID CALL FILE LINE EXPRESSION / unresolved CALL FILE LINE EXPRESSION REASON / count ID USES / warning TEXT.
std::string plainReport(const Report &report)
{
    std::string out;
    for (const coderefs::ResourceUse &use : report.references.uses)
        out += "use\t" + cli::lineText(Report::idOf(use)) + '\t' + coderefs::callName(use.call) + '\t' + cli::lineText(report.fileOf(use.member)) +
               '\t' + std::to_string(use.line) + '\t' + cli::lineText(use.expression) + '\n';
    for (const coderefs::UnresolvedCall &call : report.references.unresolved)
        out += std::string("unresolved\t") + coderefs::callName(call.call) + '\t' + cli::lineText(report.fileOf(call.member)) + '\t' +
               std::to_string(call.line) + '\t' + cli::lineText(call.expression) + '\t' + cli::lineText(call.reason) + '\n';
    for (const qint32 id : report.fileIds)
        out += "count\t" + std::to_string(id) + '\t' + std::to_string(report.references.stringUseCount(id)) + '\n';
    for (const QString &warning : report.references.warnings)
        out += "warning\t" + cli::lineText(warning) + '\n';
    return out;
}

std::string jsonReport(const Report &report)
{
    std::string out = "{\"uses\": [";
    const char *separator = "";
    for (const coderefs::ResourceUse &use : report.references.uses) {
        out += separator;
        separator = ", ";
        out += "{\"id\": ";
        if (use.id >= 0)
            out += std::to_string(use.id);
        else
            cli::appendJsonString(out, use.name);
        out += std::string(", \"call\": \"") + coderefs::callName(use.call) + "\", \"file\": ";
        cli::appendJsonString(out, report.fileOf(use.member));
        out += ", \"line\": " + std::to_string(use.line) + ", \"expression\": ";
        cli::appendJsonString(out, use.expression);
        out += '}';
    }
    out += "], \"unresolved\": [";
    separator = "";
    for (const coderefs::UnresolvedCall &call : report.references.unresolved) {
        out += separator;
        separator = ", ";
        out += std::string("{\"call\": \"") + coderefs::callName(call.call) + "\", \"file\": ";
        cli::appendJsonString(out, report.fileOf(call.member));
        out += ", \"line\": " + std::to_string(call.line) + ", \"expression\": ";
        cli::appendJsonString(out, call.expression);
        out += ", \"reason\": ";
        cli::appendJsonString(out, call.reason);
        out += '}';
    }
    out += "], \"counts\": ";
    if (!report.hasResFile) {
        out += "null";
    } else {
        out += '{';
        separator = "";
        for (const qint32 id : report.fileIds) {
            out += separator;
            separator = ", ";
            out += '"' + std::to_string(id) + "\": " + std::to_string(report.references.stringUseCount(id));
        }
        out += '}';
    }
    out += ", \"warnings\": [";
    separator = "";
    for (const QString &warning : report.references.warnings) {
        out += separator;
        separator = ", ";
        cli::appendJsonString(out, warning);
    }
    out += "]}\n";
    return out;
}

} // namespace

namespace cli {

int runRefs(const Arguments &arguments)
{
    if (arguments.positional().size() != 1)
        return cli::usageError(QStringLiteral("refs needs exactly one PROJECT.vbp (see quillmark refs --help)"));
    const QString path = arguments.positional().first();
    qm::Result<std::unique_ptr<vbide::VbpFile>> project = vbide::VbpFile::read(path);
    if (!project)
        return cli::fail(project.error());
    const coderefs::CodeReferences references = coderefs::readProjectReferences(**project);

    Report report{references, (*project)->folder(), {}, false};
    for (const vbide::VbpComponent &component : (*project)->components()) {
        if (component.type != vbide::vbext_ct_ResFile)
            continue;
        if (!component.exists)
            return cli::fail(path, QStringLiteral("the resource file %1 was not found (looked for %2)")
                                       .arg(component.writtenPath, QDir::toNativeSeparators(component.path)));
        resutil::ResFile file;
        file.setFileName(component.path);
        if (auto status = file.Load(); !status.ok())
            return cli::fail(status.error());
        QSet<qint32> ids;
        file.Strings().Peek([&](const resutil::ResStrings::Peeked &entry) {
            if (!entry.text.isEmpty())
                ids.insert(entry.id);
        });
        report.fileIds = ids.values();
        std::sort(report.fileIds.begin(), report.fileIds.end());
        report.hasResFile = true;
        break;
    }
    const std::string out = arguments.has(QStringLiteral("--json")) ? jsonReport(report) : plainReport(report);
    return cli::writeResult(path, QByteArrayView(out.data(), qsizetype(out.size())));
}

} // namespace cli
