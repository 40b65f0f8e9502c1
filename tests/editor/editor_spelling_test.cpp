#include "editor/EditorCommands.h"
#include "editor/PseudoLanguageDialog.h"
#include "editor/StringNotesDialog.h"
#include "editor/StringTableModel.h"
#include "fit/WidthFactorSetting.h"
#include "pseudo/PseudoLocale.h"
#include "spelling/DictionaryFolders.h"
#include "tests/editor/EditorFixture.h"
#include "tests/testlib/EventRounds.h"

#include <QAction>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QUndoStack>
#include <QtTest>

#include <cmath>

using namespace editortest;
using win32::SftTree;

namespace {
// fonts-dejavu-core and fonts-noto-cjk, from scripts/install-deps.sh.
const QString kNarrowLatin = QStringLiteral("DejaVu Sans Condensed");
const QString kWideCjk = QStringLiteral("Noto Sans CJK JP");

QStringList wordsOf(const QList<spelling::Word> &words)
{
    QStringList out;
    for (const spelling::Word &word : words)
        out << word.word;
    return out;
}

// Pixels of the grab inside rect drawn in the underline's red.
int redPixels(const QImage &image, const QRect &rect)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom() + 1; ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.red() > 150 && c.green() < 110 && c.blue() < 110 ? 1 : 0;
        }
    return count;
}
} // namespace

// Spelling, width and end punctuation in the editor's grid, and the
// pseudo-locales it adds: words underlined per the rules that leave words
// alone, the cell menu's suggestions as an undo step, the user's dictionary,
// languages without one, widths in the columns' fonts, and a pseudo-locale
// column added, undone and written to the file.
class EditorSpellingTest : public EditorFixture {
    Q_OBJECT
private:
    int row(qint32 id) { return grid().findItemData(id); }
    QModelIndex cell(qint32 id, qint32 localeId) { return grid().model()->index(row(id), columnOf(localeId)); }
    QStringList misspelt(qint32 id, qint32 localeId) { return wordsOf(m_editor->MisspeltWords(row(id), columnOf(localeId), true)); }
    QString problems(qint32 id, qint32 localeId) { return m_editor->CellProblems(row(id), columnOf(localeId)); }
    QAction *spellingItem(const QString &name)
    {
        for (QAction *item : m_editor->SpellingMenuItems())
            if (item->objectName() == name)
                return item;
        return nullptr;
    }
    QAction *suggestion(const QString &text)
    {
        for (QAction *item : m_editor->SpellingMenuItems())
            if (item->objectName().startsWith(QStringLiteral("mnuSuggestion")) && item->text() == text)
                return item;
        return nullptr;
    }
    void openCellMenu(qint32 id, qint32 localeId)
    {
        m_editor->SftTree_ItemClick(row(id), columnOf(localeId), SftTree::AreaCellText, SftTree::RightButton, 0);
    }
    void closeCellMenu() { m_editor->mnuColumnMenu()->hide(); }
    QString textOf(qint32 localeId, qint32 id) { return file().Strings().TextOf(localeId, id); }

private slots:
    void initTestCase()
    {
        if (spelling::dictionaryPath(1031, spelling::dictionaryFolders()).isEmpty())
            QFAIL("The German dictionary is not installed (hunspell-de-de, see scripts/install-deps.sh)");
        for (const QString &family : {kNarrowLatin, kWideCjk})
            if (!QFontDatabase::families().contains(family))
                QFAIL(qPrintable(family + QStringLiteral(" is not installed (see scripts/install-deps.sh)")));
    }
    void init() { setUpEditor(); }
    void cleanup() { tearDownEditor(); }

