// Every window of the product, built headless and walked through the
// accessibility layer the way a screen reader or a GUI driver sees it.
#include "addin/Connect.h"
#include "editor/docResourceEditor.h"
#include "excel/frmExcel.h"
#include "languages/ctlLanguageList.h"
#include "languages/frmAddLanguage.h"
#include "languages/frmRemoveLanguage.h"
#include "languages/frmSelectFont.h"
#include "platform/runtime/RuntimeSupport.h"
#include "platform/vbide/AddIn.h"
#include "platform/vbide/AddInManagerDialog.h"
#include "platform/vbide/Addins.h"
#include "platform/vbide/HostWindow.h"
#include "platform/vbide/VBE.h"
#include "platform/win32/HtmlHelp.h"
#include "platform/win32/SftTree.h"
#include "platform/win32/SftTreeCellEditor.h"
#include "support/Globals.h"
#include "support/frmAbout.h"
#include "support/frmError.h"
#include "support/frmProperties.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/testlib/EventRounds.h"
#include "tests/testlib/TestEnvironment.h"
#include "support/LanguageSelect.h"
#include "uistrings/LgvStringModule.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>
#include <set>

extern "C" int DllRegisterServer(void);

using namespace editortest;

namespace {

// One element as assistive technology sees it.
struct Element {
    QString path;     // object names (or class names) from the window down
    QString name;
    QString visible;  // the text drawn for it, where it has one
    QAccessible::Role role = QAccessible::NoRole;
};

QString stripMnemonic(QString text)
{
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    return text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
}

// The text drawn for the element, mnemonic marks included; empty for user data (lists, cells).
QString rawText(QAccessibleInterface *node)
{
    QObject *object = node->object();
    if (auto *action = qobject_cast<QAction *>(object))
        return action->isSeparator() ? QString() : action->text();
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return {};
    // A pop-up menu draws no title; its entry in a menu bar is an action.
    if (qobject_cast<QMenu *>(widget))
        return {};
    if (widget->isWindow())
        return widget->windowTitle();
    // A tool button shows its action's icon text; the menus show the action's text.
    if (auto *button = qobject_cast<QToolButton *>(widget); button && button->defaultAction())
        return button->defaultAction()->iconText();
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    if (auto *box = qobject_cast<QGroupBox *>(widget))
        return box->title();
    return {};
}

// The text a sighted user reads on the element.
QString visibleText(QAccessibleInterface *node)
{
    const QString raw = rawText(node);
    auto *label = qobject_cast<QLabel *>(node->object());
    return label && !label->buddy() ? raw : stripMnemonic(raw);  // a label marks a mnemonic only for its buddy
}

QString segment(QAccessibleInterface *node, int index)
{
    QObject *object = node->object();
    if (!object)
        return QStringLiteral("%1#%2").arg(qAccessibleRoleString(node->role())).arg(index);
    QString name = object->objectName();
    if (name.isEmpty())
        name = QString::fromLatin1(object->metaObject()->className()) + QLatin1Char('#') + QString::number(index);
    return name;
}

bool isItem(QAccessible::Role role)
{
    // Cells and list entries show the user's data; their text is checked per view.
    return role == QAccessible::Cell || role == QAccessible::ListItem || role == QAccessible::TreeItem
        || role == QAccessible::Row || role == QAccessible::RowHeader;
}

// Roles whose elements a screen reader announces by name. A group is
// announced by its title when it has one, so it may go without.
bool needsName(QAccessible::Role role)
{
    static const std::set<QAccessible::Role> roles{
        QAccessible::Window,      QAccessible::Dialog,      QAccessible::MenuBar,       QAccessible::PopupMenu,
        QAccessible::MenuItem,    QAccessible::ToolBar,     QAccessible::PushButton,    QAccessible::CheckBox,
        QAccessible::RadioButton, QAccessible::ComboBox,    QAccessible::EditableText,  QAccessible::List,
        QAccessible::Tree,        QAccessible::Table,       QAccessible::ProgressBar,   QAccessible::PageTab,
        QAccessible::PageTabList, QAccessible::SpinBox,     QAccessible::Slider,        QAccessible::ButtonMenu,
        QAccessible::ButtonDropDown, QAccessible::ColumnHeader, QAccessible::Graphic,
        QAccessible::Link,        QAccessible::Document,    QAccessible::StaticText,    QAccessible::Pane};
    return roles.count(role) > 0;
}

// Qt's own helpers that screen readers present by role alone: scroll bars,
// separators, grips and the inside of scroll areas.
bool isQtInternal(QAccessibleInterface *node)
{
    const QAccessible::Role role = node->role();
    if (role == QAccessible::ScrollBar || role == QAccessible::Separator || role == QAccessible::Grip)
        return true;
    return node->object() && node->object()->objectName().startsWith(QLatin1String("qt_scrollarea_"));
}

// The element's name. On Unix Qt reports a combo box's current text as its
// name and its label through a relation, so the name given to the widget counts.
QString nameOf(QAccessibleInterface *node)
{
    auto *widget = qobject_cast<QWidget *>(node->object());
    if (node->role() == QAccessible::ComboBox && widget && !widget->accessibleName().isEmpty())
        return widget->accessibleName();
    return node->text(QAccessible::Name);
}

// Why the element fails, or nothing when it is fine.
QString problemOf(QAccessibleInterface *node)
{
    if (isQtInternal(node) || isItem(node->role()))
        return {};
    const QString name = nameOf(node);
    auto *widget = qobject_cast<QWidget *>(node->object());
    const bool interactive = widget && widget->focusPolicy() != Qt::NoFocus;
    if (node->role() == QAccessible::NoRole)
        return QStringLiteral("has no role");
    if (node->role() == QAccessible::Client && widget && (interactive || widget->isWindow()))
        return QStringLiteral("has the generic Client role");
    if (node->role() == QAccessible::Client && name.isEmpty() && node->childCount() == 0)
        return QStringLiteral("is an empty element with the generic Client role");
    if (node->role() == QAccessible::StaticText || node->role() == QAccessible::Graphic) {
        auto *label = qobject_cast<QLabel *>(widget);
        const bool shows = !label || !label->text().isEmpty() || !label->pixmap().isNull();
        if (!shows)
            return {};
    }
    if (name.isEmpty() && (needsName(node->role()) || interactive))
        return QStringLiteral("has no name (role %1)").arg(qAccessibleRoleString(node->role()));
    if (node->role() == QAccessible::ColumnHeader && name == QString::number(node->parent()->indexOfChild(node) + 1))
        return QStringLiteral("is a header section with Qt's default number \"%1\" for a name").arg(name);
    if (name != stripMnemonic(name) && name == rawText(node))
        return QStringLiteral("name shows the mnemonic mark: %1").arg(name);
    const QString shown = visibleText(node);
    if (shown.isEmpty() || name.isEmpty())
        return {};
    // A label is read by its name: its text must be heard, in the name or the description.
    if (node->role() == QAccessible::StaticText) {
        if (!name.contains(shown) && !node->text(QAccessible::Description).contains(shown))
            return QStringLiteral("name \"%1\" hides the text shown, \"%2\"").arg(name, shown);
    } else if (!name.contains(shown) && !shown.contains(name)) {
        return QStringLiteral("name \"%1\" differs from the text shown, \"%2\"").arg(name, shown);
    }
    return {};
}

// The accessible tree below a window, visible elements only, with every
// visible widget the tree does not reach (an item view's cell editor, say).
class Audit {
public:
    explicit Audit(QObject *root)
    {
        walkFrom(QAccessible::queryAccessibleInterface(root), QString());
        sweep(root);
        // QM_ACCESSIBILITY_DUMP=1 prints each tree walked, for a look at what a screen reader gets.
        if (qEnvironmentVariableIsSet("QM_ACCESSIBILITY_DUMP")) {
            for (const Element &element : elements)
                qInfo("%s [%s] \"%s\"", qPrintable(element.path), qPrintable(qAccessibleRoleString(element.role)),
                      qPrintable(element.name));
        }
    }

