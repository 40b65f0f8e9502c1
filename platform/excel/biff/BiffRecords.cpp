#include "platform/excel/biff/BiffRecords.h"

#include <cstring>

namespace excel::backend::biff {

Body &Body::f64(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return u32(std::uint32_t(bits)).u32(std::uint32_t(bits >> 32));
}

bool fitsLatin1(QStringView s)
{
    for (QChar c : s)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

void appendChars(QByteArray &out, QStringView s, bool compressed)
{
    const qsizetype at = out.size();
    out.resize(at + s.size() * (compressed ? 1 : 2));
    char *p = out.data() + at;
    for (QChar c : s) {
        *p++ = char(c.unicode() & 0xFF);
        if (!compressed)
            *p++ = char(c.unicode() >> 8);
    }
}

Body &Body::shortString(const QString &s)
{
    const bool compressed = fitsLatin1(s);
    u8(unsigned(s.size())).u8(compressed ? 0 : 1);
    appendChars(m_data, s, compressed);
    return *this;
}

Body &Body::longString(const QString &s)
{
    const bool compressed = fitsLatin1(s);
    u16(unsigned(s.size())).u8(compressed ? 0 : 1);
    appendChars(m_data, s, compressed);
    return *this;
}

QByteArray record(unsigned type, const QByteArray &body)
{
    Body r;
    r.u16(type).u16(unsigned(body.size())).bytes(body);
    return r.data();
}

QByteArray bof(SubstreamType type)
{
    return record(0x0809, Body().u16(0x0600).u16(type).u16(0x0DBB).u16(0x07CC).u32(0x00).u32(0x06).data());
}

QByteArray eof()
{
    return record(0x000A, QByteArray());
}

QByteArray writeAccess(const QString &user)
{
    Body b;
    b.longString(user);
    return record(0x005C, b.data() + QByteArray(112 - b.size(), ' '));
}

QByteArray codePage()
{
    return record(0x0042, Body().u16(0x04B0).data()); // UTF-16
}

QByteArray window1()
{
    return record(0x003D, Body().u16(0).u16(0).u16(0x4000).u16(0x2000).u16(0x0038).u16(0).u16(0).u16(1).u16(0x0258).data());
}

QByteArray dateMode(bool date1904)
{
    return record(0x0022, Body().u16(date1904 ? 1 : 0).data());
}

QByteArray font()
{
    return record(0x0031, Body().u16(200).u16(0).u16(0x7FFF).u16(400).u16(0).u8(0).u8(0).u8(0).u8(0)
                              .shortString(QStringLiteral("Arial")).data());
}

QByteArray format(int id, const QString &code)
{
    return record(0x041E, Body().u16(unsigned(id)).longString(code).data());
}

QByteArray styleXf(bool outline)
{
    return record(0x00E0, Body().u16(outline ? 1 : 0).u16(0).u16(0xFFF5).u8(0x20).u8(0).u8(0)
                              .u8(outline ? 0xF4 : 0).u32(0).u32(0).u16(0x20C0).data());
}

QByteArray cellXf(const CellFormat &f)
{
    const unsigned flags = 0x0001 | (f.quotePrefix ? 0x0008 : 0); // locked; the quote prefix; parent style 0
    const unsigned used = (f.numFmtId != 0 ? 0x04 : 0) | (f.alignLeft ? 0x10 : 0);
    return record(0x00E0, Body().u16(0).u16(unsigned(f.numFmtId)).u16(flags).u8(0x20 | (f.alignLeft ? 1 : 0))
                              .u8(0).u8(0).u8(used).u32(0).u32(0).u16(0x20C0).data());
}

QByteArray normalStyle()
{
    return record(0x0293, Body().u16(0x8000).u8(0).u8(0xFF).data());
}

QByteArray boundSheet(const QString &name)
{
    return record(0x0085, Body().u32(0).u8(0).u8(0).shortString(name).data());
}

QByteArray defColWidth()
{
    return record(0x0055, Body().u16(8).data());
}

QByteArray colInfoAll(int xf)
{
    return record(0x007D, Body().u16(0).u16(255).u16(0x0924).u16(unsigned(xf)).u16(0).u16(0).data());
}

QByteArray dimensions(int firstRow, int lastRowPlus1, int firstColumn, int lastColumnPlus1)
{
    return record(0x0200, Body().u32(std::uint32_t(firstRow)).u32(std::uint32_t(lastRowPlus1))
                              .u16(unsigned(firstColumn)).u16(unsigned(lastColumnPlus1)).u16(0).data());
}

QByteArray window2(bool selected)
{
    return record(0x023E, Body().u16(selected ? 0x06B6 : 0x00B6).u16(0).u16(0).u16(0x40).u16(0).u16(0).u16(0).u32(0).data());
}

QByteArray number(int row, int column, int xf, double value)
{
    return record(0x0203, Body().u16(unsigned(row)).u16(unsigned(column)).u16(unsigned(xf)).f64(value).data());
}

QByteArray labelSst(int row, int column, int xf, std::uint32_t index)
{
    return record(0x00FD, Body().u16(unsigned(row)).u16(unsigned(column)).u16(unsigned(xf)).u32(index).data());
}

QByteArray blank(int row, int column, int xf)
{
    return record(0x0201, Body().u16(unsigned(row)).u16(unsigned(column)).u16(unsigned(xf)).data());
}

QByteArray boolErr(int row, int column, int xf, int value, bool isError)
{
    return record(0x0205, Body().u16(unsigned(row)).u16(unsigned(column)).u16(unsigned(xf)).u8(unsigned(value)).u8(isError ? 1 : 0).data());
}

} // namespace excel::backend::biff
