#pragma once

// The editor over projects written for one test: a temporary folder, the
// scripted user, the host's project list and the editor showing a project.
// Test classes derive from it and call setUpEditor()/tearDownEditor() from
// their init()/cleanup() slots.

#include "editor/clsProject.h"
#include "editor/docResourceEditor.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProjects.h"
#include "platform/win32/SftTree.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/testlib/TestEnvironment.h"

#include <QComboBox>
#include <QObject>
#include <QTemporaryDir>

#include <memory>

namespace editortest {

class EditorFixture : public QObject {
protected:
    TestEnvironment m_env;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<User> m_user;
    std::unique_ptr<vbide::VBE> m_vbe;
    std::unique_ptr<docResourceEditor> m_editor;

    void setUpEditor()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_user = std::make_unique<User>();
        m_vbe = std::make_unique<vbide::VBE>();
    }
    void tearDownEditor()
    {
        m_editor.reset();
        m_vbe.reset();
        m_user->verifyNothingUnexpected();
        m_user.reset();
    }

    QString path(const QString &name) const { return QDir(m_dir->path()).filePath(name); }
    win32::SftTree &grid() { return *m_editor->SftTree(); }
    resutil::ResFile &file() { return *m_editor->CurrentProject()->ResourceFile(); }

    // A new editor, width pixels wide, showing the project at listIndex of the project list.
    void open(const QString &name, int listIndex, int width = 900)
    {
        m_editor = std::make_unique<docResourceEditor>();
        m_editor->resize(width, 500);
        m_editor->setVBE(m_vbe.get());
        m_editor->cboProjects()->setCurrentIndex(listIndex);
        m_editor->cboProjects_Click();
        QVERIFY(m_editor->CurrentProject());
        QCOMPARE(m_editor->CurrentProject()->Project()->Name(), name);
    }
    // Adds a project NAME with the given strings and shows it.
    void show(const QList<Entry> &entries, const QString &name = QStringLiteral("P"), int width = 900)
    {
        writeRes(path(name + ".res"), entries);
        writeProject(m_dir->path(), name, name + ".res");
        QVERIFY(m_vbe->VBProjects()->AddFromFile(path(name + ".vbp")));
        open(name, m_vbe->VBProjects()->Count() - 1, width);
    }
    int columnOf(qint32 localeId) const
    {
        for (int i = 0; i <= m_editor->LastLanguage(); ++i)
            if (m_editor->Languages()[i].LocaleID == localeId)
                return m_editor->Languages()[i].Column;
        return -1;
    }
};

} // namespace editortest
