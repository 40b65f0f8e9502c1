#include "reviewstate/ReviewStates.h"

#include "checks/SourceLanguage.h"
#include "platform/common/InputFile.h"
#include "platform/resutil/KeyOrder.h"
#include "platform/resutil/ResFile.h"
#include "platform/resutil/ResStrings.h"
#include "reviewstate/StateFileFormat.h"
#include "reviewstate/TextHash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <algorithm>
#include <utility>

namespace reviewstate {

namespace {

constexpr qint64 kMaxStateFileBytes = qint64(1) << 30;

// Calls visit(key, text) for the strings' texts in key order, the earliest of
// a key held twice.
template <typename Visit>
void forEachText(const resutil::KeyOrder &order, Visit &&visit)
{
    bool first = true;
    quint32 last = 0;
    order.forEach([&](const resutil::ResStrings::Peeked &entry) {
        const quint32 key = cellKey(entry.localeId, entry.id);
        if (!first && key == last)
            return;
        first = false;
        last = key;
        visit(key, entry.text);
    });
}

// Visits in key order the lines from cell to end and, for each text without
// one, the line make gives for it; stops once visit returns false.
template <typename Lines, typename Make, typename Visit>
void withNewLines(const resutil::KeyOrder &texts, Lines cell, Lines end, Make &&make, Visit &&visit)
{
    bool going = true;
    forEachText(texts, [&](quint32 key, QStringView text) {
        while (going && cell != end && cell->key < key)
            going = visit(*cell++);
        if (!going)
            return;
        if (cell != end && cell->key == key)
            going = visit(*cell++);
        else
            going = visit(make(key, text));
    });
    while (going && cell != end)
        going = visit(*cell++);
}

qm::Error unreadable(const QString &problem)
{
    return qm::makeError(QStringLiteral("the review states cannot be changed: %1").arg(problem));
}

} // namespace

ReviewStates *ReviewStates::attach(resutil::ResFile &file)
{
    if (ReviewStates *attached = of(file))
        return attached;
    auto states = std::make_unique<ReviewStates>(file.Strings());
    ReviewStates *raw = states.get();
    file.setCompanion(std::move(states));
    return raw;
}

ReviewStates *ReviewStates::of(const resutil::ResFile &file)
{
    return dynamic_cast<ReviewStates *>(file.Companion());
}

QString ReviewStates::pathFor(const QString &resPath)
{
    if (resPath.isEmpty())
        return {};
    const QFileInfo info(resPath);
    const QString name = info.fileName() + QStringLiteral(".state");
    const long longest = ::pathconf(QFile::encodeName(info.absolutePath()).constData(), _PC_NAME_MAX);
    if (QFile::encodeName(name).size() > (longest > 0 ? longest : 255))
        return {};
    return QDir(info.path()).filePath(name);
}

ReviewStates::ReviewStates(const resutil::ResStrings &strings) : m_strings(strings) {}

void ReviewStates::loaded(const QString &resPath, const resutil::ResStrings &strings, bool readable)
{
    m_readAgain.clear();
    m_unwritten.reset();
    m_problem.clear();
    m_hadFile = false;
    m_dirty = false;
    m_table = StateTable();
    m_buffer = QString();
    m_sourceAtLoad.clear();
    m_hasSourceAtLoad.clear();
    m_sourceOfHashes = 0;
    m_loadedBase = nullptr;
    m_loadedSize = 0;
    const QString path = pathFor(resPath);
    m_writtenPath = path;
    if (!readable)
        return;
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        rememberAsRead(strings);
        return;
    }
    m_hadFile = true;
    QFile file;
    auto opened = qm::openInputFile(file, path, kMaxStateFileBytes, QStringLiteral("review state files"));
    if (!opened) {
        m_problem = QStringLiteral("%1: cannot be read: %2").arg(QDir::toNativeSeparators(path), opened.errorString());
        return;
    }
    auto bytes = qm::readInputFile(file, opened.value(), kMaxStateFileBytes);
    if (!bytes) {
        m_problem = QStringLiteral("%1: cannot be read: %2").arg(QDir::toNativeSeparators(path), bytes.errorString());
        return;
    }
    auto table = parseStateFile(bytes.value(), path);
    if (!table) {
        m_problem = table.errorString();
        return;
    }
    m_table = std::move(table.value());
    // Kept only for the cells a state file places: without one, the texts as
    // read would outlive the collection's own copy (an import replaces them all).
    m_buffer = strings.LoadedBuffer();