    QList<Element> elements;
    QStringList problems;

    const Element *find(const QString &pathEnd) const
    {
        for (const Element &element : elements) {
            if (element.path.endsWith(pathEnd))
                return &element;
        }
        return nullptr;
    }

private:
    std::set<QAccessible::Id> m_seen;
    std::set<QObject *> m_reached;

    void walkFrom(QAccessibleInterface *node, const QString &parentPath, int index = 0, int depth = 0)
    {
        if (!node || depth > 40)
            return;
        if (!m_seen.insert(QAccessible::uniqueId(node)).second)
            return;
        // The root is walked even while hidden (a menu before it pops up), and
        // a hidden header too: screen readers still read its sections.
        if (depth > 0 && node->state().invisible && node->role() != QAccessible::ColumnHeader)
            return;
        const QString path =
            parentPath.isEmpty() ? segment(node, index) : parentPath + QLatin1Char('/') + segment(node, index);
        if (node->object())
            m_reached.insert(node->object());
        elements.append({path, nameOf(node), visibleText(node), node->role()});
        const QString problem = problemOf(node);
        if (!problem.isEmpty())
            problems.append(path + QStringLiteral(": ") + problem);
        for (int i = 0; i < node->childCount(); ++i)
            walkFrom(node->child(i), path, i, depth + 1);
    }

