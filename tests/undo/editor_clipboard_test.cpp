#include "editor/TabularText.h"
#include "platform/win32/QtMessageBox.h"
#include "tests/undo/EditorUndoSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMessageBox>
#include <QTimer>
#include <QUndoStack>

using namespace undotest;
using editortest::Entry;

Q_DECLARE_METATYPE(QList<QStringList>)

// Ranges of cells selected in the grid, copied to and pasted from the real
// clipboard as spreadsheets exchange them.
class EditorClipboardTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Fixture> f;

    QUndoStack &stack() { return *f->editor->CurrentProject()->UndoStack(); }
    void activate()
    {
        f->editor->activateWindow();
        QVERIFY(testlib::waitForActive(f->editor.get()));
        f->grid().setFocus();
    }
    void at(qint32 id, int column) { f->grid().setCurrentCell(f->grid().findItemData(id), column); }
    void paste(const QString &text)
    {
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(&f->grid(), Qt::Key_V, Qt::ControlModifier);
    }
    // Three strings in three languages; the file gives the columns in locale
    // order: German (1031), French (1036), English (2057).
    void showTable()
    {
        f->show({{kEnglish, 1, "One"}, {kGerman, 1, "Eins"}, {kFrench, 1, "Un"}, {kEnglish, 2, "Two"},
                 {kGerman, 2, "Zwei"}, {kFrench, 2, "Deux"}, {kEnglish, 3, "Three"}, {kGerman, 3, "Drei"},
                 {kFrench, 3, "Trois"}});
        activate();
    }