    // Where each text lay when read: one that still lies there is unchanged.
    const QChar *base = m_buffer.constData();
    const qsizetype bufferSize = m_buffer.size();
    auto cell = m_table.cells.begin();
    const auto place = [&](Cell &target, QStringView text) {
        // Addresses as numbers: the text may lie anywhere, not only in the buffer.
        const auto at = reinterpret_cast<quintptr>(text.utf16());
        const auto start = reinterpret_cast<quintptr>(base);
        if (bufferSize == 0 || at < start || at + 2 * quintptr(text.size()) > start + 2 * quintptr(bufferSize))
            return;
        target.loadedAt = quint32((at - start) / 2);
        target.loadedLength = quint16(text.size());
        target.flags |= Cell::HasLoaded;
    };
    bool inOrder = true;
    quint32 last = 0;
    strings.Peek([&](const resutil::ResStrings::Peeked &entry) {
        const quint32 key = cellKey(entry.localeId, entry.id);
        if (key < last)
            inOrder = false;
        last = key;
        if (!inOrder)
            return;
        while (cell != m_table.cells.end() && cell->key < key)
            ++cell;
        if (cell != m_table.cells.end() && cell->key == key && !(cell->flags & Cell::HasLoaded))
            place(*cell, entry.text);
    });
    if (!inOrder) {
        for (Cell &c : m_table.cells)
            if (const resutil::ResString *entry = strings.Find(localeOf(c.key), idOf(c.key)))
                place(c, entry->Text());
    }
    rememberAsRead(strings);
}

// A text without a line of its own was translated from the source text as
// read: the source texts' hashes are taken now, before anything changes them.
void ReviewStates::rememberAsRead(const resutil::ResStrings &strings)
{
    m_loadedBase = strings.LoadedBuffer().constData();
    m_loadedSize = strings.LoadedBuffer().size();
    m_loadedSerial = strings.BufferSerial();
    const qint32 source = sourceLanguage();
    m_sourceAtLoad.assign(65536, 0);
    m_hasSourceAtLoad.assign(65536, false);
    strings.Peek([&](const resutil::ResStrings::Peeked &entry) {
        const std::size_t id = std::size_t(entry.id);
        if (entry.localeId != source || m_hasSourceAtLoad[id])
            return;
        m_sourceAtLoad[id] = textHash(entry.text);
        m_hasSourceAtLoad[id] = true;
    });
    m_sourceOfHashes = source;
}

bool ReviewStates::asLoaded(QStringView text) const
{
    // While the collection holds the buffer read, nothing else can lie in it.
    const QString &buffer = m_strings.LoadedBuffer();
    if (m_loadedBase == nullptr || buffer.constData() != m_loadedBase || buffer.size() != m_loadedSize ||
        m_strings.BufferSerial() != m_loadedSerial)
        return false;
    const auto at = reinterpret_cast<quintptr>(text.utf16());
    const auto start = reinterpret_cast<quintptr>(m_loadedBase);
    return at >= start && at + 2 * quintptr(text.size()) <= start + 2 * quintptr(m_loadedSize);
}

State ReviewStates::stateWithoutLine(qint32 id, QStringView text)
{
    // A text changed since it was read is translated from the source as it is now.
    if (!asLoaded(text) || m_sourceOfHashes != sourceLanguage() || std::size_t(id) >= m_hasSourceAtLoad.size() ||
        !m_hasSourceAtLoad[std::size_t(id)])
        return State::Translated;
    const QStringView source = m_strings.TextViewOf(m_sourceOfHashes, id);
    if (source.isEmpty() || asLoaded(source))
        return State::Translated;
    return textHash(source) == m_sourceAtLoad[std::size_t(id)] ? State::Translated : State::NeedsReview;
}

void ReviewStates::setSourceLanguage(qint32 localeId)
{
    m_sourceChoice = localeId;
}

qint32 ReviewStates::sourceLanguage() const
{
    settle();
    const QList<qint32> languages = m_strings.Languages();
    if (m_sourceChoice != 0 && languages.contains(m_sourceChoice))
        return m_sourceChoice;
    if (m_table.source != 0 && languages.contains(m_table.source))
        return m_table.source;
    return checks::defaultSourceLanguage(languages);
}

