#pragma once

// The ANSI code page a project file was written in. Visual Basic writes .vbp,
// .vbg and their member files in the code page of the Windows it ran on and
// records it nowhere, so only the bytes and the names a file lists tell.

#include <QByteArray>
#include <QList>
#include <QString>

namespace vbide {

struct AnsiCodePage {
    int number;           // 936
    const char *codec;    // "windows-936", a name QStringDecoder knows
    const char *caption;  // "Chinese Simplified (GBK)"
};

// The code pages projects come in, Western first.
const QList<AnsiCodePage> &ansiCodePages();
// "936 Chinese Simplified (GBK)"; the codec name itself for one not in the list.
QString describeCodePage(const QByteArray &codec);

// The codec of a project file. `names` are the file names it lists, as written,
// relative to baseDir. The code page under which most of its non-ASCII names
// exist wins; else `hint` (the code page of the group that lists the project);
// else ICU's charset detection where it names one of ansiCodePages(); else
// windows-1252. Only code pages that read the file without error count.
QByteArray detectCodePage(const QByteArray &bytes, const QList<QByteArray> &names, const QString &baseDir,
                          const QByteArray &hint = {});

} // namespace vbide
