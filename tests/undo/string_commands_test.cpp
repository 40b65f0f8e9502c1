#include "editor/StringCommands.h"
#include "editor/clsProject.h"
#include "platform/resutil/ResFile.h"
#include "tests/testlib/TestEnvironment.h"

#include <QUndoStack>
#include <QtTest>

#include <memory>

namespace {
// Records what the steps ask the grid to show.
class RecordingView : public StringView {
public:
    QStringList calls;
    void ShowTexts(clsProject &, const std::vector<std::pair<qint32, qint32>> &cells, const QList<qint32> &) override
    {
        calls << QStringLiteral("texts %1").arg(cells.size());
    }
    void ShowAllStrings(clsProject &) override { calls << QStringLiteral("all"); }
    void ShowRow(clsProject &, qint32 id, bool shown) override
    {
        calls << QStringLiteral("row %1 %2").arg(id).arg(shown ? u"shown" : u"gone");
    }
    void ShowLanguage(clsProject &, qint32 localeId, const QString &name, bool shown) override
    {
        calls << QStringLiteral("language %1 %2 %3").arg(localeId).arg(name, shown ? u"shown" : u"gone");
    }
};

constexpr int kStepName = 765;  // "New String %0"
} // namespace

// The undoable steps on a project's strings: each one does its work when it
// is pushed, and undo and redo take the collection back and forth.
class StringCommandsTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment m_env;

    static std::unique_ptr<clsProject> projectWith(const StringSnapshot &records)
    {
        auto project = std::make_unique<clsProject>();
        auto file = std::make_unique<resutil::ResFile>();
        for (const StringRecord &record : records)
            file->Strings().Add(record.localeId, record.id, record.text);
        project->setResourceFile(std::move(file));
        return project;
    }
    static StringSnapshot stringsOf(const clsProject &project) { return TakeSnapshot(project.ResourceFile()->Strings()); }

private slots:
    void everyStepShowsItsWorkWhenPushed()
    {
        auto project = projectWith({{1033, 1, QStringLiteral("One")}});
        RecordingView view;
        QUndoStack &stack = *project->UndoStack();
        stack.push(new NewRowCommand(*project, view, kStepName, 2));
        stack.push(new NewLanguageCommand(*project, view, kStepName, 1031, QStringLiteral("German")));
        QCOMPARE(view.calls, (QStringList{QStringLiteral("row 2 shown"), QStringLiteral("language 1031 German shown")}));
        stack.undo();
        stack.undo();
        stack.redo();
        QCOMPARE(view.calls.mid(2), (QStringList{QStringLiteral("language 1031 German gone"),
                                                 QStringLiteral("row 2 gone"), QStringLiteral("row 2 shown")}));
        QCOMPARE(stringsOf(*project), (StringSnapshot{{1033, 1, QStringLiteral("One")}}));
    }

    void anImportIsTakenOutByUndoAndPutBackByRedo()
    {
        const StringSnapshot before{{1033, 1, QStringLiteral("One")}, {1031, 1, QStringLiteral("Eins")}};
        const StringSnapshot after{{1033, 1, QStringLiteral("One")}, {1033, 2, QStringLiteral("Two")}};
        // The wizard has written the import into the file when the step is made.
        auto project = projectWith(after);
        RecordingView view;
        project->UndoStack()->push(new ReplaceStringsCommand(*project, view, kStepName, QString(), before));
        QCOMPARE(stringsOf(*project), after);
        QVERIFY(view.calls.isEmpty());
        project->UndoStack()->undo();
        QCOMPARE(stringsOf(*project), before);
        project->UndoStack()->redo();
        QCOMPARE(stringsOf(*project), after);
        QCOMPARE(view.calls, (QStringList{QStringLiteral("all"), QStringLiteral("all")}));
    }

    void textChangesAndRemovalsGoBackExactly()
    {
        const StringSnapshot start{{1033, 1, QStringLiteral("One")}, {1031, 1, QStringLiteral("Eins")},
                                   {1033, 2, QStringLiteral("Two")}};
        auto project = projectWith(start);
        RecordingView view;
        QUndoStack &stack = *project->UndoStack();
        stack.push(new TextChangeCommand(*project, view, kStepName, QString(),
                                         {{1031, 2, std::nullopt, QStringLiteral("Zwei")},
                                          {1033, 1, QStringLiteral("One"), QStringLiteral("First")}}));
        QCOMPARE(project->ResourceFile()->Strings().Find(1031, 2)->Text(), QStringLiteral("Zwei"));
        QCOMPARE(project->ResourceFile()->Strings().Find(1033, 1)->Text(), QStringLiteral("First"));
        auto *removal = new RemoveEntriesCommand(*project, view, kStepName, QStringLiteral("German"),
                                                 RemoveEntriesCommand::ByLocale, 1031);
        stack.push(removal);
        QVERIFY(removal->ChangesFile());
        QVERIFY(!project->ResourceFile()->Strings().Find(1031, 1));
        stack.undo();
        stack.undo();
        QCOMPARE(stringsOf(*project), start);
        // A language without texts leaves the file as it was.
        auto *empty = new RemoveEntriesCommand(*project, view, kStepName, QStringLiteral("French"),
                                               RemoveEntriesCommand::ByLocale, 1036);
        stack.push(empty);
        QVERIFY(!empty->ChangesFile());
        QCOMPARE(stringsOf(*project), start);
    }
};

QTEST_MAIN(StringCommandsTest)
#include "string_commands_test.moc"
