#include "MemoryCommands.h"
#include "Console.h"
#include "EscapedText.h"

#include "memory/Tmx.h"
#include "platform/common/AtomicFile.h"
#include "memory/TranslationMemory.h"

#include <string>

namespace {

std::string localeName(qint32 locale)
{
    const QString tag = memory::tagForLocale(locale);
    return std::to_string(locale) + (tag.isEmpty() ? std::string() : " " + tag.toStdString());
}

int write(const std::string &out)
{
    if (!cli::writeOut(QByteArrayView(out.data(), qsizetype(out.size()))))
        return cli::fail(QStringLiteral("the output could not be written to standard output"));
    return cli::ExitSuccess;
}

int runExport(memory::TranslationMemory &tm, const QStringList &positional)
{
    if (positional.size() != 2)
        return cli::usageError(QStringLiteral("memory export needs OUT.tmx (see quillmark memory --help)"));
    if (auto status = qm::AtomicFile::checkTarget(positional[1]); !status.ok())
        return cli::fail(status.error());
    auto written = memory::writeTmx(tm, positional[1]);
    if (!written)
        return cli::fail(written.error());
    std::string out = std::to_string(written->units) + " translations written to " + positional[1].toStdString();
    if (written->skipped > 0)
        out += "; " + std::to_string(written->skipped) + " left out (a text XML cannot hold, or an unknown locale)";
    return write(out + '\n');
}

int runStats(memory::TranslationMemory &tm, bool json)
{
    auto stats = tm.stats();
    if (!stats)
        return cli::fail(stats.error());
    std::string out;
    if (json) {
        out = "{\"file\": ";
        cli::appendJsonString(out, tm.path());
        out += ", \"entries\": " + std::to_string(stats->entries) + ", \"source_texts\": " + std::to_string(stats->sourceTexts) +
               ", \"files\": " + std::to_string(stats->files) + ", \"bytes\": " + std::to_string(stats->bytes) + ", \"pairs\": [";
        for (std::size_t i = 0; i < stats->pairs.size(); ++i)
            out += (i ? ", " : "") + std::string("{\"source\": ") + std::to_string(stats->pairs[i].sourceLocale) +
                   ", \"target\": " + std::to_string(stats->pairs[i].targetLocale) +
                   ", \"entries\": " + std::to_string(stats->pairs[i].entries) + '}';
        out += "]}\n";
    } else {
        out = tm.path().toStdString() + ": " + std::to_string(stats->entries) + " translations of " +
              std::to_string(stats->sourceTexts) + " source texts from " + std::to_string(stats->files) + " files, " +
              std::to_string(stats->bytes) + " bytes\n";
        for (const memory::LocalePairCount &pair : stats->pairs)
            out += localeName(pair.sourceLocale) + " -> " + localeName(pair.targetLocale) + ": " +
                   std::to_string(pair.entries) + '\n';
    }
    return write(out);
}

int runLookup(memory::TranslationMemory &tm, const QStringList &positional, const cli::Arguments &arguments)
{
    if (positional.size() != 2 || !arguments.has(QStringLiteral("--source")) || !arguments.has(QStringLiteral("--target")))
        return cli::usageError(
            QStringLiteral("memory lookup needs --source LOCALE --target LOCALE TEXT (see quillmark memory --help)"));
    qint32 locales[2];
    for (int i = 0; i < 2; ++i) {
        const QString option = i == 0 ? QStringLiteral("--source") : QStringLiteral("--target");
        const auto locale = cli::parseLocale(arguments.value(option));
        if (!locale)
            return cli::usageError(cli::badLocale(option, arguments.value(option)));
        locales[i] = *locale;
    }
    memory::LookupOptions options;
    if (arguments.has(QStringLiteral("--min-match"))) {
        const auto n = cli::parseNumber(arguments.value(QStringLiteral("--min-match")));
        if (!n || *n < 1 || *n > 100)
            return cli::usageError(QStringLiteral("--min-match takes a percentage from 1 to 100, not \"%1\"")
                                       .arg(arguments.value(QStringLiteral("--min-match"))));
        options.minMatch = *n;
    }
    auto found = tm.lookup(locales[0], locales[1], positional[1], options);
    if (!found)
        return cli::fail(found.error());
    std::string out;
    if (arguments.has(QStringLiteral("--json"))) {
        out = "{\"source\": " + std::to_string(locales[0]) + ", \"target\": " + std::to_string(locales[1]) + ", \"text\": ";
        cli::appendJsonString(out, positional[1]);
        out += ", \"suggestions\": [";
        bool first = true;
        for (const memory::Suggestion &s : *found) {
            out += first ? "{" : ", {";
            first = false;
            out += "\"percent\": " + std::to_string(s.percent) + ", \"text\": ";
            cli::appendJsonString(out, s.text);
            out += ", \"stored_source\": ";
            cli::appendJsonString(out, s.storedSource);
            out += ", \"stored_target\": ";
            cli::appendJsonString(out, s.storedTarget);
            out += ", \"file\": ";
            cli::appendJsonString(out, s.file);
            out += ", \"id\": " + (s.stringId < 0 ? std::string("null") : std::to_string(s.stringId)) + '}';
        }
        out += "]}\n";
    } else {
        for (const memory::Suggestion &s : *found)
            out += std::to_string(s.percent) + '\t' + cli::lineText(s.text) + '\t' + cli::lineText(s.file) + '\t' +
                   (s.stringId < 0 ? std::string() : std::to_string(s.stringId)) + '\n';
    }
    return write(out);
}

} // namespace

namespace cli {

int runMemory(const Arguments &arguments)
{
    const QStringList &positional = arguments.positional();
    const QString what = positional.value(0);
    if (what == u"add")
        return cli::runMemoryAdd(arguments);
    if (what != u"export" && what != u"stats" && what != u"lookup")
        return cli::usageError(what.isEmpty() ? QStringLiteral("memory needs add, export, stats or lookup (see quillmark memory --help)")
                                              : QStringLiteral("memory has no subcommand \"%1\" (add, export, stats, lookup)").arg(what));
    auto opened = memory::TranslationMemory::open(memory::TranslationMemory::defaultPath());
    if (!opened)
        return cli::fail(opened.error());
    memory::TranslationMemory &tm = *opened.value();
    if (what == u"export")
        return runExport(tm, positional);
    if (what == u"stats") {
        if (positional.size() != 1)
            return cli::usageError(QStringLiteral("memory stats takes no file (see quillmark memory --help)"));
        return runStats(tm, arguments.has(QStringLiteral("--json")));
    }
    return runLookup(tm, positional, arguments);
}

} // namespace cli
