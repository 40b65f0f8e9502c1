#include "support/REG_MODULE.h"

#include "support/ErrorTrap.h"

#include <QByteArray>

#include <limits>

using namespace win32;

namespace {

constexpr DWORD kStringBufferChars = 2048;
constexpr DWORD kNumberBufferChars = 255;

const QString kInvalidCall = QStringLiteral("Invalid procedure call or argument");
const QString kTypeMismatch = QStringLiteral("Type mismatch");
const QString kOverflow = QStringLiteral("Overflow");

// Queries into a buffer of the given number of characters; false when the
// value is missing, too large or the handle is bad.
bool queryValue(HKEY key, const QString &valueName, DWORD bufferChars, DWORD *type, QByteArray *data)
{
    data->resize(qsizetype(bufferChars) * 2);
    DWORD size = DWORD(data->size());
    if (RegQueryValueEx(key, valueName, nullptr, type, reinterpret_cast<BYTE *>(data->data()), &size) != ERROR_SUCCESS)
        return false;
    data->resize(qsizetype(size));
    return true;
}

// The received data less its terminating NUL. Data without even a NUL is
// not a string at all.
QString receivedText(const QByteArray &data)
{
    if (data.size() < 2)
        qm::raise(kInvalidCall);
    QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(data.constData()), data.size() / 2);
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

std::int32_t textToLong(const QString &text)
{
    int digitsFrom = 0;
    if (text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+')))
        digitsFrom = 1;
    if (text.size() == digitsFrom)
        qm::raise(kTypeMismatch);
    for (int i = digitsFrom; i < text.size(); ++i)
        if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9'))
            qm::raise(kTypeMismatch);
    bool ok = false;
    const qlonglong n = text.toLongLong(&ok);
    if (!ok || n < std::numeric_limits<std::int32_t>::min() || n > std::numeric_limits<std::int32_t>::max())
        qm::raise(kOverflow);
    return std::int32_t(n);
}

void storeText(HKEY key, const QString &valueName, const QString &value)
{
    if (value.isEmpty())
        return;
    QByteArray data(reinterpret_cast<const char *>(value.utf16()), value.size() * 2);
    data.append(2, '\0');
    // A failed write leaves the store as it was and is not reported.
    (void)RegSetValueEx(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE *>(data.constData()), DWORD(data.size()));
}

std::int32_t queryLong(HKEY key, const QString &valueName, std::int32_t defaultValue)
{
    DWORD type = REG_NONE;
    QByteArray data;
    if (!queryValue(key, valueName, kNumberBufferChars, &type, &data))
        return defaultValue;
    if (type == REG_SZ || type == REG_EXPAND_SZ)
        return textToLong(receivedText(data));
    if (type == REG_DWORD && data.size() == 4)
        return std::int32_t(quint32(uchar(data[0])) | quint32(uchar(data[1])) << 8 | quint32(uchar(data[2])) << 16 |
                            quint32(uchar(data[3])) << 24);
    return defaultValue;
}

} // namespace

QString RegQueryString(HKEY key, const QString &valueName, const QString &defaultText)
{
    QString result;
    qm::trap("RegQueryString", [&] {
        DWORD type = REG_NONE;
        QByteArray data;
        if (!queryValue(key, valueName, kStringBufferChars, &type, &data)) {
            result = defaultText;
            return;
        }
        if (type == REG_DWORD && data.size() == 4)
            result = QString::number(queryLong(key, valueName, 0));
        else
            result = receivedText(data);
    });
    return result;
}

void RegStoreString(HKEY key, const QString &valueName, const QString &value)
{
    qm::trap("RegStoreString", [&] { storeText(key, valueName, value); });
}

std::int32_t RegQueryLong(HKEY key, const QString &valueName, std::int32_t defaultValue)
{
    std::int32_t result = 0;
    qm::trap("RegQueryLong", [&] { result = queryLong(key, valueName, defaultValue); });
    return result;
}

void RegStoreLong(HKEY key, const QString &valueName, std::int32_t value)
{
    qm::trap("RegStoreLong", [&] { storeText(key, valueName, QString::number(value)); });
}

bool RegQueryBoolean(HKEY key, const QString &valueName, bool defaultValue)
{
    bool result = false;
    qm::trap("RegQueryBoolean", [&] { result = queryLong(key, valueName, defaultValue ? -1 : 0) != 0; });
    return result;
}

void RegStoreBoolean(HKEY key, const QString &valueName, bool value)
{
    qm::trap("RegStoreBoolean", [&] { storeText(key, valueName, value ? QStringLiteral("-1") : QStringLiteral("0")); });
}