    void wordsLeftAloneAreNeverUnderlined()
    {
        show({{2057, 1, "Open Quillmark"}, {1031, 1, "Quillmark &Dattei %1 öffnen"},
              {2057, 2, "{0} HTML window"}, {1031, 2, "{0} HTML Fenstr"},
              {2057, 3, "Save"}, {1031, 3, "Speichern"},
              {2057, 4, "Windows and windows and windows and windows and window"},
              {1031, 4, "Fenster und Fenster und Fenster und Fenster und Fenstr"}});
        // A name the source holds, an access key's word, a placeholder.
        QCOMPARE(misspelt(1, 1031), QStringList{QStringLiteral("Dattei")});
        QCOMPARE(misspelt(2, 1031), QStringList{QStringLiteral("Fenstr")});
        QCOMPARE(misspelt(3, 1031), QStringList());
        // The source is checked too, without a source to lend it words.
        QCOMPARE(misspelt(1, 2057), QStringList{QStringLiteral("Quillmark")});

        const QList<win32::TextRange> ranges =
            cell(1, 1031).data(win32::SftTreeSource::UnderlinedRangesRole).value<QList<win32::TextRange>>();
        QCOMPARE(ranges, (QList<win32::TextRange>{{10, 7}}));  // "&Dattei", the & included
        QVERIFY(cell(1, 1031).data(Qt::AccessibleDescriptionRole).toString().endsWith(QStringLiteral("\nMisspelt: Dattei")));
        QCOMPARE(cell(2, 1031).data(Qt::AccessibleDescriptionRole).toString(), QStringLiteral("Misspelt: Fenstr"));
        QVERIFY(!cell(3, 1031).data(win32::SftTreeSource::UnderlinedRangesRole).isValid());

        // The wave lies under the word as drawn, and is painted there in red;
        // a word the cell cuts off gets none.
        m_editor->show();
        QVERIFY(testlib::waitForExposed(m_editor.get()));
        const QList<QRect> under = grid().underlineRects(row(2), columnOf(1031));
        QCOMPARE(under.size(), 1);
        QCOMPARE(misspelt(4, 1031), QStringList{QStringLiteral("Fenstr")});
        QVERIFY(grid().underlineRects(row(4), columnOf(1031)).isEmpty());
        const QRect cellRect = grid().visualRect(grid().viewIndex(row(2), columnOf(1031)));
        QVERIFY(cellRect.contains(under.first().center()));
        const QFont font = grid().source().fontOf(grid().cellFont(row(2), columnOf(1031)));
        const QFontMetricsF metrics(font);
        QVERIFY(std::abs(under.first().width() - metrics.horizontalAdvance(QStringLiteral("Fenstr"))) <= 3);
        QVERIFY(std::abs(under.first().left() - cellRect.left() -
                         metrics.horizontalAdvance(QStringLiteral("{0} HTML "))) <= 6);
        const QImage shot = grid().viewport()->grab().toImage();
        QVERIFY(redPixels(shot, under.first()) >= under.first().width() / 2);
        QCOMPARE(redPixels(shot, under.first().translated(0, grid().visualRect(grid().viewIndex(row(3), 1)).top() - grid().visualRect(grid().viewIndex(row(2), 1)).top())), 0);

        // Off, nothing is underlined; the choice is kept for the next editor.
        m_editor->mnuCheckSpelling()->trigger();
        QVERIFY(!m_editor->CheckSpelling());
        QCOMPARE(misspelt(1, 1031), QStringList());
        QVERIFY(grid().underlineRects(row(2), columnOf(1031)).isEmpty());
        open(QStringLiteral("P"), 0);
        QVERIFY(!m_editor->CheckSpelling());
        QVERIFY(!m_editor->mnuCheckSpelling()->isChecked());
        m_editor->SetCheckSpelling(true);
        QCOMPARE(misspelt(2, 1031), QStringList{QStringLiteral("Fenstr")});
    }

    void aLanguageWithoutDictionaryIsNamedOnce()
    {
        show({{2057, 1, "Thailand"}, {1054, 1, "ประเทศไทยยย"}, {1031, 1, "Thailandd"}});
        const QString thai = m_editor->Languages()[m_editor->Languages().indexOfColumn(columnOf(1054))].LanguageName;
        QCOMPARE(m_editor->SpellingStatus(), QStringLiteral("No dictionary for ") + thai);
        QCOMPARE(misspelt(1, 1054), QStringList());
        QCOMPARE(misspelt(1, 1031), QStringList{QStringLiteral("Thailandd")});

        // Another project with Thai and Hindi names only what was not named before.
        writeRes(path("Q.res"), {{2057, 1, "India"}, {1054, 1, "อินเดีย"}, {1081, 1, "भारतत"}});
        writeProject(m_dir->path(), QStringLiteral("Q"), QStringLiteral("Q.res"));
        QVERIFY(m_vbe->VBProjects()->AddFromFile(path("Q.vbp")));
        m_editor->cboProjects()->setCurrentIndex(1);
        m_editor->cboProjects_Click();
        const QString hindi = m_editor->Languages()[m_editor->Languages().indexOfColumn(columnOf(1081))].LanguageName;
        QCOMPARE(m_editor->SpellingStatus(), QStringLiteral("No dictionary for ") + hindi);
        QCOMPARE(misspelt(1, 1081), QStringList());
        m_editor->cboProjects()->setCurrentIndex(0);
        m_editor->cboProjects_Click();
        QCOMPARE(m_editor->SpellingStatus(), QStringLiteral("No dictionary for ") + hindi);
    }