    void sweep(QObject *root)
    {
        for (QWidget *widget : root->findChildren<QWidget *>()) {
            if (!widget->isVisible() || widget->isWindow() || m_reached.count(widget))
                continue;
            QAccessibleInterface *node = QAccessible::queryAccessibleInterface(widget);
            if (!node || isQtInternal(node))
                continue;
            // Plain containers the tree skips are fine; anything a user acts on is not.
            if (widget->focusPolicy() == Qt::NoFocus && !needsName(node->role()))
                continue;
            walkFrom(node, QStringLiteral("(outside the tree)/") + widget->parentWidget()->objectName());
        }
    }
};

QString report(const Audit &audit)
{
    return audit.problems.isEmpty() ? QString() : QLatin1Char('\n') + audit.problems.join(QLatin1Char('\n'));
}

#define QM_VERIFY_ACCESSIBLE(root)                                                                                   \
    do {                                                                                                             \
        const Audit audit_(root);                                                                                    \
        QVERIFY2(audit_.problems.isEmpty(), qPrintable(report(audit_)));                                             \
    } while (false)

void switchLanguage(int languageId, const char *name)
{
    LgvRuntime::RuntimeSupport support;
    support.SetLanguage(languageId, QString::fromLatin1(name));
}

// Texts whose names must have followed a change of the UI language.
QStringList stuckNames(const Audit &before, const Audit &after)
{
    QStringList stuck;
    for (const Element &old : before.elements) {
        const Element *now = after.find(old.path);
        if (!now || isItem(old.role))
            continue;
        if (old.visible != now->visible && !old.name.isEmpty() && old.name == now->name)
            stuck.append(
                QStringLiteral("%1: still \"%2\" while it shows \"%3\"").arg(old.path, old.name, now->visible));
    }
    return stuck;
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
    TestEnvironment m_env;
    QTemporaryDir m_dir;
    std::unique_ptr<User> m_user;
    std::unique_ptr<vbide::HostWindow> m_host;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    docResourceEditor *editor() const { return EditorInstance; }

    // Runs `command` and walks the dialog it opens, of type Form, while it is shown.
    template<class Form>
    void auditDialog(const std::function<void()> &command, const std::function<void(Form &)> &drive = {})
    {
        bool seen = false;
        m_user->answerDialog([&](QDialog &dialog) {
            auto *form = qobject_cast<Form *>(&dialog);
            if (!form) {
                QTest::qFail(qPrintable(QStringLiteral("unexpected dialog %1").arg(dialog.objectName())), __FILE__,
                             __LINE__);
                return int(QDialog::Rejected);
            }
            seen = true;
            dialog.show();
            [&] {
                QVERIFY2(testlib::waitForExposed(&dialog), qPrintable(dialog.objectName()));
                if (drive)
                    drive(*form);
                else
                    QM_VERIFY_ACCESSIBLE(&dialog);
            }();
            dialog.hide();
            return int(QDialog::Rejected);
        });
        command();
        QVERIFY2(seen, Form::staticMetaObject.className());
    }

    void toolbar(const char *key) { editor()->toolbar_ButtonClick(editor()->toolbarButton(QString::fromLatin1(key))); }

    // Right-click on a cell of the grid: the column menu pops up.
    void rightClick(int row, int column)
    {
        editor()->SftTree_ItemClick(row, column, win32::SftTree::AreaCell, win32::SftTree::RightButton, 0);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QCOMPARE(DllRegisterServer(), 0);
        writeRes(path("A.res"), {{2057, 1, "One"}, {1031, 1, "Eins"}, {2057, 2, "Two"}});
        writeProject(m_dir.path(), QStringLiteral("Alpha"), QStringLiteral("A.res"));
    }

    void init()
    {
        switchLanguage(2057, "English (United Kingdom)");
        m_user = std::make_unique<User>();
        skipLanguageDialog();
        m_host = std::make_unique<vbide::HostWindow>();
        m_host->vbe()->Addins()->Update();
        vbide::AddIn *addIn = m_host->vbe()->Addins()->Item(QString::fromLatin1(Connect::ProgID));
        QVERIFY(addIn);
        const qm::Status connected = addIn->setConnect(true);
        QVERIFY2(connected.ok(), qPrintable(connected.errorString()));
        QVERIFY(m_host->openProject(path(QStringLiteral("Alpha.vbp"))));
        QVERIFY(editor());
        editor()->cboProjects()->setCurrentIndex(0);
        editor()->cboProjects_Click();
        QVERIFY(editor()->CurrentProject());
        m_host->show();
        QVERIFY(testlib::waitForExposed(m_host.get()));
    }

    void cleanup()
    {
        if (QMenu *menu = editor() ? editor()->mnuColumnMenu() : nullptr)
            menu->hide();
        m_user->answerMsgBox(win32::vbNo);  // unsaved edits, if a test made any
        m_host.reset();
        win32::closeHtmlHelp();
        QVERIFY2(m_user->errors.isEmpty(), qPrintable(m_user->errors.join('\n')));
        m_user.reset();
    }

    void hostWindowWithEditor()
    {
        QM_VERIFY_ACCESSIBLE(m_host.get());
        const Audit audit(m_host.get());
        // The docked editor and its parts are reached from the main window.
        for (const char *end : {"/docResourceEditor", "/docResourceEditor/toolbar", "/docResourceEditor/cboProjects",
                                "/docResourceEditor/SftTree", "/projectExplorer"})
            QVERIFY2(audit.find(QString::fromLatin1(end)), end);
        QStringList menus;
        for (const Element &element : audit.elements) {
            if (element.role == QAccessible::MenuItem && element.path.contains(QLatin1String("/menuBar/")))
                menus.append(element.name);
        }
        QCOMPARE(menus, (QStringList{"File", "View", "Strings", "Add-Ins"}));
    }

    void toolbarPositions_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("English") << 2057;
        QTest::newRow("German") << 1031;
    }
    void toolbarPositions()
    {
        QFETCH(int, language);
        switchLanguage(language, "");
        const Audit audit(editor()->toolbar());
        QStringList names;
        for (const Element &element : audit.elements) {
            if (element.role == QAccessible::PushButton)
                names.append(element.name);
        }
        QStringList expected;
        for (int id : {493, 494, 495, 496, 497, 498, 499, 452, 500, 501, 138, 461})
            expected.append(LgvStringModule::lgv_string(id));
        QCOMPARE(names, expected);
        if (language == 2057)
            QCOMPARE(names.first(), QStringLiteral("Read the resource file again"));
        else
            QCOMPARE(names.first(), QStringLiteral("Resourcedatei erneut einlesen"));
    }

