#include "editor/StringCommands.h"
#include "editor/StringTableModel.h"
#include "editor/clsProject.h"
#include "platform/resutil/ResFile.h"
#include "tests/testlib/TestEnvironment.h"

#include <QUndoStack>
#include <QtTest>

#include <memory>

namespace {
constexpr int kStepName = 765;  // "New String %0"
} // namespace

// The undoable steps on a project's strings: each one does its work on the
// project's table when it is pushed, and undo and redo take the table and the
// collection back and forth.
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
    static std::vector<qint32> rowsOf(const clsProject &project) { return project.Table()->ids(); }
    static QList<qint32> languagesOf(const clsProject &project) { return project.Table()->languages().locales(); }

private slots:
    void everyStepDoesItsWorkWhenPushed()
    {
        auto project = projectWith({{1033, 1, QStringLiteral("One")}});
        QUndoStack &stack = *project->UndoStack();
        stack.push(new NewRowCommand(*project, kStepName, 2));
        stack.push(new NewLanguageCommand(*project, kStepName, 1031, QStringLiteral("German")));
        QCOMPARE(rowsOf(*project), (std::vector<qint32>{1, 2}));
        QCOMPARE(languagesOf(*project), (QList<qint32>{1033, 1031}));
        QCOMPARE(project->Table()->columnCaption(2), QStringLiteral("German"));
        stack.undo();
        QCOMPARE(languagesOf(*project), QList<qint32>{1033});
        stack.undo();
        QCOMPARE(rowsOf(*project), std::vector<qint32>{1});
        stack.redo();
        QCOMPARE(rowsOf(*project), (std::vector<qint32>{1, 2}));
        // Empty rows and languages are the table's, never the file's.
        QCOMPARE(stringsOf(*project), (StringSnapshot{{1033, 1, QStringLiteral("One")}}));
    }

    void aPasteIntoNewRowsTakesThemAwayWhenUndone()
    {
        auto project = projectWith({{1033, 1, QStringLiteral("One")}});
        QUndoStack &stack = *project->UndoStack();
        stack.push(new TextChangeCommand(*project, kStepName, QString(),
                                         {{1033, 5, std::nullopt, QStringLiteral("Five")},
                                          {1036, 5, std::nullopt, QStringLiteral("Cinq")}},
                                         {5}));
        QCOMPARE(rowsOf(*project), (std::vector<qint32>{1, 5}));
        // A language the table had no column for gets one.
        QCOMPARE(languagesOf(*project), (QList<qint32>{1033, 1036}));
        QCOMPARE(project->Table()->cellText(1, 2), QStringLiteral("Cinq"));
        stack.undo();
        QCOMPARE(rowsOf(*project), std::vector<qint32>{1});
        QCOMPARE(stringsOf(*project), (StringSnapshot{{1033, 1, QStringLiteral("One")}}));
    }

    void anImportIsTakenOutByUndoAndPutBackByRedo()
    {
        const StringSnapshot before{{1033, 1, QStringLiteral("One")}, {1031, 1, QStringLiteral("Eins")}};
        const StringSnapshot after{{1033, 1, QStringLiteral("One")}, {1033, 2, QStringLiteral("Two")}};
        // The wizard has written the import into the file when the step is made.
        auto project = projectWith(after);
        // The table was made before the import reached the file.
        project->Table()->removeRow(2);
        project->ResourceFile()->Strings().Add(1033, 2, QStringLiteral("Two"));
        project->UndoStack()->push(new ReplaceStringsCommand(*project, kStepName, QString(), before));
        QCOMPARE(stringsOf(*project), after);
        QCOMPARE(rowsOf(*project), (std::vector<qint32>{1, 2}));
        QCOMPARE(languagesOf(*project), QList<qint32>{1033});
        project->UndoStack()->undo();
        QCOMPARE(stringsOf(*project), before);
        QCOMPARE(rowsOf(*project), std::vector<qint32>{1});
        QCOMPARE(languagesOf(*project), (QList<qint32>{1033, 1031}));
        project->UndoStack()->redo();
        QCOMPARE(stringsOf(*project), after);
        QCOMPARE(rowsOf(*project), (std::vector<qint32>{1, 2}));
    }

    void textChangesAndRemovalsGoBackExactly()
    {
        const StringSnapshot start{{1033, 1, QStringLiteral("One")}, {1031, 1, QStringLiteral("Eins")},
                                   {1033, 2, QStringLiteral("Two")}};
        auto project = projectWith(start);
        QUndoStack &stack = *project->UndoStack();
        stack.push(new TextChangeCommand(*project, kStepName, QString(),
                                         {{1031, 2, std::nullopt, QStringLiteral("Zwei")},
                                          {1033, 1, QStringLiteral("One"), QStringLiteral("First")}}));
        QCOMPARE(project->ResourceFile()->Strings().Find(1031, 2)->Text(), QStringLiteral("Zwei"));
        QCOMPARE(project->ResourceFile()->Strings().Find(1033, 1)->Text(), QStringLiteral("First"));
        auto *removal = new RemoveEntriesCommand(*project, kStepName, QStringLiteral("German"),
                                                 RemoveEntriesCommand::ByLocale, 1031);
        stack.push(removal);
        QVERIFY(removal->ChangesFile());
        QVERIFY(!project->ResourceFile()->Strings().Find(1031, 1));
        QCOMPARE(languagesOf(*project), QList<qint32>{1033});
        stack.undo();
        QCOMPARE(languagesOf(*project), (QList<qint32>{1033, 1031}));
        stack.undo();
        QCOMPARE(stringsOf(*project), start);
        auto *row = new RemoveEntriesCommand(*project, kStepName, QStringLiteral("1"), RemoveEntriesCommand::ByStringId, 1);
        stack.push(row);
        QCOMPARE(rowsOf(*project), std::vector<qint32>{2});
        stack.undo();
        QCOMPARE(rowsOf(*project), (std::vector<qint32>{1, 2}));
        QCOMPARE(stringsOf(*project), start);
        // A language without texts leaves the file as it was.
        auto *empty = new RemoveEntriesCommand(*project, kStepName, QStringLiteral("French"),
                                               RemoveEntriesCommand::ByLocale, 1036);
        stack.push(empty);
        QVERIFY(!empty->ChangesFile());
        QCOMPARE(stringsOf(*project), start);
    }
};

QTEST_MAIN(StringCommandsTest)
#include "string_commands_test.moc"
