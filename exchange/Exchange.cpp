#include "exchange/Exchange.h"

#include "exchange/CsvFormat.h"
#include "exchange/OdsFormat.h"
#include "exchange/PoFormat.h"
#include "exchange/RcFormat.h"
#include "exchange/StreamedFile.h"
#include "exchange/StringGrid.h"
#include "exchange/TranslationUnits.h"
#include "exchange/XliffFormat.h"
#include "platform/common/AtomicFile.h"
#include "platform/common/FileStamp.h"
#include "platform/common/InputFile.h"
#include "platform/resutil/ResStrings.h"
#include "uistrings/LgvStringModule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace exchange {

namespace {

// A failure of path: its message names the file first.
qm::Error onFile(const QString &path, const QString &what)
{
    if (what.startsWith(path) || what.startsWith(QDir::toNativeSeparators(path)))
        return qm::makeError(what);
    return qm::makeError(QStringLiteral("%1: %2").arg(path, what));
}

qm::Result<QByteArray> load(const QString &path)
{
    QFile file;
    auto opened = qm::openInputFile(file, path, MaxExchangeFileSize, QStringLiteral("files"));
    if (!opened)
        return onFile(path, QStringLiteral("cannot be opened: %1").arg(opened.errorString()));
    auto bytes = qm::readInputFile(file, opened.value(), MaxExchangeFileSize);
    if (!bytes)
        return onFile(path, QStringLiteral("cannot be read: %1").arg(bytes.errorString()));
    return std::move(bytes).value();
}

qm::Status checkLocales(const Options &options)
{
    if (options.targetLocale == 0)
        return qm::makeError(QStringLiteral("a translator file holds one target language: name it (--target LOCALE)"));
    if (options.targetLocale == options.sourceLocale)
        return qm::makeError(QStringLiteral("the target language %1 is the source language").arg(options.targetLocale));
    if (localeTag(options.targetLocale).isEmpty())
        return qm::makeError(QStringLiteral("the locale %1 has no language tag").arg(options.targetLocale));
    if (localeTag(options.sourceLocale).isEmpty())
        return qm::makeError(QStringLiteral("the locale %1 has no language tag").arg(options.sourceLocale));
    return {};
}

qm::Result<qint32> targetOf(const ReadTranslation &read, const Options &options)
{
    if (options.targetLocale != 0)
        return options.targetLocale;
    if (read.targetLocale > 0)
        return read.targetLocale;
    if (const qint32 locale = localeForTag(read.targetTag); locale != 0)
        return locale;
    if (read.targetTag.isEmpty())
        return qm::makeError(QStringLiteral("the file does not name its target language: give it with --target LOCALE"));
    return qm::makeError(QStringLiteral("the target language \"%1\" is not a known locale: give it with --target LOCALE")
                             .arg(read.targetTag));
}

// A package is put together in memory (its content compressed as it is
// made) and saved at once: an existing file gives the sheets it keeps.
qm::Status exportOds(const resutil::ResStrings &strings, const QString &path, const Options &options,
                     const ExcelTransfer::LanguageNamer &languageName, TransferFeedback &feedback)
{
    Grid grid = layoutStrings(strings, languageName, feedback);
    grid.name = options.sheetName.isEmpty() ? QStringLiteral("Sheet1") : options.sheetName;
    // What the sheet cannot hold is not written: it could not be read back.
    if (grid.columnCount() > MaxGridColumns)
        return onFile(path, QStringLiteral("the table has %1 columns (the string IDs and %2 languages); an .ods sheet "
                                           "holds at most %3")
                                .arg(QString::number(grid.columnCount()), QString::number(grid.columnCount() - 1),
                                     QString::number(MaxGridColumns)));
    QByteArray existing;
    const qm::FileStamp stamp = qm::FileStamp::of(path);
    if (stamp.exists) {
        auto read = load(path);
        if (!read)
            return read.error();
        existing = std::move(read).value();
    }
    auto bytes = writeOds(grid, existing.isEmpty() ? nullptr : &existing);
    if (!bytes)
        return onFile(path, bytes.errorString());
    if (feedback.stopRequested())
        return transferStopped();
    // The sheets it keeps are the ones read: a file written meanwhile would lose its changes.
    if (!qm::fileUnchanged(path, stamp, stamp.exists ? &existing : nullptr))
        return onFile(path, QStringLiteral("another program changed the file while the sheet was exported; it was "
                                           "not written over. Repeat the export"));
    if (auto saved = qm::writeFileAtomically(path, bytes.value()); !saved)
        return saved;
    feedback.setProgressCaption(LgvStringModule::lgv_string(487));
    return {};
}

} // namespace