const Cell *ReviewStates::find(quint32 key) const
{
    const auto at = std::lower_bound(m_table.cells.begin(), m_table.cells.end(), key,
                                     [](const Cell &cell, quint32 k) { return cell.key < k; });
    return at != m_table.cells.end() && at->key == key ? &*at : nullptr;
}

Cell *ReviewStates::find(quint32 key)
{
    return const_cast<Cell *>(std::as_const(*this).find(key));
}

// A line written for a text other than the one read (another program changed
// it since): translated, from the source text as read.
void ReviewStates::verify(Cell &cell, QStringView loadedText)
{
    if (cell.has(Cell::Verified))
        return;
    cell.flags |= Cell::Verified;
    const quint32 hash = textHash(loadedText);
    if (cell.has(Cell::HasText) && cell.text == hash)
        return;
    const bool hadText = cell.has(Cell::HasText);
    cell.text = hash;
    cell.flags |= Cell::HasText;
    m_dirty = true;
    if (!hadText)
        return;
    cell.state = State::Translated;
    const qint32 id = idOf(cell.key);
    // m_sourceAtLoad is current: refresh() and state() make it so first.
    if (std::size_t(id) < m_hasSourceAtLoad.size() && m_hasSourceAtLoad[std::size_t(id)]) {
        cell.source = m_sourceAtLoad[std::size_t(id)];
        cell.flags |= Cell::HasSource;
    }
}

void ReviewStates::refresh(bool verifyAll)
{
    settle();
    addLines(updateLines(verifyAll));
}

