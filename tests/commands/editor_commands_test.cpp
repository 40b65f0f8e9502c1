#include "editor/ToolbarIcons.h"
#include "editor/clsProject.h"
#include "editor/docResourceEditor.h"
#include "languages/ctlLanguageList.h"
#include "languages/frmAddLanguage.h"
#include "languages/frmRemoveLanguage.h"
#include "languages/frmSelectFont.h"
#include "languages/modUtilFonts.h"
#include "platform/runtime/LocaleInfo.h"
#include "platform/runtime/RuntimeSupport.h"
#include "platform/vbide/AddIn.h"
#include "platform/vbide/Addins.h"
#include "platform/vbide/InprocServer.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProject.h"
#include "platform/vbide/VBProjects.h"
#include "platform/win32/SftTree.h"
#include "platform/win32/SftTreeCellEditor.h"
#include "support/Globals.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/testlib/EventRounds.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>

using namespace editortest;
using win32::SftTree;

namespace {
constexpr int kEnglish = 2057, kGerman = 1031, kFrench = 1036, kJapanese = 1041;
const QString kTitle = QStringLiteral("Quill Resource String Editor");

void setUILanguage(int id)
{
    const QString name = id == kGerman ? QStringLiteral("German (Germany)") : QStringLiteral("English (United Kingdom)");
    LgvStringModule::SetUILanguage(id, name);
    LgvRuntime::RuntimeSupport support;
    support.SetLanguage(id, name);
}

} // namespace

// The editing commands, the toolbar and the column menu, driven as a user would.
class EditorCommandsTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment m_env;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<User> m_user;
    std::unique_ptr<vbide::VBE> m_vbe;
    std::unique_ptr<docResourceEditor> m_editor;

    QString path(const QString &name) const { return QDir(m_dir->path()).filePath(name); }
    SftTree &grid() { return *m_editor->SftTree(); }
    resutil::ResFile &file() { return *m_editor->CurrentProject()->ResourceFile(); }

    void openEditor()
    {
        m_editor = std::make_unique<docResourceEditor>();
        m_editor->resize(900, 500);
        m_editor->setVBE(m_vbe.get());
    }
    void selectFirstProject()
    {
        m_editor->cboProjects()->setCurrentIndex(0);
        m_editor->cboProjects_Click();
        QVERIFY(m_editor->CurrentProject());
    }
    // A project P with a resource file holding the entries, selected in the editor.
    void show(const QList<Entry> &entries)
    {
        writeRes(path("P.res"), entries);
        writeProject(m_dir->path(), "P", "P.res");
        QVERIFY(m_vbe->VBProjects()->AddFromFile(path("P.vbp")));
        openEditor();
        selectFirstProject();
    }
    void showWithoutFile()
    {
        writeProject(m_dir->path(), "NoRes");
        QVERIFY(m_vbe->VBProjects()->AddFromFile(path("NoRes.vbp")));
        openEditor();
        selectFirstProject();
    }
    void click(const char *key) { m_editor->toolbar_ButtonClick(m_editor->toolbarButton(QString::fromLatin1(key))); }
    QList<qint32> rowIds()
    {
        QList<qint32> ids;
        for (int row = 0; row < grid().itemCount(); ++row)
            ids.append(grid().itemData(row));
        return ids;
    }
    int columnOf(qint32 localeId) const
    {
        for (int i = 0; i <= m_editor->LastLanguage(); ++i)
            if (m_editor->Languages()[i].LocaleID == localeId)
                return m_editor->Languages()[i].Column;
        return -1;
    }
    int rowOf(qint32 id) { return grid().findItemData(id); }
    // The Add Language dialog, answered with a locale (0: leave the preselection, -2: Cancel, -3: close box).
    void answerAddLanguage(int localeId)
    {
        m_user->answerDialog([localeId](QDialog &dialog) {
            auto &form = dynamic_cast<frmAddLanguage &>(dialog);
            if (localeId == -2) {
                form.cmdCancel->click();
            } else if (localeId != -3) {
                if (localeId != 0)
                    form.LocaleList->setLocaleID(localeId);
                form.cmdOK->click();
            }
            return 0;
        });
    }
    void rightClick(int row, int column)
    {
        m_editor->SftTree_ItemClick(row, column, row < 0 ? SftTree::AreaColumnHeader : SftTree::AreaCellText,
                                    SftTree::RightButton, 0);
        m_editor->mnuColumnMenu()->hide();
    }

