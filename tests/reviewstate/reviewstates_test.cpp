#include "editor/clsProject.h"
#include "platform/resutil/KeyOrder.h"
#include "platform/resutil/PairedSave.h"
#include "platform/resutil/ResFile.h"
#include "reviewstate/ReviewStates.h"
#include "reviewstate/StateChecks.h"
#include "reviewstate/StateFileFormat.h"
#include "reviewstate/StateStats.h"
#include "reviewstate/TextHash.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProject.h"
#include "platform/vbide/VBProjects.h"
#include "platform/win32/ScriptedInteraction.h"
#include "tests/testlib/HeapPeak.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>


#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using reviewstate::ReviewStates;
using reviewstate::State;

namespace {

constexpr qint32 kEnglish = 2057, kGerman = 1031, kFrench = 1036;

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Lines of after that are not in before, and the other way round.
int changedLines(const QByteArray &before, const QByteArray &after)
{
    const QList<QByteArray> a = before.split('\n'), b = after.split('\n');
    int changed = 0;
    for (const QByteArray &line : b)
        changed += !a.contains(line);
    for (const QByteArray &line : a)
        changed += !b.contains(line);
    return changed;
}

QByteArray hashOf(const QString &text)
{
    return QByteArray::number(reviewstate::textHash(text), 16).rightJustified(8, '0');
}

using testlib::heapPeakDuring;

QString textOf(qint32 locale, int id, int round)
{
    return QStringLiteral("Text %1 in %2%3").arg(QString::number(id), QString::number(locale),
                                                  round > 0 && id % 5 == 0 ? QStringLiteral(" again") : QString());
}

// Replaces the strings with generated texts as an import does: one buffer, the
// entries placed in it.
void importTexts(resutil::ResStrings &strings, const QList<qint32> &locales, int ids, int round)
{
    strings.Clear();
    QString buffer;
    std::vector<std::tuple<quint16, quint16, qsizetype, qsizetype>> places;
    for (qint32 locale : locales)
        for (int id = 0; id < ids; ++id) {
            const QString text = textOf(locale, id, round);
            places.emplace_back(quint16(locale), quint16(id), buffer.size(), text.size());
            buffer += text;
            buffer += QChar(0);
        }
    strings.reserve(qsizetype(places.size()));
    strings.adoptBuffer(buffer);
    for (const auto &[locale, id, offset, size] : places)
        strings.AddStored(locale, id, offset, size);
}

struct CellLine {
    quint32 key;
    State state;
    quint32 text, source;
    quint8 flags;
    bool operator==(const CellLine &) const = default;
};

QList<CellLine> linesOf(const ReviewStates &states)
{
    QList<CellLine> lines;
    for (const reviewstate::Cell &cell : states.cells())
        lines.append({cell.key, cell.state, cell.text, cell.source, cell.flags});
    return lines;
}

QByteArray stateFileOf(ReviewStates &states, const QString &resPath, const resutil::ResStrings &strings)
{
    auto contents = states.saving(resPath, strings);
    if (!contents || !contents.value() || !contents.value()->write)
        return QByteArray("nothing to write");
    QByteArray bytes;
    (void)contents.value()->write([&](QByteArrayView piece) -> qm::Status {
        bytes.append(piece);
        return {};
    });
    return bytes;
}

} // namespace

class ReviewStatesTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment m_env;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // A file of three strings in English, German and French, saved without states.
    QString plainFile(const QString &name)
    {
        const QString file = path(name);
        resutil::ResFile res;
        res.setFileName(file);
        for (int id : {1, 2, 3}) {
            res.Strings().Add(kEnglish, id, QStringLiteral("Text %1").arg(id));
            res.Strings().Add(kGerman, id, QStringLiteral("Text %1 de").arg(id));
            res.Strings().Add(kFrench, id, QStringLiteral("Texte %1").arg(id));
        }
        [&] { QVERIFY(res.Save().ok()); }();
        return file;
    }

    struct Opened {
        std::unique_ptr<resutil::ResFile> file = std::make_unique<resutil::ResFile>();
        ReviewStates *states = nullptr;
    };
    static Opened open(const QString &file)
    {
        Opened opened;
        opened.file->setFileName(file);
        opened.states = ReviewStates::attach(*opened.file);
        [&] { QVERIFY(opened.file->Load().ok()); }();
        return opened;
    }

    static void setText(resutil::ResFile &file, qint32 locale, qint32 id, const QString &text)
    {
        if (resutil::ResString *entry = file.Strings().Find(locale, id))
            entry->setText(text);
        else
            file.Strings().Add(locale, id, text);
    }