// Brings the lines there are up to date; the texts without one are only counted.
ReviewStates::SourcesNow ReviewStates::updateLines(bool verifyAll)
{
    // Without a readable state file every text counts as translated: the
    // table is empty, and nothing is written back.
    const qint32 source = sourceLanguage();
    const bool rebase = m_table.source != 0 && m_table.source != source;
    // Positions in the strings, not copies of their texts.
    const resutil::KeyOrder texts(m_strings);
    const QChar *base = m_buffer.constData();
    const auto asRead = [&](const Cell &cell, QStringView text) {
        return cell.has(Cell::HasLoaded) && reinterpret_cast<const QChar *>(text.utf16()) == base + cell.loadedAt &&
               text.size() == cell.loadedLength;
    };
    const auto loadedText = [&](const Cell &cell) { return QStringView(base + cell.loadedAt, cell.loadedLength); };

    // The source texts as read, for lines another program made stale.
    if (m_sourceOfHashes != source) {
        m_sourceAtLoad.assign(65536, 0);
        m_hasSourceAtLoad.assign(65536, false);
        for (const Cell &cell : m_table.cells)
            if (localeOf(cell.key) == source && cell.has(Cell::HasLoaded)) {
                m_sourceAtLoad[std::size_t(idOf(cell.key))] = textHash(loadedText(cell));
                m_hasSourceAtLoad[std::size_t(idOf(cell.key))] = true;
            }
        forEachText(texts, [&](quint32 key, QStringView text) {
            if (localeOf(key) == source && !m_hasSourceAtLoad[std::size_t(idOf(key))]) {
                m_sourceAtLoad[std::size_t(idOf(key))] = textHash(text);
                m_hasSourceAtLoad[std::size_t(idOf(key))] = true;
            }
        });
        m_sourceOfHashes = source;
    }

    // The source texts now, which IDs and languages the file still has, and
    // how many texts have no line yet.
    SourcesNow now;
    now.source = source;
    now.hash.assign(65536, 0);
    now.present.assign(65536, false);
    std::vector<quint32> &sourceNow = now.hash;
    std::vector<bool> &hasSourceNow = now.present;
    std::vector<bool> idPresent(65536, false);
    QList<qint32> languages;
    {
        auto cell = std::lower_bound(m_table.cells.begin(), m_table.cells.end(), cellKey(source, 0),
                                     [](const Cell &c, quint32 k) { return c.key < k; });
        auto line = m_table.cells.cbegin();
        forEachText(texts, [&](quint32 key, QStringView text) {
            while (line != m_table.cells.cend() && line->key < key)
                ++line;
            if (line == m_table.cells.cend() || line->key != key)
                ++now.textsWithoutLine;
            idPresent[std::size_t(idOf(key))] = true;
            if (languages.isEmpty() || languages.back() != localeOf(key))
                languages.append(localeOf(key));
            if (localeOf(key) != source)
                return;
            while (cell != m_table.cells.end() && cell->key < key)
                ++cell;
            const std::size_t id = std::size_t(idOf(key));
            hasSourceNow[id] = true;
            const bool known = cell != m_table.cells.end() && cell->key == key;
            // A source text as read was hashed above.
            if (known && asRead(*cell, text))
                sourceNow[id] = cell->has(Cell::Verified) ? cell->text : m_sourceAtLoad[id];
            else
                sourceNow[id] = textHash(text);
        });
    }
    if (now.textsWithoutLine > 0)
        m_dirty = true;

    // The lines are brought up to date where they are; the lines written
    // never overtake those still to be read.
    std::size_t placed = 0;
    const auto put = [&](const Cell &c) { m_table.cells[placed++] = c; };
    auto cell = m_table.cells.begin();
    const auto end = m_table.cells.end();
    const auto keepMissing = [&](Cell c) {
        // A cell without a text keeps its line only for what it says beyond the state.
        const bool present = idPresent[std::size_t(idOf(c.key))] && languages.contains(localeOf(c.key));
        if (present && m_table.cellFields.contains(c.key)) {
            if (c.state != State::New || c.has(Cell::HasText) || c.has(Cell::HasLoaded))
                m_dirty = true;
            c.state = State::New;
            c.flags = quint8(c.flags & Cell::HasSource);
            put(c);
            return;
        }
        m_table.cellFields.remove(c.key);
        m_dirty = true;
    };
    forEachText(texts, [&](quint32 key, QStringView text) {
        while (cell != end && cell->key < key)
            keepMissing(*cell++);
        if (cell == end || cell->key != key)
            return;
        const std::size_t id = std::size_t(idOf(key));
        const bool hasSource = hasSourceNow[id];
        Cell c = *cell++;
        bool changed = !asRead(c, text);
        quint32 hash = 0;
        if (changed) {
            hash = textHash(text);
            changed = !(c.has(Cell::HasText) && c.text == hash);
            if (!changed)
                c.flags = quint8((c.flags & ~Cell::HasLoaded) | Cell::Verified);
        } else if (verifyAll) {
            verify(c, loadedText(c));
        }
        if (changed) {
            // Typed, imported or set by another program: translated, from the source as it is.
            c.state = State::Translated;
            c.text = hash;
            c.source = sourceNow[id];
            c.flags = quint8(Cell::HasText | Cell::Verified | (hasSource ? Cell::HasSource : 0));
            put(c);
            m_dirty = true;
            return;
        }
        const bool sourceUnknown = hasSource && !c.has(Cell::HasSource);
        if (rebase || sourceUnknown || !c.has(Cell::HasText)) {
            if (c.has(Cell::HasLoaded))
                verify(c, loadedText(c));
            if (rebase || sourceUnknown) {
                // Made from the source as it is: nothing says otherwise.
                c.source = sourceNow[id];
                c.flags = quint8((c.flags & ~Cell::HasSource) | (hasSource ? Cell::HasSource : 0));
                m_dirty = true;
            }
        } else if (hasSource && c.source != sourceNow[id] &&
                   (c.state == State::Translated || c.state == State::Approved)) {
            if (c.has(Cell::HasLoaded))
                verify(c, loadedText(c));
            if (c.source != sourceNow[id] && (c.state == State::Translated || c.state == State::Approved)) {
                c.state = State::NeedsReview;
                m_dirty = true;
            }
        }
        put(c);
    });
    while (cell != end)
        keepMissing(*cell++);
    m_table.cells.resize(placed);

    const auto gone = std::remove_if(m_table.strings.begin(), m_table.strings.end(), [&](const StringInfo &info) {
        return !idPresent[std::size_t(info.id)] || info.fields.isEmpty();
    });
    if (gone != m_table.strings.end()) {
        m_table.strings.erase(gone, m_table.strings.end());
        m_dirty = true;
    }
    if (m_table.source != source) {
        m_table.source = source;
        m_dirty = true;
    }
    return now;
}

