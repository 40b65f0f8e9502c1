#include "languages/frmSelectFont.h"
#include "languages/modUtilFonts.h"
#include "platform/win32/FontEnum.h"
#include "platform/win32/ScriptedInteraction.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

class FontsTest : public QObject {
    Q_OBJECT
    TestEnvironment m_env;

private slots:
    void initTestCase()
    {
        qputenv("LANG", "en_GB.UTF-8");
        LgvStringModule::InitUIStrings();
        LgvStringModule::setCurrentUILanguage(2057);
    }

    void defaultFontByCodePage_data()
    {
        QTest::addColumn<int>("lcid");
        QTest::addColumn<QString>("font");
        QTest::newRow("Japanese") << 1041 << "MS GOTHIC";
        QTest::newRow("Chinese (PRC)") << 2052 << "SimSun";
        QTest::newRow("Korean") << 1042 << "BATANG";
        QTest::newRow("Chinese (Taiwan)") << 1028 << "PMingLiU";
        QTest::newRow("Thai") << 1054 << "Tahoma";
        QTest::newRow("Hebrew") << 1037 << "David";
        QTest::newRow("Arabic") << 1025 << "Traditional Arabic";
        QTest::newRow("English (US)") << 1033 << "MS Sans Serif";
        QTest::newRow("German") << 1031 << "MS Sans Serif";
        QTest::newRow("Russian") << 1049 << "Arial";
        QTest::newRow("Polish") << 1045 << "Arial";
        QTest::newRow("Turkish") << 1055 << "Arial";
        QTest::newRow("Greek 1253") << 1032 << "Arial";
        QTest::newRow("Vietnamese 1258") << 1066 << "Arial";
        QTest::newRow("Hindi") << 1081 << "Mangal";
        QTest::newRow("Tamil") << 1097 << "Mangal";
        QTest::newRow("Marathi") << 1102 << "Mangal";
        QTest::newRow("Sanskrit") << 1103 << "Mangal";
        QTest::newRow("Konkani") << 1111 << "Mangal";
        QTest::newRow("Georgian, Unicode only") << 1079 << "Arial";
        QTest::newRow("unknown locale") << 0x7777 << "Arial";
    }
    void defaultFontByCodePage()
    {
        QFETCH(int, lcid);
        QFETCH(QString, font);
        QCOMPARE(modUtil::GetDefaultFontForLocale(lcid), font);
    }

    void localeInfoString()
    {
        QCOMPARE(modUtil::GetLocaleInfoString(1041, 2), QStringLiteral("Japanese (Japan)"));
        QCOMPARE(modUtil::GetLocaleInfoString(1041, 0x1004), QStringLiteral("932"));
        QCOMPARE(modUtil::GetLocaleInfoString(0x7777, 2), QString());
        QCOMPARE(modUtil::GetLocaleInfoString(1041, 0x9999), QString());
    }

    void storedFontIsReadBack()
    {
        QCOMPARE(modUtil::GetStoredLanguageFont(1041, QStringLiteral("MS GOTHIC")), QStringLiteral("MS GOTHIC"));
        modUtil::StoreLanguageFont(1041, QStringLiteral("Tahoma"));
        QCOMPARE(modUtil::GetStoredLanguageFont(1041, QStringLiteral("MS GOTHIC")), QStringLiteral("Tahoma"));
        modUtil::StoreLanguageFont(1041, QString());   // writes nothing
        QCOMPARE(modUtil::GetStoredLanguageFont(1041, QStringLiteral("MS GOTHIC")), QStringLiteral("Tahoma"));
        QCOMPARE(modUtil::GetStoredLanguageFont(1031, QStringLiteral("MS Sans Serif")), QStringLiteral("MS Sans Serif"));
    }

    void charsetNames()
    {
        QCOMPARE(CharsetName(0), QStringLiteral("Western"));
        QCOMPARE(CharsetName(134), QStringLiteral("CHINESE_GB2312"));
        QCOMPARE(CharsetName(204), QStringLiteral("Cyrillc"));
        QCOMPARE(CharsetName(238), QStringLiteral("EE"));
        QCOMPARE(CharsetName(255), QStringLiteral("OEM/DOS"));
        QCOMPARE(CharsetName(163), QStringLiteral("Unknown"));
        QCOMPARE(CharsetName(130), QStringLiteral("Unknown"));
    }

