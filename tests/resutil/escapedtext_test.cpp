// The text escaping of quillmark's dump and import output.
#include "apps/quillmark/EscapedText.h"
#include "tests/testlib/TestEnvironment.h"

#include <QtTest>

#include <string>

namespace {

// One unit (or pair) at a time, the plain way.
std::string reference(const QString &text, bool json)
{
    std::string out;
    const auto escape = [&](char16_t unit) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\u%04x", unsigned(unit));
        out += hex;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit == '\\') {
            out += "\\\\";
        } else if (unit == '\n') {
            out += "\\n";
        } else if (unit == '\r') {
            out += "\\r";
        } else if (unit == '\t') {
            out += "\\t";
        } else if (json && unit == '"') {
            out += "\\\"";
        } else if (json && unit == '\b') {
            out += "\\b";
        } else if (json && unit == '\f') {
            out += "\\f";
        } else if (unit < 0x20 || (!json && unit == 0x7F)) {
            escape(unit);
        } else if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += QString(text.mid(i, 2)).toStdString();
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            escape(unit);
        } else {
            out += QString(QChar(unit)).toStdString();
        }
    }
    return out;
}

template<bool Json>
std::string escaped(const QString &text)
{
    std::string out(cli::kEscapedBytesPerUnit * std::size_t(text.size()) + 1, '\0');
    char *end = cli::putEscaped<Json>(out.data(), text);
    out.resize(std::size_t(end - out.data()));
    return out;
}

} // namespace

class EscapedTextTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_env = std::make_unique<TestEnvironment>(); }

    void agreesWithThePlainWayAtEveryPosition()
    {
        // Special units at every offset around the eight-unit steps.
        const QList<char16_t> specials{u'"', u'\\', u'\n', u'\b', u'\f', 0x01, 0x1F, 0x7F, 0x80, 0xE9, 0x3042,
                                       0xD83D, 0xDE00, 0xFFFF, u' ', u'~'};
        for (int length : {1, 7, 8, 9, 15, 16, 17, 33}) {
            for (int at = 0; at < length; ++at) {
                for (char16_t special : specials) {
                    QString text(length, QChar(u'a'));
                    text[at] = QChar(special);
                    QCOMPARE(escaped<true>(text), reference(text, true));
                    QCOMPARE(escaped<false>(text), reference(text, false));
                }
            }
        }
        QRandomGenerator random(7);
        for (int round = 0; round < 2000; ++round) {
            QString text;
            const int length = int(random.bounded(40));
            for (int i = 0; i < length; ++i)
                text.append(QChar(specials[random.bounded(specials.size())]));
            QCOMPARE(escaped<true>(text), reference(text, true));
            QCOMPARE(escaped<false>(text), reference(text, false));
        }
    }

    void jsonStringsAreQuotedAndAppended()
    {
        std::string out = "[";
        cli::appendJsonString(out, QStringLiteral("say \"hi\"\r\n"));
        out += ", ";
        cli::appendJsonString(out, QString());
        out += ", ";
        cli::appendJsonString(out, QStringLiteral("Grüße 😀") + QChar(0xDC00));
        QCOMPARE(out, std::string("[\"say \\\"hi\\\"\\r\\n\", \"\", \"Grüße 😀\\udc00\""));
    }

    // The one escaping of every line the tool writes (dump, diff, check, refs, memory).
    void linesAndResourceNamesAsTheToolWritesThem()
    {
        QCOMPARE(cli::lineText(QStringLiteral("a\tb\nc\\ \"q\"")), std::string("a\\tb\\nc\\\\ \"q\""));
        QCOMPARE(cli::lineText(QString()), std::string());
        const QString controls = QString(1000, QChar(0x01)) + QChar(0xD83D);
        QCOMPARE(cli::lineText(controls), reference(controls, false));
        QCOMPARE(cli::resourceName(resutil::ResName::fromOrdinal(65535)), std::string("65535"));
        QCOMPARE(cli::resourceName(resutil::ResName::fromOrdinal(0)), std::string("0"));
        QCOMPARE(cli::resourceName(resutil::ResName::fromString(QStringLiteral("MY\"ICON"))), std::string("\"MY\\\"ICON\""));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(EscapedTextTest)
#include "escapedtext_test.moc"
