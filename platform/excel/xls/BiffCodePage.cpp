#include "platform/excel/xls/BiffCodePage.h"

#include <QByteArrayList>

namespace excel::backend::biff {

namespace {

std::unique_ptr<QStringDecoder> decoderFor(unsigned codePage)
{
    QByteArrayList names;
    switch (codePage) {
    case 367: names << "US-ASCII"; break;
    case 0x8000: names << "macintosh"; break; // Mac Roman, as Excel for the Mac wrote it
    case 0x8001: names << "windows-1252"; break;
    case 1200: return nullptr; // UTF-16 is BIFF8's and has no 8-bit form
    default: {
        const QByteArray n = QByteArray::number(codePage);
        names << "windows-" + n << "cp" + n << "IBM" + n;
    }
    }
    for (const QByteArray &name : names) {
        auto decoder = std::make_unique<QStringDecoder>(name.constData(), QStringConverter::Flag::Stateless);
        if (decoder->isValid())
            return decoder;
    }
    return nullptr;
}

} // namespace

CodePage::CodePage() : m_decoder(decoderFor(1252)) {}

bool CodePage::set(unsigned codePage)
{
    auto decoder = decoderFor(codePage);
    if (!decoder)
        return false;
    m_decoder = std::move(decoder);
    m_number = codePage;
    return true;
}

QString CodePage::decode(const char *bytes, qsizetype size)
{
    m_decoder->resetState();
    return m_decoder->decode(QByteArrayView(bytes, size));
}

} // namespace excel::backend::biff
