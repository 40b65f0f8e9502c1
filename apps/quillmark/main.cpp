#include "Command.h"
#include "Console.h"

#include <QStringDecoder>

namespace {

const char kToolHelp[] =
    "Usage: quillmark COMMAND [ARGUMENTS]\n"
    "Reads and edits the string tables of Win32 resource files (.res).\n"
    "Texts in arguments and output are UTF-8. Exit status: 0 on success, 1 on any error.\n"
    "\n"
    "Commands:\n";

void printToolHelp()
{
    QString text = QString::fromUtf8(kToolHelp);
    for (const cli::Command *command : cli::commands())
        text += QStringLiteral("  %1%2\n").arg(QString::fromUtf8(command->name).leftJustified(10)).arg(QString::fromUtf8(command->summary));
    text += QStringLiteral("\nRun \"quillmark COMMAND --help\" for a command's arguments.\n");
    cli::writeOut(text);
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString arg = decoder(QByteArrayView(argv[i]));
        if (decoder.hasError())
            return cli::fail(QStringLiteral("argument %1 is not valid UTF-8").arg(i));
        args.append(std::move(arg));
    }
    if (args.isEmpty()) {
        printToolHelp();
        return 1;
    }
    const QString name = args.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        if (!args.isEmpty()) {
            if (const cli::Command *command = cli::findCommand(args.first())) {
                cli::writeOut(QByteArray(command->help));
                return 0;
            }
            return cli::fail(QStringLiteral("unknown command \"%1\" (see quillmark --help)").arg(args.first()));
        }
        printToolHelp();
        return 0;
    }
    const cli::Command *command = cli::findCommand(name);
    if (!command)
        return cli::fail(QStringLiteral("unknown command \"%1\" (see quillmark --help)").arg(name));
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        cli::writeOut(QByteArray(command->help));
        return 0;
    }
    return command->run(args);
}
