#pragma once

// The editor on one or two projects with resource files, for the undo and
// clipboard tests: the real widgets, driven with keys and clicks.

#include "editor/clsProject.h"
#include "editor/docResourceEditor.h"
#include "platform/runtime/LocaleInfo.h"
#include "platform/runtime/RuntimeSupport.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProjects.h"
#include "platform/win32/SftTree.h"
#include "platform/win32/SftTreeCellEditor.h"
#include "support/Globals.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/testlib/EventRounds.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QComboBox>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace undotest {

using editortest::Entry;
constexpr int kEnglish = 2057, kGerman = 1031, kFrench = 1036;

inline void setUILanguage(int id)
{
    const QString name = id == kGerman ? QStringLiteral("German (Germany)") : QStringLiteral("English (United Kingdom)");
    LgvStringModule::SetUILanguage(id, name);
    LgvRuntime::RuntimeSupport support;
    support.SetLanguage(id, name);
}

// Every entry of a collection, in its order: what undo must give back exactly.
inline QList<Entry> entriesOf(const resutil::ResFile &file)
{
    QList<Entry> entries;
    for (const resutil::ResString *entry : file.Strings())
        entries.append({entry->LocaleID(), entry->ID(), entry->Text()});
    return entries;
}

inline bool sameEntries(const QList<Entry> &a, const QList<Entry> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].localeId != b[i].localeId || a[i].id != b[i].id || a[i].text != b[i].text)
            return false;
    }
    return true;
}

class Fixture {
public:
    TestEnvironment env;
    QTemporaryDir dir;
    std::unique_ptr<editortest::User> user = std::make_unique<editortest::User>();
    std::unique_ptr<vbide::VBE> vbe = std::make_unique<vbide::VBE>();
    std::unique_ptr<docResourceEditor> editor;

    QString path(const QString &name) const { return QDir(dir.path()).filePath(name); }
    void addProject(const QString &name, const QList<Entry> &entries)
    {
        editortest::writeRes(path(name + ".res"), entries);
        editortest::writeProject(dir.path(), name, name + ".res");
        QVERIFY(vbe->VBProjects()->AddFromFile(path(name + ".vbp")));
    }
    void open()
    {
        editor = std::make_unique<docResourceEditor>();
        editor->resize(1000, 500);
        editor->setVBE(vbe.get());
        editor->show();
        QVERIFY(testlib::waitForExposed(editor.get()));
    }
    void select(int entry)
    {
        editor->cboProjects()->setCurrentIndex(entry);
        editor->cboProjects_Click();
        QVERIFY(editor->CurrentProject());
    }
    // One project P with the entries, shown.
    void show(const QList<Entry> &entries)
    {
        addProject("P", entries);
        open();
        select(0);
    }
    win32::SftTree &grid() { return *editor->SftTree(); }
    resutil::ResFile &file() { return *editor->CurrentProject()->ResourceFile(); }
    int columnOf(qint32 localeId) const
    {
        for (int i = 0; i <= editor->LastLanguage(); ++i)
            if (editor->Languages()[i].LocaleID == localeId)
                return editor->Languages()[i].Column;
        return -1;
    }
    QString cell(qint32 id, qint32 localeId) { return grid().cellText(grid().findItemData(id), columnOf(localeId)); }
    QList<qint32> rowIds()
    {
        QList<qint32> ids;
        for (int row = 0; row < grid().itemCount(); ++row)
            ids.append(grid().itemData(row));
        return ids;
    }
    // Types a text into a cell through the cell editor and ends it with Enter.
    void type(qint32 id, qint32 localeId, const QString &text)
    {
        const int row = grid().findItemData(id);
        const int column = columnOf(localeId);
        grid().setCurrentCell(row, column);
        grid().setFocus();
        QTest::keyClick(&grid(), Qt::Key_F2);
        QVERIFY(grid().isEditing());
        grid().cellEditor()->selectAll();
        QTest::keyClicks(grid().cellEditor(), text);
        // Enter stores the text, and the cell stays open for more.
        QTest::keyClick(grid().cellEditor(), Qt::Key_Return);
        QCOMPARE(grid().cellText(row, column), text);
        grid().endEdit(false);
    }
    // A text with tabs or line breaks, given to the cell editor whole.
    void enter(qint32 id, qint32 localeId, const QString &text)
    {
        QVERIFY(grid().beginEdit(grid().findItemData(id), columnOf(localeId)));
        grid().cellEditor()->setText(text);
        QVERIFY(grid().endEdit(true));
    }
    void key(QKeySequence sequence)
    {
        grid().setFocus();
        QTest::keySequence(&grid(), sequence);
    }
    bool marked() { return editor->isWindowModified(); }
};

} // namespace undotest
