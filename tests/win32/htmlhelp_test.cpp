#include "platform/win32/HtmlHelp.h"
#include "platform/win32/HtmlHelpSet.h"
#include "support/Globals.h"
#include "support/HelpModule.h"
#include "tests/testlib/TestEnvironment.h"

#include <QFile>
#include <QListWidget>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

// The help viewer over the help set that ships beside the add-in library.
class HtmlHelpTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment env;
    const QString helpFile = LibraryHelpFilePath();

private slots:
    void shippedHelpSetOpens()
    {
        auto set = win32::HtmlHelpSet::open(helpFile);
        QVERIFY2(set.ok(), qPrintable(set.errorString()));
        QCOMPARE((*set)->title(), QStringLiteral("Quill Resource String Editor Help"));
        QVERIFY((*set)->contents().size() >= 6);
        for (const auto &entry : (*set)->contents())
            QVERIFY2((*set)->contains(entry.url), qPrintable(entry.url.toString()));
    }

    // Each context number opens its page, in English and, for a German UI,
    // in the German help set with the same pages and numbers.
    void contextTopics_data()
    {
        QTest::addColumn<int>("uiLanguage");
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("heading");
        const struct {
            int context;
            const char *page, *english, *german;
        } topics[] = {
            {0, "index.html", "Quill Resource String Editor", "Quill Resource String Editor"},
            {100, "addlanguage.html", "Add Language", "Sprache hinzufügen"},
            {101, "removelanguage.html", "Remove Language", "Sprache entfernen"},
            {102, "about.html", "About the Quill Resource String Editor", "Über den Quill Resource String Editor"},
            {104, "excel.html", "Excel Import/Export", "Excel Import/Export"},
            {106, "selectfont.html", "Select Font", "Schriftart wählen"},
        };
        for (const auto &topic : topics) {
            QTest::addRow("%d in English", topic.context) << 2057 << topic.context << topic.page << topic.english;
            QTest::addRow("%d in German", topic.context) << 1031 << topic.context << topic.page << topic.german;
        }
    }
    void contextTopics()
    {
        QFETCH(int, uiLanguage);
        QFETCH(int, context);
        QFETCH(QString, page);
        QFETCH(QString, heading);
        const QString file = HelpModule::LocalizedHelpFile(helpFile, uiLanguage);
        QCOMPARE(file != helpFile, uiLanguage == 1031);
        win32::HtmlHelpViewer viewer;
        const qm::Status shown = viewer.showTopic(file, context);
        QVERIFY2(shown.ok(), qPrintable(shown.errorString()));
        QCOMPARE(viewer.currentTopic().fileName(), page);
        QCOMPARE(viewer.browser()->documentTitle(), heading);
        QVERIFY(viewer.browser()->toPlainText().contains(heading));
        // The contents list follows the topic shown.
        QVERIFY(viewer.contentsList()->currentItem());
        QCOMPARE(viewer.contentsList()->currentItem()->data(Qt::UserRole).toUrl().fileName(), page);
        QCOMPARE(viewer.windowTitle(), uiLanguage == 1031 ? QStringLiteral("Hilfe zum Quill Resource String Editor")
                                                          : QStringLiteral("Quill Resource String Editor Help"));
        auto english = win32::HtmlHelpSet::open(helpFile);
        auto localized = win32::HtmlHelpSet::open(file);
        QVERIFY(english.ok() && localized.ok());
        QCOMPARE((*localized)->contents().size(), (*english)->contents().size());
    }

    void everyLinkBetweenPagesResolves()
    {
        auto set = win32::HtmlHelpSet::open(helpFile);
        QVERIFY(set.ok());
        const QRegularExpression href(QStringLiteral("href=\"([^\"]+)\""));
        int links = 0;
        for (const auto &entry : (*set)->contents()) {
            QFile page(QLatin1Char(':') + entry.url.path());
            QVERIFY(page.open(QIODevice::ReadOnly));
            const QString html = QString::fromUtf8(page.readAll());
            for (auto match = href.globalMatch(html); match.hasNext();) {
                const QUrl target = entry.url.resolved(QUrl(match.next().captured(1)));
                QVERIFY2((*set)->contains(target), qPrintable(entry.url.fileName() + " -> " + target.toString()));
                ++links;
            }
        }
        QVERIFY(links > 20);
    }

    void unknownContextIsReportedAndChangesNothing()
    {
        win32::HtmlHelpViewer viewer;
        QVERIFY(viewer.showTopic(helpFile, 101).ok());
        const qm::Status shown = viewer.showTopic(helpFile, 103);
        QVERIFY(!shown.ok());
        QVERIFY2(shown.errorString().contains(QStringLiteral("has no topic for context 103")),
                 qPrintable(shown.errorString()));
        QCOMPARE(viewer.currentTopic().fileName(), QStringLiteral("removelanguage.html"));
    }

    void badHelpFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("create");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << QByteArray() << false << "the file does not exist";
        QTest::newRow("not compiled") << QByteArray("ITSF\x03\0\0\0 not a help set", 24) << true
                                      << "it is not a compiled help file";
    }
    void badHelpFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, create);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Quillmark.chm"));
        if (create) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        win32::HtmlHelpViewer viewer;
        const qm::Status shown = viewer.showTopic(path, 0);
        QVERIFY(!shown.ok());
        QVERIFY2(shown.errorString().contains(message), qPrintable(shown.errorString()));
        QVERIFY(shown.errorString().contains(path));
        QVERIFY(viewer.currentTopic().isEmpty());
    }

    void backForwardAndHome()
    {
        win32::HtmlHelpViewer viewer;
        auto *back = viewer.findChild<QToolButton *>(QStringLiteral("cmdBack"));
        auto *forward = viewer.findChild<QToolButton *>(QStringLiteral("cmdForward"));
        auto *home = viewer.findChild<QToolButton *>(QStringLiteral("cmdHome"));
        QVERIFY(back && forward && home);
        QVERIFY(viewer.showTopic(helpFile, 100).ok());
        QVERIFY(!back->isEnabled());
        QVERIFY(viewer.showTopic(helpFile, 106).ok());
        QVERIFY(back->isEnabled());
        back->click();
        QCOMPARE(viewer.currentTopic().fileName(), QStringLiteral("addlanguage.html"));
        QVERIFY(forward->isEnabled());
        home->click();
        QCOMPARE(viewer.currentTopic().fileName(), QStringLiteral("index.html"));
    }

    void contentsListOpensItsTopic()
    {
        win32::HtmlHelpViewer viewer;
        QVERIFY(viewer.showTopic(helpFile, 0).ok());
        QListWidget *list = viewer.contentsList();
        QListWidgetItem *last = list->item(list->count() - 1);
        emit list->itemClicked(last);
        QCOMPARE(viewer.currentTopic(), last->data(Qt::UserRole).toUrl());
    }

    void htmlHelpKeepsOneWindow()
    {
        QVERIFY(win32::HtmlHelp(nullptr, helpFile, 102).ok());
        win32::HtmlHelpViewer *first = win32::currentHtmlHelpViewer();
        QVERIFY(first && first->isVisible());
        QVERIFY(win32::HtmlHelp(nullptr, helpFile, 0).ok());
        QCOMPARE(win32::currentHtmlHelpViewer(), first);
        QCOMPARE(first->currentTopic().fileName(), QStringLiteral("index.html"));
        // A failure leaves the open window as it was.
        QVERIFY(!win32::HtmlHelp(nullptr, helpFile, 9999).ok());
        QCOMPARE(first->currentTopic().fileName(), QStringLiteral("index.html"));
        win32::closeHtmlHelp();
        QVERIFY(!win32::currentHtmlHelpViewer());
    }
};

QTEST_MAIN(HtmlHelpTest)
#include "htmlhelp_test.moc"
