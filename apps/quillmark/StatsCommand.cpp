#include "Command.h"
#include "Console.h"
#include "ReviewStatesCli.h"

#include "platform/resutil/ResFile.h"
#include "reviewstate/StateStats.h"

#include <string>

namespace {

using reviewstate::StateCounts;

std::string plainReport(const reviewstate::FileStats &stats)
{
    std::string out = "locale\tstrings\ttranslated\tneeds-review\tapproved\tnew\tmissing\t"
                      "words\ttranslated-words\tneeds-review-words\tapproved-words\tnew-words\tmissing-words\n";
    for (const reviewstate::LanguageStats &l : stats.languages) {
        out += std::to_string(l.localeId) + '\t' + std::to_string(stats.source.strings);
        for (const StateCounts *c : {&l.translated, &l.needsReview, &l.approved, &l.untranslated, &l.missing})
            out += '\t' + std::to_string(c->strings);
        out += '\t' + std::to_string(stats.source.words);
        for (const StateCounts *c : {&l.translated, &l.needsReview, &l.approved, &l.untranslated, &l.missing})
            out += '\t' + std::to_string(c->words);
        out += '\n';
    }
    return out;
}

std::string counts(const char *name, const StateCounts &c)
{
    return std::string("\"") + name + "\": {\"strings\": " + std::to_string(c.strings) + ", \"words\": " +
           std::to_string(c.words) + "}";
}

std::string jsonReport(const reviewstate::FileStats &stats)
{
    std::string out = "{\"source\": " + std::to_string(stats.sourceLocale) + ", " + counts("strings", stats.source) +
                      ", \"languages\": [";
    bool first = true;
    for (const reviewstate::LanguageStats &l : stats.languages) {
        out += first ? "" : ", ";
        first = false;
        out += "{\"locale\": " + std::to_string(l.localeId) + ", " + counts("translated", l.translated) + ", " +
               counts("needs-review", l.needsReview) + ", " + counts("approved", l.approved) + ", " +
               counts("new", l.untranslated) + ", " + counts("missing", l.missing) + "}";
    }
    out += "]}\n";
    return out;
}

int run(const cli::Arguments &arguments)
{
    if (arguments.positional().size() != 1)
        return cli::usageError(QStringLiteral("stats needs exactly one FILE.res (see quillmark stats --help)"));
    const QString path = arguments.positional().first();
    resutil::ResFile file;
    file.setFileName(path);
    cli::attachStates(file);
    if (auto status = file.Load(); !status.ok())
        return cli::fail(status.error());
    reviewstate::ReviewStates *states = cli::reportStates(file);
    const reviewstate::FileStats stats = reviewstate::countStates(*states);
    const std::string report = arguments.has(QStringLiteral("--json")) ? jsonReport(stats) : plainReport(stats);
    return cli::writeResult(path, QByteArrayView(report.data(), qsizetype(report.size())));
}

const cli::Command command{
    "stats",
    "count the translations of each language by review state",
    "Usage: quillmark stats FILE.res [--json]\n"
    "Counts, for every language but the source, the string IDs that have a source\n"
    "text by the review state of their translation (kept in FILE.res.state):\n"
    "  translated    translated, not yet approved\n"
    "  needs-review  made from a source text that has changed since\n"
    "  approved      approved (quillmark approve)\n"
    "  new           a text marked as not translated yet\n"
    "  missing       no text at all\n"
    "and the source words of each (runs of letters and digits; each Chinese or\n"
    "Japanese character is a word). A file without FILE.res.state counts every\n"
    "text translated. The source language is the one the state file names, else\n"
    "2057 English (United Kingdom) when the file has it, else its first language.\n"
    "Without --json: a header line, then one line per language, tab-separated:\n"
    "  locale, strings, the five counts of strings, words, the five counts of words.\n"
    "With --json: {\"source\": 2057, \"strings\": {\"strings\": 1310, \"words\": 5230},\n"
    "  \"languages\": [{\"locale\": 1031, \"translated\": {\"strings\": 1168, \"words\": 4711},\n"
    "  \"needs-review\": {...}, \"approved\": {...}, \"new\": {...}, \"missing\": {...}}, ...]}.\n",
    {QStringLiteral("--json")},
    {},
    run,
};
const cli::RegisterCommand registered{command};

} // namespace
