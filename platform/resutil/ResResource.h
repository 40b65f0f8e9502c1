#pragma once

#include <QByteArray>
#include <QString>

namespace resutil {

// A resource type or name: a 16-bit ordinal or a UTF-16 string.
struct ResName {
    quint16 ordinal = 0;
    QString name; // used when isString
    bool isString = false;

    static ResName fromOrdinal(quint16 value) { return ResName{value, {}, false}; }
    static ResName fromString(QString value) { return ResName{0, std::move(value), true}; }
    bool operator==(const ResName &other) const = default;
};

enum ResType : quint16 {
    RT_ICON = 3,
    RT_STRING = 6,
    RT_GROUP_ICON = 14,
    RT_VERSION = 16,
};

// Fields of a resource entry header after the type and name.
struct ResHeaderFields {
    quint32 dataVersion = 0;
    quint16 memoryFlags = 0x1030; // moveable, pure, discardable: what resource compilers give string tables
    quint16 language = 0;
    quint32 version = 0;
    quint32 characteristics = 0;
    bool operator==(const ResHeaderFields &other) const = default;
};

// The header fields a string table was read with; key is blockKey().
struct StringTableFields {
    quint32 key;
    ResHeaderFields fields;
};

// A resource the library does not edit, kept byte for byte.
struct ResResource {
    ResName type;
    ResName name;
    ResHeaderFields fields;
    qint64 offset = 0;   // where its header starts in the file it was read from
    QByteArray header;   // the header exactly as read
    QByteArray data;     // the data exactly as read, without padding
};

} // namespace resutil
