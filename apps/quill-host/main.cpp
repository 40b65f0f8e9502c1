// quill-host [PROJECT.vbp | GROUP.vbg | FILE.res]
// quill-host --register LIBRARY | --unregister LIBRARY | --help | --version

#include "HostCommandLine.h"

#include "platform/vbide/BundledAddIns.h"
#include "platform/vbide/HostApplication.h"
#include "platform/vbide/HostWindow.h"
#include "platform/vbide/InprocServer.h"
#include "platform/win32/Interaction.h"
#include "platform/win32core/RegistryStore.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

#include <malloc.h>

namespace {

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

QStringList rawArguments(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

int registration(int argc, char **argv, const HostCommandLine &command)
{
    QCoreApplication app(argc, argv);
    const QString library = QFileInfo(command.argument).absoluteFilePath();
    const bool registering = command.action == HostCommandLine::Register;
    qm::Status status = registering ? vbide::registerServer(library) : vbide::unregisterServer(library);
    if (!status) {
        print(stderr, QStringLiteral("quill-host: %1\n").arg(status.errorString()));
        return 1;
    }
    print(stdout, QStringLiteral("%1 %2\n").arg(registering ? QStringLiteral("Registered") : QStringLiteral("Unregistered"), library));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const HostCommandLine command = HostCommandLine::parse(rawArguments(argc, argv));
    switch (command.action) {
    case HostCommandLine::Help:
        print(stdout, hostHelpText());
        return 0;
    case HostCommandLine::Version:
        print(stdout, hostVersionText());
        return 0;
    case HostCommandLine::UsageError:
        print(stderr, QStringLiteral("quill-host: %1\n").arg(command.argument) + hostUsageText());
        return 2;
    case HostCommandLine::Register:
    case HostCommandLine::Unregister:
        return registration(argc, argv, command);
    case HostCommandLine::Open:
        break;
    }

    // Blocks of 128 KiB and more are mapped on their own, so a table that
    // grows (a project's strings, the grid's rows) gives back each block it
    // outgrows; glibc's rising threshold would keep those in the heap.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    QApplication app(argc, argv);
    vbide::prepareHostApplication();
    QApplication::setDesktopFileName(QStringLiteral(QM_DESKTOP_ID));

    // Read the settings before anything uses them; a damaged file has been put aside.
    const qm::Status settings = win32::RegistryStore::load();
    QStringList warnings;
    if (!settings)
        warnings.append(settings.errorString());
    warnings += vbide::registerBundledAddIns(vbide::bundledAddInFolder(QStringLiteral(QM_ADDIN_FOLDER)));
    vbide::HostWindow host;
    host.show();
    if (!warnings.isEmpty())
        win32::interaction().msgBox(warnings.join(QLatin1Char('\n')), win32::vbOKOnly | win32::vbExclamation,
                                    QLatin1String(vbide::HostWindow::Title));
    if (!command.argument.isEmpty())
        host.openProject(command.argument);
    host.startAddIns();
    return app.exec();
}
