#include "reviewstate/StateTable.h"

#include "reviewstate/StateFileFormat.h"

namespace reviewstate {

const char *stateName(State state)
{
    switch (state) {
    case State::New: return "new";
    case State::Translated: return "translated";
    case State::NeedsReview: return "needs-review";
    case State::Approved: return "approved";
    }
    return "translated";
}

std::optional<State> stateNamed(QByteArrayView name)
{
    for (State state : {State::New, State::Translated, State::NeedsReview, State::Approved})
        if (name == stateName(state))
            return state;
    return std::nullopt;
}

namespace {

// Calls visit(name, value, start, end) for each field; start/end span the
// field with its leading tab, if any.
template <typename Visit>
void forEachField(const QByteArray &fields, Visit &&visit)
{
    qsizetype at = 0;
    while (at < fields.size()) {
        qsizetype end = fields.indexOf('\t', at);
        if (end < 0)
            end = fields.size();
        const QByteArrayView field(fields.constData() + at, end - at);
        const qsizetype equals = field.indexOf('=');
        if (equals > 0 && !visit(field.first(equals), field.sliced(equals + 1), at, end))
            return;
        at = end + 1;
    }
}

} // namespace

QString fieldValue(const QByteArray &fields, QByteArrayView name)
{
    QString found;
    forEachField(fields, [&](QByteArrayView fieldName, QByteArrayView value, qsizetype, qsizetype) {
        if (fieldName != name)
            return true;
        found = unescapeValue(value);
        return false;
    });
    return found;
}

void setFieldValue(QByteArray &fields, QByteArrayView name, const QString &value)
{
    qsizetype start = -1, end = -1;
    forEachField(fields, [&](QByteArrayView fieldName, QByteArrayView, qsizetype at, qsizetype stop) {
        if (fieldName != name)
            return true;
        start = at;
        end = stop;
        return false;
    });
    QByteArray field;
    if (!value.isEmpty())
        field = name.toByteArray() + '=' + escapeValue(value);
    if (start < 0) {
        if (!field.isEmpty())
            fields += (fields.isEmpty() ? QByteArray() : QByteArray("\t")) + field;
        return;
    }
    if (!field.isEmpty()) {
        fields.replace(start, end - start, field);
        return;
    }
    // Removed with the tab that separates it from its neighbour.
    if (end < fields.size())
        fields.remove(start, end - start + 1);
    else
        fields.remove(start > 0 ? start - 1 : 0, end - start + (start > 0 ? 1 : 0));
}

} // namespace reviewstate
