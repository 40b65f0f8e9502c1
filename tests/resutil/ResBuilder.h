#pragma once

#include <QByteArray>
#include <QString>
#include <QtEndian>

// Builds .res bytes entry by entry, so tests can state exactly what a file holds.
class ResBuilder {
public:
    ResBuilder() { entry(0, 0, {}, 0, 0); }

    struct Name {
        Name(int ordinal) : ordinal(ordinal) {}
        Name(const char *text) : text(QString::fromUtf8(text)), isString(true) {}
        int ordinal = 0;
        QString text;
        bool isString = false;
    };

    ResBuilder &entry(Name type, Name name, const QByteArray &data, int language, int memoryFlags = 0x1030,
                      quint32 version = 0, quint32 characteristics = 0)
    {
        const qsizetype start = m_bytes.size();
        u32(quint32(data.size()));
        u32(0); // header size, filled in below
        nameField(type);
        nameField(name);
        pad(start);
        u32(0);
        u16(quint16(memoryFlags));
        u16(quint16(language));
        u32(version);
        u32(characteristics);
        qToLittleEndian<quint32>(quint32(m_bytes.size() - start), m_bytes.data() + start + 4);
        m_bytes += data;
        pad(start);
        return *this;
    }

    // A string table block: texts[i] is string (block - 1) * 16 + i.
    static QByteArray block(const QList<QString> &texts)
    {
        QByteArray data;
        for (int i = 0; i < 16; ++i) {
            const QString text = i < texts.size() ? texts[i] : QString();
            char length[2];
            qToLittleEndian<quint16>(quint16(text.size()), length);
            data.append(length, 2);
            data.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        }
        return data;
    }

    QByteArray bytes() const { return m_bytes; }

private:
    void u16(quint16 v)
    {
        char b[2];
        qToLittleEndian(v, b);
        m_bytes.append(b, 2);
    }
    void u32(quint32 v)
    {
        char b[4];
        qToLittleEndian(v, b);
        m_bytes.append(b, 4);
    }
    void nameField(const Name &name)
    {
        if (!name.isString) {
            u16(0xFFFF);
            u16(quint16(name.ordinal));
            return;
        }
        for (QChar c : name.text)
            u16(c.unicode());
        u16(0);
    }
    void pad(qsizetype start)
    {
        while ((m_bytes.size() - start) % 4)
            m_bytes.append('\0');
    }
    QByteArray m_bytes;
};
