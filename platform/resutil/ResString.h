#pragma once

#include <QString>

namespace resutil {

class ResStrings;

// One text for one (locale ID, string ID). Created empty, filled in, then
// handed to ResStrings::Add, which owns it from then on. Changing the keys or
// the text of an entry that belongs to a collection keeps the collection's
// index current and marks the collection changed.
class ResString {
public:
    ResString() = default;
    ResString(qint32 localeId, qint32 id, QString text);
    ResString(const ResString &) = delete;
    ResString &operator=(const ResString &) = delete;

    qint32 LocaleID() const { return m_localeId; }
    void setLocaleID(qint32 localeId);
    qint32 ID() const { return m_id; }
    void setID(qint32 id);
    // Exact UTF-16, unpaired surrogates included.
    const QString &Text() const { return m_text; }
    void setText(QString text);

private:
    friend class ResStrings;
    void rekey(qint32 localeId, qint32 id);

    qint32 m_localeId = 0;
    qint32 m_id = 0;
    QString m_text;
    ResStrings *m_owner = nullptr;
    quint64 m_slot : 63 = 0;  // position among the collection's slots (slot order is entry order)
    quint64 m_pooled : 1 = 0; // carved out of the collection's own storage, not allocated alone
};

} // namespace resutil
