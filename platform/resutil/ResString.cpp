#include "platform/resutil/ResString.h"

#include "platform/resutil/ResStrings.h"

namespace resutil {

ResString::ResString(qint32 localeId, qint32 id, QString text)
    : m_localeId(localeId), m_id(id), m_text(std::move(text))
{
}

void ResString::setLocaleID(qint32 localeId)
{
    rekey(localeId, m_id);
}

void ResString::setID(qint32 id)
{
    rekey(m_localeId, id);
}

void ResString::rekey(qint32 localeId, qint32 id)
{
    if (localeId == m_localeId && id == m_id)
        return;
    if (m_owner) {
        m_owner->rekey(this, localeId, id);
    } else {
        m_localeId = localeId;
        m_id = id;
    }
}

void ResString::setText(QString text)
{
    // Compare exact UTF-16 units, not a normalised or case-folded form.
    if (text.size() == m_text.size() && text == m_text)
        return;
    if (m_owner)
        m_owner->keepText(m_localeId, m_id);
    m_text = std::move(text);
    if (m_owner)
        m_owner->setChanged(true);
}

} // namespace resutil