    void menus_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::newRow("File") << "mnuFile";
        QTest::newRow("View") << "mnuView";
        QTest::newRow("Strings") << "mnuStrings";
        QTest::newRow("Add-Ins") << "mnuAddIns";
    }
    void menus()
    {
        QFETCH(QString, menu);
        auto *popup = m_host->findChild<QMenu *>(menu);
        QVERIFY(popup);
        popup->popup(m_host->geometry().center());
        QM_VERIFY_ACCESSIBLE(popup);
        const Audit audit(popup);
        int items = 0;
        for (const Element &element : audit.elements)
            items += element.role == QAccessible::MenuItem && !element.name.isEmpty();
        QVERIFY(items >= 2);
        popup->hide();
    }

    void gridCellsAndHeader()
    {
        win32::SftTree *grid = editor()->SftTree();
        QAccessibleInterface *view = QAccessible::queryAccessibleInterface(grid);
        QVERIFY(view);
        QAccessibleTableInterface *table = view->tableInterface();
        QVERIFY(table);
        QCOMPARE(table->columnCount(), grid->columnCount());
        QCOMPARE(table->rowCount(), grid->itemCount());
        // Each header section is named by its caption.
        QStringList headers;
        for (int i = 0; i < view->childCount(); ++i) {
            QAccessibleInterface *child = view->child(i);
            if (child && child->role() == QAccessible::ColumnHeader)
                headers.append(child->text(QAccessible::Name));
        }
        QStringList captions;
        for (int column = 0; column < grid->columnCount(); ++column)
            captions.append(grid->columnCaption(column));
        QCOMPARE(headers, captions);
        QVERIFY(captions.size() >= 3);
        // Every cell reads as its text.
        for (int row = 0; row < grid->itemCount(); ++row) {
            for (int column = 0; column < grid->columnCount(); ++column) {
                QAccessibleInterface *cell = table->cellAt(row, column);
                QVERIFY(cell);
                QCOMPARE(cell->text(QAccessible::Name), grid->cellText(row, column));
            }
        }
    }

    // A drop-down list is named like its box while it is open.
    void openDropDownLists()
    {
        const auto open = [](QComboBox *box, QWidget *window) {
            box->showPopup();
            QM_TRY_VERIFY(box->view()->isVisible());
            QM_VERIFY_ACCESSIBLE(window);
            box->hidePopup();
        };
        open(editor()->cboProjects(), editor());
        auditDialog<frmAddLanguage>([&] { toolbar("addlanguage"); },
                                    [&](frmAddLanguage &form) { open(form.LocaleList->cboSupportedLocales, &form); });
    }

    void narrowEditorShowsTheToolbarOverflow()
    {
        auto *dock = m_host->findChild<QDockWidget *>(QStringLiteral("toolWindow_64BCB040A94711d5BF0A0020182C1E5C"));
        QVERIFY(dock);
        dock->setFloating(true);
        dock->resize(360, 300);
        auto *more = editor()->toolbar()->findChild<QToolButton *>(QStringLiteral("qt_toolbar_ext_button"));
        QVERIFY(more);
        QM_TRY_VERIFY(more->isVisible());
        QM_VERIFY_ACCESSIBLE(dock);
    }

    void cellEditor()
    {
        win32::SftTree *grid = editor()->SftTree();
        editor()->SftTree_ItemClick(0, 1, win32::SftTree::AreaCell, win32::SftTree::LeftButton, 0);
        QVERIFY(grid->isEditing());
        QVERIFY(grid->cellEditor()->isVisible());
        QM_VERIFY_ACCESSIBLE(grid->cellEditor());
        QM_VERIFY_ACCESSIBLE(editor());
        const Audit audit(editor());
        const Element *cell = audit.find(QStringLiteral("/SftTreeCellEditor"));
        QVERIFY(cell);
        QCOMPARE(cell->role, QAccessible::EditableText);
        QCOMPARE(cell->name, QStringLiteral("Cell editor"));
        grid->endEdit(false);
    }

    void columnMenu()
    {
        rightClick(0, 1);
        QMenu *menu = editor()->mnuColumnMenu();
        QVERIFY(menu->isVisible());
        QM_VERIFY_ACCESSIBLE(menu);
        const Audit audit(menu);
        const Element *font = audit.find(QStringLiteral("/mnuChangeFont"));
        QVERIFY(font);
        QVERIFY2(font->name.startsWith(QStringLiteral("Change Font for Language - ")), qPrintable(font->name));
        menu->hide();
    }

    void hostDialogs()
    {
        auditDialog<vbide::AddInManagerDialog>([&] { m_host->showAddInManager(); });
        auditDialog<QInputDialog>([&] { m_host->findChild<QAction *>(QStringLiteral("mnuFileRename"))->trigger(); });
    }

    void editorDialogs()
    {
        auditDialog<frmAbout>([&] { toolbar("info"); });
        auditDialog<frmProperties>([&] { toolbar("properties"); });
        auditDialog<LanguageSelect>([&] { toolbar("switch"); });
        auditDialog<frmAddLanguage>([&] { toolbar("addlanguage"); });
        auditDialog<frmRemoveLanguage>([&] { toolbar("removelanguage"); });
        rightClick(0, 1);
        editor()->mnuColumnMenu()->hide();
        auditDialog<frmSelectFont>([&] { editor()->mnuChangeFont_Click(); });
    }

    void errorReport()
    {
        win32::ScriptedInteraction plain;  // the report itself, not the recording user
        bool seen = false;
        plain.answerDialog([&](QDialog &dialog) {
            seen = true;
            dialog.show();
            [&] { QM_VERIFY_ACCESSIBLE(&dialog); }();
            return int(QDialog::Accepted);
        });
        ShowError(QStringLiteral("cmdOK_Click"), 12, QStringLiteral("Object required"), QStringLiteral("cell B2"));
        QVERIFY(seen);
    }

    void excelWizardPages_data()
    {
        QTest::addColumn<bool>("import");
        QTest::newRow("export") << false;
        QTest::newRow("import") << true;  // reads the workbook the export row wrote
    }
    void excelWizardPages()
    {
        QFETCH(bool, import);
        const QString book = path(QStringLiteral("book.xlsx"));
        QCOMPARE(QFile::exists(book), import);
        auditDialog<frmExcel>([&] { toolbar("excel"); }, [&](frmExcel &form) {
            QStringList problems;
            const auto walk = [&](const char *page) {
                const Audit audit(&form);
                for (const QString &problem : audit.problems)
                    problems.append(QString::fromLatin1(page) + QStringLiteral(": ") + problem);
            };
            walk("direction");
            (import ? form.optImport : form.optExport)->click();
            form.cmdNext->click();
            walk("file name");
            form.txtFilename->setText(book);
            form.cmdNext->click();
            QCOMPARE(form.State().CurrentStep, 2);
            walk("worksheet");
            form.cmdNext->click();
            QCOMPARE(form.State().CurrentStep, 3);
            walk("start");
            if (!import) {
                form.cmdStart->click();
                walk("finished");
            }
            QVERIFY2(problems.isEmpty(), qPrintable(QLatin1Char('\n') + problems.join(QLatin1Char('\n'))));
        });
    }

    void helpWindow()
    {
        win32::HtmlHelpViewer viewer;
        const qm::Status shown = viewer.showTopic(LibraryHelpFilePath(), 0);
        QVERIFY2(shown.ok(), qPrintable(shown.errorString()));
        viewer.show();
        QVERIFY(testlib::waitForExposed(&viewer));
        QM_VERIFY_ACCESSIBLE(&viewer);
    }

    // Names follow the UI language wherever the text shown does.
    void namesFollowTheLanguage()
    {
        const Audit english(m_host.get());
        const QString cellEditor = editor()->SftTree()->cellEditor()->accessibleName();
        switchLanguage(1031, "German (Germany)");
        QVERIFY(editor()->SftTree()->cellEditor()->accessibleName() != cellEditor);
        const Audit german(m_host.get());
        QVERIFY2(german.problems.isEmpty(), qPrintable(report(german)));
        const QStringList stuck = stuckNames(english, german);
        QVERIFY2(stuck.isEmpty(), qPrintable(stuck.join(QLatin1Char('\n'))));
        // Controls named without a text of their own are named in German too.
        for (const char *end : {"/docResourceEditor/cboProjects", "/docResourceEditor/SftTree",
                                "/docResourceEditor/toolbar"}) {
            const Element *before = english.find(QString::fromLatin1(end));
            const Element *after = german.find(QString::fromLatin1(end));
            QVERIFY2(before && after, end);
            QVERIFY2(before->name != after->name,
                     qPrintable(QString::fromLatin1(end) + QStringLiteral(": ") + after->name));
        }
    }

    void dialogNamesFollowTheLanguage_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Add Language") << "addlanguage";
        QTest::newRow("Excel") << "excel";
        QTest::newRow("About") << "info";
    }
    void dialogNamesFollowTheLanguage()
    {
        QFETCH(QString, button);
        m_user->answerDialog([&](QDialog &dialog) {
            dialog.show();
            const Audit english(&dialog);
            switchLanguage(1031, "German (Germany)");
            const Audit german(&dialog);
            const QStringList stuck = stuckNames(english, german);
            [&] {
                QVERIFY2(german.problems.isEmpty(), qPrintable(report(german)));
                QVERIFY2(stuck.isEmpty(), qPrintable(stuck.join(QLatin1Char('\n'))));
                QVERIFY(english.elements.first().name != german.elements.first().name
                        || english.elements.first().visible == german.elements.first().visible);
            }();
            dialog.hide();
            return int(QDialog::Rejected);
        });
        editor()->toolbar_ButtonClick(editor()->toolbarButton(button));
        QVERIFY(m_user->unexpected.isEmpty());
    }
};

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
