#pragma once

// What a benchmark of the window sets before its QApplication: the offscreen
// platform, and a registry, settings and data folder of its own, so that a run
// neither reads nor changes the user's.

#include <QDir>
#include <QTemporaryDir>
#include <QtGlobal>

struct OffscreenSettings {
    QTemporaryDir folder;
    OffscreenSettings()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("QM_REGISTRY_FILE", QDir(folder.path()).filePath("registry.reg").toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", folder.path().toLocal8Bit());
        qputenv("XDG_DATA_HOME", folder.path().toLocal8Bit());
    }
};
