#include "editor/EditorCommands.h"
#include "editor/docResourceEditor.h"
#include "platform/vbide/CommandBar.h"
#include "platform/vbide/CommandBarControls.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QAction>
#include <QMenu>
#include <QSet>
#include <QToolBar>
#include <QtTest>

using LgvStringModule::lgv_string;

namespace {
constexpr int kEnglish = 2057, kGerman = 1031;

// The editor's command table over two plain widgets standing for the editor
// and its grid, none of them shown; triggered commands are recorded.
struct Commands {
    QWidget editor;
    QWidget grid{&editor};
    QStringList ran;
    EditorCommands commands{docResourceEditor::Commands(), editor, grid,
                            [this](const EditorCommand &command, QAction *) { ran << command.key; }};
    QAction *action(EditorCommand::Id id) const { return commands.action(id); }
};

QStringList names(const QList<QAction *> &actions)
{
    QStringList list;
    for (QAction *action : actions)
        list << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    return list;
}
} // namespace

// The one table of the editor's commands: each command made once as one
// action, placed in the toolbar, the menus and the grid's keys from there,
// enabled by what the selected project allows, named in the UI language.
class EditorCommandTableTest : public QObject {
    Q_OBJECT
    TestEnvironment m_env;

private slots:
    void initTestCase()
    {
        LgvStringModule::InitUIStrings();
        LgvStringModule::SetUILanguage(kEnglish, QStringLiteral("English (United Kingdom)"));
    }

    void everyCommandHasOneEntryAndKey()
    {
        QSet<QString> keys;
        QSet<int> ids;
        for (const EditorCommand &command : docResourceEditor::Commands()) {
            QVERIFY2(!keys.contains(command.key), command.key);
            keys.insert(command.key);
            QVERIFY2(command.id == EditorCommand::Unnamed || !ids.contains(command.id), command.key);
            ids.insert(command.id);
            QVERIFY2(command.places != 0, command.key);
            QVERIFY2(command.textId > 0, command.key);
            // A toolbar button shows an image and names itself by its tooltip.
            QCOMPARE(bool(command.places & InToolbar), command.image != nullptr);
            QCOMPARE(bool(command.places & InToolbar), command.tipId != 0);
        }
        for (int id = 0; id < EditorCommand::Unnamed; ++id)
            QVERIFY2(ids.contains(id), qPrintable(QString::number(id)));
    }

    void whatEnablesACommand_data()
    {
        QTest::addColumn<bool>("selected");
        QTest::addColumn<bool>("hasFile");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<QList<bool>>("enabled");  // Project, ProjectWithoutFile, ReadableFile
        QTest::newRow("no project") << false << false << false << QList<bool>{false, false, false};
        QTest::newRow("a project without a file") << true << false << false << QList<bool>{true, true, false};
        QTest::newRow("a file that could not be read") << true << true << false << QList<bool>{true, false, false};
        QTest::newRow("a readable file") << true << true << true << QList<bool>{true, false, true};
    }
    void whatEnablesACommand()
    {
        QFETCH(bool, selected);
        QFETCH(bool, hasFile);
        QFETCH(bool, readable);
        QFETCH(QList<bool>, enabled);
        const ProjectState state{selected, hasFile, readable};
        QCOMPARE(commandEnabled(CommandNeeds::Project, state), enabled[0]);
        QCOMPARE(commandEnabled(CommandNeeds::ProjectWithoutFile, state), enabled[1]);
        QCOMPARE(commandEnabled(CommandNeeds::ReadableFile, state), enabled[2]);
        QVERIFY(commandEnabled(CommandNeeds::Nothing, state));

        Commands c;
        c.commands.updateEnabled(state);
        QCOMPARE(c.action(EditorCommand::Refresh)->isEnabled(), enabled[0]);
        QCOMPARE(c.action(EditorCommand::NewFile)->isEnabled(), enabled[1]);
        for (auto id : {EditorCommand::Save, EditorCommand::NewString, EditorCommand::AddLanguage,
                        EditorCommand::RemoveString, EditorCommand::RemoveLanguage, EditorCommand::Excel})
            QCOMPARE(c.action(id)->isEnabled(), enabled[2]);
        // Never disabled by the project: the dialogs, finding, and the column
        // menu, whose commands test for a file themselves.
        for (auto id : {EditorCommand::Properties, EditorCommand::About, EditorCommand::Help,
                        EditorCommand::ChangeLanguage, EditorCommand::Find, EditorCommand::Copy,
                        EditorCommand::ColumnAddLanguage, EditorCommand::ColumnAddString,
                        EditorCommand::ColumnRemoveString})
            QVERIFY(c.action(id)->isEnabled());
    }

