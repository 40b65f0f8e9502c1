#include "Tool.h"

#include "Command.h"
#include "Console.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

const char kToolHelp[] =
    "Usage: quillmark COMMAND [ARGUMENTS]\n"
    "       quillmark --help | --version\n"
    "Reads and edits the string tables of Win32 resource files (.res).\n"
    "Texts in arguments and output are UTF-8. A LOCALE is a locale ID in decimal\n"
    "(1033) or hexadecimal (0x409), or a locale tag (en-US). \"--\" ends the options:\n"
    "every argument after it is taken as it is.\n"
    "Exit status: 0 on success, 1 when the work failed, 2 for a wrong command line.\n"
    "(diff and merge, as diff and git's merge drivers do: 1 for a difference or a\n"
    "conflict, 2 for any failure.)\n"
    "\n"
    "Commands:\n";

QString toolHelp()
{
    QString text = QString::fromUtf8(kToolHelp);
    qsizetype width = 0;
    for (const cli::Command *command : cli::commands())
        width = std::max<qsizetype>(width, qstrlen(command->name) + 2);
    for (const cli::Command *command : cli::commands())
        text += QStringLiteral("  %1%2\n").arg(QString::fromUtf8(command->name).leftJustified(width), QString::fromUtf8(command->summary));
    text += QStringLiteral("\nRun \"quillmark COMMAND --help\" for a command's arguments.\n");
    return text;
}

QString versionText()
{
    return QStringLiteral("quillmark %1.%2.%3\n").arg(QM_VERSION_MAJOR).arg(QM_VERSION_MINOR).arg(QM_VERSION_PATCH);
}

int printed(const QString &text)
{
    return cli::writeOut(text) ? cli::ExitSuccess : cli::ExitFailure;
}

} // namespace

int qm_cli_main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString arg = decoder(QByteArrayView(argv[i]));
        if (decoder.hasError())
            return cli::usageError(QStringLiteral("argument %1 is not valid UTF-8").arg(i));
        args.append(std::move(arg));
    }
    if (args.isEmpty()) {
        cli::writeErr(toolHelp());
        return cli::ExitUsage;
    }
    const QString name = args.takeFirst();
    if (name == QLatin1String("--version") || name == QLatin1String("-V"))
        return args.isEmpty() ? printed(versionText()) : cli::usageError(QStringLiteral("--version takes no arguments"));
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        if (args.isEmpty())
            return printed(toolHelp());
        if (const cli::Command *command = cli::findCommand(args.first()))
            return printed(QString::fromUtf8(command->help));
        return cli::usageError(QStringLiteral("unknown command \"%1\" (see quillmark --help)").arg(args.first()));
    }
    const cli::Command *command = cli::findCommand(name);
    if (!command) {
        if (name.startsWith(QLatin1Char('-')))
            return cli::usageError(QStringLiteral("unknown option %1 (see quillmark --help)").arg(name));
        return cli::usageError(QStringLiteral("unknown command \"%1\" (see quillmark --help)").arg(name));
    }
    const cli::Arguments arguments(args, command->flags, command->valued);
    if (!arguments.ok())
        return cli::usageError(QStringLiteral("%1: %2 (see quillmark %1 --help)").arg(QString::fromUtf8(command->name), arguments.error()));
    if (arguments.helpRequested())
        return printed(QString::fromUtf8(command->help));
    return command->run(arguments);
}

const char *qm_cli_tool_help()
{
    static const QByteArray text = toolHelp().toUtf8();
    return text.constData();
}
