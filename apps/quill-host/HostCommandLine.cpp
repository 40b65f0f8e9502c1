#include "HostCommandLine.h"

#include <QCommandLineParser>

namespace {

// Options Qt's GUI application takes for itself (QGuiApplication, QApplication);
// it removes them from the arguments, they must not be refused here.
const char *const kQtValueOptions[] = {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                                       "geometry", "qwindowtitle", "title", "qwindowicon", "icon", "style",
                                       "stylesheet", "session", "display", "name", "qmljsdebugger"};
const char *const kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

} // namespace

HostCommandLine HostCommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    // Qt's own options are spelled with one dash (-platform offscreen).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption registerOption(QStringLiteral("register"), QString(), QStringLiteral("library"));
    const QCommandLineOption unregisterOption(QStringLiteral("unregister"), QString(), QStringLiteral("library"));
    parser.addOptions({help, version, registerOption, unregisterOption});
    for (const char *name : kQtValueOptions)
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
    for (const char *name : kQtFlags)
        parser.addOption(QCommandLineOption(QString::fromLatin1(name)));

    HostCommandLine result;
    if (!parser.parse(QStringList{QStringLiteral("quill-host")} + arguments)) {
        result.action = UsageError;
        const QStringList unknown = parser.unknownOptionNames();
        result.argument = unknown.isEmpty() ? parser.errorText()
                                            : QStringLiteral("unknown option %1%2")
                                                  .arg(unknown.first().size() == 1 ? QStringLiteral("-") : QStringLiteral("--"),
                                                       unknown.first());
        return result;
    }
    const QStringList positional = parser.positionalArguments();
    const bool registering = parser.isSet(registerOption);
    const bool unregistering = parser.isSet(unregisterOption);
    if (parser.isSet(help)) {
        result.action = Help;
    } else if (parser.isSet(version)) {
        result.action = Version;
    } else if (registering || unregistering) {
        if (registering && unregistering) {
            result.action = UsageError;
            result.argument = QStringLiteral("--register and --unregister cannot be combined");
        } else if (!positional.isEmpty()) {
            result.action = UsageError;
            result.argument = QStringLiteral("--%1 takes one library and nothing else")
                                  .arg(registering ? QStringLiteral("register") : QStringLiteral("unregister"));
        } else {
            result.action = registering ? Register : Unregister;
            result.argument = parser.value(registering ? registerOption : unregisterOption);
        }
    } else if (positional.size() > 1) {
        result.action = UsageError;
        result.argument = QStringLiteral("only one project can be opened");
    } else {
        result.argument = positional.value(0);
    }
    return result;
}

QString hostUsageText()
{
    return QStringLiteral("Usage: quill-host [PROJECT.vbp | GROUP.vbg | FILE.res]\n"
                          "       quill-host --register LIBRARY | --unregister LIBRARY\n"
                          "       quill-host --help | --version\n");
}

QString hostHelpText()
{
    return hostUsageText()
         + QStringLiteral(
               "Opens the stand-in Visual Basic 6 IDE, with the project, group or resource file\n"
               "given, and starts the add-ins registered to load at start-up. The add-ins\n"
               "installed with the host (the Quill Resource String Editor) are registered\n"
               "for the user at the first start.\n"
               "\n"
               "Options:\n"
               "  --register LIBRARY    register the add-in LIBRARY for this user and exit\n"
               "  --unregister LIBRARY  remove the registration of LIBRARY and exit\n"
               "  -h, --help            show this help and exit\n"
               "  -v, --version         show the version and exit\n"
               "  --                    ends the options (quill-host -- -name.vbp)\n"
               "\n"
               "Qt's options (-platform, -style, -display, ...) are taken as well.\n"
               "Settings: ~/.config/quillmark/registry.reg, or the file QM_REGISTRY_FILE names.\n"
               "Exit status: 0 on success, 1 when the work failed, 2 for a wrong command line.\n");
}

QString hostVersionText()
{
    return QStringLiteral("quill-host " QM_VERSION_TEXT "\n");
}
