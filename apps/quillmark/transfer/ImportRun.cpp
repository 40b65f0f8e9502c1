#include "TransferModule.h"
#include "FormatDispatch.h"
#include "WorkbookFailure.h"
#include "ImportJson.h"

#include "excel/ExcelImport.h"
#include "platform/excel/Application.h"
#include "platform/resutil/ResFile.h"
#include "platform/resutil/ResScan.h"
#include "uistrings/LgvStringModule.h"

#include <QFileInfo>

#include <exception>

namespace {

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
    // A dry run only checks that the file can be read: its strings would all be replaced.
    const auto loaded = options.dryRun ? resutil::scanResFile(options.resPath, [](quint16, quint16, QStringView) {})
                                       : file.Load();
    if (!loaded.ok())
        return cli::fail(loaded.error());
    auto app = excel::Application::Create();
    if (!app)
        return cli::fail(options.bookPath,
                         QStringLiteral("the spreadsheet back end cannot be started: ") + app.errorString());
    auto book = app.value()->Workbooks().Open(options.bookPath);
    if (!book)
        return cli::failOn(options.bookPath, book.errorString());

    RecordingFeedback feedback;
    if (options.dryRun && !options.json) {
        // Only the messages are shown: the entries are checked and let go one by one.
        struct Discard : ExcelTransfer::StringSink {
            void expect(qint64) override {}
            void add(qint32, qint32, QString) override {}
        } discard;
        if (auto read = ExcelTransfer::readStringsInto(*book.value(), options.sheetName, feedback, discard); !read)
            return cli::failOn(options.bookPath, read.errorString());
        return printMessages(options.bookPath, feedback);
    }
    auto entries = ExcelTransfer::readStrings(*book.value(), options.sheetName, feedback);
    if (!entries)
        return cli::failOn(options.bookPath, entries.errorString());
    const QByteArray json =
        options.json ? cli::importJson(entries.value(), feedback.messages, feedback.progressMaximum) : QByteArray();
    if (!options.dryRun) {
        ExcelTransfer::replaceStrings(file.Strings(), std::move(entries).value());
        if (!options.outPath.isEmpty())
            file.setFileName(options.outPath);
        if (auto status = file.Save(0); !status.ok())
            return cli::fail(status.error());
    }
    if (options.json)
        return cli::writeResult(options.resPath, json);
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
    LgvStringModule::setCurrentUILanguage(2057);
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