// A line for a text that has none.
Cell ReviewStates::newLine(quint32 key, QStringView text, const SourcesNow &sources) const
{
    const std::size_t id = std::size_t(idOf(key));
    const bool hasSource = sources.present[id];
    Cell added;
    added.key = key;
    added.text = textHash(text);
    added.source = sources.hash[id];
    // A text as read was translated from the source as read, which may have changed since.
    if (hasSource && localeOf(key) != sources.source && asLoaded(text) && m_hasSourceAtLoad[id]) {
        added.source = m_sourceAtLoad[id];
        if (added.source != sources.hash[id])
            added.state = State::NeedsReview;
    }
    added.flags = quint8(Cell::HasText | Cell::Verified | (hasSource ? Cell::HasSource : 0));
    return added;
}

// Gives every text without a line one. The new lines make room at the
// front: the old lines move behind it, and the lines written never
// overtake those still to be read.
void ReviewStates::addLines(const SourcesNow &sources)
{
    if (sources.textsWithoutLine == 0)
        return;
    const resutil::KeyOrder texts(m_strings);
    const std::size_t oldCount = m_table.cells.size();
    m_table.cells.resize(oldCount + sources.textsWithoutLine);
    std::move_backward(m_table.cells.begin(), m_table.cells.begin() + qsizetype(oldCount), m_table.cells.end());
    std::size_t placed = 0;
    withNewLines(
        texts, m_table.cells.cbegin() + qsizetype(sources.textsWithoutLine), m_table.cells.cend(),
        [&](quint32 key, QStringView text) { return newLine(key, text, sources); },
        [&](const Cell &line) {
            m_table.cells[placed++] = line;
            return true;
        });
    m_table.cells.resize(placed);
}

// The state file's lines: the table's, and those of the texts without one
// when saving() left them to be made here.
qm::Status ReviewStates::writeLines(const std::function<qm::Status(QByteArrayView)> &put) const
{
    if (!m_unwritten)
        return writeStateFile(m_table, put);
    const SourcesNow &sources = *m_unwritten;
    const resutil::KeyOrder texts(m_strings);
    return writeStateFile(
        m_table,
        [&](const std::function<bool(const Cell &)> &visit) {
            withNewLines(
                texts, m_table.cells.cbegin(), m_table.cells.cend(),
                [&](quint32 key, QStringView text) { return newLine(key, text, sources); }, visit);
        },
        put);
}

State ReviewStates::state(qint32 localeId, qint32 id)
{
    settle();
    // Views, not entries: asking every cell's state makes no entry objects.
    const QStringView text = m_strings.TextViewOf(localeId, id);
    if (text.isEmpty())
        return State::New;
    if (!readable())
        return State::Translated;
    Cell *cell = find(cellKey(localeId, id));
    if (!cell)
        return stateWithoutLine(id, text);
    const QChar *base = m_buffer.constData();
    const bool asRead = cell->has(Cell::HasLoaded) && reinterpret_cast<const QChar *>(text.utf16()) == base + cell->loadedAt &&
                        text.size() == cell->loadedLength;
    if (!asRead && !(cell->has(Cell::HasText) && cell->text == textHash(text)))
        return State::Translated;
    if (asRead && !cell->has(Cell::Verified)) {
        if (m_sourceOfHashes != sourceLanguage())
            refresh();
        cell = find(cellKey(localeId, id));
        if (!cell)
            return State::Translated;
        verify(*cell, QStringView(base + cell->loadedAt, cell->loadedLength));
    }
    if (cell->state != State::Translated && cell->state != State::Approved)
        return cell->state;
    const qint32 source = sourceLanguage();
    if (m_table.source != 0 && m_table.source != source)
        return cell->state;
    const QStringView sourceText = m_strings.TextViewOf(source, id);
    if (sourceText.isEmpty() || !cell->has(Cell::HasSource))
        return cell->state;
    return cell->source == textHash(sourceText) ? cell->state : State::NeedsReview;
}

QString ReviewStates::textOf(quint32 key) const
{
    const resutil::ResString *entry = m_strings.Find(localeOf(key), idOf(key));
    return entry ? entry->Text() : QString();
}

QString ReviewStates::note(qint32 localeId, qint32 id) const
{
    settle();
    const auto fields = m_table.cellFields.constFind(cellKey(localeId, id));
    return fields == m_table.cellFields.cend() ? QString() : fieldValue(*fields, "note");
}

const StringInfo *ReviewStates::info(qint32 id) const
{
    settle();
    const auto at = std::lower_bound(m_table.strings.begin(), m_table.strings.end(), id,
                                     [](const StringInfo &info, qint32 i) { return info.id < i; });
    return at != m_table.strings.end() && at->id == id ? &*at : nullptr;
}