    void aSuggestionReplacesTheWordAsOneStep()
    {
        show({{2057, 1, "Open file"}, {1031, 1, "&Dattei öffnen"}, {2057, 2, "Folder order"}, {1031, 2, "Ordnr Dattei"}});
        QUndoStack *stack = m_editor->CurrentProject()->UndoStack();
        openCellMenu(1, 1031);
        QVERIFY(m_editor->mnuColumnMenu()->isVisible());
        QCOMPARE(m_editor->mnuColumnMenu()->actions().first(), m_editor->SpellingMenuItems().first());
        QAction *datei = suggestion(QStringLiteral("Datei"));
        QVERIFY(datei);
        QCOMPARE(spellingItem(QStringLiteral("mnuAddToDictionary"))->text(), QStringLiteral("Add \"Dattei\" to Dictionary"));
        closeCellMenu();
        datei->trigger();
        // The access key stays where it was.
        QCOMPARE(textOf(1031, 1), QStringLiteral("&Datei öffnen"));
        QCOMPARE(stack->count(), 1);
        QCOMPARE(misspelt(1, 1031), QStringList());
        QVERIFY(file().Strings().Changed());
        m_editor->Undo();
        QCOMPARE(textOf(1031, 1), QStringLiteral("&Dattei öffnen"));
        m_editor->Redo();
        QCOMPARE(textOf(1031, 1), QStringLiteral("&Datei öffnen"));

        // The word under the pointer, not the first one, when the menu is clicked open on it.
        // Drawing the row asks its words; the underlines come once the verdicts do.
        m_editor->show();
        QVERIFY(testlib::waitForExposed(m_editor.get()));
        while (grid().underlineRects(row(2), columnOf(1031)).isEmpty())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const QList<QRect> under = grid().underlineRects(row(2), columnOf(1031));
        QCOMPARE(under.size(), 2);
        QTest::mousePress(grid().viewport(), Qt::RightButton, {}, QPoint(under[1].center().x(), under[1].top() - 4));
        QVERIFY(m_editor->mnuColumnMenu()->isVisible());
        QCOMPARE(spellingItem(QStringLiteral("mnuIgnoreWord"))->text(), QStringLiteral("Ignore \"Dattei\""));
        closeCellMenu();
        // Beside the text: the cell's first misspelt word.
        const QRect cellRect = grid().visualRect(grid().viewIndex(row(2), columnOf(1031)));
        QTest::mousePress(grid().viewport(), Qt::RightButton, {}, QPoint(cellRect.right() - 3, under[1].top() - 4));
        QCOMPARE(spellingItem(QStringLiteral("mnuIgnoreWord"))->text(), QStringLiteral("Ignore \"Ordnr\""));
        closeCellMenu();

        // A cell without a misspelt word has no spelling items, and the menu none left over.
        openCellMenu(1, 1031);
        QVERIFY(m_editor->SpellingMenuItems().isEmpty());
        QCOMPARE(m_editor->mnuColumnMenu()->actions().first(), m_editor->mnuRemoveLanguage());
        closeCellMenu();
    }

    void addToDictionaryAndIgnoreStopTheUnderline()
    {
        show({{2057, 1, "Quillmark Corvane"}, {1031, 1, "Quillmarq Corvanee"}});
        openCellMenu(1, 1031);
        closeCellMenu();
        spellingItem(QStringLiteral("mnuAddToDictionary"))->trigger();
        QCOMPARE(misspelt(1, 1031), QStringList{QStringLiteral("Corvanee")});
        QCOMPARE(cell(1, 1031).data(win32::SftTreeSource::UnderlinedRangesRole).value<QList<win32::TextRange>>(),
                 (QList<win32::TextRange>{{10, 8}}));
        const QString words = spelling::userWordListPath(QStringLiteral("de-DE"));
        QCOMPARE(QString::fromUtf8(readFile(words)), QStringLiteral("Quillmarq\n"));
        QVERIFY(!file().Strings().Changed());  // the file is not the user's word list

        openCellMenu(1, 1031);
        closeCellMenu();
        spellingItem(QStringLiteral("mnuIgnoreWord"))->trigger();
        QCOMPARE(misspelt(1, 1031), QStringList());
        QCOMPARE(QString::fromUtf8(readFile(words)), QStringLiteral("Quillmarq\n"));

        // A new editor knows the added word, not the ignored one.
        open(QStringLiteral("P"), 0);
        QCOMPARE(misspelt(1, 1031), QStringList{QStringLiteral("Corvanee")});
    }