qm::Result<Format> resolveFormat(const QString &path, const QString &forced)
{
    if (!forced.isEmpty()) {
        if (auto format = formatForName(forced))
            return *format;
        return qm::makeError(QStringLiteral("\"%1\" is not a format; the formats are %2")
                                 .arg(forced, formatNames().join(QStringLiteral(", "))));
    }
    if (auto format = formatForFileName(path))
        return *format;
    return onFile(path, QStringLiteral("the extension names no format this tool writes or reads (.xlsx, .xls, .ods, "
                                       ".csv, .tsv, .txt, .rc, .xlf, .xliff, .po); use one of them or --format"));
}

qm::Status exportFile(const resutil::ResStrings &strings, const QString &path, const Options &options,
                      const ExcelTransfer::LanguageNamer &languageName, TransferFeedback &feedback)
{
    if (isWorkbook(options.format))
        return qm::makeError(QStringLiteral("workbooks are written through the workbook back ends"));
    if (isTranslation(options.format))
        if (auto ok = checkLocales(options); !ok)
            return onFile(path, ok.errorString());
    if (options.format == Format::Ods)
        return exportOds(strings, path, options, languageName, feedback);

    StreamedFile file(path);
    qm::Status written;
    qm::FileStamp script; // the .rc read, whose lines the new one keeps
    QByteArray scriptBytes;
    switch (options.format) {
    case Format::Csv:
    case Format::Tsv: {
        const Grid grid = layoutStrings(strings, languageName, feedback);
        const QChar separator = !options.separator.isNull() ? options.separator
                                : options.format == Format::Tsv ? QChar(u'\t') : separatorForFileName(path);
        written = writeCsv(grid, separator, file.sink());
        break;
    }
    case Format::Rc:
        feedback.setProgressCaption(LgvStringModule::lgv_string(485));
        // An existing script keeps everything but its string tables.
        if (QFileInfo(path).isFile()) {
            script = qm::FileStamp::of(path);
            auto existing = load(path);
            if (!existing)
                return existing.error();
            scriptBytes = std::move(existing).value();
            written = updateRc(strings, scriptBytes, path, options.includes, file.sink());
        } else {
            written = writeRc(strings, options.original, file.sink());
        }
        break;
    default: {
        feedback.setProgressCaption(LgvStringModule::lgv_string(485));
        Translation translation = collectUnits(strings, options.sourceLocale, options.targetLocale);
        translation.original = options.original;
        if (options.describeUnit)
            for (TranslationUnit &unit : translation.units)
                options.describeUnit(unit);
        written = options.format == Format::Po
                      ? writePo(translation, file.sink())
                      : writeXliff(translation, options.format == Format::Xliff2 ? XliffVersion::V20 : XliffVersion::V12,
                                   file.sink());
        break;
    }
    }
    if (!written)
        return onFile(path, written.errorString());
    // A stopped export leaves the file as it was.
    if (feedback.stopRequested())
        return transferStopped();
    if (script.exists && !qm::fileUnchanged(path, script, &scriptBytes))
        return onFile(path, QStringLiteral("another program changed the script while its string tables were "
                                           "exported; it was not written over. Repeat the export"));
    if (auto saved = file.commit(); !saved)
        return saved;
    feedback.setProgressCaption(LgvStringModule::lgv_string(487));
    return {};
}