private slots:
    void initTestCase()
    {
        ::LocaleInfo = std::make_shared<LgvRuntime::LocaleInfo>();
        editortest::skipLanguageDialog();
    }
    void cleanupTestCase() { ::LocaleInfo.reset(); }
    void init()
    {
        setUILanguage(kEnglish);
        f = std::make_unique<Fixture>();
    }
    void cleanup()
    {
        f->editor.reset();
        if (f->user)
            f->user->verifyNothingUnexpected();
        f.reset();
    }

    void tabularText_data()
    {
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain block") << QList<QStringList>{{"a", "b"}, {"c", "d"}} << "a\tb\nc\td\n";
        QTest::newRow("empty cells") << QList<QStringList>{{"", "b", ""}} << "\tb\t\n";
        QTest::newRow("tab, line breaks and quotes quoted")
            << QList<QStringList>{{"x\ty", "l1\r\nl2", "say \"hi\""}, {"\"", "cr\r", "lf\n"}}
            << "\"x\ty\"\t\"l1\r\nl2\"\t\"say \"\"hi\"\"\"\n\"\"\"\"\t\"cr\r\"\t\"lf\n\"\n";
        QTest::newRow("one empty cell") << QList<QStringList>{{""}} << "\n";
    }
    // What we write reads back as the same cells.
    void tabularText()
    {
        QFETCH(QList<QStringList>, rows);
        QFETCH(QString, text);
        QCOMPARE(ToTabularText(rows), text);
        QCOMPARE(FromTabularText(text), rows);
    }

    void readsWhatOtherProgramsWrite_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::newRow("CR LF lines, no break at the end")
            << "a\tb\r\nc\td" << QList<QStringList>{{"a", "b"}, {"c", "d"}};
        QTest::newRow("a lone quote is a character") << "5\" disk\tx\n" << QList<QStringList>{{"5\" disk", "x"}};
        QTest::newRow("a quote that never closes") << "\"open\tx\ny" << QList<QStringList>{{"\"open", "x"}, {"y"}};
        QTest::newRow("text after a closing quote") << "\"a\"b\tc" << QList<QStringList>{{"ab", "c"}};
        QTest::newRow("ragged rows") << "a\nb\tc\n" << QList<QStringList>{{"a"}, {"b", "c"}};
        QTest::newRow("empty") << "" << QList<QStringList>{};
    }
    void readsWhatOtherProgramsWrite()
    {
        QFETCH(QString, text);
        QFETCH(QList<QStringList>, rows);
        QCOMPARE(FromTabularText(text), rows);
    }

    // Shift and the arrows stretch a range from the current cell; Ctrl+C puts
    // it on the clipboard, header-less, in the columns' shown order.
    void shiftArrowsSelectAndCtrlCCopies()
    {
        showTable();
        f->enter(2, kGerman, "Zwei\tund\r\n\"zwei\"");
        at(1, f->columnOf(kGerman));
        QTest::keyClick(&f->grid(), Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(&f->grid(), Qt::Key_Right, Qt::ShiftModifier);
        const win32::SftTree::CellRange range = f->grid().selectedRange();
        QCOMPARE(range.rows(), 2);
        QCOMPARE(range.columns(), 2);
        QTest::keyClick(&f->grid(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("Eins\tUn\n\"Zwei\tund\r\n\"\"zwei\"\"\"\tDeux\n"));
        // A plain arrow ends the range; the single cell is copied.
        QTest::keyClick(&f->grid(), Qt::Key_Left);
        QCOMPARE(f->grid().selectedRange().columns(), 1);
        QTest::keyClick(&f->grid(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("\"Zwei\tund\r\n\"\"zwei\"\"\"\n"));
        // Moved columns are copied as shown, the ID column with them.
        at(1, f->columnOf(kFrench));
        QTest::keyClick(&f->grid(), Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f->grid().columnOrder(), (QList<int>{0, f->columnOf(kFrench), f->columnOf(kGerman), f->columnOf(kEnglish)}));
        f->grid().selectRange(0, 0, 0, f->columnOf(kGerman));
        QTest::keyClick(&f->grid(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("1\tUn\tEins\n"));
    }

    // A drag from one cell to another, or a Shift+click, selects the block
    // between them instead of editing a cell.
    void mouseSelectsARange()
    {
        showTable();
        QWidget *viewport = f->grid().viewport();
        const auto centre = [this](int row, qint32 locale) {
            return f->grid().visualRect(f->grid().model()->index(row, f->columnOf(locale))).center();
        };
        QTest::mousePress(viewport, Qt::LeftButton, {}, centre(0, kGerman));
        QMouseEvent move(QEvent::MouseMove, centre(2, kFrench), viewport->mapToGlobal(centre(2, kFrench)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, centre(2, kFrench));
        QVERIFY(!f->grid().isEditing());
        win32::SftTree::CellRange range = f->grid().selectedRange();
        QCOMPARE(range.rows(), 3);
        QCOMPARE(range.columns(), 2);
        QCOMPARE(stack().count(), 0);

        f->grid().setCurrentCell(1, f->columnOf(kEnglish));
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, centre(2, kFrench));
        QVERIFY(!f->grid().isEditing());
        range = f->grid().selectedRange();
        QCOMPARE(range.top, 1);
        QCOMPARE(range.rows(), 2);
        QCOMPARE(range.columns(), 2);
    }

    // A block of three rows and two columns from a spreadsheet lands from the
    // current cell on, as one step; undo puts every text back.
    void pasteABlockIsOneStep()
    {
        showTable();
        const QList<Entry> original = entriesOf(f->file());
        at(1, f->columnOf(kGerman));
        paste(QStringLiteral("Eins!\tUn!\r\n\tDeux!\r\n\"Drei\r\nzwei Zeilen\"\tTrois!\r\n"));
        QCOMPARE(f->cell(1, kGerman), QStringLiteral("Eins!"));
        QCOMPARE(f->cell(1, kFrench), QStringLiteral("Un!"));
        QCOMPARE(f->cell(2, kGerman), QString());
        QCOMPARE(f->file().Strings().Find(kGerman, 2)->Text(), QString());
        QCOMPARE(f->cell(3, kGerman), QStringLiteral("Drei\r\nzwei Zeilen"));
        QCOMPARE(f->file().Strings().Find(kFrench, 3)->Text(), QStringLiteral("Trois!"));
        QCOMPARE(f->cell(1, kEnglish), QStringLiteral("One"));
        QCOMPARE(stack().count(), 1);
        QCOMPARE(f->editor->mnuUndo()->text(), QStringLiteral("&Undo Paste"));
        QVERIFY(f->marked());
        // The pasted block is selected.
        QCOMPARE(f->grid().selectedRange().rows(), 3);
        QCOMPARE(f->grid().selectedRange().columns(), 2);
        QTest::keyClick(&f->grid(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(sameEntries(entriesOf(f->file()), original));
        QCOMPARE(f->cell(3, kGerman), QStringLiteral("Drei"));
        QVERIFY(!f->marked());
        // Into cells that had no entry: the entries go again with the undo.
        QVERIFY(f->file().Strings().Remove(f->file().Strings().Find(kFrench, 3)).ok());
        const QList<Entry> withoutOne = entriesOf(f->file());
        at(3, f->columnOf(kFrench));
        paste(QStringLiteral("Trois"));
        QCOMPARE(f->file().Strings().Find(kFrench, 3)->Text(), QStringLiteral("Trois"));
        f->editor->Undo();
        QVERIFY(sameEntries(entriesOf(f->file()), withoutOne));
    }

    // Lines pasted on the Resource ID column name their strings: texts go to
    // those IDs, new IDs become new strings, and no ID is changed.
    void pasteOnTheIdColumnAddressesStringsById()
    {
        showTable();
        const QList<Entry> original = entriesOf(f->file());
        at(1, 0);
        paste(QStringLiteral("3\tDREI\n10\tZehn\tDix\n"));
        QCOMPARE(f->rowIds(), (QList<qint32>{1, 2, 3, 10}));
        QCOMPARE(f->cell(3, kGerman), QStringLiteral("DREI"));
        QCOMPARE(f->cell(3, kFrench), QStringLiteral("Trois"));
        QCOMPARE(f->cell(10, kFrench), QStringLiteral("Dix"));
        QCOMPARE(f->file().Strings().Find(kGerman, 10)->Text(), QStringLiteral("Zehn"));
        QVERIFY(!f->file().Strings().Find(kEnglish, 10));
        f->editor->Undo();
        QCOMPARE(f->rowIds(), (QList<qint32>{1, 2, 3}));
        QVERIFY(sameEntries(entriesOf(f->file()), original));
        f->editor->Redo();
        QCOMPARE(f->rowIds(), (QList<qint32>{1, 2, 3, 10}));
        // What the grid copies from the ID column on pastes back unchanged.
        f->grid().selectRange(0, 0, 3, f->columnOf(kFrench));
        QTest::keyClick(&f->grid(), Qt::Key_C, Qt::ControlModifier);
        const QList<Entry> before = entriesOf(f->file());
        at(2, 0);
        QTest::keyClick(&f->grid(), Qt::Key_V, Qt::ControlModifier);
        QVERIFY(sameEntries(entriesOf(f->file()), before));
        QCOMPARE(stack().count(), 1);  // nothing changed, no step
    }

    void refusedPastesChangeNothing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");  // position as shown
        QTest::addColumn<QString>("message");
        QTest::newRow("past the last language") << "a\tb\tc" << 0 << 2
                                                << "The text to paste is 3 columns wide, but from this cell on the "
                                                   "grid has only 2 columns.";
        QTest::newRow("past the last string")
            << "a\nb\nc" << 1 << 1
            << "The text to paste has 3 rows, but from this cell on the grid has only 2 strings. Paste rows with "
               "their string IDs into the Resource ID column to add strings.";
        QTest::newRow("a word for an ID") << "4\tfour\nfive\tfive" << 0 << 0
                                          << "Row 2 of the text to paste has \"five\" in the Resource ID column, which "
                                             "is not a string ID (a whole number from 0 to 65535).";
        QTest::newRow("an ID a file cannot hold") << "65536\tx" << 0 << 0
                                                  << "Row 1 of the text to paste has \"65536\" in the Resource ID "
                                                     "column, which is not a string ID (a whole number from 0 to 65535).";
        QTest::newRow("an ID twice") << "4\ta\n4\tb" << 0 << 0
                                     << "The text to paste names string ID 4 more than once.";
        QTest::newRow("nothing") << "" << 0 << 1 << "The clipboard holds no text to paste.";
    }
    void refusedPastesChangeNothing()
    {
        QFETCH(QString, text);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, message);
        showTable();
        const QList<Entry> original = entriesOf(f->file());
        f->grid().setCurrentCell(row, f->grid().header()->logicalIndex(column));
        f->user->answerMsgBox(win32::vbOK);
        paste(text);
        QCOMPARE(f->user->messageBoxes.size(), 1);
        QCOMPARE(f->user->messageBoxes[0].prompt, message + QStringLiteral("\nNothing was pasted."));
        QCOMPARE(f->user->messageBoxes[0].style, int(win32::vbExclamation));
        QVERIFY(sameEntries(entriesOf(f->file()), original));
        QCOMPARE(f->rowIds(), (QList<qint32>{1, 2, 3}));
        QCOMPARE(stack().count(), 0);
        QVERIFY(!f->marked());
    }

    // The refusal as the user sees it: a real message box, in German too.
    void refusalIsShownInARealMessageBox()
    {
        showTable();
        f->user.reset();  // the real message boxes from here on
        setUILanguage(kGerman);
        at(1, f->columnOf(kEnglish));
        QString shown;
        QString title;
        QTimer::singleShot(0, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                shown = box->text();
                title = box->windowTitle();
                box->button(QMessageBox::Ok)->click();
            }
        });
        paste(QStringLiteral("a\tb"));
        QCOMPARE(title, QStringLiteral("Quill Resource String Editor"));
        QCOMPARE(shown, QStringLiteral("Der einzufügende Text ist 2 Spalten breit, aber ab dieser Zelle hat die "
                                       "Tabelle nur 1 Spalten.\nEs wurde nichts eingefügt."));
        QCOMPARE(f->cell(1, kEnglish), QStringLiteral("One"));
        setUILanguage(kEnglish);
    }

    // In the cell editor Ctrl+C and Ctrl+V work on the text being typed.
    void cellEditorKeepsItsOwnClipboardKeys()
    {
        showTable();
        QGuiApplication::clipboard()->setText(QStringLiteral("pasted\tinto"));
        at(1, f->columnOf(kEnglish));
        QTest::keyClick(&f->grid(), Qt::Key_F2);
        QVERIFY(f->grid().isEditing());
        QTest::keyClick(f->grid().cellEditor(), Qt::Key_End);
        QTest::keyClick(f->grid().cellEditor(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f->grid().cellEditor()->text(), QStringLiteral("Onepasted\tinto"));
        QCOMPARE(f->cell(1, kGerman), QStringLiteral("Eins"));
        f->grid().endEdit(false);
        QCOMPARE(stack().count(), 0);
    }
};

QTEST_MAIN(EditorClipboardTest)
#include "editor_clipboard_test.moc"