QString ReviewStates::comment(qint32 id) const
{
    const StringInfo *string = info(id);
    return string ? fieldValue(string->fields, "comment") : QString();
}

int ReviewStates::maxLength(qint32 id) const
{
    const StringInfo *string = info(id);
    if (!string)
        return 0;
    bool ok = false;
    const int limit = fieldValue(string->fields, "max-length").toInt(&ok);
    return ok && limit > 0 ? limit : 0;
}

int ReviewStates::maxWidth(qint32 id) const
{
    const StringInfo *string = info(id);
    if (!string)
        return 0;
    bool ok = false;
    const int limit = fieldValue(string->fields, "max-width").toInt(&ok);
    return ok && limit > 0 ? limit : 0;
}

qm::Status ReviewStates::writable() const
{
    settle();
    if (!readable())
        return unreadable(m_problem);
    return {};
}

qm::Status ReviewStates::setState(qint32 localeId, qint32 id, State state)
{
    if (auto ok = writable(); !ok)
        return ok;
    const resutil::ResString *entry = m_strings.Find(localeId, id);
    if (!entry || entry->Text().isEmpty())
        return qm::makeError(QStringLiteral("locale %1 has no text for string %2").arg(QString::number(localeId), QString::number(id)));
    // A text without a line gets one of its own; the others are left for the next save.
    const quint32 key = cellKey(localeId, id);
    Cell *cell = find(key);
    if (!cell) {
        const auto at = std::lower_bound(m_table.cells.begin(), m_table.cells.end(), key,
                                         [](const Cell &c, quint32 k) { return c.key < k; });
        Cell added;
        added.key = key;
        cell = &*m_table.cells.insert(at, added);
    }
    const resutil::ResString *sourceEntry = m_strings.Find(sourceLanguage(), id);
    const bool hasSource = sourceEntry && !sourceEntry->Text().isEmpty();
    cell->state = state;
    cell->text = textHash(entry->Text());
    cell->source = hasSource ? textHash(sourceEntry->Text()) : 0;
    const QChar *base = m_buffer.constData();
    const bool asRead = cell->has(Cell::HasLoaded) && entry->Text().constData() == base + cell->loadedAt &&
                        entry->Text().size() == cell->loadedLength;
    cell->flags = quint8(Cell::HasText | Cell::Verified | (hasSource ? Cell::HasSource : 0) | (asRead ? Cell::HasLoaded : 0));
    if (m_table.source == 0)
        m_table.source = sourceLanguage();
    m_dirty = true;
    return {};
}

std::optional<Cell> ReviewStates::line(qint32 localeId, qint32 id) const
{
    settle();
    const Cell *cell = find(cellKey(localeId, id));
    return cell ? std::optional<Cell>(*cell) : std::nullopt;
}

void ReviewStates::restoreLine(qint32 localeId, qint32 id, const std::optional<Cell> &line)
{
    settle();
    const quint32 key = cellKey(localeId, id);
    const auto at = std::lower_bound(m_table.cells.begin(), m_table.cells.end(), key,
                                     [](const Cell &c, quint32 k) { return c.key < k; });
    const bool present = at != m_table.cells.end() && at->key == key;
    // The file may have been read again since: the line is told by its text's hash alone.
    std::optional<Cell> kept = line;
    if (kept)
        kept->flags = quint8(kept->flags & ~Cell::HasLoaded);
    if (kept && present)
        *at = *kept;
    else if (kept)
        m_table.cells.insert(at, *kept);
    else if (present)
        m_table.cells.erase(at);
    m_dirty = true;
}

qm::Status ReviewStates::markTranslated(qint32 localeId, qint32 id) { return setState(localeId, id, State::Translated); }
qm::Status ReviewStates::markNeedsReview(qint32 localeId, qint32 id) { return setState(localeId, id, State::NeedsReview); }
qm::Status ReviewStates::markNew(qint32 localeId, qint32 id) { return setState(localeId, id, State::New); }
qm::Status ReviewStates::approve(qint32 localeId, qint32 id) { return setState(localeId, id, State::Approved); }