private slots:
    void initTestCase()
    {
        ::LocaleInfo = std::make_shared<LgvRuntime::LocaleInfo>();
        skipLanguageDialog();
    }
    void cleanupTestCase() { ::LocaleInfo.reset(); }
    void init()
    {
        setUILanguage(kEnglish);
        m_dir = std::make_unique<QTemporaryDir>();
        m_user = std::make_unique<User>();
        m_vbe = std::make_unique<vbide::VBE>();
    }
    void cleanup()
    {
        m_editor.reset();
        m_vbe.reset();
        m_user->verifyNothingUnexpected();
        m_user.reset();
    }

    void buttonStates_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QStringList>("enabled");
        const QStringList always{"properties", "info", "help", "switch"};
        QTest::newRow("no project") << "none" << always;
        QTest::newRow("project without resource file") << "nofile" << (QStringList{"refresh", "new"} + always);
        QTest::newRow("project with resource file")
            << "file"
            << (QStringList{"refresh", "save", "insertstring", "addlanguage", "deletestring", "removelanguage", "excel"} +
                always);
    }
    void buttonStates()
    {
        QFETCH(QString, state);
        QFETCH(QStringList, enabled);
        if (state == QLatin1String("none")) {
            // Two projects: the only one open would be selected.
            writeProject(m_dir->path(), "P");
            writeProject(m_dir->path(), "Q");
            QVERIFY(m_vbe->VBProjects()->AddFromFile(path("P.vbp")));
            QVERIFY(m_vbe->VBProjects()->AddFromFile(path("Q.vbp")));
            openEditor();
        } else if (state == QLatin1String("nofile")) {
            showWithoutFile();
        } else {
            show({{kEnglish, 1, "One"}});
        }
        for (const QString &key : docResourceEditor::ToolbarKeys()) {
            if (key.isEmpty())
                continue;
            QAction *action = m_editor->toolbarButton(key);
            QCOMPARE(action->isEnabled(), enabled.contains(key));
            QVERIFY2(!action->icon().isNull(), qPrintable(key));
        }
    }

    void everyImageIsDrawn()
    {
        const QStringList keys{"refresh", "new", "save", "insertrow", "resourcestring", "deleterow",
                               "deletestringtable", "excel", "properties", "info", "help", "switch"};
        for (const QString &key : keys) {
            const QIcon icon = ToolbarIcon(key);
            QVERIFY2(!icon.isNull(), qPrintable(key));
            // Something is painted, and not the same picture as another key's.
            const QImage image = icon.pixmap(32).toImage();
            int painted = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    painted += image.pixelColor(x, y).alpha() > 0 ? 1 : 0;
            QVERIFY2(painted > 100, qPrintable(key));
            for (const QString &other : keys)
                if (other != key)
                    QVERIFY2(ToolbarIcon(other).pixmap(32).toImage() != image, qPrintable(key + " = " + other));
        }
        QVERIFY(ToolbarIcon(QStringLiteral("nothing")).isNull());
    }

    void newResString_data()
    {
        QTest::addColumn<QList<qint32>>("ids");
        QTest::addColumn<QList<qint32>>("added");
        QTest::addColumn<int>("times");
        QTest::newRow("empty grid") << QList<qint32>{} << QList<qint32>{0} << 1;
        QTest::newRow("after 1, 5, 7") << QList<qint32>{5, 1, 7} << QList<qint32>{8} << 1;
        QTest::newRow("twice in a row") << QList<qint32>{3} << QList<qint32>{4, 5} << 2;
        QTest::newRow("up to 65535") << QList<qint32>{65534} << QList<qint32>{65535} << 1;
    }
    void newResString()
    {
        QFETCH(QList<qint32>, ids);
        QFETCH(QList<qint32>, added);
        QFETCH(int, times);
        QList<Entry> entries;
        for (qint32 id : ids)
            entries.append({kEnglish, id, QStringLiteral("text %1").arg(id)});
        if (entries.isEmpty())
            entries.append({kEnglish, 1, "x"});  // a file with a language, emptied below
        show(entries);
        if (ids.isEmpty()) {
            m_user->answerMsgBox(win32::vbOK);
            grid().selectRow(0);
            click("deletestring");
            QCOMPARE(grid().itemCount(), 0);
        }
        for (int i = 0; i < times; ++i)
            click("insertstring");
        const QList<qint32> shown = rowIds();
        QCOMPARE(shown.mid(shown.size() - added.size()), added);
        for (qint32 id : added) {
            const int row = rowOf(id);
            QCOMPARE(grid().cellText(row, 0), QString::number(id));
            QCOMPARE(grid().cellText(row, 1), QString());
            QCOMPARE(grid().cellFont(row, 1), m_editor->Languages()[0].FontName);
            QVERIFY(!file().Strings().Find(kEnglish, id));
        }
    }

    void newResStringStopsAt65535()
    {
        show({{kEnglish, 65535, "last"}});
        for (const int ui : {kEnglish, kGerman}) {
            setUILanguage(ui);
            m_user->messageBoxes.clear();
            m_user->answerMsgBox(win32::vbOK);
            m_editor->mnuAddResourceString_Click();
            QCOMPARE(rowIds(), QList<qint32>{65535});
            QCOMPARE(m_user->messageBoxes.size(), 1);
            QCOMPARE(m_user->messageBoxes[0].prompt, LgvStringModule::lgv_string(549));
            QCOMPARE(m_user->messageBoxes[0].style, int(win32::vbExclamation));
            QCOMPARE(m_user->messageBoxes[0].title, kTitle);
            QVERIFY(m_user->messageBoxes[0].prompt.contains(QStringLiteral("65535")));
        }
    }

    // The row is selected and its first language cell (as the columns are shown) opened for typing.
    void newStringSelectsItsRowAndOpensItsFirstLanguageCell()
    {
        show({{kEnglish, 1, "One"}, {kGerman, 1, "Eins"}});
        grid().header()->moveSection(grid().header()->visualIndex(columnOf(kEnglish)), 1);
        m_editor->show();
        QVERIFY(testlib::waitForActive(m_editor.get()));
        click("insertstring");
        const int row = rowOf(2);
        QCOMPARE(grid().selectedRow(), row);
        QVERIFY(grid().isEditing());
        QCOMPARE(grid().editRow(), row);
        QCOMPARE(grid().editColumn(), columnOf(kEnglish));
        QCOMPARE(grid().cellEditor()->font().families().value(0), grid().cellFont(row, columnOf(kEnglish)));
        QCOMPARE(QApplication::focusWidget(), grid().cellEditor());
        QTest::keyClicks(grid().cellEditor(), QStringLiteral("Two"));
        QTest::keyClick(grid().cellEditor(), Qt::Key_Return);
        QCOMPARE(file().Strings().Find(kEnglish, 2)->Text(), QStringLiteral("Two"));
        // A second one right away leaves the first row's empty cell as it was.
        click("insertstring");
        QCOMPARE(rowIds(), (QList<qint32>{1, 2, 3}));
        QCOMPARE(grid().editRow(), rowOf(3));
        QVERIFY(!file().Strings().Find(kGerman, 2));
    }

    void anAddedLanguageIsScrolledIntoViewWithItsFirstCellCurrent()
    {
        QList<Entry> entries;
        for (qint32 lcid : {1025, 1031, 1036, 1040, 1043, 2057})
            entries.append({lcid, 1, QStringLiteral("x")});
        entries.append({2057, 2, QStringLiteral("y")});
        show(entries);
        m_editor->show();
        QVERIFY(testlib::waitForExposed(m_editor.get()));
        QCOMPARE(grid().horizontalScrollBar()->value(), 0);
        answerAddLanguage(kJapanese);
        click("addlanguage");
        const int japanese = columnOf(kJapanese);
        QCOMPARE(grid().currentRow(), 0);
        QCOMPARE(grid().currentColumn(), japanese);
        const QRect cell = grid().visualRect(grid().model()->index(0, japanese));
        QVERIFY(grid().horizontalScrollBar()->value() > 0);
        QVERIFY(cell.left() >= grid().header()->sectionSize(0));  // not under the frozen ID column
        QVERIFY(cell.right() <= grid().viewport()->width());
        QVERIFY(grid().hasFocus());
    }

    void newRowWithoutTextIsNotSavedAndGoneAfterRefresh()
    {
        show({{kEnglish, 1, "One"}});
        click("insertstring");
        QCOMPARE(rowIds(), (QList<qint32>{1, 2}));
        click("save");
        QCOMPARE(readRes(path("P.res")).size(), 1);
        click("refresh");
        QCOMPARE(rowIds(), QList<qint32>{1});
    }

    void commandsNeedAResourceFile()
    {
        showWithoutFile();
        for (const char *command : {"save", "insertstring", "addlanguage", "deletestring"})
            click(command);
        m_editor->mnuAddLanguage_Click();
        m_editor->mnuAddResourceString_Click();
        m_editor->mnuRemoveResourceString_Click();
        QVERIFY(m_user->messageBoxes.isEmpty());
        QVERIFY(m_user->fileDialogs.isEmpty());
        QCOMPARE(grid().itemCount(), 1);  // "No Resource file"
    }

    void addLanguage()
    {
        modUtil::StoreLanguageFont(kJapanese, QStringLiteral("Noto Sans CJK JP"));
        show({{kEnglish, 1, "One"}, {kGerman, 1, "Eins"}});
        // Cancel, and the close box: nothing is added.
        answerAddLanguage(-2);
        click("addlanguage");
        answerAddLanguage(-3);
        m_editor->mnuAddLanguage_Click();
        QCOMPARE(m_editor->LanguageCount(), 2);
        // A new language: a column at the right end, in the stored font.
        answerAddLanguage(kJapanese);
        click("addlanguage");
        QCOMPARE(m_editor->LanguageCount(), 3);
        const LanguageColumn &added = m_editor->Languages()[2];
        QCOMPARE(added.LocaleID, kJapanese);
        QCOMPARE(added.LanguageName, QStringLiteral("Japanese (Japan)"));
        QCOMPARE(added.Column, 3);
        QCOMPARE(added.DefaultFont, QStringLiteral("MS GOTHIC"));
        QCOMPARE(added.FontName, QStringLiteral("Noto Sans CJK JP"));
        QCOMPARE(grid().columnCount(), 4);
        QCOMPARE(grid().columnCaption(3), QStringLiteral("Japanese (Japan)"));
        QCOMPARE(grid().cellText(rowOf(1), columnOf(kGerman)), QStringLiteral("Eins"));
        QCOMPARE(grid().cellFont(rowOf(1), 3), QStringLiteral("Noto Sans CJK JP"));
        QVERIFY(m_user->messageBoxes.isEmpty());
        QVERIFY(!file().Changed());
        // Left empty, it is gone after Refresh.
        click("refresh");
        QCOMPARE(m_editor->LanguageCount(), 2);
        QCOMPARE(columnOf(kJapanese), -1);
    }

    void addLanguageRefusals_data()
    {
        QTest::addColumn<int>("localeId");
        QTest::addColumn<int>("stringId");
        QTest::newRow("already used") << kGerman << 512;
        QTest::newRow("nothing selected") << -1 << 550;
    }
    void addLanguageRefusals()
    {
        QFETCH(int, localeId);
        QFETCH(int, stringId);
        show({{kEnglish, 1, "One"}, {kGerman, 1, "Eins"}});
        int selected = 0;
        m_user->answerDialog([localeId, &selected](QDialog &dialog) {
            auto &form = dynamic_cast<frmAddLanguage &>(dialog);
            form.LocaleList->setLocaleID(localeId);
            selected = form.LocaleList->LocaleID();
            form.cmdOK->click();
            return 0;
        });
        m_user->answerMsgBox(win32::vbOK);
        click("addlanguage");
        QCOMPARE(selected, localeId);
        QCOMPARE(m_editor->LanguageCount(), 2);
        QCOMPARE(grid().columnCount(), 3);
        QCOMPARE(m_user->messageBoxes.size(), 1);
        QCOMPARE(m_user->messageBoxes[0].prompt, LgvStringModule::lgv_string(stringId));
        QCOMPARE(m_user->messageBoxes[0].style, int(win32::vbExclamation));
        QCOMPARE(m_user->messageBoxes[0].title, kTitle);
        if (stringId == 512)
            QCOMPARE(m_user->messageBoxes[0].prompt, QStringLiteral("This language is already used."));
    }

    void addLanguageToAFullTable()
    {
        // Eleven languages fill the table exactly (indices 0 to 10).
        const QList<int> locales{1025, 1028, 1029, 1030, 1031, 1032, 1033, 1034, 1035, 1036, 1037};
        QList<Entry> entries;
        for (int locale : locales)
            entries.append({locale, 1, QStringLiteral("t%1").arg(locale)});
        show(entries);
        QCOMPARE(m_editor->LanguageCount(), 11);
        QCOMPARE(m_editor->LanguageTableUpperBound(), 10);
        answerAddLanguage(kJapanese);
        click("addlanguage");
        QCOMPARE(m_editor->LanguageCount(), 12);
        QVERIFY(m_editor->LanguageTableUpperBound() >= 11);
        QCOMPARE(m_editor->Languages()[11].LocaleID, kJapanese);
        QCOMPARE(grid().columnCount(), 13);
        for (int locale : locales)
            QCOMPARE(grid().cellText(rowOf(1), columnOf(locale)), QStringLiteral("t%1").arg(locale));
    }

    void delResString()
    {
        show({{kEnglish, 5, "Five"}, {kGerman, 5, "Fünf"}, {kEnglish, 6, "Six"}});
        // No row selected.
        m_user->answerMsgBox(win32::vbOK);
        click("deletestring");
        QCOMPARE(m_user->messageBoxes.size(), 1);
        QCOMPARE(m_user->messageBoxes[0].prompt, QStringLiteral("No string selected."));
        QCOMPARE(m_user->messageBoxes[0].style, int(win32::vbOKOnly));
        // Cancel leaves everything.
        grid().selectRow(rowOf(5));
        m_user->answerMsgBox(win32::vbCancel);
        m_editor->mnuRemoveResourceString_Click();
        QCOMPARE(m_user->messageBoxes[1].prompt, QStringLiteral("Remove resource string 5"));
        QCOMPARE(m_user->messageBoxes[1].style, int(win32::vbOKCancel));
        QCOMPARE(m_user->messageBoxes[1].title, kTitle);
        QCOMPARE(rowIds(), (QList<qint32>{5, 6}));
        QCOMPARE(file().Strings().Count(), 3);
        // OK removes the row and the string in every language.
        m_user->answerMsgBox(win32::vbOK);
        click("deletestring");
        QCOMPARE(rowIds(), QList<qint32>{6});
        QCOMPARE(file().Strings().Count(), 1);
        QVERIFY(!file().Strings().Find(kGerman, 5));
        QVERIFY(file().Changed());
    }

    void removeLanguageFromToolbar()
    {
        show({{kEnglish, 1, "One"}, {kGerman, 1, "Eins"}, {kGerman, 2, "Zwei"}});
        const int german = columnOf(kGerman) - 1;
        const QStringList names{m_editor->Languages()[0].LanguageName, m_editor->Languages()[1].LanguageName};
        // Cancel changes nothing.
        m_user->answerDialog([](QDialog &dialog) {
            dynamic_cast<frmRemoveLanguage &>(dialog).cmdCancel->click();
            return 0;
        });
        click("removelanguage");
        QCOMPARE(m_editor->LanguageCount(), 2);
        QStringList listed;
        bool okBeforeClick = true;
        m_user->answerDialog([&](QDialog &dialog) {
            auto &form = dynamic_cast<frmRemoveLanguage &>(dialog);
            for (int i = 0; i < form.lstLanguages->count(); ++i)
                listed.append(form.lstLanguages->item(i)->text());
            okBeforeClick = form.cmdOK->isEnabled();
            form.lstLanguages->item(german)->setSelected(true);
            form.cmdOK->click();
            return 0;
        });
        click("removelanguage");
        QCOMPARE(listed, names);
        QVERIFY(!okBeforeClick);
        QVERIFY(m_user->messageBoxes.isEmpty());  // the dialog is the only question
        QCOMPARE(m_editor->LanguageCount(), 1);
        QCOMPARE(columnOf(kGerman), -1);
        QCOMPARE(grid().columnCount(), 2);
        QCOMPARE(file().Languages(), QList<qint32>{kEnglish});
        QCOMPARE(rowIds(), QList<qint32>{1});  // ID 2 existed only in German
    }

    void removeLanguageFromMenu_data()
    {
        QTest::addColumn<int>("ui");
        QTest::addColumn<QString>("question");
        QTest::newRow("English") << kEnglish << "Remove German (Germany) ?";
        QTest::newRow("German") << kGerman << "German (Germany) entfernen ?";
    }
    void removeLanguageFromMenu()
    {
        QFETCH(int, ui);
        QFETCH(QString, question);
        show({{kEnglish, 1, "One"}, {kGerman, 1, "Eins"}});
        setUILanguage(ui);
        rightClick(0, columnOf(kGerman));
        QVERIFY(m_editor->mnuRemoveLanguage()->isEnabled());
        m_user->answerMsgBox(win32::vbCancel);
        m_editor->mnuRemoveLanguage_Click();
        QCOMPARE(m_user->messageBoxes.size(), 1);
        QCOMPARE(m_user->messageBoxes[0].prompt, question);
        QCOMPARE(m_user->messageBoxes[0].style, int(win32::vbOKCancel));
        QCOMPARE(m_editor->LanguageCount(), 2);
        m_user->answerMsgBox(win32::vbOK);
        m_editor->mnuRemoveLanguage_Click();
        QCOMPARE(m_editor->LanguageCount(), 1);
        QCOMPARE(columnOf(kGerman), -1);
        QVERIFY(!file().Strings().Find(kGerman, 1));
        QVERIFY(file().Strings().Find(kEnglish, 1));
    }

    void changeFont_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("sample");
        QTest::newRow("column header") << -1 << "";
        QTest::newRow("a cell") << 1 << "Deux";
    }
    void changeFont()
    {
        QFETCH(int, row);
        QFETCH(QString, sample);
        show({{kEnglish, 1, "One"}, {kFrench, 1, "Un"}, {kFrench, 2, "Deux"}});
        const int french = columnOf(kFrench);
        rightClick(row, french);
        QString seenSample, seenFont, chosen;
        m_user->answerDialog([&](QDialog &dialog) {
            auto &form = dynamic_cast<frmSelectFont &>(dialog);
            seenSample = form.SampleText;
            seenFont = form.SelectedFontName();
            if (form.stFonts->topLevelItemCount() > 0) {
                chosen = form.stFonts->topLevelItem(form.stFonts->topLevelItemCount() - 1)->text(0);
                form.SelectFontRow(chosen);
            }
            form.cmdOK->click();
            return 0;
        });
        m_editor->mnuChangeFont_Click();
        QCOMPARE(seenSample, sample.isEmpty() ? QStringLiteral("Quill Resource String Editor") : sample);
        QVERIFY(!chosen.isEmpty());
        for (int r = 0; r < grid().itemCount(); ++r) {
            QCOMPARE(grid().cellFont(r, french), chosen);
            QVERIFY(grid().cellFont(r, columnOf(kEnglish)) != chosen || chosen == m_editor->Languages()[0].FontName);
        }
        QCOMPARE(modUtil::GetStoredLanguageFont(kFrench, QStringLiteral("none")), chosen);
        // Remembered for the locale: another project shows French in it too.
        click("refresh");
        QCOMPARE(grid().cellFont(0, columnOf(kFrench)), chosen);
    }

    void changeFontCancelKeepsTheFont()
    {
        constexpr int kItalian = 1040;
        show({{kItalian, 1, "Uno"}});
        const QString before = m_editor->Languages()[0].FontName;
        rightClick(0, 1);
        m_user->answerDialog([](QDialog &dialog) {
            dynamic_cast<frmSelectFont &>(dialog).cmdCancel->click();
            return 0;
        });
        m_editor->mnuChangeFont_Click();
        QCOMPARE(grid().cellFont(0, 1), before);
        QCOMPARE(modUtil::GetStoredLanguageFont(kItalian, QStringLiteral("none")), QStringLiteral("none"));
    }

    void newResFile()
    {
        showWithoutFile();
        // Cancel creates nothing.
        m_user->answerFileDialog(QString());
        click("new");
        QCOMPARE(m_user->fileDialogs.size(), 1);
        const win32::FileDialogRequest request = m_user->fileDialogs[0];
        QCOMPARE(request.initialPath, m_dir->path() + QDir::separator() + QStringLiteral("NoRes.res"));
        QCOMPARE(request.title, QStringLiteral("Save resource file as..."));
        QVERIFY(request.confirmOverwrite);
        QCOMPARE(request.filters, (QStringList{"Resource Files (*.res)", "All Files (*.*)"}));
        QVERIFY(!QFile::exists(path("NoRes.res")));
        QVERIFY(!m_editor->CurrentProject()->HasResourceFile());
        // OK creates the file, adds it to the project and shows it.
        m_user->answerFileDialog(path("NoRes.res"));
        click("new");
        QVERIFY(QFile::exists(path("NoRes.res")));
        QVERIFY(m_editor->CurrentProject()->HasResourceFile());
        QVERIFY(!m_editor->toolbarButton("new")->isEnabled());
        QVERIFY(m_editor->toolbarButton("save")->isEnabled());
        QCOMPARE(grid().itemCount(), 0);
        QCOMPARE(grid().columnCount(), 1);
    }

    void saveResFileAndTheHostsResourceEditor_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("connected") << true << true << QStringList{"connected", "disconnected", "connected"};
        QTest::newRow("not connected") << true << false << QStringList{};
        QTest::newRow("not installed") << false << false << QStringList{};
    }
    void saveResFileAndTheHostsResourceEditor()
    {
        QFETCH(bool, installed);
        QFETCH(bool, connected);
        QFETCH(QStringList, log);
        qApp->setProperty("resEditLog", QStringList());
        if (installed)
            QVERIFY(vbide::registerServer(QStringLiteral(QM_FAKE_RESEDIT_LIBRARY)).ok());
        m_vbe->Addins()->Update();
        vbide::AddIn *resEdit = m_vbe->Addins()->Item(QStringLiteral("ResEdit6.Connect"));
        QCOMPARE(resEdit != nullptr, installed);
        if (connected) {
            const qm::Status loaded = resEdit->setConnect(true);
            QVERIFY2(loaded.ok(), qPrintable(loaded.errorString()));
        }
        show({{kEnglish, 1, "One"}});
        file().Strings().Find(kEnglish, 1)->setText(QStringLiteral("Changed"));
        file().SetChanged();
        click("save");
        QCOMPARE(textIn(readRes(path("P.res")), kEnglish, 1), QStringLiteral("Changed"));
        QVERIFY(!file().Changed());
        QCOMPARE(qApp->property("resEditLog").toStringList(), log);
        if (resEdit)
            QCOMPARE(resEdit->Connect(), connected);
        if (installed)
            QVERIFY(vbide::unregisterServer(QStringLiteral(QM_FAKE_RESEDIT_LIBRARY)).ok());
    }

    void failedSaveReloadsTheHostsResourceEditorThenTells()
    {
        qApp->setProperty("resEditLog", QStringList());
        QVERIFY(vbide::registerServer(QStringLiteral(QM_FAKE_RESEDIT_LIBRARY)).ok());
        m_vbe->Addins()->Update();
        vbide::AddIn *resEdit = m_vbe->Addins()->Item(QStringLiteral("ResEdit6.Connect"));
        QVERIFY(resEdit && resEdit->setConnect(true).ok());
        show({{kEnglish, 1, "One"}});
        file().setFileName(path("missing/folder/P.res"));
        file().SetChanged();
        m_user->answerMsgBox(win32::vbOK);
        click("save");
        QCOMPARE(m_user->messageBoxes.size(), 1);
        QVERIFY2(m_user->messageBoxes[0].prompt.startsWith(QStringLiteral("The resource file could not be saved.")),
                 qPrintable(m_user->messageBoxes[0].prompt));
        QVERIFY(resEdit->Connect());
        QCOMPARE(qApp->property("resEditLog").toStringList(), (QStringList{"connected", "disconnected", "connected"}));
        QVERIFY(file().Changed());
        QVERIFY(vbide::unregisterServer(QStringLiteral(QM_FAKE_RESEDIT_LIBRARY)).ok());
    }

    void toolbarDispatch()
    {
        show({{kEnglish, 1, "One"}});
        // Separators and unknown keys do nothing.
        m_editor->toolbar_ButtonClick(m_editor->toolbar()->actions().at(1));
        QAction stranger(QStringLiteral("x"));
        stranger.setData(QStringLiteral("Refresh"));
        m_editor->toolbar_ButtonClick(&stranger);
        m_editor->toolbar_ButtonClick(nullptr);
        QVERIFY(m_user->messageBoxes.isEmpty());
        // The dialogs of the right-hand group.
        QStringList shown;
        const auto record = [&shown](QDialog &dialog) {
            shown.append(dialog.objectName());
            return 0;
        };
        m_user->answerDialog(record);
        click("properties");
        m_user->answerDialog(record);
        click("info");
        m_user->answerDialog(record);
        click("switch");
        QCOMPARE(shown, (QStringList{"frmProperties", "frmAbout", "LanguageSelect"}));
        click("help");
        QCOMPARE(m_user->helpShown.size(), 1);
        QCOMPARE(m_user->helpShown[0].second, 0);
    }

    void windowTextsFollowTheUILanguage()
    {
        show({{kEnglish, 1, "One"}});
        setUILanguage(kGerman);
        QCOMPARE(m_editor->toolbarButton("save")->toolTip(), QStringLiteral("Speichern (Strg+S)"));
        QCOMPARE(m_editor->toolbarButton("refresh")->toolTip(), QStringLiteral("Resourcedatei erneut einlesen (F5)"));
        QCOMPARE(m_editor->toolbarButton("help")->toolTip(), QStringLiteral("Hilfe (F1)"));
        QCOMPARE(m_editor->toolbarButton("save")->text(), QStringLiteral("Resourcedatei &speichern"));
        QCOMPARE(m_editor->mnuAddLanguage()->text(), QStringLiteral("Sprache hinzufügen"));
        QCOMPARE(m_editor->mnuRemoveResourceString()->text(), QStringLiteral("Resource String entfernen"));
        setUILanguage(kEnglish);
        QCOMPARE(m_editor->toolbarButton("save")->toolTip(), QStringLiteral("Save to the resource file (Ctrl+S)"));
        QCOMPARE(m_editor->mnuAddLanguage()->text(), QStringLiteral("Add Language"));
        QCOMPARE(grid().columnCaption(0), QStringLiteral("Resource ID"));
    }
};

QTEST_MAIN(EditorCommandsTest)
#include "editor_commands_test.moc"