private slots:
    void formatRoundTrip()
    {
        const QByteArray text = "quillmark-review-states\t1\tsource=2057\tmade-by=someone\n"
                                "*\t2\tcomment=Title\\tof the window\tmax-length=12\tcolour=blue\n"
                                "1031\t1\ttranslated\t0000abcd\t1234abcd\n"
                                "1031\t2\tneeds-review\t-\t-\tnote=Zu lang\\nbitte k\xC3\xBCrzen\tfuture=1\n"
                                "1036\t1\tapproved\tffffffff\t00000000\n";
        auto table = reviewstate::parseStateFile(text, QStringLiteral("x.state"));
        QVERIFY2(table.ok(), qPrintable(table.errorString()));
        QCOMPARE(table->source, kEnglish);
        QCOMPARE(table->cells.size(), std::size_t(3));
        QCOMPARE(table->cells[1].state, State::NeedsReview);
        QVERIFY(!table->cells[1].has(reviewstate::Cell::HasSource));
        QCOMPARE(reviewstate::fieldValue(table->cellFields.value(reviewstate::cellKey(kGerman, 2)), "note"),
                 QStringLiteral("Zu lang\nbitte kürzen"));
        QCOMPARE(reviewstate::fieldValue(table->strings[0].fields, "comment"), QStringLiteral("Title\tof the window"));
        // What this version does not know comes back as it was.
        QCOMPARE(reviewstate::writeStateFile(table.value()), text);

        // Lines out of order (a merge) are put in order.
        const QByteArray swapped = "quillmark-review-states\t1\n1036\t1\tnew\t-\t-\n1031\t1\tnew\t-\t-\n";
        auto sorted = reviewstate::parseStateFile(swapped, QStringLiteral("x.state"));
        QVERIFY(sorted.ok());
        QCOMPARE(reviewstate::writeStateFile(sorted.value()),
                 QByteArray("quillmark-review-states\t1\n1031\t1\tnew\t-\t-\n1036\t1\tnew\t-\t-\n"));
    }

    void brokenFilesNameTheLine_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("message");
        const QByteArray header = "quillmark-review-states\t1\n";
        QTest::newRow("no header") << QByteArray("1031\t1\tnew\t-\t-\n") << QStringLiteral("line 1: this is not a review state file");
        QTest::newRow("newer version") << QByteArray("quillmark-review-states\t2\n") << QStringLiteral("line 1: format version 2 is newer");
        QTest::newRow("unknown state") << header + "1031\t1\tdone\t-\t-\n" << QStringLiteral("line 2: \"done\" is not a state");
        QTest::newRow("short hash") << header + "1031\t1\tnew\tabc\t-\n" << QStringLiteral("line 2: a hash should be 8 hex digits");
        QTest::newRow("ID too large") << header + "1031\t65536\tnew\t-\t-\n" << QStringLiteral("line 2: \"65536\" is not a string ID");
        QTest::newRow("missing hashes") << header + "1031\t1\tnew\n" << QStringLiteral("line 2: a state and two hashes");
        QTest::newRow("twice") << header + "1031\t1\tnew\t-\t-\n1031\t1\tnew\t-\t-\n"
                               << QStringLiteral("line 3: locale 1031, string 1 has a second line");
        QTest::newRow("field without name") << header + "1031\t1\tnew\t-\t-\t=x\n" << QStringLiteral("line 2: the fields after the hashes");
        QTest::newRow("empty") << QByteArray() << QStringLiteral("line 1: the file is empty");
    }
    void brokenFilesNameTheLine()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, message);
        auto table = reviewstate::parseStateFile(text, QStringLiteral("F.res.state"));
        QVERIFY(!table.ok());
        QVERIFY2(table.errorString().startsWith(QStringLiteral("F.res.state: ") + message), qPrintable(table.errorString()));
    }

    // A file without states opens as before; its first save writes one line per text.
    void fileWithoutStates()
    {
        const QString file = plainFile(QStringLiteral("Plain.res"));
        Opened res = open(file);
        // Without a state file the states keep no hold on the texts as read:
        // the collection's buffer goes with its texts (an import replaces them all).
        QVERIFY(res.file->Strings().LoadedBuffer().isDetached());
        QVERIFY(res.states->readable());
        QVERIFY(!res.states->hadStateFile());
        QCOMPARE(res.states->state(kGerman, 1), State::Translated);
        QCOMPARE(res.states->state(kGerman, 9), State::New);
        QVERIFY(res.file->Save().ok());
        const QList<QByteArray> lines = readFile(file + QStringLiteral(".state")).split('\n');
        QCOMPARE(lines.size(), 1 + 9 + 1);
        QCOMPARE(lines[0], QByteArray("quillmark-review-states\t1\tsource=2057"));
        QCOMPARE(lines[1], "1031\t1\ttranslated\t" + hashOf(QStringLiteral("Text 1")) + '\t' + hashOf(QStringLiteral("Text 1 de")));
        QCOMPARE(lines[9].left(7), QByteArray("2057\t3\t"));
        // With one, they do, to tell an unchanged text by where it lies.
        Opened again = open(file);
        QVERIFY(!again.file->Strings().LoadedBuffer().isDetached());
        QVERIFY(again.states->hadStateFile());
    }

    // Every transition, and that each is kept across a save and a new reading.
    // Without a state file every translation was made from the source text as
    // read: a source changed before the first save still needs review after it.
    void sourceChangedBeforeTheFirstSave()
    {
        const QString file = plainFile(QStringLiteral("Unsaved.res"));
        Opened res = open(file);
        setText(*res.file, 2057, 1, QStringLiteral("Text 1, changed"));
        QCOMPARE(res.states->state(kGerman, 1), State::NeedsReview);
        QCOMPARE(res.states->state(kGerman, 2), State::Translated);
        // A state set and put back is what it was, derived from the texts again.
        const std::optional<reviewstate::Cell> before = res.states->line(kGerman, 1);
        QVERIFY(!res.states->hadStateFile());
        QVERIFY(!before);
        QVERIFY(res.states->approve(kGerman, 1).ok());
        QCOMPARE(res.states->state(kGerman, 1), State::Approved);
        res.states->restoreLine(kGerman, 1, before);
        QCOMPARE(res.states->state(kGerman, 1), State::NeedsReview);
        setText(*res.file, 2057, 1, QStringLiteral("Text 1"));
        QCOMPARE(res.states->state(kGerman, 1), State::Translated);
        setText(*res.file, 2057, 1, QStringLiteral("Text 1, changed"));

        QVERIFY(res.file->Save().ok());
        const QByteArray states = readFile(file + QStringLiteral(".state"));
        QVERIFY(states.contains("1031\t1\tneeds-review\t" + hashOf(QStringLiteral("Text 1")) + '\t'));
        Opened again = open(file);
        QCOMPARE(again.states->state(kGerman, 1), State::NeedsReview);
        QCOMPARE(again.states->state(kGerman, 2), State::Translated);
    }

    // The lines brought up to date from texts that changed, were added and
    // removed, over a source that changed, are the same whichever order the
    // texts come in: in key order, or added in any other.
    void refreshAgreesWhateverTheOrderOfTheTexts()
    {
        const QString file = plainFile(QStringLiteral("Order.res"));
        {
            Opened res = open(file);
            QVERIFY(res.states->approve(kGerman, 1).ok());
            QVERIFY(res.states->setNote(kFrench, 2, QStringLiteral("kept for its note")).ok());
            QVERIFY(res.file->Save().ok());
        }
        QList<std::tuple<qint32, qint32, QString>> texts{
            {kEnglish, 1, QStringLiteral("Text 1")},     {kEnglish, 2, QStringLiteral("Text 2")},
            {kEnglish, 3, QStringLiteral("Text three")}, {kEnglish, 4, QStringLiteral("Text 4")},
            {kGerman, 1, QStringLiteral("Text 1 de")},   {kGerman, 2, QStringLiteral("Text zwei")},
            {kGerman, 3, QStringLiteral("Text 3 de")},   {kGerman, 4, QStringLiteral("Text 4 de")},
            {kFrench, 3, QStringLiteral("Texte 3")},     {kFrench, 4, QStringLiteral("Texte 4")},
            {1040, 1, QStringLiteral("Testo 1")},
        };
        std::sort(texts.begin(), texts.end(), [](const auto &a, const auto &b) {
            return reviewstate::cellKey(std::get<0>(a), std::get<1>(a)) < reviewstate::cellKey(std::get<0>(b), std::get<1>(b));
        });
        // A second entry of a key counts for nothing: the first one is the text.
        const QString later = QStringLiteral("a later entry");
        resutil::ResStrings inOrder, reversed;
        for (const auto &[locale, id, text] : texts) {
            inOrder.Add(locale, id, text);
            if (locale == kGerman && id == 2)
                inOrder.Add(locale, id, later);
        }
        std::reverse(texts.begin(), texts.end());
        for (const auto &[locale, id, text] : texts)
            reversed.Add(locale, id, text);
        reversed.Add(kGerman, 2, later);
        QVERIFY(!resutil::KeyOrder(inOrder).sorted());
        QVERIFY(resutil::KeyOrder(reversed).sorted());

        ReviewStates first(inOrder), second(reversed);
        first.loaded(file, inOrder, true);
        second.loaded(file, reversed, true);
        QVERIFY(first.hadStateFile());
        first.refresh(true);
        second.refresh(true);
        QCOMPARE(linesOf(second), linesOf(first));
        QCOMPARE(stateFileOf(second, file, reversed), stateFileOf(first, file, inOrder));

        const auto stateOf = [&](qint32 locale, qint32 id) {
            for (const reviewstate::Cell &cell : first.cells())
                if (cell.key == reviewstate::cellKey(locale, id))
                    return QString::fromLatin1(reviewstate::stateName(cell.state));
            return QStringLiteral("no line");
        };
        QCOMPARE(stateOf(kGerman, 1), QStringLiteral("approved"));
        QCOMPARE(stateOf(kGerman, 2), QStringLiteral("translated"));   // its text changed
        QCOMPARE(stateOf(kGerman, 3), QStringLiteral("needs-review")); // its source changed
        QCOMPARE(stateOf(kFrench, 3), QStringLiteral("needs-review"));
        QCOMPARE(stateOf(kEnglish, 3), QStringLiteral("translated"));
        QCOMPARE(stateOf(kFrench, 1), QStringLiteral("no line"));      // gone with its text
        QCOMPARE(stateOf(kFrench, 2), QStringLiteral("new"));          // its text gone, its note kept
        QCOMPARE(stateOf(kGerman, 4), QStringLiteral("translated"));   // added
        QCOMPARE(stateOf(1040, 1), QStringLiteral("translated"));
        QCOMPARE(first.cells().size(), std::size_t(12)); // eleven texts and the note
        QCOMPARE(first.note(kFrench, 2), QStringLiteral("kept for its note"));
    }

    // A save after an import holds little beside the strings and their lines:
    // no copy of the texts, no table of the file's layout, no second set of
    // lines. Counted for a generated table of 16,384 IDs in 8 languages.
    // A save that is the last makes no line for the texts without one: it
    // holds a few bytes per string beside the strings, lines and all.
    void saveAfterAnImportHoldsFewBytesPerString_data()
    {
        QTest::addColumn<bool>("withStates");
        QTest::addColumn<bool>("last");
        QTest::newRow("file with a line for every text") << true << false;
        QTest::newRow("file without states") << false << false;
        QTest::newRow("file with a line for every text, the save the last") << true << true;
        QTest::newRow("file without states, the save the last") << false << true;
    }
    void saveAfterAnImportHoldsFewBytesPerString()
    {
        QFETCH(bool, withStates);
        QFETCH(bool, last);
        constexpr int ids = 16384;
        const QList<qint32> locales{1025, 1031, 1033, 1036, 1040, 1041, 1049, 2057};
        const qint64 strings = qint64(ids) * locales.size();
        const QString file = path(QStringLiteral("Big%1%2.res").arg(withStates ? "" : "Plain", last ? "Last" : ""));
        {
            resutil::ResFile res;
            res.setFileName(file);
            importTexts(res.Strings(), locales, ids, 0);
            QVERIFY(res.Save().ok());
            if (withStates) {
                Opened opened = open(file);
                QVERIFY(opened.file->Save().ok()); // a line for every text
            }
        }
        QCOMPARE(QFileInfo::exists(file + QStringLiteral(".state")), withStates);
        Opened res = open(file);
        importTexts(res.file->Strings(), locales, ids, 1);
        res.states->setSaveIsLast(last);
        const std::size_t linesBefore = res.states->cells().capacity() * sizeof(reviewstate::Cell);
        qm::Status saved;
        const qint64 peak = heapPeakDuring([&] { saved = res.file->Save(); });
        QVERIFY2(saved.ok(), qPrintable(saved.errorString()));
        // After the last save the lines are those of the file written, read again.
        const qint64 lines = last ? 0 : qint64(res.states->cells().capacity() * sizeof(reviewstate::Cell) - linesBefore);
        QCOMPARE(res.states->cells().size(), std::size_t(strings));
        QCOMPARE(res.states->state(1031, 5), State::Translated);
        {
            Opened again = open(file);
            QCOMPARE(again.states->state(1031, 5), State::Translated);
            QCOMPARE(again.file->Strings().TextOf(1031, 5), textOf(1031, 5, 1));
        }
        if (peak < 0)
            QSKIP("the heap is counted through AddressSanitizer's hooks");
        const qint64 perString = (peak - lines) / strings;
        qInfo() << peak << "bytes at most during the save," << lines << "of them new lines";
        QVERIFY2(perString <= 8, qPrintable(QStringLiteral("%1 bytes per string beside the lines").arg(perString)));
    }

    // A save that is the last writes the files a save always writes, and the
    // states asked for after it are those of the file written.
    void lastSaveWritesWhatEverySaveWrites_data()
    {
        QTest::addColumn<bool>("withStates");
        QTest::addColumn<bool>("inKeyOrder");
        QTest::newRow("without states, in key order") << false << true;
        QTest::newRow("without states, out of key order") << false << false;
        QTest::newRow("with states, in key order") << true << true;
        QTest::newRow("with states, out of key order") << true << false;
    }
    void lastSaveWritesWhatEverySaveWrites()
    {
        QFETCH(bool, withStates);
        QFETCH(bool, inKeyOrder);
        constexpr int ids = 40;
        const QList<qint32> sorted{kGerman, kFrench, kEnglish};
        const QList<qint32> locales = inKeyOrder ? sorted : QList<qint32>{kEnglish, kGerman, kFrench};
        const QString tag = QStringLiteral("%1%2").arg(int(withStates)).arg(int(inKeyOrder));
        QByteArray resBytes[2], stateBytes[2];
        QStringList seen[2];
        for (const bool last : {false, true}) {
            const QString file = path(QStringLiteral("Last%1%2.res").arg(tag).arg(int(last)));
            {
                resutil::ResFile res;
                res.setFileName(file);
                importTexts(res.Strings(), sorted, ids, 0);
                QVERIFY(res.Save().ok());
            }
            if (withStates) {
                Opened opened = open(file);
                QVERIFY(opened.states->approve(kGerman, 3).ok());
                QVERIFY(opened.states->markNew(kFrench, 4).ok());
                QVERIFY(opened.states->setNote(kFrench, 7, QStringLiteral("a note")).ok());
                QVERIFY(opened.states->setComment(8, QStringLiteral("a comment")).ok());
                QVERIFY(opened.file->Save().ok());
            }
            Opened res = open(file);
            // In key order the texts stay where they were read; else an import replaces them.
            if (!inKeyOrder)
                importTexts(res.file->Strings(), locales, ids, 1);
            // A source text that changed since it was read: its translations need review.
            setText(*res.file, kEnglish, 6, QStringLiteral("A new source"));
            res.file->Strings().Add(kGerman, ids + 1, QStringLiteral("one more"));
            res.states->setSaveIsLast(last);
            QVERIFY(res.file->Save().ok());
            resBytes[last] = readFile(file);
            stateBytes[last] = readFile(file + QStringLiteral(".state"));
            for (qint32 locale : sorted)
                for (int id = 0; id <= ids + 1; ++id)
                    seen[last].append(QStringLiteral("%1/%2 %3 %4").arg(QString::number(locale), QString::number(id),
                                                                        reviewstate::stateName(res.states->state(locale, id)),
                                                                        res.states->note(locale, id)));
            seen[last].append(res.states->comment(8));
            seen[last].append(QString::number(res.states->cells().size()));
        }
        QVERIFY(!stateBytes[0].isEmpty());
        QCOMPARE(resBytes[1], resBytes[0]);
        QCOMPARE(stateBytes[1], stateBytes[0]);
        QCOMPARE(seen[1], seen[0]);
        QCOMPARE(stateBytes[0].contains("needs-review"), inKeyOrder || withStates);
    }

    // What the last save left unwritten is not kept for a save that follows
    // a failed one, nor for the next save.
    void lastSaveThatFailsLeavesTheLinesToTheNext()
    {
        const QString file = plainFile(QStringLiteral("LastFails.res"));
        Opened res = open(file);
        res.states->setSaveIsLast(true);
        setText(*res.file, kGerman, 2, QStringLiteral("Text zwei"));
        res.file->setFileName(path(QStringLiteral("missing/LastFails.res")));
        QVERIFY(!res.file->Save().ok());
        QCOMPARE(res.states->state(kGerman, 2), State::Translated);
        res.file->setFileName(file);
        QVERIFY(res.file->Save().ok());
        const QByteArray written = readFile(file + QStringLiteral(".state"));
        QCOMPARE(written.count('\n'), 1 + 9);
        QVERIFY(written.contains("1031\t2\ttranslated\t" + hashOf(QStringLiteral("Text 2")) + "\t" +
                                 hashOf(QStringLiteral("Text zwei"))));
        // Read again: a second save finds nothing to change.
        QCOMPARE(res.states->cells().size(), std::size_t(9));
        const QDateTime before = QFileInfo(file + QStringLiteral(".state")).lastModified();
        QVERIFY(res.file->Save().ok());
        QCOMPARE(readFile(file + QStringLiteral(".state")), written);
        QCOMPARE(QFileInfo(file + QStringLiteral(".state")).lastModified(), before);
    }

    void transitions()
    {
        const QString file = plainFile(QStringLiteral("T.res"));
        {
            Opened res = open(file);
            QVERIFY(res.states->approve(kGerman, 1).ok());
            QVERIFY(res.states->markNeedsReview(kGerman, 2).ok());
            QVERIFY(res.states->markNew(kFrench, 3).ok());
            QVERIFY(!res.states->approve(kGerman, 9).ok()); // no text
            QCOMPARE(res.states->state(kGerman, 1), State::Approved);
            QVERIFY(res.file->Save().ok());
        }
        {
            Opened res = open(file);
            QCOMPARE(res.states->state(kGerman, 1), State::Approved);
            QCOMPARE(res.states->state(kGerman, 2), State::NeedsReview);
            QCOMPARE(res.states->state(kFrench, 3), State::New);
            QCOMPARE(res.states->state(kFrench, 1), State::Translated);
            // The source changes: approved and translated need review, a new one stays new.
            setText(*res.file, kEnglish, 1, QStringLiteral("Text one"));
            setText(*res.file, kEnglish, 3, QStringLiteral("Text three"));
            QCOMPARE(res.states->state(kGerman, 1), State::NeedsReview);
            QCOMPARE(res.states->state(kFrench, 1), State::NeedsReview);
            QCOMPARE(res.states->state(kFrench, 3), State::New);
            // Typing a translation makes it translated; approving after review, approved.
            setText(*res.file, kGerman, 1, QStringLiteral("Text eins"));
            QCOMPARE(res.states->state(kGerman, 1), State::Translated);
            QVERIFY(res.states->approve(kFrench, 1).ok());
            QVERIFY(res.file->Save().ok());
        }
        Opened res = open(file);
        QCOMPARE(res.states->state(kGerman, 1), State::Translated);
        QCOMPARE(res.states->state(kFrench, 1), State::Approved);
        QCOMPARE(res.states->state(kGerman, 3), State::NeedsReview);
        // A review the file asks for stays asked for, even with the old source text back.
        setText(*res.file, kEnglish, 3, QStringLiteral("Text 3"));
        QCOMPARE(res.states->state(kGerman, 3), State::NeedsReview);
        QVERIFY(res.states->markTranslated(kGerman, 3).ok());
        QCOMPARE(res.states->state(kGerman, 3), State::Translated);
    }

    // Another program changed the texts while no one with states had the file open.
    void hashRuleAcrossAnOutsideChange()
    {
        const QString file = plainFile(QStringLiteral("Outside.res"));
        {
            Opened res = open(file);
            QVERIFY(res.states->approve(kGerman, 1).ok());
            QVERIFY(res.states->approve(kFrench, 1).ok());
            QVERIFY(res.states->approve(kFrench, 2).ok());
            QVERIFY(res.file->Save().ok());
        }
        const QByteArray before = readFile(file + QStringLiteral(".state"));
        {
            resutil::ResFile other; // knows nothing of states
            other.setFileName(file);
            QVERIFY(other.Load().ok());
            setText(other, kEnglish, 1, QStringLiteral("Changed outside"));
            setText(other, kFrench, 2, QStringLiteral("Retraduit"));
            QVERIFY(other.Save().ok());
        }
        QCOMPARE(readFile(file + QStringLiteral(".state")), before);
        Opened res = open(file);
        QCOMPARE(res.states->state(kGerman, 1), State::NeedsReview);
        QCOMPARE(res.states->state(kFrench, 1), State::NeedsReview);
        QCOMPARE(res.states->state(kFrench, 2), State::Translated);
        QCOMPARE(res.states->state(kGerman, 2), State::Translated);
        const std::vector<reviewstate::StateProblem> problems = reviewstate::checkStates(*res.states);
        QCOMPARE(problems.size(), std::size_t(2));
        QCOMPARE(problems[0].localeId, kGerman);
        QCOMPARE(problems[1].localeId, kFrench);
        // Written back, the file says so itself.
        QVERIFY(res.file->Save().ok());
        const QByteArray after = readFile(file + QStringLiteral(".state"));
        QVERIFY(after.contains("1031\t1\tneeds-review\t"));
        QVERIFY(after.contains("1036\t2\ttranslated\t" + hashOf(QStringLiteral("Text 2")) + '\t' + hashOf(QStringLiteral("Retraduit"))));
    }

    // Fields this version does not know, notes and comments survive edits and saves.
    void unknownFieldsKept()
    {
        const QString file = plainFile(QStringLiteral("Fields.res"));
        writeFile(file + QStringLiteral(".state"),
                  "quillmark-review-states\t1\tsource=2057\ttool=x\n"
                  "*\t1\tcomment=Main title\tmax-length=8\tscreen=main\n"
                  "1031\t1\tapproved\t" + hashOf(QStringLiteral("Text 1")) + '\t' + hashOf(QStringLiteral("Text 1 de")) +
                      "\tnote=ok\treviewer=ann\n");
        Opened res = open(file);
        QCOMPARE(res.states->comment(1), QStringLiteral("Main title"));
        QCOMPARE(res.states->maxLength(1), 8);
        QCOMPARE(res.states->note(kGerman, 1), QStringLiteral("ok"));
        QCOMPARE(res.states->state(kGerman, 1), State::Approved);
        setText(*res.file, kGerman, 1, QStringLiteral("Text eins"));
        QVERIFY(res.states->setNote(kFrench, 1, QStringLiteral("vérifier")).ok());
        QVERIFY(res.file->Save().ok());
        const QByteArray after = readFile(file + QStringLiteral(".state"));
        QVERIFY(after.startsWith("quillmark-review-states\t1\tsource=2057\ttool=x\n*\t1\tcomment=Main title\tmax-length=8\tscreen=main\n"));
        QVERIFY(after.contains("1031\t1\ttranslated\t" + hashOf(QStringLiteral("Text 1")) + '\t' +
                               hashOf(QStringLiteral("Text eins")) + "\tnote=ok\treviewer=ann\n"));
        QVERIFY(after.contains("\tnote=v\xC3\xA9rifier\n"));
        // "too long": 9 characters against a maximum of 8, in every language but the source.
        const std::vector<reviewstate::StateProblem> problems = reviewstate::checkStates(*res.states);
        QCOMPARE(problems.size(), std::size_t(1));
        QCOMPARE(problems[0].kind, reviewstate::StateProblem::TooLong);
        QCOMPARE(problems[0].localeId, kGerman);
        QCOMPARE(problems[0].length, 9);
    }

    // One that cannot be read is told, left as it is, and the resource file still saves.
    void brokenFileLeftUntouched()
    {
        const QString file = plainFile(QStringLiteral("Broken.res"));
        const QByteArray broken = "quillmark-review-states\t1\n1031\t1\tmaybe\t-\t-\n";
        writeFile(file + QStringLiteral(".state"), broken);
        Opened res = open(file);
        QVERIFY(!res.states->readable());
        QCOMPARE(res.states->problem(), QDir::toNativeSeparators(file) + QStringLiteral(".state: line 2: \"maybe\" is not a state "
                                                                                      "(new, translated, needs-review, approved)"));
        QCOMPARE(res.states->state(kGerman, 1), State::Translated);
        QVERIFY(!res.states->approve(kGerman, 1).ok());
        setText(*res.file, kGerman, 1, QStringLiteral("Neu"));
        QVERIFY(res.file->Save().ok());
        QCOMPARE(readFile(file + QStringLiteral(".state")), broken);
        Opened again = open(file);
        QCOMPARE(again.file->Strings().Find(kGerman, 1)->Text(), QStringLiteral("Neu"));
    }

    // Lines of IDs and languages the file no longer has go; an unchanged save
    // leaves the state file alone; one change is one line.
    void savesWriteWhatChanged()
    {
        const QString file = plainFile(QStringLiteral("Diff.res"));
        const QString stateFile = file + QStringLiteral(".state");
        {
            Opened res = open(file);
            QVERIFY(res.states->setComment(3, QStringLiteral("gone soon")).ok());
            QVERIFY(res.file->Save().ok());
        }
        struct stat first {};
        QCOMPARE(::stat(QFile::encodeName(stateFile).constData(), &first), 0);
        const QByteArray before = readFile(stateFile);
        {
            Opened res = open(file);
            QVERIFY(res.file->Save().ok());
        }
        struct stat second {};
        QCOMPARE(::stat(QFile::encodeName(stateFile).constData(), &second), 0);
        QCOMPARE(second.st_ino, first.st_ino);

        Opened res = open(file);
        setText(*res.file, kGerman, 2, QStringLiteral("Anders"));
        QVERIFY(res.file->Save().ok());
        const QByteArray oneCell = readFile(stateFile);
        QCOMPARE(changedLines(before, oneCell), 2); // the old line and the new

        // A source text: its own line and each translation that now needs review.
        setText(*res.file, kEnglish, 1, QStringLiteral("Other"));
        QVERIFY(res.file->Save().ok());
        QCOMPARE(changedLines(oneCell, readFile(stateFile)), 2 * 3);

        for (qint32 locale : {kEnglish, kGerman, kFrench})
            QVERIFY(res.file->Strings().Remove(res.file->Strings().Find(locale, 3)).ok());
        QList<resutil::ResString *> french;
        for (resutil::ResString *entry : res.file->Strings())
            if (entry->LocaleID() == kFrench)
                french.append(entry);
        for (resutil::ResString *entry : french)
            QVERIFY(res.file->Strings().Remove(entry).ok());
        QVERIFY(res.file->Save().ok());
        const QByteArray after = readFile(stateFile);
        QVERIFY(!after.contains("1036\t"));
        QVERIFY(!after.contains("\t3\t"));
        QVERIFY(!after.contains("gone soon"));
        QCOMPARE(after.count('\n'), 1 + 4);
    }

    // The process dies between the steps of a save (as a crash would, without
    // cleaning up): whoever reads the file next finds both old or both new.
    void crashBetweenTheTwoWrites_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("newAfter");
        QTest::newRow("both written") << int(resutil::SaveStep::BothWritten) << false;
        QTest::newRow("journal written") << int(resutil::SaveStep::JournalWritten) << false;
        QTest::newRow("resource file in place") << int(resutil::SaveStep::ResInPlace) << true;
    }
    void crashBetweenTheTwoWrites()
    {
        QFETCH(int, step);
        QFETCH(bool, newAfter);
        const QString file = plainFile(QStringLiteral("Crash%1.res").arg(step));
        const QString stateFile = file + QStringLiteral(".state");
        {
            Opened res = open(file);
            QVERIFY(res.file->Save().ok());
        }
        const QByteArray oldRes = readFile(file), oldStates = readFile(stateFile);
        // The new pair: what a save of one changed text writes.
        QByteArray newRes, newStates;
        {
            const QString scratch = path(QStringLiteral("Scratch%1.res").arg(step));
            QVERIFY(QFile::copy(file, scratch));
            QVERIFY(QFile::copy(stateFile, scratch + QStringLiteral(".state")));
            Opened res = open(scratch);
            setText(*res.file, kGerman, 1, QStringLiteral("Neu"));
            QVERIFY(res.file->Save().ok());
            newRes = readFile(scratch);
            newStates = readFile(scratch + QStringLiteral(".state"));
        }
        QVERIFY(newRes != oldRes && newStates != oldStates);

        const pid_t child = ::fork();
        if (child == 0) {
            const qm::Status saved = resutil::saveTogether(
                file, [&](const resutil::PutBytes &put, int) { return put(newRes); }, stateFile, newStates,
                [&](resutil::SaveStep reached) {
                    if (int(reached) == step)
                        ::_exit(7);
                });
            ::_exit(saved.ok() ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 7);

        // The next reader finishes (or undoes) the step.
        Opened res = open(file);
        QCOMPARE(readFile(file), newAfter ? newRes : oldRes);
        QCOMPARE(readFile(stateFile), newAfter ? newStates : oldStates);
        QCOMPARE(res.states->state(kGerman, 1), State::Translated);
        QVERIFY(!QFileInfo::exists(resutil::saveJournalPath(file)));
        // No temporary file is left behind once the journal named them.
        const QStringList left =
            QDir(m_dir.path()).entryList({QStringLiteral(".Crash%1.*").arg(step)}, QDir::Files | QDir::Hidden);
        QVERIFY2(step == int(resutil::SaveStep::BothWritten) || left.isEmpty(), qPrintable(left.join(QLatin1Char(' '))));
        // And the next save works as ever.
        setText(*res.file, kFrench, 1, QStringLiteral("Encore"));
        QVERIFY(res.file->Save().ok());
        QVERIFY(readFile(stateFile).contains(hashOf(QStringLiteral("Encore"))));
    }

    // The editor's save (the project's) keeps the state file, though the
    // editor shows no states; one it cannot read is told once and kept.
    void editorSaveKeepsTheStates()
    {
        const QString file = plainFile(QStringLiteral("Editor.res"));
        {
            Opened res = open(file);
            QVERIFY(res.states->approve(kGerman, 1).ok());
            QVERIFY(res.states->setNote(kGerman, 2, QStringLiteral("kept")).ok());
            QVERIFY(res.file->Save().ok());
        }
        win32::ScriptedInteraction user;
        vbide::VBE vbe;
        auto project = vbe.VBProjects()->AddFromFile(file);
        QVERIFY2(project, qPrintable(project.errorString()));
        {
            clsProject editing;
            editing.setProject(project.value());
            editing.Init();
            QVERIFY(editing.HasReadableResourceFile());
            QVERIFY(ReviewStates::of(*editing.ResourceFile()));
            setText(*editing.ResourceFile(), kEnglish, 1, QStringLiteral("New source"));
            setText(*editing.ResourceFile(), kFrench, 2, QStringLiteral("Nouveau"));
            QVERIFY(editing.SaveResourceFile().ok());
        }
        const QByteArray saved = readFile(file + QStringLiteral(".state"));
        QVERIFY(saved.contains("1031\t1\tneeds-review\t"));
        QVERIFY(saved.contains("1031\t2\ttranslated\t" + hashOf(QStringLiteral("Text 2")) + '\t' +
                               hashOf(QStringLiteral("Text 2 de")) + "\tnote=kept\n"));
        QVERIFY(saved.contains("1036\t2\ttranslated\t" + hashOf(QStringLiteral("Text 2")) + '\t' + hashOf(QStringLiteral("Nouveau"))));
        QVERIFY(user.messageBoxes.isEmpty());

        const QByteArray broken = "quillmark-review-states\t7\n";
        writeFile(file + QStringLiteral(".state"), broken);
        clsProject editing;
        editing.setProject(project.value());
        LgvStringModule::setCurrentUILanguage(1031);
        editing.Init();
        LgvStringModule::setCurrentUILanguage(2057);
        QVERIFY(editing.HasReadableResourceFile());
        QCOMPARE(user.messageBoxes.size(), 1);
        QVERIFY2(user.messageBoxes[0].prompt.startsWith(QStringLiteral("Die Prüfzustände neben der Resourcendatei")),
                 qPrintable(user.messageBoxes[0].prompt));
        QVERIFY2(user.messageBoxes[0].prompt.contains(QStringLiteral("Zeile 1: die Formatversion 7 ist neuer")),
                 qPrintable(user.messageBoxes[0].prompt));
        QVERIFY(!user.messageBoxes[0].prompt.contains(u'\n'));
        setText(*editing.ResourceFile(), kGerman, 3, QStringLiteral("Drei"));
        QVERIFY(editing.SaveResourceFile().ok());
        QCOMPARE(readFile(file + QStringLiteral(".state")), broken);
    }

    void statistics()
    {
        const QString file = plainFile(QStringLiteral("Stats.res"));
        Opened res = open(file);
        setText(*res.file, kEnglish, 4, QStringLiteral("Four words in English"));
        setText(*res.file, kGerman, 4, QStringLiteral("Vier"));
        QVERIFY(res.states->approve(kGerman, 1).ok());
        QVERIFY(res.states->markNeedsReview(kGerman, 2).ok());
        const reviewstate::FileStats stats = reviewstate::countStates(*res.states);
        QCOMPARE(stats.sourceLocale, kEnglish);
        QCOMPARE(stats.source.strings, 4);
        QCOMPARE(stats.source.words, 2 + 2 + 2 + 4);
        QCOMPARE(stats.languages.size(), std::size_t(2));
        const reviewstate::LanguageStats &german = stats.languages[0];
        QCOMPARE(german.localeId, kGerman);
        QCOMPARE(german.approved.strings, 1);
        QCOMPARE(german.needsReview.strings, 1);
        QCOMPARE(german.translated.strings, 2);
        QCOMPARE(stats.languages[1].missing.strings, 1);
        QCOMPARE(stats.languages[1].missing.words, 4);
        QCOMPARE(reviewstate::countWords(QStringLiteral("日本語 text, it's")), 5);
    }
};

QTEST_MAIN(ReviewStatesTest)
#include "reviewstates_test.moc"