    // One action per command, and the same one wherever it is offered.
    void thePlacesShareTheActions()
    {
        Commands c;
        QToolBar toolbar;
        c.commands.fillToolbar(toolbar);
        QCOMPARE(names(toolbar.actions()),
                 (QStringList{"refresh", "-", "new", "save", "-", "insertstring", "addlanguage", "-", "deletestring",
                              "removelanguage", "-", "excel", "-", "properties", "info", "help", "switch"}));
        QStringList keys = docResourceEditor::ToolbarKeys();
        keys.replaceInStrings(QRegularExpression("^$"), "-");
        QCOMPARE(names(toolbar.actions()), keys);
        QCOMPARE(toolbar.actions()[1]->objectName(), QStringLiteral("separator2"));

        QMenu column;
        c.commands.fillMenu(column, InColumnMenu, QStringLiteral("mnuSep"));
        QCOMPARE(names(column.actions()),
                 (QStringList{"mnuRemoveLanguage", "mnuChangeFont", "mnuUseAsSource", "-", "mnuRemoveResourceString",
                              "-", "mnuAddLanguage", "mnuAddResourceString", "-", "mnuShowUses", "-", "mnuMarkDone",
                              "mnuStringNotes"}));
        QCOMPARE(column.actions()[5]->objectName(), QStringLiteral("mnuSep2"));

        QMenu hostMenu;
        vbide::CommandBar bar(QStringLiteral("Strings"), &hostMenu, nullptr);
        c.commands.fillCommandBar(*bar.Controls());
        QCOMPARE(names(hostMenu.actions()),
                 (QStringList{"mnuUndo", "mnuRedo", "-", "mnuCopy", "mnuPaste", "-", "refresh", "-", "new", "save", "-",
                              "insertstring", "addlanguage", "-", "deletestring", "removelanguage", "-", "excel", "-",
                              "mnuFind", "mnuFindNext", "mnuFindPrevious", "mnuMissingOnly", "mnuSortBy", "-",
                              "properties", "info", "help", "switch", "-", "mnuShowUses", "mnuCheckUnused", "-",
                              "mnuMarkDone", "mnuNextUnfinished", "mnuPreviousUnfinished", "mnuStringNotes", "-",
                              "mnuPretranslate", "-", "mnuCheckSpelling", "mnuCheckWidths", "mnuAddPseudoLanguage"}));
        QVERIFY(hostMenu.actions().contains(toolbar.actions().first()));
        QCOMPARE(c.editor.findChildren<QAction *>(QStringLiteral("save")).size(), 1);
    }

