#include "MemoryCommands.h"
#include "Console.h"

#include "checks/StringTableChecks.h"
#include "memory/OptionalMemory.h"
#include "memory/Pretranslate.h"
#include "platform/common/AtomicFile.h"
#include "platform/resutil/ResFile.h"

namespace {

QString levelName(std::size_t level)
{
    const int floor = memory::kLevelFloors[level];
    if (level == 0)
        return QStringLiteral("100%");
    if (floor == 0)
        return QStringLiteral("under %1%").arg(memory::kLevelFloors[level - 1]);
    return QStringLiteral("%1-%2%").arg(QString::number(floor), QString::number(memory::kLevelFloors[level - 1] - 1));
}

QString summary(const QString &path, qint32 target, const memory::Pretranslated &done)
{
    QStringList levels;
    for (std::size_t level = 0; level < done.filled.size(); ++level)
        if (done.filled[level] > 0)
            levels << QStringLiteral("%1 at %2").arg(QString::number(done.filled[level]), levelName(level));
    QString line = QStringLiteral("%1: filled %2 of %3 missing texts of locale %4")
                       .arg(path, QString::number(done.total()), QString::number(done.missing), QString::number(target));
    return line + (levels.isEmpty() ? QString() : QStringLiteral(" (") + levels.join(QStringLiteral(", ")) + u')') + u'\n';
}

std::optional<qint32> localeOption(const cli::Arguments &arguments, const QString &option, int *status)
{
    const auto locale = cli::parseLocale(arguments.value(option));
    if (!locale)
        *status = cli::usageError(cli::badLocale(option, arguments.value(option)));
    return locale;
}

} // namespace

namespace cli {

int runPretranslate(const Arguments &arguments)
{
    if (arguments.positional().size() != 1 || !arguments.has(QStringLiteral("--target")))
        return cli::usageError(QStringLiteral("pretranslate needs FILE.res --target LOCALE (see quillmark pretranslate --help)"));
    const QString path = arguments.positional().first();
    int status = 0;
    const auto target = localeOption(arguments, QStringLiteral("--target"), &status);
    if (!target)
        return status;
    std::optional<qint32> source;
    if (arguments.has(QStringLiteral("--source")) && !(source = localeOption(arguments, QStringLiteral("--source"), &status)))
        return status;
    int minMatch = 100;
    if (arguments.has(QStringLiteral("--min-match"))) {
        const auto n = cli::parseNumber(arguments.value(QStringLiteral("--min-match")));
        if (!n || *n < 1 || *n > 100)
            return cli::usageError(QStringLiteral("--min-match takes a percentage from 1 to 100, not \"%1\"")
                                       .arg(arguments.value(QStringLiteral("--min-match"))));
        minMatch = *n;
    }
    const bool toOther = arguments.has(QStringLiteral("-o"));
    if (toOther)
        if (auto checked = qm::AtomicFile::checkTarget(arguments.value(QStringLiteral("-o"))); !checked.ok())
            return cli::fail(checked.error());

    resutil::ResFile file;
    file.setFileName(path);
    if (auto loaded = file.Load(); !loaded.ok())
        return cli::fail(loaded.error());
    const qint32 sourceLocale = source ? *source : checks::defaultSourceLanguage(file.Languages());
    if (sourceLocale == *target)
        return cli::usageError(QStringLiteral("--target %1 is the source language").arg(*target));

    memory::Pretranslated done;
    done.missing = memory::countMissing(file.Strings(), sourceLocale, *target);
    memory::OptionalMemory memory;
    if (memory::TranslationMemory *tm = memory.get()) {
        auto filled = memory::pretranslate(file.Strings(), *tm, sourceLocale, *target, minMatch);
        if (filled)
            done = filled.value();
        else
            memory.failed(filled.error());
    }
    if (const QString notice = memory.takeNotice(); !notice.isEmpty())
        cli::writeErr(QStringLiteral("quillmark: ") + notice + u'\n');
    // What failed part way filled nothing: the file is saved only with what the memory gave.
    if (done.total() > 0 || toOther) {
        if (toOther)
            file.setFileName(arguments.value(QStringLiteral("-o")));
        if (auto saved = file.Save(0); !saved.ok())
            return cli::fail(saved.error());
    }
    if (!cli::writeOut(summary(path, *target, done)))
        return cli::fail(path, QStringLiteral("the summary could not be written to standard output"));
    return cli::ExitSuccess;
}

} // namespace cli
