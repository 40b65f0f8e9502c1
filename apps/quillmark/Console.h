#pragma once

#include "CliExport.h"

#include "platform/common/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QCommandLineParser;

namespace cli {

// Exit statuses of the tool.
inline constexpr int ExitSuccess = 0;
inline constexpr int ExitFailure = 1; // the work failed
inline constexpr int ExitUsage = 2;   // the command line was wrong

// Standard output and error, UTF-8. writeOut flushes and returns false when
// the output could not be written (a full disk, a closed pipe).
QM_CLI_EXPORT bool writeOut(const QByteArray &bytes);
QM_CLI_EXPORT bool writeOut(QByteArrayView bytes);
QM_CLI_EXPORT bool writeOut(const QString &text);
QM_CLI_EXPORT void writeErr(const QString &text);
// Writes the output of a command about file: 0, or 1 after saying it failed.
QM_CLI_EXPORT int writeResult(const QString &file, QByteArrayView bytes);
// "quillmark: FILE: what" (or "quillmark: what" without a file) on standard error; returns 1.
QM_CLI_EXPORT int fail(const QString &file, const QString &what);
QM_CLI_EXPORT int fail(const QString &what);
// A library error already names its file first.
QM_CLI_EXPORT int fail(const qm::Error &error);
// "quillmark: what" on standard error; returns 2.
QM_CLI_EXPORT int usageError(const QString &what);

// Options and positional arguments of one command, parsed by QCommandLineParser:
// "--name" or "-n", "--name=value" for valued options, and "--" ends the options.
// Options are named with their dashes ("--json", "-o"); every command also
// takes "-h"/"--help".
class QM_CLI_EXPORT Arguments {
public:
    Arguments(const QStringList &args, const QStringList &flags, const QStringList &valued);
    ~Arguments();
    Arguments(const Arguments &) = delete;
    Arguments &operator=(const Arguments &) = delete;

    bool ok() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    bool helpRequested() const;
    bool has(const QString &option) const;
    QString value(const QString &option) const;
    const QStringList &positional() const { return m_positional; }

private:
    std::unique_ptr<QCommandLineParser> m_parser;
    QStringList m_positional;
    QString m_error;
};

// Decimal number in qint32.
QM_CLI_EXPORT std::optional<qint32> parseNumber(const QString &text);
// A locale as a decimal ID (1033), a hexadecimal one (0x409) or a tag of the
// shipped locale table (en-US, or a neutral tag such as de).
QM_CLI_EXPORT std::optional<qint32> parseLocale(const QString &text);
// The error text for a LOCALE argument parseLocale refused; what names it ("LOCALE", "--lang").
QM_CLI_EXPORT QString badLocale(const QString &what, const QString &text);

} // namespace cli
