#pragma once

#include <QString>
#include <QStringDecoder>

#include <memory>

// The 8-bit texts of a BIFF5 workbook, decoded in the code page its
// CODEPAGE record names (Windows-1252 when it names none).
namespace excel::backend::biff {

class CodePage {
public:
    CodePage();
    // False when no decoder for that code page exists; the old one stays.
    bool set(unsigned codePage);
    unsigned number() const { return m_number; }
    QString decode(const char *bytes, qsizetype size);

private:
    unsigned m_number = 1252;
    std::unique_ptr<QStringDecoder> m_decoder;
};

} // namespace excel::backend::biff
