#include "Console.h"

#include "platform/win32core/Nls.h"

#include <QCommandLineParser>
#include <QDir>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace cli {

namespace {

// "--json" -> "json", "-o" -> "o".
QString optionName(const QString &option)
{
    qsizetype dashes = 0;
    while (dashes < option.size() && option[dashes] == QLatin1Char('-'))
        ++dashes;
    return option.mid(dashes);
}

QString spelled(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

} // namespace

bool writeOut(const QByteArray &bytes)
{
    return writeOut(QByteArrayView(bytes));
}

bool writeOut(QByteArrayView bytes)
{
    // fwrite must not be given the null data of an empty view.
    const bool written = bytes.isEmpty() || std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout) == std::size_t(bytes.size());
    return std::fflush(stdout) == 0 && written;
}

bool writeOut(const QString &text)
{
    return writeOut(text.toUtf8());
}

void writeErr(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
}

int writeResult(const QString &file, QByteArrayView bytes)
{
    errno = 0;
    if (writeOut(bytes))
        return ExitSuccess;
    const int error = errno;
    return fail(file, QStringLiteral("the output could not be written: %1")
                          .arg(error ? QString::fromLocal8Bit(std::strerror(error)) : QStringLiteral("write error")));
}

int fail(const QString &file, const QString &what)
{
    return fail(QDir::toNativeSeparators(file) + QStringLiteral(": ") + what);
}

int fail(const QString &what)
{
    writeErr(QStringLiteral("quillmark: %1\n").arg(what));
    return ExitFailure;
}

int fail(const qm::Error &error)
{
    return fail(error.message);
}

int usageError(const QString &what)
{
    writeErr(QStringLiteral("quillmark: %1\n").arg(what));
    return ExitUsage;
}

Arguments::Arguments(const QStringList &args, const QStringList &flags, const QStringList &valued)
    : m_parser(std::make_unique<QCommandLineParser>())
{
    m_parser->setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    m_parser->setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    m_parser->addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    for (const QString &flag : flags)
        m_parser->addOption(QCommandLineOption(optionName(flag)));
    for (const QString &option : valued)
        m_parser->addOption(QCommandLineOption(optionName(option), QString(), QStringLiteral("value")));
    // The parser takes the first argument for the program's name.
    if (!m_parser->parse(QStringList{QStringLiteral("quillmark")} + args)) {
        if (const QStringList unknown = m_parser->unknownOptionNames(); !unknown.isEmpty())
            m_error = QStringLiteral("unknown option %1").arg(spelled(unknown.first()));
        else
            m_error = m_parser->errorText();
        return;
    }
    m_positional = m_parser->positionalArguments();
}

Arguments::~Arguments() = default;

bool Arguments::helpRequested() const
{
    return ok() && m_parser->isSet(QStringLiteral("help"));
}

bool Arguments::has(const QString &option) const
{
    return ok() && m_parser->isSet(optionName(option));
}

QString Arguments::value(const QString &option) const
{
    return ok() ? m_parser->value(optionName(option)) : QString();
}

std::optional<qint32> parseNumber(const QString &text)
{
    bool ok = false;
    const qint32 value = text.toInt(&ok, 10);
    if (!ok || text.trimmed() != text)
        return std::nullopt;
    return value;
}

std::optional<qint32> parseLocale(const QString &text)
{
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const QString digits = text.mid(2);
        bool ok = false;
        const uint value = digits.toUInt(&ok, 16);
        if (!ok || digits.isEmpty() || digits.trimmed() != digits || value > uint(std::numeric_limits<qint32>::max()))
            return std::nullopt;
        return qint32(value);
    }
    if (!text.isEmpty() && (text[0].isDigit() || text[0] == QLatin1Char('-')))
        return parseNumber(text);
    QString tag = text;
    tag.replace(QLatin1Char('_'), QLatin1Char('-'));
    const win32::LCID lcid = win32::LocaleNameToLCID(tag, win32::LOCALE_ALLOW_NEUTRAL_NAMES);
    if (lcid == 0)
        return std::nullopt;
    return qint32(lcid);
}

QString badLocale(const QString &what, const QString &text)
{
    return QStringLiteral("%1 \"%2\" is neither a locale ID (1033 or 0x409) nor a known locale tag (en-US)")
        .arg(what, text);
}

} // namespace cli
