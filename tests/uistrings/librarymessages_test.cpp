#include "platform/resutil/ResFile.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"
#include "support/LibraryMessages.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include <algorithm>

using namespace LibraryMessages;

namespace {

// The libraries whose messages the add-in shows.
const char *const kLibraryFolders[] = {"platform/common",     "platform/resutil",    "platform/excel",
                                       "platform/excel/io",   "platform/excel/model", "platform/excel/xlsx",
                                       "platform/excel/biff", "platform/excel/xls",   "exchange",
                                       "reviewstate"};
const char *const kLibraryFiles[] = {"platform/win32/HtmlHelpSet.cpp"};
// Number format codes of the workbooks, not words.
const char *const kNotMessages[] = {"NumberFormat.cpp"};

QString unescaped(const QString &literal)
{
    QString text;
    for (qsizetype i = 0; i < literal.size(); ++i) {
        if (literal[i] != u'\\' || i + 1 >= literal.size()) {
            text += literal[i];
            continue;
        }
        const QChar next = literal[++i];
        text += next == u'n' ? QChar(u'\n') : next == u't' ? QChar(u'\t') : next;
    }
    return text;
}

struct Literal {
    QString text;
    QString file;
};

// Every QStringLiteral of the libraries that reads as words (it has a space),
// and the names a limit message puts in (pastLimit's first argument).
QList<Literal> libraryLiterals()
{
    QStringList files;
    const QDir root(QStringLiteral(QM_SOURCE_DIR));
    for (const char *folder : kLibraryFolders) {
        QDirIterator it(root.filePath(QString::fromLatin1(folder)), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                        QDir::Files);
        while (it.hasNext())
            files << it.next();
    }
    for (const char *file : kLibraryFiles)
        files << root.filePath(QString::fromLatin1(file));
    static const QRegularExpression literal(
        QStringLiteral(R"re((pastLimit\(\s*)?QStringLiteral\(\s*((?:"(?:[^"\\]|\\.)*"\s*)+)\))re"));
    static const QRegularExpression piece(QStringLiteral(R"re("((?:[^"\\]|\\.)*)")re"));
    QList<Literal> found;
    for (const QString &path : std::as_const(files)) {
        if (std::any_of(std::begin(kNotMessages), std::end(kNotMessages),
                        [&](const char *name) { return path.endsWith(QLatin1String(name)); }))
            continue;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString source = QString::fromUtf8(file.readAll());
        for (auto it = literal.globalMatch(source); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            QString text;
            for (auto parts = piece.globalMatch(match.captured(2)); parts.hasNext();)
                text += parts.next().captured(1);
            text = unescaped(text);
            if (text.contains(u' ') || match.capturedLength(1) > 0)
                found.append({text, root.relativeFilePath(path)});
        }
    }
    return found;
}

bool onlyPunctuation(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace() || c.isPunct(); });
}

QList<int> placeholders(const QString &text)
{
    static const QRegularExpression placeholder(QStringLiteral("%([1-9])"));
    QList<int> found;
    for (auto it = placeholder.globalMatch(text); it.hasNext();)
        found << it.next().captured(1).toInt();
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace

class LibraryMessagesTest : public QObject {
    Q_OBJECT
    TestEnvironment m_environment;

private slots:
    void cleanup() { LgvStringModule::SetUILanguage(2057, QString()); }

    // A new message of a library without a German text fails here, naming it.
    void everyLibraryMessageHasGermanText()
    {
        const QList<Literal> literals = libraryLiterals();
        QVERIFY2(literals.size() > 200, "the libraries' sources were not found");
        const QStringList known = KnownTemplates();
        QStringList kept = KeptTexts();
        QStringList missing;
        for (const Literal &literal : literals) {
            const QString text = literal.text.endsWith(u'\n') ? literal.text.chopped(1) : literal.text;
            // A piece put before or after a reason ("not saved: " + reason) stands as "not saved: %1".
            const bool covered = known.contains(text) || kept.contains(text) || onlyPunctuation(text)
                || known.contains(text + QStringLiteral("%1")) || known.contains(QStringLiteral("%1") + text);
            if (!covered)
                missing << QStringLiteral("%1: %2").arg(literal.file, text);
        }
        missing.removeDuplicates();
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("no German text in support/LibraryMessages.de for:\n")
                                               + missing.join(u'\n')));
    }

    void catalogueKeepsEveryPart()
    {
        QVERIFY2(CatalogueProblem().isEmpty(), qPrintable(CatalogueProblem()));
        for (const QString &english : KnownTemplates()) {
            const QString german = GermanTemplate(english);
            QVERIFY2(placeholders(german) == placeholders(english), qPrintable(english + QStringLiteral(" / ") + german));
            QVERIFY2(german != english || onlyPunctuation(QString(english).remove(QRegularExpression(QStringLiteral("%[1-9]"))))
                         || english.startsWith(QLatin1String("LANGUAGE")),
                     qPrintable(QStringLiteral("not translated: ") + english));
        }
    }

    void germanKeepsFileLineAndCell_data()
    {
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("german");
        QTest::newRow("file, line, reason") << "/home/ann/bad.po: line 1: the string is not closed on its line"
                                            << "/home/ann/bad.po: Zeile 1: der String wird in seiner Zeile nicht geschlossen";
        QTest::newRow("file name with percent and colon")
            << "/tmp/a%2: b/x.rc: line 3: \"BEGN\" is not a statement of a resource script"
            << "/tmp/a%2: b/x.rc: Zeile 3: \"BEGN\" ist keine Anweisung eines Resourceskripts";
        QTest::newRow("sheet and cell") << "Sheet \"Strings\", cell A7: the string ID cannot be read: \"x\" is not a number."
                                        << "Tabellenblatt \"Strings\", Zelle A7: die String-ID kann nicht gelesen werden: "
                                           "\"x\" ist keine Zahl.";
        QTest::newRow("a limit names what it counts")
            << "big.xlsx: xl/sharedStrings.xml: the workbook holds more than 100 shared strings, the most one file may "
               "hold to be read; it is not read"
            << "big.xlsx: xl/sharedStrings.xml: die Arbeitsmappe enthält mehr als 100 gemeinsame Strings, die höchste "
               "Zahl, bei der eine Datei noch gelesen wird; sie wird nicht gelesen";
        QTest::newRow("quoted text stays as written") << "cell B3: the text \"cells\" holds U+0000, which an .ods file cannot hold"
                                                      << "Zelle B3: der Text \"cells\" enthält U+0000, das eine .ods-Datei "
                                                         "nicht enthalten kann";
        QTest::newRow("the system's reason") << "/x/y.po: cannot be opened: No such file or directory"
                                             << "/x/y.po: kann nicht geöffnet werden: Datei oder Verzeichnis nicht gefunden";
        QTest::newRow("unknown reason stays") << "/x/y.xlsx: the part xl/a.xml is damaged: Zip CRC mismatch"
                                              << "/x/y.xlsx: der Teil xl/a.xml ist beschädigt: Zip CRC mismatch";
        QTest::newRow("not a message") << "Quill" << "Quill";
    }
    void germanKeepsFileLineAndCell()
    {
        QFETCH(QString, english);
        QFETCH(QString, german);
        QCOMPARE(German(english), german);
    }

    // A real refusal of the resource file library, shown in each UI language.
    void shownFollowsTheUILanguage()
    {
        const QString path = QDir(m_environment.path()).filePath(QStringLiteral("empty%1.res"));
        QFile empty(path);
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        resutil::ResFile file;
        file.setFileName(path);
        const qm::Status loaded = file.Load();
        QVERIFY(!loaded.ok());
        LgvStringModule::SetUILanguage(2057, QString());
        QCOMPARE(Shown(loaded.errorString()), loaded.errorString());
        LgvStringModule::SetUILanguage(1031, QString());
        QCOMPARE(Shown(loaded.errorString()),
                 QDir::toNativeSeparators(path) + QStringLiteral(": die Datei ist leer, keine Resourcedatei"));
    }
};

QTEST_MAIN(LibraryMessagesTest)
#include "librarymessages_test.moc"