qm::Result<Imported> importFile(const QString &path, const resutil::ResStrings &current, const Options &options,
                                TransferFeedback &feedback)
{
    if (isWorkbook(options.format))
        return qm::makeError(QStringLiteral("workbooks are read through the workbook back ends"));
    auto bytes = load(path);
    if (!bytes)
        return bytes.error();
    Imported imported;
    auto readGrid = [&](qm::Result<Grid> grid) -> qm::Status {
        if (!grid)
            return onFile(path, grid.errorString());
        // The layout's per-cell messages go to the caller's feedback and into the result.
        struct Both : TransferFeedback {
            TransferFeedback &a;
            QStringList &list;
            Both(TransferFeedback &a, QStringList &list) : a(a), list(list) {}
            void setProgressCaption(const QString &c) override { a.setProgressCaption(c); }
            void setProgressMaximum(int m) override { a.setProgressMaximum(m); }
            void setProgressMinimum(int m) override { a.setProgressMinimum(m); }
            void setProgressValue(int v) override { a.setProgressValue(v); }
            void showMessage(const QString &t) override { list.append(t); a.showMessage(t); }
            bool stopRequested() override { return a.stopRequested(); }
        } both(feedback, imported.messages);
        auto entries = readLayout(grid.value(), both);
        if (!entries)
            return onFile(path, entries.errorString());
        imported.entries = std::move(entries).value();
        return {};
    };
    switch (options.format) {
    case Format::Xlsx:
    case Format::Xls:
        break;
    case Format::Csv:
    case Format::Tsv:
        if (auto ok = readGrid(readCsv(bytes.value(), options.separator)); !ok)
            return ok.error();
        break;
    case Format::Ods:
        if (auto ok = readGrid(readOds(bytes.value(), path, options.sheetName)); !ok)
            return ok.error();
        break;
    case Format::Rc: {
        feedback.setProgressCaption(LgvStringModule::lgv_string(488));
        auto read = readRc(bytes.value(), path, options.includes);
        if (!read)
            return onFile(path, read.errorString());
        // Its strings replace all others: a script without any would empty the file.
        if (read->entries.empty())
            return onFile(path, QStringLiteral("the script defines no string (no STRINGTABLE entry). Nothing is imported."));
        imported.entries = std::move(read->entries);
        imported.messages = read->notes;
        break;
    }
    case Format::Xliff2:
    case Format::Xliff12:
    case Format::Po: {
        feedback.setProgressCaption(LgvStringModule::lgv_string(488));
        auto read = options.format == Format::Po ? readPo(bytes.value(), options.useFuzzy)
                                                  : readXliff(bytes.value(), path);
        if (!read)
            return onFile(path, read.errorString());
        auto target = targetOf(read.value(), options);
        if (!target)
            return onFile(path, target.errorString());
        imported.targetLocale = target.value();
        imported.entries = applyTranslation(current, target.value(), read.value(), &imported.messages);
        imported.messages += read->notes;
        for (const ReadUnit *unit : takenUnits(current, read.value()))
            imported.units.push_back(Imported::UnitInfo{unit->id.toInt(), unit->state, unit->note});
        break;
    }
    }
    if (feedback.stopRequested())
        return transferStopped();
    feedback.setProgressCaption(LgvStringModule::lgv_string(490));
    return imported;
}

qm::Result<QStringList> odsSheetNames(const QString &path)
{
    auto bytes = load(path);
    if (!bytes)
        return bytes.error();
    auto names = readOdsSheetNames(bytes.value(), path);
    if (!names)
        return onFile(path, names.errorString());
    return names;
}

qm::Result<qint32> translationTarget(const QString &path, Format format)
{
    if (!isTranslation(format))
        return qm::makeError(QStringLiteral("only translator files name a target language"));
    auto bytes = load(path);
    if (!bytes)
        return bytes.error();
    auto read = format == Format::Po ? readPo(bytes.value()) : readXliff(bytes.value(), path);
    if (!read)
        return onFile(path, read.errorString());
    if (read->targetLocale > 0)
        return read->targetLocale;
    return localeForTag(read->targetTag);
}

} // namespace exchange
