#include "Console.h"

#include <QDir>
#include <QHash>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace cli {

bool writeOut(const QByteArray &bytes)
{
    return writeOut(QByteArrayView(bytes));
}

bool writeOut(QByteArrayView bytes)
{
    const bool written = std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout) == std::size_t(bytes.size());
    return std::fflush(stdout) == 0 && written;
}

bool writeOut(const QString &text)
{
    return writeOut(text.toUtf8());
}

int writeResult(const QString &file, QByteArrayView bytes)
{
    errno = 0;
    if (writeOut(bytes))
        return 0;
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
    const QByteArray line = QStringLiteral("quillmark: %1\n").arg(what).toUtf8();
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stderr);
    return 1;
}

int fail(const qm::Error &error)
{
    return fail(error.message);
}

Arguments::Arguments(const QStringList &args, const QStringList &flags, const QStringList &valued)
{
    bool onlyPositional = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        const bool negativeNumber = arg.size() > 1 && arg[0] == QLatin1Char('-') && arg[1].isDigit();
        if (onlyPositional || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-") || negativeNumber) {
            m_positional.append(arg);
        } else if (arg == QLatin1String("--")) {
            onlyPositional = true;
        } else if (flags.contains(arg)) {
            m_options.insert(arg, QString());
        } else if (valued.contains(arg)) {
            if (i + 1 >= args.size()) {
                m_error = QStringLiteral("option %1 needs a value").arg(arg);
                return;
            }
            m_options.insert(arg, args[++i]);
        } else {
            m_error = QStringLiteral("unknown option %1 (see --help)").arg(arg);
            return;
        }
    }
}

std::optional<qint32> parseNumber(const QString &text)
{
    bool ok = false;
    const qint32 value = text.toInt(&ok, 10);
    if (!ok || text.trimmed() != text)
        return std::nullopt;
    return value;
}

} // namespace cli
