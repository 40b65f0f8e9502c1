#pragma once

#include "transfer/TransferFeedback.h"
#include "platform/common/Result.h"

#include <QString>

#include <functional>
#include <vector>

namespace excel {
class Workbook;
class Worksheet;
} // namespace excel
namespace resutil {
class ResStrings;
}

namespace ExcelTransfer {

// One body cell of the sheet, as the import turns it into a string entry.
struct ImportedString {
    qint32 localeId = 0;
    qint32 id = 0;
    QString text;
};

// The most body cells an import takes (a full .xls sheet is within it);
// a larger used range is refused instead of exhausting memory.
inline constexpr qint64 MaxImportCells = qint64(1) << 24;

// Receives the entries of a read as the read makes them, in their order.
class StringSink {
public:
    virtual ~StringSink() = default;
    // Once, before the first entry: how many body cells the read goes through.
    virtual void expect(qint64 cells) = 0;
    virtual void add(qint32 localeId, qint32 id, QString text) = 0;
    // A read that holds the texts in one buffer, each followed by a null,
    // hands it over once before the first entry, and then gives an entry's
    // text as its place there: the sink may keep the buffer instead of copies.
    virtual void adoptTexts(const QString &buffer) { Q_UNUSED(buffer); }
    virtual void addStored(qint32 localeId, qint32 id, const QString &buffer, qsizetype offset, qsizetype size)
    {
        add(localeId, id, QString(buffer.constData() + offset, size));
    }
};

// Puts the entries of a read into `strings` in place of all it held; texts
// handed over in one buffer stay there (see ResStrings::adoptBuffer).
class StringsSink : public StringSink {
public:
    explicit StringsSink(resutil::ResStrings &strings) : m_strings(strings) {}
    void expect(qint64 cells) override;
    void add(qint32 localeId, qint32 id, QString text) override;
    void adoptTexts(const QString &buffer) override;
    void addStored(qint32 localeId, qint32 id, const QString &buffer, qsizetype offset, qsizetype size) override;

private:
    resutil::ResStrings &m_strings;
};

// Reads the sheet `sheetName` of `book`, laid out as the export writes it,
// column by column, addressing cells from the used range's top left cell.
// A locale ID that cannot be read skips its column with a message; a text
// that cannot be read becomes an empty text with a message. Any other
// failure (no such sheet, a string ID that is not a number) fails the read,
// and so does a sheet that gives no entry at all (no body cells, or no
// column with a locale ID): an import never empties a file by reading nothing.
// `sheet` receives the sheet read, when found.
qm::Result<std::vector<ImportedString>> readStrings(excel::Workbook &book, const QString &sheetName,
                                                     TransferFeedback &feedback,
                                                     excel::Worksheet **sheet = nullptr);

// The same read, handing each entry to `sink` instead of keeping them all.
// On failure `sink` may have received part of them.
qm::Status readStringsInto(excel::Workbook &book, const QString &sheetName, TransferFeedback &feedback,
                           StringSink &sink, excel::Worksheet **sheet = nullptr);

// The same read of a sheet not read yet, going through the sheet's cells as
// its file gives them and keeping only the texts of the entries (in one
// buffer, see StringSink::adoptTexts), no sheet. Where the cells cannot be
// had that way exactly as the sheet would hold them, the sheet is read
// instead: the entries, messages, progress and failures are the same.
// Once the cells are gathered, before the first entry, bookDone is called:
// the read needs the book no more, and the caller may close it.
qm::Status readStringsStreamed(excel::Workbook &book, const QString &sheetName, TransferFeedback &feedback,
                               StringSink &sink, const std::function<void()> &bookDone = {});

// Replaces every entry of `strings` by `entries`, in their order.
void replaceStrings(resutil::ResStrings &strings, std::vector<ImportedString> entries);

// The end of a complete read: the strings become the entries read, and the
// progress says so.
void completeImport(resutil::ResStrings &strings, std::vector<ImportedString> entries, TransferFeedback &feedback);

// The import: reads the whole sheet first and replaces the strings only when
// the read completed, so a failed import leaves them as they were.
qm::Status importStrings(excel::Workbook &book, const QString &sheetName, resutil::ResStrings &strings,
                         TransferFeedback &feedback, excel::Worksheet **sheet = nullptr);

// The refusals of a table that holds nothing to import: it would otherwise
// empty the file.
qm::Error noStringsIn(const QString &sheetName, const QString &from, const QString &to);
qm::Error noLanguageRead(const QString &sheetName);

// The two messages of the import, joined by CR LF as the message box shows them.
QString localeIdMessage(int column);
QString cellMessage(int row, int column, const QString &languageName);

} // namespace ExcelTransfer
