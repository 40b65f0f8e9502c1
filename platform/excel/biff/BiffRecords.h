#pragma once

#include "platform/excel/model/CellFormat.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

// BIFF8 records, one function per record kind. Each returns the whole record:
// type, length and body, little-endian.
namespace excel::backend::biff {

constexpr int MaxRecordData = 8224;

// Appends little-endian fields to a record body.
class Body {
public:
    Body &u8(unsigned v) { m_data.append(char(v & 0xFF)); return *this; }
    Body &u16(unsigned v) { return u8(v).u8(v >> 8); }
    Body &u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Body &f64(double v);
    Body &bytes(const QByteArray &b) { m_data.append(b); return *this; }
    // A string with an 8-bit (short) or 16-bit length, compressed when it can be.
    Body &shortString(const QString &s);
    Body &longString(const QString &s);
    const QByteArray &data() const { return m_data; }
    int size() const { return int(m_data.size()); }

private:
    QByteArray m_data;
};

QByteArray record(unsigned type, const QByteArray &body);
// True when every character fits in one byte (the "compressed" form).
bool fitsLatin1(QStringView s);
void appendChars(QByteArray &out, QStringView s, bool compressed);

enum SubstreamType { Globals = 0x0005, Sheet = 0x0010 };
QByteArray bof(SubstreamType type);
QByteArray eof();
QByteArray writeAccess(const QString &user);
QByteArray codePage();
QByteArray window1();
QByteArray dateMode(bool date1904);
QByteArray font();
QByteArray format(int id, const QString &code);
QByteArray styleXf(bool outline);
QByteArray cellXf(const CellFormat &format);
QByteArray normalStyle();
// The stream position of the sheet's BOF is patched in later at offset 4.
QByteArray boundSheet(const QString &name);
QByteArray defColWidth();
QByteArray colInfoAll(int xf);
QByteArray dimensions(int firstRow, int lastRowPlus1, int firstColumn, int lastColumnPlus1);
QByteArray window2(bool selected);
QByteArray number(int row, int column, int xf, double value);
QByteArray labelSst(int row, int column, int xf, std::uint32_t index);
QByteArray blank(int row, int column, int xf);
QByteArray boolErr(int row, int column, int xf, int value, bool isError);

} // namespace excel::backend::biff
