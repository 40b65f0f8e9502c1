#include "TransferCommands.h"
#include "FormatDispatch.h"
#include "WorkbookFailure.h"

#include "transfer/ExcelExport.h"
#include "transfer/LanguageName.h"
#include "platform/common/AtomicFile.h"
#include "platform/excel/Application.h"
#include "platform/resutil/MappedStringTables.h"
#include "platform/resutil/ResFile.h"
#include "uistrings/LgvStringModule.h"

#include <QFileInfo>

#include <malloc.h>

#include <exception>
#include <memory>

namespace {

int exportBook(const QString &resPath, const QString &bookPath, const QString &sheetName)
{
    // A new workbook is written from the file's tables in place; an existing
    // one, or a file that reader refuses, takes the full load.
    const bool fileMissing = !QFileInfo(bookPath).isFile();
    std::unique_ptr<resutil::MappedStringTables> tables;
    if (fileMissing)
        tables = resutil::MappedStringTables::open(resPath);
    resutil::ResFile file;
    if (!tables) {
        file.setFileName(resPath);
        if (auto status = file.Load(); !status.ok())
            return cli::fail(status.error());
    }
    auto app = excel::Application::Create();
    if (!app)
        return cli::fail(bookPath, QStringLiteral("the spreadsheet back end cannot be started: ") + app.errorString());

    ExcelTransfer::ExportTarget target(app.value()->Workbooks());
    target.fileName = bookPath;
    target.sheetName = sheetName;
    target.fileMissing = fileMissing;
    if (!target.fileMissing) {
        auto book = target.books.Open(bookPath);
        if (!book)
            return cli::failOn(bookPath, book.errorString());
        target.workbook = book.value();
    }
    RecordingFeedback feedback;
    const auto status = tables ? ExcelTransfer::exportTables(target, *tables, ExcelTransfer::languageName, feedback)
                               : ExcelTransfer::exportStrings(target, file.Strings(), ExcelTransfer::languageName, feedback);
    if (!status) {
        QString where;
        if (target.writingRow > 0)
            where = QStringLiteral("sheet \"%1\", row %2, column %3: ")
                        .arg(sheetName, QString::number(target.writingRow), QString::number(target.writingColumn));
        return cli::failOn(bookPath, where.isEmpty() ? status.errorString() : where + status.errorString());
    }
    return 0;
}

} // namespace

namespace cli {

int runExport(const Arguments &arguments)
{
    const QStringList &positional = arguments.positional();
    if (positional.size() != 2)
        return cli::usageError(QStringLiteral("export needs FILE.res BOOK (see quillmark export --help)"));
    const QString sheet = arguments.has(QStringLiteral("--sheet")) ? arguments.value(QStringLiteral("--sheet"))
                                                                    : QFileInfo(positional[0]).completeBaseName();
    if (auto status = qm::AtomicFile::checkTarget(positional[1]); !status.ok())
        return cli::fail(status.error());
    LgvStringModule::setCurrentUILanguage(LgvStringModule::kEnglishUILanguage);
    // The compressor's threads run one at a time beside this one: in its heap
    // they hold no arena of their own, whose pages would stay with the process.
    mallopt(M_ARENA_MAX, 1);
    const auto format = cli::chosenFormat(positional[1], arguments);
    if (!format)
        return 1;
    try {
        if (!exchange::isWorkbook(*format))
            return cli::exportOther(positional[0], positional[1], *format, arguments);
        if (arguments.has(QStringLiteral("--format")) && exchange::formatForFileName(positional[1]) != *format)
            return cli::fail(positional[1], QStringLiteral("a workbook's format is the one its extension names"));
        return exportBook(positional[0], positional[1], sheet);
    } catch (const std::exception &error) {
        return cli::fail(positional[1], QString::fromLocal8Bit(error.what()));
    }
}

} // namespace cli