    void widthInTheColumnsFonts()
    {
        show({{2057, 1, "OK"}, {1041, 1, "キャンセル"}, {1031, 1, "OK"},
              {2057, 2, "Cancel operation"}, {1041, 2, "キャンセル"}, {1031, 2, "Vorgang abbrechen"},
              {2057, 3, "Datei öffnen"}, {1031, 3, "Datei öffnen"}});
        StringTableModel *table = m_editor->Table();
        table->setLanguageFont(2057, kNarrowLatin);
        table->setLanguageFont(1041, kWideCjk);
        table->setLanguageFont(1031, kNarrowLatin);
        const auto pixels = [&](qint32 localeId, const QString &text) {
            const QFont font = grid().source().fontOf(grid().cellFont(row(1), columnOf(localeId)));
            return int(std::ceil(QFontMetricsF(font).horizontalAdvance(text) - 1e-6));
        };
        // Against the source only when asked for, as quillmark check --fit; the choice is kept.
        QVERIFY(!m_editor->CheckWidths());
        QVERIFY(!m_editor->CellHasProblem(row(1), columnOf(1041)));
        m_editor->mnuCheckWidths()->trigger();
        QVERIFY(m_editor->CheckWidths());
        QCOMPARE(problems(1, 1041), QStringLiteral("Width: %1 pixels wide, the source %2")
                                        .arg(pixels(1041, QStringLiteral("キャンセル")))
                                        .arg(pixels(2057, QStringLiteral("OK"))));
        QVERIFY(m_editor->CellHasProblem(row(1), columnOf(1041)));
        QCOMPARE(problems(2, 1041), QString());
        QCOMPARE(problems(3, 1031), QString());
        // The same text drawn in the wide font, at a factor of 1.0, is too wide; at 1.3 it fits.
        table->setLanguageFont(1031, kWideCjk);
        QVERIFY(pixels(1031, QStringLiteral("Datei öffnen")) > pixels(2057, QStringLiteral("Datei öffnen")));
        QCOMPARE(problems(3, 1031), QString());
        QVERIFY(fit::storeWidthFactor(m_editor->CurrentProject()->Project()->FileName(), 1.0));
        open(QStringLiteral("P"), 0);
        m_editor->Table()->setLanguageFont(2057, kNarrowLatin);
        m_editor->Table()->setLanguageFont(1031, kWideCjk);
        QVERIFY(problems(3, 1031).startsWith(QStringLiteral("Width: ")));

        // A maximum width in pixels from the notes for translators; kept in the state file.
        grid().setCurrentCell(row(2), columnOf(1031));
        m_user->answerDialog([](QDialog &dialog) {
            auto &notes = dynamic_cast<StringNotesDialog &>(dialog);
            notes.show();
            if (!testlib::waitForExposed(&notes))
                return int(QDialog::Rejected);
            notes.maxWidth()->setValue(40);
            return notes.maxWidth()->accessibleName() == QStringLiteral("Maximum width in pixels:") ? int(QDialog::Accepted)
                                                                                                 : int(QDialog::Rejected);
        });
        m_editor->EditStringNotes();
        const int drawn = pixels(1031, QStringLiteral("Vorgang abbrechen"));
        QVERIFY(problems(2, 1031).split(QLatin1Char('\n')).contains(QStringLiteral("Width: %1 pixels wide, at most 40").arg(drawn)));
        QVERIFY(problems(2, 2057).isEmpty());  // the source is what the others are measured against
        m_editor->SaveResFile();
        QVERIFY(QString::fromUtf8(readFile(path("P.res.state"))).contains(QStringLiteral("max-width=40")));
        m_editor->Undo();
        QCOMPARE(problems(2, 1031).contains(QStringLiteral("at most")), false);
        // The limit holds without the comparison with the source.
        m_editor->Redo();
        m_editor->SetCheckWidths(false);
        QCOMPARE(problems(2, 1031), QStringLiteral("Width: %1 pixels wide, at most 40").arg(drawn));
        QVERIFY(problems(3, 1031).isEmpty());
        open(QStringLiteral("P"), 0);
        QVERIFY(!m_editor->CheckWidths());
        QVERIFY(!m_editor->mnuCheckWidths()->isChecked());
    }

