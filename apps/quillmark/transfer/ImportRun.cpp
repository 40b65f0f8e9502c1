#include "TransferCommands.h"
#include "FormatDispatch.h"
#include "WorkbookFailure.h"
#include "ImportJson.h"

#include "transfer/ExcelImport.h"
#include "platform/common/AtomicFile.h"
#include "platform/excel/Application.h"
#include "platform/resutil/ResFile.h"
#include "ReviewStatesCli.h"
#include "reviewstate/ReviewStates.h"
#include "uistrings/LgvStringModule.h"

#include <QFileInfo>

#include <malloc.h>

#include <exception>
#include <optional>

namespace {

constexpr int kOwnMappingBytes = 256 * 1024;

struct ImportOptions {
    QString bookPath;
    QString resPath;
    QString sheetName;
    QString outPath; // empty: FILE.res itself
    bool dryRun = false;
    bool json = false;
};

// The per-cell messages are warnings: the import went on past them.
int printMessages(const QString &bookPath, const RecordingFeedback &feedback)
{
    for (QString message : feedback.messages)
        cli::fail(bookPath, message.replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
    return 0;
}

int importBook(const ImportOptions &options)
{
    resutil::ResFile file;
    file.setFileName(options.resPath);
    // The save is the last the command does with the states.
    cli::attachStates(file)->setSaveIsLast(true);
    // A dry run does all the import does but write: it refuses what the import refuses.
    const auto loaded = file.Load();
    if (!loaded.ok())
        return cli::fail(loaded.error());
    cli::reportStates(file);
    // The sheet's strings replace the file's: these go before the sheet is
    // read, so that the two are never held together.
    file.Strings().Clear();
    auto app = excel::Application::Create();
    if (!app)
        return cli::fail(options.bookPath,
                         QStringLiteral("the spreadsheet back end cannot be started: ") + app.errorString());
    auto book = app.value()->Workbooks().Open(options.bookPath);
    if (!book)
        return cli::failOn(options.bookPath, book.errorString());

    // The entries go where they are needed as they are read, none kept: into
    // the file's strings (the file is only saved, or checked, when the read
    // completed) and into the JSON result.
    struct Destinations : ExcelTransfer::StringSink {
        std::optional<ExcelTransfer::StringsSink> strings;
        cli::ImportJsonWriter *json = nullptr;
        void expect(qint64 cells) override
        {
            if (strings)
                strings->expect(cells);
            if (json)
                json->reserve(cells);
        }
        void add(qint32 localeId, qint32 id, QString text) override
        {
            if (json)
                json->add(localeId, id, text);
            if (strings)
                strings->add(localeId, id, std::move(text));
        }
        void adoptTexts(const QString &buffer) override
        {
            if (strings)
                strings->adoptTexts(buffer);
        }
        void addStored(qint32 localeId, qint32 id, const QString &buffer, qsizetype offset, qsizetype size) override
        {
            if (json)
                json->add(localeId, id, QString(buffer.constData() + offset, size));
            if (strings)
                strings->addStored(localeId, id, buffer, offset, size);
        }
    } destinations;
    cli::ImportJsonWriter json;
    destinations.strings.emplace(file.Strings());
    if (options.json)
        destinations.json = &json;
    RecordingFeedback feedback;
    // The book's bytes are needed neither for the save nor once the cells are gathered.
    const auto closeBook = [&] { app.value()->Workbooks().closeAll(); };
    if (auto read = ExcelTransfer::readStringsStreamed(*book.value(), options.sheetName, feedback, destinations, closeBook);
        !read)
        return cli::failOn(options.bookPath, read.errorString());
    closeBook();
    if (!options.outPath.isEmpty())
        file.setFileName(options.outPath);
    if (auto status = options.dryRun ? file.Check() : file.Save(0); !status.ok())
        return cli::fail(status.error());
    if (options.json)
        return cli::writeResult(options.resPath, json.finish(feedback.messages, feedback.progressMaximum));
    return printMessages(options.bookPath, feedback);
}

} // namespace

namespace cli {

int runImport(const Arguments &arguments)
{
    const QStringList &positional = arguments.positional();
    if (positional.size() != 2)
        return cli::usageError(QStringLiteral("import needs BOOK FILE.res (see quillmark import --help)"));
    ImportOptions options;
    options.bookPath = positional[0];
    options.resPath = positional[1];
    options.sheetName = arguments.has(QStringLiteral("--sheet")) ? arguments.value(QStringLiteral("--sheet"))
                                                                  : QFileInfo(options.resPath).completeBaseName();
    options.outPath = arguments.value(QStringLiteral("-o"));
    options.dryRun = arguments.has(QStringLiteral("--dry-run"));
    options.json = arguments.has(QStringLiteral("--json"));
    if (!options.dryRun && !options.outPath.isEmpty())
        if (auto status = qm::AtomicFile::checkTarget(options.outPath); !status.ok())
            return cli::fail(status.error());
    LgvStringModule::setCurrentUILanguage(LgvStringModule::kEnglishUILanguage);
    // Blocks of megabytes (the file read, the sheet's cells) are freed before
    // the save makes others: mapped on their own, they go back to the system
    // then, where the heap would keep them and the save come on top.
    mallopt(M_MMAP_THRESHOLD, kOwnMappingBytes);
    const auto format = cli::chosenFormat(options.bookPath, arguments);
    if (!format)
        return 1;
    try {
        if (!exchange::isWorkbook(*format))
            return cli::importOther(options.bookPath, options.resPath, *format, arguments);
        return importBook(options);
    } catch (const std::exception &error) {
        return cli::fail(options.bookPath, QString::fromLocal8Bit(error.what()));
    }
}

} // namespace cli
