#pragma once

#include <QString>
#include <QStringList>

// What the host's command line asks for. Parsed before any application object
// exists, so that --help and --version work without a display.
struct HostCommandLine {
    enum Action { Open, Help, Version, Register, Unregister, UsageError };

    Action action = Open;
    QString argument; // the project to open (may be empty), the library, or the error text

    static HostCommandLine parse(const QStringList &arguments);
};

// The texts the host prints; usage() is the first lines of help().
QString hostHelpText();
QString hostUsageText();
QString hostVersionText();
