#include "ReviewCommands.h"
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
    return p.id >= 0 ? std::to_string(p.id) : cli::lineText(p.name);
}

std::string plainReport(const std::vector<Reported> &problems, const CodeProblems &code)
{
    std::string out;
    for (const Reported &p : problems)
        out += std::to_string(p.localeId) + '\t' + std::to_string(p.id) + '\t' + p.rule + '\t' + cli::lineText(p.text) + '\n';
    for (const checks::ReferenceProblem &p : code.problems) {
        out += std::to_string(p.localeId) + '\t' + referenceId(p) + '\t' + checks::referenceRuleKey(p.rule) + '\t' +
               cli::lineText(checks::describe(p, code.references)) + '\n';
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

} // namespace

namespace cli {

int runCheck(const Arguments &arguments)
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

} // namespace cli