    void selectFontListsEveryFamilyAndReturnsTheChoice()
    {
        const QList<win32::FontFamilyInfo> families = win32::installedFontFamilies();
        QVERIFY(families.size() > 1);
        const QString current = families[0].faceName;
        const QString wanted = families[1].faceName;
        win32::ScriptedInteraction user;
        user.answerDialog([&](QDialog &dialog) {
            auto *list = dialog.findChild<QTreeWidget *>(QStringLiteral("stFonts"));
            [&] {
                QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("lblTitle"))->text(),
                         QStringLiteral("Select Font for Japanese (Japan)"));
                QCOMPARE(list->topLevelItemCount(), families.size());
                QCOMPARE(list->headerItem()->text(1), QStringLiteral("Charset"));
                QCOMPARE(list->selectedItems().size(), 1);
                QCOMPARE(list->selectedItems()[0]->text(0), current);
                QTreeWidgetItem *row = list->topLevelItem(1);
                QCOMPARE(row->text(0), wanted);
                QCOMPARE(row->text(1), CharsetName(families[1].charSets.first()));
                QCOMPARE(row->text(2), QStringLiteral("日本語"));
                QCOMPARE(row->font(2).family(), wanted);
            }();
            list->clearSelection();
            list->topLevelItem(1)->setSelected(true);
            dialog.findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
            return dialog.result();
        });
        QString font = current;
        QCOMPARE(SelectFont(QStringLiteral("Japanese (Japan)"), font, QStringLiteral("日本語")), 1);
        QCOMPARE(font, wanted);
        QVERIFY(user.unexpected.isEmpty());
    }

    void okWithoutASelectionAsksForOne()
    {
        win32::ScriptedInteraction user;
        user.answerMsgBox(win32::vbOK);
        user.answerDialog([&](QDialog &dialog) {
            auto *list = dialog.findChild<QTreeWidget *>(QStringLiteral("stFonts"));
            [&] {
                QVERIFY(list->selectedItems().isEmpty());
                QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("Quill Resource String Editor"));
            }();
            dialog.findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();   // stays open
            [&] { QVERIFY(dialog.result() != QDialog::Accepted); }();
            dialog.findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click();
            return dialog.result();
        });
        QString font = QStringLiteral("No Such Face");
        QCOMPARE(SelectFont(QStringLiteral("German"), font, QString()), 2);
        QCOMPARE(font, QStringLiteral("No Such Face"));
        QCOMPARE(user.messageBoxes.size(), 1);
        QCOMPARE(user.messageBoxes[0].prompt, QStringLiteral("Select a font"));
        QCOMPARE(user.messageBoxes[0].style, 0);
        QCOMPARE(user.messageBoxes[0].title, QStringLiteral("Quill Resource String Editor"));
    }

    void aFontStoredWithItsFoundryFindsItsFamily()
    {
        QString stored;
        for (const QString &family : QFontDatabase::families())
            if (win32::plainFamilyName(family) != family && !QFontDatabase::isPrivateFamily(family))
                stored = family;
        if (stored.isEmpty())
            QSKIP("no installed family comes from several foundries");
        const QString plain = win32::plainFamilyName(stored);
        win32::ScriptedInteraction user;
        user.answerDialog([&](QDialog &dialog) {
            auto *list = dialog.findChild<QTreeWidget *>(QStringLiteral("stFonts"));
            [&] {
                QCOMPARE(list->findItems(plain, Qt::MatchExactly, 0).size(), 1);
                QVERIFY(list->findItems(plain + QStringLiteral(" ["), Qt::MatchStartsWith, 0).isEmpty());
                QCOMPARE(list->selectedItems().size(), 1);
                QCOMPARE(list->selectedItems()[0]->text(0), plain);
            }();
            dialog.findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
            return dialog.result();
        });
        QString font = stored;
        QCOMPARE(SelectFont(QStringLiteral("German"), font, QString()), 1);
        QCOMPARE(font, plain);
    }

    void helpOpensTopic106()
    {
        win32::ScriptedInteraction user;
        user.answerDialog([&](QDialog &dialog) {
            dialog.findChild<QPushButton *>(QStringLiteral("cmdHelp"))->click();
            return int(QDialog::Rejected);
        });
        QString font;
        QCOMPARE(SelectFont(QStringLiteral("German"), font, QString()), 2);
        QCOMPARE(user.helpShown.size(), 1);
        QCOMPARE(user.helpShown[0].second, 106);
    }
};

QTEST_MAIN(FontsTest)
#include "fonts_test.moc"
