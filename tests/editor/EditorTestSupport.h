#pragma once

// Shared by the editor and add-in tests: project files on disk, resource files
// with given strings, and a scripted user that also records error reports.

#include "platform/resutil/ResFile.h"
#include "platform/win32/ScriptedInteraction.h"
#include "support/frmError.h"
#include "support/modUtilRegistry.h"
#include "tests/testlib/TestFiles.h"
#include "support/LanguageSelect.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>

#include <functional>
#include <tuple>

namespace editortest {

struct Entry {
    qint32 localeId;
    qint32 id;
    QString text;
};

// The user: scripted answers, and every error report kept as "Procedure: description".
class User : public win32::ScriptedInteraction {
public:
    QStringList errors;
    // Called for each message box before the scripted answer is taken; may throw.
    std::function<void(const QString &)> onMsgBox;

    int execDialog(QDialog &dialog) override
    {
        if (auto *report = qobject_cast<frmError *>(&dialog)) {
            errors.append(report->lblFunction->text() + QStringLiteral(": ") + report->lblDescription->text());
            return QDialog::Accepted;
        }
        return win32::ScriptedInteraction::execDialog(dialog);
    }
    int msgBox(const QString &prompt, int style, const QString &title) override
    {
        if (onMsgBox)
            onMsgBox(prompt);
        return win32::ScriptedInteraction::msgBox(prompt, style, title);
    }
    // Fails the running test on any error report or question nobody scripted.
    void verifyNothingUnexpected() const
    {
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join('\n')));
    }
};

// A project file named NAME.vbp in dir; with a resource file when resFile is not empty.
inline QString writeProject(const QString &dir, const QString &name, const QString &resFile = QString())
{
    QByteArray text = "Type=Exe\r\nModule=modMain; modMain.bas\r\n";
    if (!resFile.isEmpty())
        text += "ResFile32=\"" + resFile.toLocal8Bit() + "\"\r\n";
    text += "Name=\"" + name.toLocal8Bit() + "\"\r\n";
    const QString path = QDir(dir).filePath(name + QStringLiteral(".vbp"));
    writeFile(QDir(dir).filePath(QStringLiteral("modMain.bas")), "Attribute VB_Name = \"modMain\"\r\n");
    writeFile(path, text);
    return path;
}

inline void writeRes(const QString &path, const QList<Entry> &entries)
{
    resutil::ResFile file;
    file.setFileName(path);
    QVERIFY2(file.Create().ok(), qPrintable(path));
    for (const Entry &entry : entries)
        file.Strings().Add(entry.localeId, entry.id, entry.text);
    const qm::Status saved = file.Save(0);
    QVERIFY2(saved.ok(), qPrintable(saved.errorString()));
}

inline QList<Entry> readRes(const QString &path)
{
    resutil::ResFile file;
    file.setFileName(path);
    QList<Entry> entries;
    if (!file.Load().ok())
        return entries;
    for (const resutil::ResString *entry : file.Strings())
        entries.append({entry->LocaleID(), entry->ID(), entry->Text()});
    return entries;
}

inline QString textIn(const QList<Entry> &entries, qint32 localeId, qint32 id)
{
    for (const Entry &entry : entries) {
        if (entry.localeId == localeId && entry.id == id)
            return entry.text;
    }
    return QStringLiteral("<none>");
}

// The UI language dialog is not shown when the add-in connects.
inline void skipLanguageDialog()
{
    const auto key = OpenOrCreateRegKey(LanguageSelect::SettingsKeyPath);
    AddOrReplaceValue(key, QStringLiteral("ShowDialog"), 0, 4);
}

} // namespace editortest