    void endPunctuationInTheTargetsScript()
    {
        show({{2057, 1, "Delete the file?"}, {1031, 1, "Datei löschen"}, {1041, 1, "ファイルを削除しますか？"},
              {1032, 1, "Διαγραφή του αρχείου;"}, {2057, 2, "The file was saved"}, {1031, 2, "Gespeichert."}});
        QCOMPARE(problems(1, 1031), QStringLiteral("Punctuation: Ends in no punctuation, the source ends in \"?\""));
        QVERIFY(!problems(1, 1041).contains(QStringLiteral("Punctuation")));
        QVERIFY(!problems(1, 1032).contains(QStringLiteral("Punctuation")));
        QCOMPARE(problems(2, 1031), QStringLiteral("Punctuation: Ends in \".\", the source in no punctuation"));
        QCOMPARE(m_editor->CheckRuleName(int(checks::Rule::Punctuation)), QStringLiteral("Punctuation"));
    }

    void aPseudoLanguageIsAddedUndoneAndWritten()
    {
        show({{2057, 1, "&Open %1"}, {1031, 1, "%1 ö&ffnen"}, {2057, 2, "Save changes?"}, {1031, 2, "Speichern?"},
              {2057, 3, "Line one\r\nLine two"}});
        QUndoStack *stack = m_editor->CurrentProject()->UndoStack();
        // The dialog, shown for real, names its parts; the user picks the East Asian one.
        m_user->answerDialog([](QDialog &dialog) {
            auto &pseudoDialog = dynamic_cast<PseudoLanguageDialog &>(dialog);
            pseudoDialog.show();
            if (!testlib::waitForExposed(&pseudoDialog) || pseudoDialog.accessibleName() != QStringLiteral("Add Pseudo-Language") ||
                pseudoDialog.locales()->accessibleName() != QStringLiteral("Pseudo-locale:") ||
                pseudoDialog.locales()->count() != 3 || !pseudoDialog.findChild<QPushButton *>(QStringLiteral("cmdOK")) ||
                pseudoDialog.findChild<QPushButton *>(QStringLiteral("cmdOK"))->accessibleName().isEmpty())
                return int(QDialog::Rejected);
            pseudoDialog.locales()->setCurrentRow(1);
            return pseudoDialog.pseudoLocale() == pseudo::kPlocA ? int(QDialog::Accepted) : int(QDialog::Rejected);
        });
        m_editor->command(EditorCommand::AddPseudoLanguage)->trigger();
        const int column = columnOf(pseudo::kPlocA);
        QVERIFY(column > 0);
        for (qint32 id : {1, 2, 3})
            QCOMPARE(textOf(pseudo::kPlocA, id), pseudo::pseudoText(textOf(2057, id), pseudo::kPlocA));
        QCOMPARE(stack->count(), 1);
        // Made to be long: neither width nor punctuation, nor spelling, is flagged there.
        for (qint32 id : {1, 2, 3}) {
            QVERIFY(!m_editor->CellHasProblem(row(id), column));
            QCOMPARE(misspelt(id, pseudo::kPlocA), QStringList());
        }

        m_editor->Undo();
        QCOMPARE(columnOf(pseudo::kPlocA), -1);
        QVERIFY(textOf(pseudo::kPlocA, 1).isNull());
        m_editor->Redo();
        QVERIFY(columnOf(pseudo::kPlocA) > 0);

        // Again after the source changed: the texts are replaced, in the same column.
        const int columns = grid().columnCount();
        QString changed = QStringLiteral("Discard changes?");
        m_editor->SftTree_AfterEdit(changed, row(2), columnOf(2057));
        m_editor->FillPseudoLanguage(pseudo::kPlocA);
        QCOMPARE(grid().columnCount(), columns);
        QCOMPARE(textOf(pseudo::kPlocA, 2), pseudo::pseudoText(QStringLiteral("Discard changes?"), pseudo::kPlocA));
        QCOMPARE(stack->count(), 3);
        m_editor->Undo();
        QCOMPARE(textOf(pseudo::kPlocA, 2), pseudo::pseudoText(QStringLiteral("Save changes?"), pseudo::kPlocA));
        QVERIFY(columnOf(pseudo::kPlocA) > 0);
        m_editor->Redo();

        m_editor->SaveResFile();
        const QList<Entry> written = readRes(path("P.res"));
        QCOMPARE(textIn(written, pseudo::kPlocA, 1), pseudo::pseudoText(QStringLiteral("&Open %1"), pseudo::kPlocA));
        QCOMPARE(textIn(written, pseudo::kPlocA, 3), pseudo::pseudoText(QStringLiteral("Line one\r\nLine two"), pseudo::kPlocA));
        QCOMPARE(textIn(written, 1031, 1), QStringLiteral("%1 ö&ffnen"));
    }
};

QTEST_MAIN(EditorSpellingTest)
#include "editor_spelling_test.moc"