    // A triggered action runs its own command; the grid's Insert and Delete
    // run theirs only while the command is enabled.
    void actionsAndGridKeysRunTheirCommand()
    {
        Commands c;
        c.action(EditorCommand::Help)->trigger();
        c.action(EditorCommand::ColumnAddString)->trigger();
        c.action(EditorCommand::SortBy)->trigger();  // opens its submenu only
        QCOMPARE(c.ran, (QStringList{"help", "mnuAddResourceString"}));

        c.ran.clear();
        QAction *insert = c.commands.gridKey(EditorCommand::NewString);
        QVERIFY(insert);
        QCOMPARE(insert->shortcut(), QKeySequence(Qt::Key_Insert));
        QCOMPARE(insert->shortcutContext(), Qt::WidgetShortcut);
        QVERIFY(c.grid.actions().contains(insert));
        c.commands.updateEnabled({true, true, false});
        insert->trigger();
        QVERIFY(c.ran.isEmpty());
        c.commands.updateEnabled({true, true, true});
        insert->trigger();
        c.commands.gridKey(EditorCommand::RemoveString)->trigger();
        QCOMPARE(c.ran, (QStringList{"insertstring", "deletestring"}));
        QVERIFY(!c.commands.gridKey(EditorCommand::Save));

        // Commands on the grid's cells keep their keys there, off the cell editor.
        QCOMPARE(c.action(EditorCommand::Paste)->parent(), &c.grid);
        QCOMPARE(c.action(EditorCommand::Paste)->shortcutContext(), Qt::WidgetShortcut);
        QVERIFY(c.action(EditorCommand::Paste)->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_V)));
        QCOMPARE(c.action(EditorCommand::Redo)->shortcuts(),
                 (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}));
    }

    // A command no code names still gets its own action, button and dispatch.
    void unnamedCommandsAreEntriesLikeAnyOther()
    {
        static const EditorCommand table[] = {
            {EditorCommand::Unnamed, "first", InToolbar, false, "help", 138, "Help", 612, "&Help",
             QKeySequence::UnknownKey, nullptr, Qt::WidgetWithChildrenShortcut, false, CommandNeeds::ReadableFile,
             false, false, Qt::Key(0), [](docResourceEditor &) {}},
            {EditorCommand::Unnamed, "second", InToolbar | InStringsMenu, true, "info", 501, "About", 611, "&About",
             QKeySequence::UnknownKey, "Ctrl+Alt+I", Qt::WidgetWithChildrenShortcut, false, CommandNeeds::Nothing,
             false, false, Qt::Key(0), [](docResourceEditor &) {}},
        };
        QWidget editor;
        QWidget grid(&editor);
        QStringList ran;
        EditorCommands commands(table, editor, grid, [&](const EditorCommand &command, QAction *) { ran << command.key; });
        QToolBar toolbar;
        commands.fillToolbar(toolbar);
        QCOMPARE(names(toolbar.actions()), (QStringList{"first", "-", "second"}));
        commands.updateEnabled({true, true, false});
        QVERIFY(!toolbar.actions()[0]->isEnabled());
        QVERIFY(toolbar.actions()[2]->isEnabled());
        QVERIFY(editor.actions().contains(toolbar.actions()[2]));  // its key acts in the editor
        QVERIFY(!editor.actions().contains(toolbar.actions()[0]));
        toolbar.actions()[2]->trigger();
        QCOMPARE(ran, QStringList{"second"});
        QCOMPARE(commands.find("second"), &table[1]);
    }

    // Exactly the key a button has is its command; case counts.
    void theDispatchKeyIsExact()
    {
        Commands c;
        QCOMPARE(c.commands.find(QStringLiteral("insertstring"))->id, EditorCommand::NewString);
        QVERIFY(!c.commands.find(QStringLiteral("InsertString")));
        QVERIFY(!c.commands.find(QString()));
        QVERIFY(!c.commands.find(QStringLiteral("insertrow")));  // an image key
    }

    void theTextsFollowTheUILanguage()
    {
        Commands c;
        QAction *save = c.action(EditorCommand::Save);
        QCOMPARE(save->text(), QStringLiteral("&Save Resource File"));
        QCOMPARE(save->iconText(), QStringLiteral("Save to the resource file"));
        LgvStringModule::SetUILanguage(kGerman, QStringLiteral("German (Germany)"));
        c.commands.retranslate();
        const QString germanSave = save->text();
        const QString germanAdd = c.action(EditorCommand::ColumnAddLanguage)->text();
        LgvStringModule::SetUILanguage(kEnglish, QStringLiteral("English (United Kingdom)"));
        QCOMPARE(germanAdd, QStringLiteral("Sprache hinzufügen"));
        QVERIFY(germanSave != QStringLiteral("&Save Resource File"));
        QCOMPARE(save->statusTip(), save->iconText());
        QVERIFY(save->toolTip().startsWith(save->iconText()));
        QVERIFY(save->toolTip().contains(QLatin1String("S")));  // with its key
        c.commands.retranslate();
        for (const EditorCommand &command : c.commands.table())
            QCOMPARE(c.commands.action(command)->text(), lgv_string(command.textId));
        QVERIFY(!c.commands.action(EditorCommand::Unnamed));
    }
};

QTEST_MAIN(EditorCommandTableTest)
#include "editor_command_table_test.moc"
