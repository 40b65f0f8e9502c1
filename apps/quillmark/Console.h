#pragma once

#include "platform/common/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace cli {

// Standard output and error, UTF-8. writeOut flushes and returns false when
// the output could not be written (a full disk, a closed pipe).
bool writeOut(const QByteArray &bytes);
bool writeOut(QByteArrayView bytes);
bool writeOut(const QString &text);
// Writes the output of a command about file: 0, or 1 after saying it failed.
int writeResult(const QString &file, QByteArrayView bytes);
// "quillmark: FILE: what" (or "quillmark: what" without a file) on standard error; returns 1.
int fail(const QString &file, const QString &what);
int fail(const QString &what);
// A library error already names its file first.
int fail(const qm::Error &error);

// Options and positional arguments of one command. Options are "--name" or
// "-n"; those listed in valued take the next argument as their value.
class Arguments {
public:
    Arguments(const QStringList &args, const QStringList &flags, const QStringList &valued);

    bool ok() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    bool has(const QString &option) const { return m_options.contains(option); }
    QString value(const QString &option) const { return m_options.value(option); }
    const QStringList &positional() const { return m_positional; }

private:
    QHash<QString, QString> m_options;
    QStringList m_positional;
    QString m_error;
};

// Decimal number in qint32; error text names the argument.
std::optional<qint32> parseNumber(const QString &text);

} // namespace cli
