// quill-host [PROJECT.vbp | GROUP.vbg]
// quill-host --register LIBRARY | --unregister LIBRARY

#include "platform/vbide/HostApplication.h"
#include "platform/vbide/HostWindow.h"
#include "platform/vbide/InprocServer.h"
#include "platform/win32/Interaction.h"
#include "platform/win32/RegistryStore.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <cstring>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: quill-host [PROJECT.vbp | GROUP.vbg]\n"
                         "       quill-host --register LIBRARY\n"
                         "       quill-host --unregister LIBRARY\n");
    return 2;
}

int registration(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return usage();
    const QString library = QFileInfo(args[2]).absoluteFilePath();
    const bool registering = args[1] == QLatin1String("--register");
    qm::Status status = registering ? vbide::registerServer(library) : vbide::unregisterServer(library);
    if (!status) {
        std::fprintf(stderr, "quill-host: %s\n", qPrintable(status.errorString()));
        return 1;
    }
    std::printf("%s %s\n", registering ? "Registered" : "Unregistered", qPrintable(library));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 2 && (std::strcmp(argv[1], "--register") == 0 || std::strcmp(argv[1], "--unregister") == 0))
        return registration(argc, argv);

    QApplication app(argc, argv);
    vbide::prepareHostApplication();
    const QStringList args = app.arguments();
    if (args.size() > 2 || (args.size() == 2 && args[1].startsWith(QLatin1String("--"))))
        return usage();

    // Read the settings before anything uses them; a damaged file has been put aside.
    const qm::Status settings = win32::RegistryStore::load();
    vbide::HostWindow host;
    host.show();
    if (!settings)
        win32::interaction().msgBox(settings.errorString(), win32::vbOKOnly | win32::vbExclamation,
                                    QLatin1String(vbide::HostWindow::Title));
    if (args.size() == 2)
        host.openProject(args[1]);
    host.startAddIns();
    return app.exec();
}
