#include "platform/win32/VirtualKey.h"

#include <QKeyEvent>
#include <QtTest>

using win32::virtualKeyOf;

// Key presses as a KeyDown handler sees them: named keys by their virtual-key
// codes, and no typed character under the codes of the keys that move a cell editor.
class VirtualKeyTest : public QObject {
    Q_OBJECT
private slots:
    void keysReportTheirVirtualKeyCodes_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("virtualKey");
        QTest::newRow("Left") << int(Qt::Key_Left) << QString() << 0x25;
        QTest::newRow("Up") << int(Qt::Key_Up) << QString() << 0x26;
        QTest::newRow("Right") << int(Qt::Key_Right) << QString() << 0x27;
        QTest::newRow("Down") << int(Qt::Key_Down) << QString() << 0x28;
        QTest::newRow("Tab") << int(Qt::Key_Tab) << QString() << 0x09;
        QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << QString() << 0x09;
        QTest::newRow("Enter") << int(Qt::Key_Return) << QString() << 0x0D;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << QString() << 0x0D;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << QString() << 0x1B;
        QTest::newRow("Home") << int(Qt::Key_Home) << QString() << 0x24;
        QTest::newRow("Delete") << int(Qt::Key_Delete) << QString() << 0x2E;
        QTest::newRow("F1") << int(Qt::Key_F1) << QString() << 0x70;
        QTest::newRow("F12") << int(Qt::Key_F12) << QString() << 0x7B;
        QTest::newRow("letter") << int(Qt::Key_Q) << QStringLiteral("q") << int('Q');
        QTest::newRow("digit") << int(Qt::Key_7) << QStringLiteral("7") << int('7');
        QTest::newRow("space") << int(Qt::Key_Space) << QStringLiteral(" ") << 0x20;
        // Qt's codes of these characters are the codes of the arrow keys.
        QTest::newRow("percent") << int(Qt::Key_Percent) << QStringLiteral("%") << int('5');
        QTest::newRow("ampersand") << int(Qt::Key_Ampersand) << QStringLiteral("&") << int('7');
        QTest::newRow("apostrophe") << int(Qt::Key_Apostrophe) << QStringLiteral("'") << 0xDE;
        QTest::newRow("parenthesis") << int(Qt::Key_ParenLeft) << QStringLiteral("(") << int('9');
        // ... and of Page Up, End, Home, Insert and Delete.
        QTest::newRow("exclamation") << int(Qt::Key_Exclam) << QStringLiteral("!") << int('1');
        QTest::newRow("number sign") << int(Qt::Key_NumberSign) << QStringLiteral("#") << int('3');
        QTest::newRow("dollar") << int(Qt::Key_Dollar) << QStringLiteral("$") << int('4');
        QTest::newRow("minus") << int(Qt::Key_Minus) << QStringLiteral("-") << 0xBD;
        QTest::newRow("full stop") << int(Qt::Key_Period) << QStringLiteral(".") << 0xBE;
        QTest::newRow("umlaut") << int(Qt::Key_Adiaeresis) << QStringLiteral("ä") << 0xE7;
        QTest::newRow("other script") << 0x3042 << QStringLiteral("あ") << 0xE7;
        QTest::newRow("unknown key") << int(Qt::Key_unknown) << QString() << 0xFF;
    }
    void keysReportTheirVirtualKeyCodes()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(int, virtualKey);
        const QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCOMPARE(virtualKeyOf(event), virtualKey);
    }
};

QTEST_GUILESS_MAIN(VirtualKeyTest)
#include "virtualkey_test.moc"
