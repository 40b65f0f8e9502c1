#include "FormatDispatch.h"

#include "ImportJson.h"

#include "transfer/LanguageName.h"
#include "exchange/Exchange.h"
#include "exchange/TranslationUnits.h"
#include "exchange/UnitStates.h"
#include "platform/resutil/ResFile.h"
#include "ReviewStatesCli.h"
#include "reviewstate/ReviewStates.h"

#include <QFileInfo>

namespace cli {

std::optional<exchange::Format> chosenFormat(const QString &path, const Arguments &arguments)
{
    auto format = exchange::resolveFormat(path, arguments.value(QStringLiteral("--format")));
    if (!format) {
        fail(format.errorString());
        return std::nullopt;
    }
    return format.value();
}

namespace {

// Options from the arguments; false after a message.
bool readOptions(const QString &path, exchange::Format format, const Arguments &arguments, const QString &resPath,
                 exchange::Options *options)
{
    options->format = format;
    options->sheetName = arguments.value(QStringLiteral("--sheet"));
    options->original = QFileInfo(resPath).fileName();
    for (const char *name : {"--source", "--target"}) {
        const QString option = QString::fromLatin1(name);
        if (!arguments.has(option))
            continue;
        auto locale = parseLocale(arguments.value(option));
        if (!locale) {
            fail(QStringLiteral("%1 %2: not a locale ID or a known language tag").arg(option, arguments.value(option)));
            return false;
        }
        (option == QLatin1String("--source") ? options->sourceLocale : options->targetLocale) = *locale;
    }
    if (arguments.has(QStringLiteral("--separator"))) {
        const QString separator = arguments.value(QStringLiteral("--separator"));
        if (separator == QLatin1String(",") || separator == QLatin1String(";"))
            options->separator = separator[0];
        else if (separator == QLatin1String("tab") || separator == QLatin1String("\t") || separator == QLatin1String("\\t"))
            options->separator = u'\t';
        else {
            fail(QStringLiteral("--separator %1: the separator is , ; or tab").arg(separator));
            return false;
        }
    }
    for (const char *name : {"-I", "--include"})
        if (arguments.has(QString::fromLatin1(name)))
            options->includes << arguments.value(QString::fromLatin1(name)).split(u':', Qt::SkipEmptyParts);
    (void)path;
    return true;
}

} // namespace

int exportOther(const QString &resPath, const QString &outPath, exchange::Format format, const Arguments &arguments)
{
    // A sheet is replaced within its file and an .rc keeps all but its string
    // tables; any other file would be lost as a whole.
    const QFileInfo out(outPath);
    if (out.exists() && !out.isDir() && !exchange::hasSheets(format) && format != exchange::Format::Rc
        && !arguments.has(QStringLiteral("--force")))
        return fail(outPath, QStringLiteral("already exists; nothing was written (use --force to replace it)"));
    exchange::Options options;
    if (!readOptions(outPath, format, arguments, resPath, &options))
        return 1;
    if (options.sheetName.isEmpty())
        options.sheetName = QFileInfo(resPath).completeBaseName();
    resutil::ResFile file;
    file.setFileName(resPath);
    reviewstate::ReviewStates *states = attachStates(file);
    if (auto status = file.Load(); !status.ok())
        return fail(status.error());
    if (exchange::isTranslation(format)) {
        reportStates(file);
        exchange::describeUnits(*states, options);
    }
    RecordingFeedback feedback;
    if (auto status = exchange::exportFile(file.Strings(), outPath, options, ExcelTransfer::languageName, feedback); !status)
        return fail(status.error());
    return 0;
}

int importOther(const QString &inPath, const QString &resPath, exchange::Format format, const Arguments &arguments)
{
    exchange::Options options;
    if (!readOptions(inPath, format, arguments, resPath, &options))
        return 1;
    options.useFuzzy = arguments.has(QStringLiteral("--use-fuzzy"));
    resutil::ResFile file;
    file.setFileName(resPath);
    reviewstate::ReviewStates *states = attachStates(file);
    if (auto status = file.Load(); !status.ok())
        return fail(status.error());
    reportStates(file);
    RecordingFeedback feedback;
    auto imported = exchange::importFile(inPath, file.Strings(), options, feedback);
    if (!imported)
        return fail(imported.error());
    const bool json = arguments.has(QStringLiteral("--json"));
    const QByteArray out = json ? importJson(imported->entries, imported->messages, feedback.progressMaximum) : QByteArray();
    // A dry run does all the import does but write: it refuses what the import refuses.
    const qint32 target = imported->targetLocale;
    ExcelTransfer::replaceStrings(file.Strings(), std::move(imported->entries));
    if (states->readable() && target != 0)
        if (auto applied = exchange::applyUnitStates(*states, target, imported.value()); !applied)
            return fail(resPath, applied.errorString());
    if (arguments.has(QStringLiteral("-o")))
        file.setFileName(arguments.value(QStringLiteral("-o")));
    const bool dryRun = arguments.has(QStringLiteral("--dry-run"));
    if (auto status = dryRun ? file.Check() : file.Save(0); !status.ok())
        return fail(status.error());
    if (json)
        return writeResult(resPath, out);
    for (QString message : imported->messages)
        fail(inPath, message.replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
    return 0;
}

} // namespace cli
