#include "reviewstate/StateFileMerge.h"

#include "reviewstate/StateFileFormat.h"

#include <algorithm>

namespace reviewstate {

namespace {

// One name=value field, the value as written (escaped).
struct Field {
    QByteArray name;
    QByteArray value;
};

std::vector<Field> splitFields(const QByteArray &fields)
{
    std::vector<Field> out;
    if (fields.isEmpty())
        return out;
    for (const QByteArray &field : fields.split('\t')) {
        const qsizetype equals = field.indexOf('=');
        out.push_back(equals < 0 ? Field{field, {}} : Field{field.first(equals), field.sliced(equals + 1)});
    }
    return out;
}

const QByteArray *valueOf(const std::vector<Field> &fields, const QByteArray &name)
{
    for (const Field &field : fields)
        if (field.name == name)
            return &field.value;
    return nullptr;
}

bool sameValue(const QByteArray *a, const QByteArray *b)
{
    return a && b ? *a == *b : a == b;
}

// The three-way merge of two name=value lists, field by field: ours' order,
// then the fields only theirs added. Sets conflict where a field was changed
// on both sides differently (ours' value is kept).
QByteArray mergeFields(const QByteArray &base, const QByteArray &ours, const QByteArray &theirs, bool &conflict)
{
    if (ours == theirs || base == theirs)
        return ours;
    if (base == ours)
        return theirs;
    const std::vector<Field> b = splitFields(base), o = splitFields(ours), t = splitFields(theirs);
    QByteArray out;
    const auto add = [&](const QByteArray &name, const QByteArray *value) {
        if (!value)
            return;
        if (!out.isEmpty())
            out += '\t';
        out += name + '=' + *value;
    };
    const auto merged = [&](const QByteArray &name) {
        const QByteArray *vb = valueOf(b, name), *vo = valueOf(o, name), *vt = valueOf(t, name);
        if (sameValue(vo, vt) || sameValue(vb, vt))
            return vo;
        if (sameValue(vb, vo))
            return vt;
        conflict = true;
        return vo;
    };
    for (const Field &field : o)
        add(field.name, merged(field.name));
    for (const Field &field : t)
        if (!valueOf(o, field.name))
            add(field.name, merged(field.name));
    return out;
}

// One side's line for a cell. compared is the state the merge compares: a
// needs-review that only follows from the side's changed source text counts
// as the base's state.
struct Line {
    Cell cell;
    QByteArray fields;
    State compared = State::Translated;
};

bool sameText(const Cell &a, const Cell &b)
{
    return a.has(Cell::HasText) == b.has(Cell::HasText) && (!a.has(Cell::HasText) || a.text == b.text);
}

bool sameSource(const Cell &a, const Cell &b)
{
    return a.has(Cell::HasSource) == b.has(Cell::HasSource) && (!a.has(Cell::HasSource) || a.source == b.source);
}

// The state and the source text it was given for.
bool sameJudgement(const Line &a, const Line &b)
{
    return a.compared == b.compared && sameSource(a.cell, b.cell);
}

bool sameLine(const std::optional<Line> &a, const std::optional<Line> &b)
{
    if (!a || !b)
        return !a && !b;
    return sameJudgement(*a, *b) && sameText(a->cell, b->cell) && a->fields == b->fields;
}

// The hash of the source text of string id on one side: its source-language line's text hash.
std::optional<quint32> sourceHash(const StateTable &table, qint32 id)
{
    if (table.source == 0)
        return std::nullopt;
    const quint32 key = cellKey(table.source, id);
    const auto at = std::lower_bound(table.cells.begin(), table.cells.end(), key,
                                     [](const Cell &cell, quint32 k) { return cell.key < k; });
    if (at == table.cells.end() || at->key != key || !at->has(Cell::HasText))
        return std::nullopt;
    return at->text;
}

std::optional<Line> lineOf(const StateTable &table, std::vector<Cell>::const_iterator cell)
{
    Line line;
    line.cell = *cell;
    line.cell.flags = quint8(cell->flags & (Cell::HasSource | Cell::HasText));
    line.cell.loadedAt = 0;
    line.cell.loadedLength = 0;
    line.fields = table.cellFields.value(cell->key);
    line.compared = cell->state;
    return line;
}

void compareAsBase(std::optional<Line> &side, const std::optional<Line> &base, const StateTable &table)
{
    if (!side || !base || side->cell.state != State::NeedsReview || base->cell.state == State::NeedsReview)
        return;
    if (!sameText(side->cell, base->cell) || !sameSource(side->cell, base->cell) || !side->cell.has(Cell::HasSource))
        return;
    const std::optional<quint32> source = sourceHash(table, idOf(side->cell.key));
    if (source && *source != side->cell.source)
        side->compared = base->cell.state;
}

std::optional<QByteArray> written(const std::optional<Line> &line)
{
    if (!line)
        return std::nullopt;
    QByteArray out;
    appendCellLine(out, line->cell, &line->fields);
    return out;
}

// The merged line of one cell; sets conflict when both sides changed it differently.
std::optional<Line> mergeCell(const std::optional<Line> &base, const std::optional<Line> &ours,
                              const std::optional<Line> &theirs, bool &conflict)
{
    if (sameLine(ours, theirs) || sameLine(base, theirs))
        return ours;
    if (sameLine(base, ours))
        return theirs;
    if (!ours || !theirs) {
        // Removed with the cell's text, where the other side kept the text
        // and its fields: the resource file's merge removes the text too.
        const std::optional<Line> &kept = ours ? ours : theirs;
        if (base && sameText(base->cell, kept->cell) && base->fields == kept->fields)
            return std::nullopt;
        conflict = true;
        return ours;
    }
    std::optional<Line> merged;
    if (sameText(ours->cell, theirs->cell)) {
        if (sameJudgement(*ours, *theirs) || (base && sameJudgement(*base, *theirs)))
            merged = ours;
        else if (base && sameJudgement(*base, *ours))
            merged = theirs;
    } else if (base && sameText(base->cell, ours->cell)) {
        merged = theirs; // the resource file takes theirs' text, and this line describes it
    } else if (base && sameText(base->cell, theirs->cell)) {
        merged = ours;
    }
    if (!merged) {
        conflict = true;
        return ours;
    }
    bool fieldConflict = false;
    merged->fields = mergeFields(base ? base->fields : QByteArray(), ours->fields, theirs->fields, fieldConflict);
    if (fieldConflict) {
        conflict = true;
        return ours;
    }
    return merged;
}

QByteArray headerLine(const StateTable &table)
{
    QByteArray out = table.source != 0 ? "source=" + QByteArray::number(table.source) : QByteArray();
    if (!table.headerFields.isEmpty())
        out += (out.isEmpty() ? "" : "\t") + table.headerFields;
    return out;
}

void mergeHeader(const StateTable &base, const StateTable &ours, const StateTable &theirs, StateMerge &result)
{
    bool conflict = false;
    if (ours.source == theirs.source || base.source == theirs.source)
        result.table.source = ours.source;
    else if (base.source == ours.source)
        result.table.source = theirs.source;
    else
        conflict = true;
    result.table.headerFields = mergeFields(base.headerFields, ours.headerFields, theirs.headerFields, conflict);
    if (!conflict)
        return;
    result.table.source = ours.source;
    result.table.headerFields = ours.headerFields;
    result.conflicts.push_back(StateConflict{StateConflict::Header, 0, 0, headerLine(base), headerLine(ours), headerLine(theirs)});
}

void mergeStrings(const StateTable &base, const StateTable &ours, const StateTable &theirs, StateMerge &result)
{
    std::vector<qint32> ids;
    for (const StateTable *table : {&base, &ours, &theirs})
        for (const StringInfo &info : table->strings)
            ids.push_back(info.id);
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    const auto fieldsOf = [](const StateTable &table, qint32 id) -> const QByteArray * {
        const auto at = std::lower_bound(table.strings.begin(), table.strings.end(), id,
                                         [](const StringInfo &info, qint32 i) { return info.id < i; });
        return at != table.strings.end() && at->id == id && !at->fields.isEmpty() ? &at->fields : nullptr;
    };
    for (const qint32 id : ids) {
        const QByteArray *b = fieldsOf(base, id), *o = fieldsOf(ours, id), *t = fieldsOf(theirs, id);
        const QByteArray none;
        bool conflict = false;
        QByteArray merged = mergeFields(b ? *b : none, o ? *o : none, t ? *t : none, conflict);
        if (conflict) {
            merged = o ? *o : none;
            const auto side = [](const QByteArray *fields) {
                return fields ? std::optional<QByteArray>(*fields) : std::nullopt;
            };
            result.conflicts.push_back(StateConflict{StateConflict::String, 0, id, side(b), side(o), side(t)});
        }
        if (!merged.isEmpty())
            result.table.strings.push_back(StringInfo{id, merged});
    }
}

} // namespace

bool looksLikeStateFile(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    return bytes.startsWith("quillmark-review-states\t");
}

StateMerge mergeStateTables(const StateTable &base, const StateTable &ours, const StateTable &theirs)
{
    StateMerge result;
    mergeHeader(base, ours, theirs, result);
    mergeStrings(base, ours, theirs, result);

    auto b = base.cells.begin(), o = ours.cells.begin(), t = theirs.cells.begin();
    result.table.cells.reserve(std::max(ours.cells.size(), theirs.cells.size()));
    constexpr quint32 kEnd = 0xFFFFFFFF;
    const auto keyAt = [](const std::vector<Cell> &cells, std::vector<Cell>::const_iterator at) {
        return at == cells.end() ? kEnd : at->key;
    };
    while (b != base.cells.end() || o != ours.cells.end() || t != theirs.cells.end()) {
        const quint32 key = std::min({keyAt(base.cells, b), keyAt(ours.cells, o), keyAt(theirs.cells, t)});
        std::optional<Line> lb = keyAt(base.cells, b) == key ? lineOf(base, b++) : std::nullopt;
        std::optional<Line> lo = keyAt(ours.cells, o) == key ? lineOf(ours, o++) : std::nullopt;
        std::optional<Line> lt = keyAt(theirs.cells, t) == key ? lineOf(theirs, t++) : std::nullopt;
        compareAsBase(lo, lb, ours);
        compareAsBase(lt, lb, theirs);
        bool conflict = false;
        const std::optional<Line> merged = mergeCell(lb, lo, lt, conflict);
        if (conflict)
            result.conflicts.push_back(
                StateConflict{StateConflict::Cell, localeOf(key), idOf(key), written(lb), written(lo), written(lt)});
        if (!merged)
            continue;
        result.table.cells.push_back(merged->cell);
        if (!merged->fields.isEmpty())
            result.table.cellFields.insert(key, merged->fields);
    }
    return result;
}

} // namespace reviewstate
