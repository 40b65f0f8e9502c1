#include "Command.h"
#include "Console.h"
#include "EscapedText.h"
#include "ReviewStatesCli.h"
#include "FitModule.h"

#include "checks/ReferenceChecks.h"
#include "checks/StringTableChecks.h"
#include "coderefs/ProjectCode.h"
#include "platform/resutil/ResFile.h"
#include "platform/vbproject/VbpFile.h"
#include "reviewstate/ReviewStates.h"
#include "reviewstate/StateChecks.h"
#include "spelling/SpellingCheck.h"

#include <QFileInfo>

#include <algorithm>
#include <string>

namespace {

std::string plainText(const QString &text)
{
    std::string out(cli::kEscapedBytesPerUnit * std::size_t(text.size()), '\0');
    char *end = cli::putEscaped<false>(out.data(), text);
    out.resize(std::size_t(end - out.data()));
    return out;
}

// A problem of the checks or of the review states, as reported.
struct Reported {
    qint32 localeId;
    qint32 id;
    const char *rule;
    QString text;
};

// Both lists by locale, then ID; for one string the checks' problems first.
std::vector<Reported> merged(const std::vector<checks::StringProblem> &problems,
                             const std::vector<reviewstate::StateProblem> &stateProblems)
{
    std::vector<Reported> all;
    all.reserve(problems.size() + stateProblems.size());
    for (const checks::StringProblem &p : problems)
        all.push_back({p.localeId, p.id, checks::ruleKey(p.problem.rule), checks::describe(p.problem)});
    for (const reviewstate::StateProblem &p : stateProblems)
        all.push_back({p.localeId, p.id, reviewstate::problemKey(p.kind), reviewstate::describe(p)});
    std::stable_sort(all.begin(), all.end(), [](const Reported &a, const Reported &b) {
        return a.localeId != b.localeId ? a.localeId < b.localeId : a.id < b.id;
    });
    return all;
}

// LOCALE<TAB>ID<TAB>RULE<TAB>TEXT, one line per problem.
// The problems of the code's references, after those of the translations.
struct CodeProblems {
    coderefs::CodeReferences references;
    std::vector<checks::ReferenceProblem> problems;
};

std::string referenceId(const checks::ReferenceProblem &p)
{
    return p.id >= 0 ? std::to_string(p.id) : plainText(p.name);
}

std::string plainReport(const std::vector<Reported> &problems, const CodeProblems &code)
{
    std::string out;
    for (const Reported &p : problems)
        out += std::to_string(p.localeId) + '\t' + std::to_string(p.id) + '\t' + p.rule + '\t' + plainText(p.text) + '\n';
    for (const checks::ReferenceProblem &p : code.problems) {
        out += std::to_string(p.localeId) + '\t' + referenceId(p) + '\t' + checks::referenceRuleKey(p.rule) + '\t' +
               plainText(checks::describe(p, code.references)) + '\n';
    }
    return out;
}

std::string jsonReport(qint32 source, const std::vector<Reported> &problems, const CodeProblems &code)
{
    std::string out = "{\"source\": " + std::to_string(source) + ", \"problems\": [";
    bool first = true;
    for (const Reported &p : problems) {
        out += first ? "" : ", ";
        first = false;
        out += "{\"locale\": " + std::to_string(p.localeId) + ", \"id\": " + std::to_string(p.id) + ", \"rule\": \"" +
               p.rule + "\", \"text\": ";
        cli::appendJsonString(out, p.text);
        out += '}';
    }
    for (const checks::ReferenceProblem &p : code.problems) {
        out += first ? "" : ", ";
        first = false;
        out += "{\"locale\": " + std::to_string(p.localeId) + ", \"id\": ";
        if (p.id >= 0)
            out += std::to_string(p.id);
        else
            cli::appendJsonString(out, p.name);
        out += std::string(", \"rule\": \"") + checks::referenceRuleKey(p.rule) + "\", \"text\": ";
        cli::appendJsonString(out, checks::describe(p, code.references));
        out += '}';
    }
    out += "]}\n";
    return out;
}

int run(const cli::Arguments &arguments)
{
    if (arguments.positional().size() != 1)
        return cli::usageError(QStringLiteral("check needs exactly one FILE.res (see quillmark check --help)"));
    if (arguments.has(QStringLiteral("--unused")) && !arguments.has(QStringLiteral("--project")))
        return cli::usageError(QStringLiteral("check --unused needs --project PROJECT.vbp, whose code tells what is used"));
    const QString path = arguments.positional().first();
    if (arguments.has(QStringLiteral("--factor")) && !arguments.has(QStringLiteral("--fit")))
        return cli::usageError(QStringLiteral("check --factor needs --fit, whose rule it sets"));
    // 0: the project's setting, else the default.
    double factor = 0;
    if (arguments.has(QStringLiteral("--factor"))) {
        bool ok = false;
        factor = arguments.value(QStringLiteral("--factor")).toDouble(&ok);
        if (!ok || !(factor >= 1.0 && factor <= 10.0))
            return cli::usageError(QStringLiteral("--factor \"%1\" is not a number from 1 to 10").arg(arguments.value(QStringLiteral("--factor"))));
    }
    std::optional<qint32> chosen;
    if (arguments.has(QStringLiteral("--source"))) {
        chosen = cli::parseLocale(arguments.value(QStringLiteral("--source")));
        if (!chosen)
            return cli::usageError(cli::badLocale(QStringLiteral("--source"), arguments.value(QStringLiteral("--source"))));
    }

    resutil::ResFile file;
    file.setFileName(path);
    reviewstate::ReviewStates *states = cli::attachStates(file);
    if (auto status = file.Load(); !status.ok())
        return cli::fail(status.error());
    cli::reportStates(file);
    const QList<qint32> languages = file.Languages();
    // A neutral locale (de) stands for the file's first language of its family (1031).
    if (chosen && !languages.contains(*chosen) && (*chosen & ~0x3FF) == 0) {
        for (qint32 language : languages)
            if ((language & 0x3FF) == *chosen) {
                chosen = language;
                break;
            }
    }
    if (chosen && !languages.contains(*chosen))
        return cli::fail(path, QStringLiteral("--source %1: the file has no strings in that language").arg(*chosen));
    // The project's source language is the one its review states name.
    const qint32 source = chosen ? *chosen : states->sourceLanguage();
    states->setSourceLanguage(source);

    CodeProblems code;
    if (arguments.has(QStringLiteral("--project"))) {
        qm::Result<std::unique_ptr<vbide::VbpFile>> project = vbide::VbpFile::read(arguments.value(QStringLiteral("--project")));
        if (!project)
            return cli::fail(project.error());
        code.references = coderefs::readProjectReferences(**project);
        code.problems = checks::checkReferences(file.Strings(), file.OtherResources(), source, code.references,
                                                arguments.has(QStringLiteral("--unused")));
    }

    std::vector<checks::StringProblem> found = checks::checkStrings(file.Strings(), source);
    if (arguments.has(QStringLiteral("--spelling"))) {
        spelling::SpellCheckers checkers;
        std::vector<checks::StringProblem> misspelt = spelling::checkSpelling(file.Strings(), source, checkers);
        found.insert(found.end(), std::make_move_iterator(misspelt.begin()), std::make_move_iterator(misspelt.end()));
    }
    if (arguments.has(QStringLiteral("--fit"))) {
        QString error;
        const QString projectFile =
            arguments.has(QStringLiteral("--project")) ? QFileInfo(arguments.value(QStringLiteral("--project"))).absoluteFilePath() : QString();
        if (!cli::checkWidthsInFitModule(file.Strings(), source, factor, projectFile, found, error))
            return cli::fail(path, error);
    }
    const std::vector<Reported> problems = merged(found, reviewstate::checkStates(*states));
    const std::string report = arguments.has(QStringLiteral("--json")) ? jsonReport(source, problems, code) : plainReport(problems, code);
    if (!cli::writeOut(QByteArrayView(report.data(), qsizetype(report.size()))))
        return cli::fail(path, QStringLiteral("the report could not be written to standard output"));
    const std::size_t total = problems.size() + code.problems.size();
    if (total == 0)
        return cli::ExitSuccess;
    if (code.problems.empty())
        return cli::fail(path, problems.size() == 1
                                   ? QStringLiteral("1 problem in the translations of locale %1").arg(source)
                                   : QStringLiteral("%1 problems in the translations of locale %2").arg(problems.size()).arg(source));
    if (problems.empty())
        return cli::fail(path, code.problems.size() == 1
                                   ? QStringLiteral("1 problem in the code's resource references")
                                   : QStringLiteral("%1 problems in the code's resource references").arg(code.problems.size()));
    return cli::fail(path, QStringLiteral("%1 problems: %2 in the translations of locale %3, %4 in the code's resource references")
                               .arg(QString::number(total), QString::number(problems.size()), QString::number(source),
                                    QString::number(code.problems.size())));
}

const cli::Command command{
    "check",
    "check the translations for placeholders, breaks, spaces, access keys, consistency, punctuation",
    "Usage: quillmark check FILE.res [--source LOCALE] [--project PROJECT.vbp [--unused]]\n"
    "                      [--spelling] [--fit [--factor N]] [--json]\n"
    "Compares every language's texts with those of the source language (default:\n"
    "the one the state file names, else 2057 English (United Kingdom) when the file\n"
    "has it, else its first language;\n"
    "a neutral LOCALE such as de names the file's first language of that family)\n"
    "and lists what would break the program at run time:\n"
    "  placeholder  %1..%9, printf's %s/%d/%ld/%% and .NET's {0} missing or added\n"
    "               (printf's in the order of the source)\n"
    "  line-breaks  another number of line breaks\n"
    "  spaces       leading or trailing spaces that differ from the source\n"
    "  access-key   an & access key in one text and not in the other (&& is a plain &)\n"
    "  empty        no translation for a source text\n"
    "  inconsistent the same source text translated otherwise in another string, or\n"
    "               another source text translated the same (names that string's ID)\n"
    "  punctuation  the source ends in . : ? ! or an ellipsis and the translation in\n"
    "               none of its language's equivalents (Greek ;, Arabic \u061F, the\n"
    "               full-width \u3002\uFF1F\uFF01\uFF1A, Spanish \u00BF...?), or the other way round\n"
    "and what the review states kept beside it (FILE.res.state) tell:\n"
    "  outdated     the source text changed since the translation was made\n"
    "  too-long     longer than the string's maximum length, in characters\n"
    "With --spelling (off by default, since it depends on the dictionaries installed):\n"
    "  spelling     a word the language's Hunspell dictionary (de-DE: de_DE, else de)\n"
    "               and the user's own word list do not hold; words with digits,\n"
    "               in capitals or also in the source text are left alone, as are\n"
    "               placeholders and the & of access keys. A language without a\n"
    "               dictionary is named once, with ID 0 (\"No dictionary for ...\").\n"
    "With --fit (the fonts the grid draws each language in, without a window):\n"
    "  width        a line of the translation more than N times as wide as the\n"
    "               source's (N from --factor, else the project's setting, else 1.3)\n"
    "With --project, the code of the project's members is read too (see quillmark\n"
    "refs) and, after the problems above, sorted by ID:\n"
    "  missing-id   an ID the code uses that no language has (LOCALE 0), or that the\n"
    "               source language lacks (LOCALE the source); a LoadResData or\n"
    "               LoadResPicture resource the file lacks (ID its name when named)\n"
    "  unused       with --unused: a string ID no LoadResString uses (LOCALE 0); off\n"
    "               by default, since a program may compute its IDs\n"
    "Without --json: one line per problem, LOCALE<TAB>ID<TAB>RULE<TAB>TEXT, sorted by\n"
    "  locale, then ID. With --json: {\"source\": 2057, \"problems\": [{\"locale\": 1031,\n"
    "  \"id\": 102, \"rule\": \"placeholder\", \"text\": \"%1 is missing\"}, ...]}.\n"
    "Exit status 1 when there is at least one problem (or the file cannot be read),\n"
    "0 when there is none, so a build can stop on a broken translation.\n",
    {QStringLiteral("--json"), QStringLiteral("--unused"), QStringLiteral("--spelling"), QStringLiteral("--fit")},
    {QStringLiteral("--source"), QStringLiteral("--project"), QStringLiteral("--factor")},
    run,
};
const cli::RegisterCommand registered{command};

} // namespace