qm::Status ReviewStates::setNote(qint32 localeId, qint32 id, const QString &note)
{
    if (auto ok = writable(); !ok)
        return ok;
    const quint32 key = cellKey(localeId, id);
    if (!find(key)) {
        if (!m_strings.Languages().contains(localeId))
            return qm::makeError(QStringLiteral("the file has no strings in locale %1").arg(localeId));
        if (note.isEmpty())
            return {};
        refresh();
    }
    QByteArray fields = m_table.cellFields.value(key);
    setFieldValue(fields, "note", note);
    if (fields.isEmpty())
        m_table.cellFields.remove(key);
    else
        m_table.cellFields.insert(key, fields);
    if (!find(key)) {
        Cell cell;
        cell.key = key;
        cell.state = State::New;
        m_table.cells.insert(std::lower_bound(m_table.cells.begin(), m_table.cells.end(), key,
                                              [](const Cell &c, quint32 k) { return c.key < k; }),
                             cell);
    }
    m_dirty = true;
    return {};
}

StringInfo *ReviewStates::info(qint32 id, bool create)
{
    settle();
    const auto at = std::lower_bound(m_table.strings.begin(), m_table.strings.end(), id,
                                     [](const StringInfo &info, qint32 i) { return info.id < i; });
    if (at != m_table.strings.end() && at->id == id)
        return &*at;
    if (!create)
        return nullptr;
    return &*m_table.strings.insert(at, StringInfo{id, {}});
}

qm::Status ReviewStates::setComment(qint32 id, const QString &comment)
{
    if (auto ok = writable(); !ok)
        return ok;
    if (StringInfo *string = info(id, !comment.isEmpty())) {
        setFieldValue(string->fields, "comment", comment);
        m_dirty = true;
    }
    return {};
}

qm::Status ReviewStates::setMaxLength(qint32 id, int maxLength)
{
    if (auto ok = writable(); !ok)
        return ok;
    if (maxLength < 0)
        return qm::makeError(QStringLiteral("a maximum length of %1 characters is not possible").arg(maxLength));
    if (StringInfo *string = info(id, maxLength > 0)) {
        setFieldValue(string->fields, "max-length", maxLength > 0 ? QString::number(maxLength) : QString());
        m_dirty = true;
    }
    return {};
}

qm::Status ReviewStates::setMaxWidth(qint32 id, int pixels)
{
    if (auto ok = writable(); !ok)
        return ok;
    if (pixels < 0)
        return qm::makeError(QStringLiteral("a maximum width of %1 pixels is not possible").arg(pixels));
    if (StringInfo *string = info(id, pixels > 0)) {
        setFieldValue(string->fields, "max-width", pixels > 0 ? QString::number(pixels) : QString());
        m_dirty = true;
    }
    return {};
}

qm::Result<std::optional<resutil::ResCompanion::Contents>> ReviewStates::saving(const QString &resPath,
                                                                               const resutil::ResStrings &)
{
    const QString path = pathFor(resPath);
    settle();
    m_unwritten.reset();
    if (!readable() || path.isEmpty())
        return std::optional<Contents>();
    if (m_saveIsLast) {
        SourcesNow sources = updateLines(false);
        if (sources.textsWithoutLine > 0)
            m_unwritten = std::move(sources);
    } else {
        refresh();
    }
    // Nothing to change: the file stays as it is (and keeps its time).
    if (!m_dirty && m_hadFile && QFileInfo(path) == QFileInfo(m_writtenPath))
        return std::optional<Contents>();
    Contents contents{path, {}, [this](const std::function<qm::Status(QByteArrayView)> &put) { return writeLines(put); }};
    return std::optional<Contents>(std::move(contents));
}

void ReviewStates::saved(const QString &resPath)
{
    m_dirty = false;
    m_hadFile = true;
    m_writtenPath = pathFor(resPath);
    // The lines written for texts that had none are not in the table: the file holds them.
    if (m_unwritten) {
        m_unwritten.reset();
        m_readAgain = resPath;
    }
}

void ReviewStates::settle() const
{
    if (m_readAgain.isEmpty())
        return;
    // Never a const object: every one is made by attach or by its owner.
    auto *self = const_cast<ReviewStates *>(this);
    const QString resPath = std::exchange(self->m_readAgain, QString());
    self->loaded(resPath, m_strings, true);
}

const QString &ReviewStates::problem() const
{
    settle();
    return m_problem;
}

bool ReviewStates::hadStateFile() const
{
    settle();
    return m_hadFile;
}

const std::vector<Cell> &ReviewStates::cells() const
{
    settle();
    return m_table.cells;
}

} // namespace reviewstate
