#include "platform/vbproject/ProjectCodePage.h"

#include "platform/vbproject/WindowsPath.h"

#include <QStringDecoder>

#include <unicode/ucsdet.h>

#include <algorithm>
#include <memory>

namespace vbide {

namespace {

constexpr const char *Western = "windows-1252";
// Enough names and bytes to tell code pages apart, few enough for a huge file.
constexpr int NamesTried = 32;
constexpr qsizetype SampleBytes = 64 * 1024;

bool isAscii(const QByteArray &bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

// The lines that hold non-ASCII bytes, up to SampleBytes: all a code page changes.
QByteArray nonAsciiLines(const QByteArray &bytes)
{
    QByteArray sample;
    qsizetype start = 0;
    while (start < bytes.size() && sample.size() < SampleBytes) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        const QByteArrayView line(bytes.constData() + start, end - start);
        if (std::any_of(line.begin(), line.end(), [](char c) { return uchar(c) >= 0x80; })) {
            sample += line.first(std::min(line.size(), SampleBytes - sample.size()));
            sample += '\n';
        }
        start = end + 1;
    }
    return sample;
}

bool decodesCleanly(const char *codec, const QByteArray &bytes)
{
    QStringDecoder decode(codec);
    if (!decode.isValid())
        return false;
    const QString text = decode(bytes);
    return !decode.hasError();
}

QString unquoted(QString value)
{
    value = value.trimmed();
    if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
        value = value.mid(1, value.size() - 2);
    return value;
}

// How many of the names exist when read in codec.
int namesFound(const char *codec, const QList<QByteArray> &names, const QString &baseDir, WindowsPathResolver &resolver)
{
    int found = 0;
    for (const QByteArray &name : names) {
        QStringDecoder decode(codec);
        const QString text = decode(name);
        if (!decode.hasError() && resolver.resolve(baseDir, unquoted(text)).exists)
            ++found;
    }
    return found;
}

// The ANSI code page for a charset ICU's detector names; null for one no
// Visual Basic writes (KOI8-R, ISO-8859-5 and -6 place their letters elsewhere).
const char *ansiCodecForDetected(const char *detected)
{
    static const std::pair<const char *, const char *> map[] = {
        {"windows-1252", "windows-1252"}, {"ISO-8859-1", "windows-1252"},
        {"windows-1250", "windows-1250"}, {"ISO-8859-2", "windows-1250"},
        {"windows-1251", "windows-1251"},
        {"windows-1253", "windows-1253"}, {"ISO-8859-7", "windows-1253"},
        {"windows-1254", "windows-1254"}, {"ISO-8859-9", "windows-1254"},
        {"windows-1255", "windows-1255"}, {"ISO-8859-8", "windows-1255"}, {"ISO-8859-8-I", "windows-1255"},
        {"windows-1256", "windows-1256"},
        {"Shift_JIS", "windows-932"},
        {"GB18030", "windows-936"},
        {"Big5", "windows-950"},
        {"EUC-KR", "windows-949"},
        {"UTF-8", "UTF-8"},
    };
    for (const auto &[name, codec] : map) {
        if (qstrcmp(name, detected) == 0)
            return codec;
    }
    return nullptr;
}

QByteArray detectedByIcu(const QByteArray &sample)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UCharsetDetector, decltype(&ucsdet_close)> detector(ucsdet_open(&status), &ucsdet_close);
    if (U_FAILURE(status))
        return {};
    ucsdet_setText(detector.get(), sample.constData(), int32_t(sample.size()), &status);
    int32_t count = 0;
    const UCharsetMatch **matches = ucsdet_detectAll(detector.get(), &count, &status);
    if (U_FAILURE(status))
        return {};
    for (int32_t i = 0; i < count; ++i) {
        const char *codec = ansiCodecForDetected(ucsdet_getName(matches[i], &status));
        if (U_FAILURE(status))
            return {};
        // Below this ICU is guessing from a handful of bytes.
        if (ucsdet_getConfidence(matches[i], &status) < 10)
            break;
        if (codec && decodesCleanly(codec, sample))
            return codec;
    }
    return {};
}

} // namespace

const QList<AnsiCodePage> &ansiCodePages()
{
    static const QList<AnsiCodePage> list{
        {1252, "windows-1252", "Western European"},
        {1250, "windows-1250", "Central European"},
        {1251, "windows-1251", "Cyrillic"},
        {1253, "windows-1253", "Greek"},
        {1254, "windows-1254", "Turkish"},
        {1255, "windows-1255", "Hebrew"},
        {1256, "windows-1256", "Arabic"},
        {1257, "windows-1257", "Baltic"},
        {1258, "windows-1258", "Vietnamese"},
        {874, "windows-874", "Thai"},
        {932, "windows-932", "Japanese (Shift-JIS)"},
        {936, "windows-936", "Chinese Simplified (GBK)"},
        {949, "windows-949", "Korean"},
        {950, "windows-950", "Chinese Traditional (Big5)"},
        {65001, "UTF-8", "Unicode (UTF-8)"},
    };
    return list;
}

QString describeCodePage(const QByteArray &codec)
{
    for (const AnsiCodePage &page : ansiCodePages()) {
        if (codec.compare(page.codec, Qt::CaseInsensitive) == 0)
            return QStringLiteral("%1 %2").arg(page.number).arg(QLatin1String(page.caption));
    }
    return QString::fromLatin1(codec);
}

QByteArray detectCodePage(const QByteArray &bytes, const QList<QByteArray> &names, const QString &baseDir,
                          const QByteArray &hint)
{
    const bool hintReadable = !hint.isEmpty() && decodesCleanly(hint.constData(), bytes);
    if (isAscii(bytes))
        return hintReadable ? hint : QByteArray(Western);

    QList<QByteArray> tried;
    for (const QByteArray &name : names) {
        if (!isAscii(name) && !tried.contains(name))
            tried.append(name);
        if (tried.size() == NamesTried)
            break;
    }
    const QByteArray sample = nonAsciiLines(bytes);
    QList<const char *> readable;
    for (const AnsiCodePage &page : ansiCodePages()) {
        if (decodesCleanly(page.codec, sample))
            readable.append(page.codec);
    }

    WindowsPathResolver resolver;
    int best = 0;
    QList<const char *> winners;
    for (const char *codec : readable) {
        const int found = tried.isEmpty() ? 0 : namesFound(codec, tried, baseDir, resolver);
        if (found > best)
            winners.clear();
        if (found >= best && found > 0) {
            best = found;
            winners.append(codec);
        }
    }
    // Several code pages may spell the names alike (é is the same byte in 1250 and 1252).
    const auto among = [&](const QByteArray &codec) {
        return std::any_of(winners.begin(), winners.end(), [&](const char *c) { return codec.compare(c, Qt::CaseInsensitive) == 0; });
    };
    if (!winners.isEmpty()) {
        if (hintReadable && among(hint))
            return hint;
        if (winners.size() > 1) {
            if (const QByteArray guessed = detectedByIcu(sample); !guessed.isEmpty() && among(guessed))
                return guessed;
        }
        return winners.first();
    }
    if (hintReadable)
        return hint;
    if (const QByteArray guessed = detectedByIcu(sample); !guessed.isEmpty())
        return guessed;
    return readable.isEmpty() ? QByteArray(Western) : QByteArray(readable.first());
}

} // namespace vbide
