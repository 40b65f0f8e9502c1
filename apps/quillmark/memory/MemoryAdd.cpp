#include "MemoryCommands.h"

#include "exchange/Exchange.h"
#include "exchange/PoFormat.h"
#include "exchange/XliffFormat.h"
#include "memory/StringTableEntries.h"
#include "memory/Tmx.h"
#include "memory/TranslationMemory.h"
#include "platform/common/InputFile.h"

#include <QFile>
#include <QFileInfo>

namespace {

// A PO or XLIFF file's pairs: each unit's source with its target.
qm::Result<std::vector<memory::Entry>> translatorFileEntries(const QString &path, bool po)
{
    QFile file(path);
    auto size = qm::openInputFile(file, path, exchange::MaxExchangeFileSize, QStringLiteral("translation files"));
    if (!size)
        return qm::makeError(QStringLiteral("%1: cannot be read: %2").arg(path, size.errorString()));
    auto bytes = qm::readInputFile(file, size.value(), exchange::MaxExchangeFileSize);
    if (!bytes)
        return qm::makeError(QStringLiteral("%1: cannot be read: %2").arg(path, bytes.errorString()));
    auto read = po ? exchange::readPo(bytes.value()) : exchange::readXliff(bytes.value(), path);
    if (!read)
        return qm::makeError(QStringLiteral("%1: %2").arg(path, read.errorString()));
    const qint32 source = read->sourceTag.isEmpty() ? 2057 : memory::localeForTag(read->sourceTag);
    const qint32 target = read->targetLocale != 0 ? read->targetLocale : memory::localeForTag(read->targetTag);
    if (source == 0)
        return qm::makeError(QStringLiteral("%1: the source language \"%2\" is not a known locale").arg(path, read->sourceTag));
    if (target == 0)
        return qm::makeError(read->targetTag.isEmpty()
                                 ? QStringLiteral("%1: the file names no target language").arg(path)
                                 : QStringLiteral("%1: the target language \"%2\" is not a known locale").arg(path, read->targetTag));
    std::vector<memory::Entry> entries;
    const QString origin = QFileInfo(path).absoluteFilePath();
    for (const exchange::ReadUnit &unit : read->units) {
        if (!unit.target || unit.source.isEmpty())
            continue;
        bool numeric = false;
        const int id = unit.id.toInt(&numeric);
        entries.push_back({source, unit.source, target, *unit.target, origin, numeric && id >= 0 && id <= 65535 ? id : -1, 0});
    }
    return entries;
}

qm::Result<std::vector<memory::Entry>> entriesOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"res")
        return memory::entriesOfResFile(path);
    if (suffix == u"tmx") {
        auto read = memory::readTmxFile(path);
        if (!read)
            return read.error();
        return std::move(read.value().entries);
    }
    if (suffix == u"po" || suffix == u"xlf" || suffix == u"xliff")
        return translatorFileEntries(path, suffix == u"po");
    return qm::makeError(QStringLiteral("%1: memory add reads .res, .tmx, .po, .xlf and .xliff files").arg(path));
}

} // namespace

namespace cli {

int runMemoryAdd(const Arguments &arguments)
{
    const QStringList files = arguments.positional().mid(1);
    if (files.isEmpty())
        return usageError(QStringLiteral("memory add needs at least one FILE (see quillmark memory --help)"));
    auto opened = memory::TranslationMemory::open(memory::TranslationMemory::defaultPath());
    if (!opened)
        return fail(opened.error());
    memory::TranslationMemory &tm = *opened.value();
    int status = ExitSuccess;
    QString report;
    for (const QString &path : files) {
        auto entries = entriesOf(path);
        if (!entries) {
            status = fail(entries.error());
            continue;
        }
        auto added = tm.add(entries.value());
        if (!added) {
            // A memory that cannot take one file takes none.
            fail(added.error());
            return ExitFailure;
        }
        report += QStringLiteral("%1: %2 translations, %3 new\n")
                      .arg(path, QString::number(added->offered), QString::number(added->added));
    }
    if (!report.isEmpty() && !writeOut(report))
        return fail(QStringLiteral("the output could not be written to standard output"));
    return status;
}

} // namespace cli
