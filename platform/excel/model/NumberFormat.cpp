#include "platform/excel/model/NumberFormat.h"

#include <QDate>
#include <QStringList>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace excel {

QString builtInNumberFormat(int id)
{
    switch (id) {
    case 0: return QStringLiteral("General");
    case 1: return QStringLiteral("0");
    case 2: return QStringLiteral("0.00");
    case 3: return QStringLiteral("#,##0");
    case 4: return QStringLiteral("#,##0.00");
    case 9: return QStringLiteral("0%");
    case 10: return QStringLiteral("0.00%");
    case 11: return QStringLiteral("0.00E+00");
    case 12: return QStringLiteral("# ?/?");
    case 13: return QStringLiteral("# ??/??");
    case 14: return QStringLiteral("mm-dd-yy");
    case 15: return QStringLiteral("d-mmm-yy");
    case 16: return QStringLiteral("d-mmm");
    case 17: return QStringLiteral("mmm-yy");
    case 18: return QStringLiteral("h:mm AM/PM");
    case 19: return QStringLiteral("h:mm:ss AM/PM");
    case 20: return QStringLiteral("h:mm");
    case 21: return QStringLiteral("h:mm:ss");
    case 22: return QStringLiteral("m/d/yy h:mm");
    case 37: return QStringLiteral("#,##0 ;(#,##0)");
    case 38: return QStringLiteral("#,##0 ;[Red](#,##0)");
    case 39: return QStringLiteral("#,##0.00;(#,##0.00)");
    case 40: return QStringLiteral("#,##0.00;[Red](#,##0.00)");
    case 45: return QStringLiteral("mm:ss");
    case 46: return QStringLiteral("[h]:mm:ss");
    case 47: return QStringLiteral("mmss.0");
    case 48: return QStringLiteral("##0.0E+0");
    case 49: return QStringLiteral("@");
    default: return QString();
    }
}

namespace {
// Rounds to `decimals` places, halves away from zero, on the value's 15
// significant digits (as Excel shows 1.005 with two decimals as 1.01).
double roundDecimal(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value * scale);
    return std::round(std::strtod(buf, nullptr)) / scale;
}
} // namespace

QString formatGeneral(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("#NUM!");
    if (value == 0)
        return QStringLiteral("0");
    const double a = std::fabs(value);
    const QString sign = value < 0 ? QStringLiteral("-") : QString();
    char buf[64];
    if (a < 1e11 && a >= 1e-9) {
        const int intDigits = a < 1 ? 1 : int(std::floor(std::log10(a))) + 1;
        const int decimals = std::max(0, 10 - intDigits);
        std::snprintf(buf, sizeof buf, "%.*f", decimals, roundDecimal(a, decimals));
        QString s = QString::fromLatin1(buf);
        if (s.contains(u'.')) {
            while (s.endsWith(u'0'))
                s.chop(1);
            if (s.endsWith(u'.'))
                s.chop(1);
        }
        if (s.size() <= 11 && s != QLatin1String("0"))
            return sign + s;
    }
    // Scientific: mantissa with up to five decimals, exponent with at least two digits.
    std::snprintf(buf, sizeof buf, "%.5E", a);
    QString s = QString::fromLatin1(buf);
    const int e = s.indexOf(u'E');
    QString mantissa = s.left(e);
    QString exponent = s.mid(e + 1);
    if (mantissa.contains(u'.')) {
        while (mantissa.endsWith(u'0'))
            mantissa.chop(1);
        if (mantissa.endsWith(u'.'))
            mantissa.chop(1);
    }
    const QChar expSign = exponent.at(0);
    QString digits = exponent.mid(1);
    while (digits.size() > 2 && digits.startsWith(u'0'))
        digits.remove(0, 1);
    return sign + mantissa + u'E' + expSign + digits;
}

namespace {

// One section of a format code, split into literal text and format tokens.
struct Token {
    enum Kind { Literal, Digit, Point, Comma, Percent, Exponent, Date, AmPm, Elapsed, General, At } kind;
    QString text;
};

QStringList splitSections(const QString &code)
{
    QStringList sections;
    QString current;
    bool quoted = false, bracket = false;
    for (int i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c == u'"' && !bracket)
            quoted = !quoted;
        else if (!quoted && c == u'[')
            bracket = true;
        else if (!quoted && c == u']')
            bracket = false;
        else if (!quoted && !bracket && c == u'\\' && i + 1 < code.size()) {
            current += c;
            current += code.at(++i);
            continue;
        } else if (!quoted && !bracket && c == u';') {
            sections << current;
            current.clear();
            continue;
        }
        current += c;
    }
    sections << current;
    return sections;
}

QList<Token> tokenize(const QString &s)
{
    QList<Token> tokens;
    auto literal = [&](const QString &t) {
        if (!tokens.isEmpty() && tokens.last().kind == Token::Literal)
            tokens.last().text += t;
        else
            tokens.append({Token::Literal, t});
    };
    for (int i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        const QChar lc = c.toLower();
        if (c == u'"') {
            const int end = s.indexOf(u'"', i + 1);
            literal(s.mid(i + 1, (end < 0 ? s.size() : end) - i - 1));
            i = end < 0 ? s.size() : end;
        } else if (c == u'\\' && i + 1 < s.size()) {
            literal(s.at(++i));
        } else if (c == u'_' && i + 1 < s.size()) {
            literal(QStringLiteral(" "));
            ++i;
        } else if (c == u'*' && i + 1 < s.size()) {
            ++i; // fill character: no column width to fill here
        } else if (c == u'[') {
            const int end = s.indexOf(u']', i);
            const QString inner = s.mid(i + 1, (end < 0 ? s.size() : end) - i - 1).toLower();
            if (!inner.isEmpty() && (inner.at(0) == u'h' || inner.at(0) == u'm' || inner.at(0) == u's')
                && inner.count(inner.at(0)) == inner.size())
                tokens.append({Token::Elapsed, inner});
            i = end < 0 ? s.size() : end;
        } else if (c == u'0' || c == u'#' || c == u'?') {
            tokens.append({Token::Digit, QString(c)});
        } else if (c == u'.') {
            tokens.append({Token::Point, QStringLiteral(".")});
        } else if (c == u',') {
            tokens.append({Token::Comma, QStringLiteral(",")});
        } else if (c == u'%') {
            tokens.append({Token::Percent, QStringLiteral("%")});
        } else if (lc == u'e' && i + 1 < s.size() && (s.at(i + 1) == u'+' || s.at(i + 1) == u'-')) {
            tokens.append({Token::Exponent, s.mid(i, 2)});
            ++i;
        } else if (s.mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0) {
            tokens.append({Token::AmPm, QStringLiteral("AM/PM")});
            i += 4;
        } else if (s.mid(i, 3).compare(QLatin1String("A/P"), Qt::CaseInsensitive) == 0) {
            tokens.append({Token::AmPm, s.mid(i, 3)});
            i += 2;
        } else if (s.mid(i, 7).compare(QLatin1String("General"), Qt::CaseInsensitive) == 0) {
            tokens.append({Token::General, QString()});
            i += 6;
        } else if (lc == u'y' || lc == u'm' || lc == u'd' || lc == u'h' || lc == u's') {
            int j = i;
            while (j < s.size() && s.at(j).toLower() == lc)
                ++j;
            tokens.append({Token::Date, s.mid(i, j - i).toLower()});
            i = j - 1;
        } else if (c == u'@') {
            tokens.append({Token::At, QString()});
        } else {
            literal(QString(c));
        }
    }
    return tokens;
}

QString formatDate(double value, const QList<Token> &tokens, bool date1904)
{
    if (value < 0 || value > 2958466)
        return QString(16, u'#');
    double days = std::floor(value);
    double seconds = (value - days) * 86400.0;
    bool hasFraction = false;
    for (const Token &t : tokens)
        if (t.kind == Token::Point)
            hasFraction = true;
    seconds = hasFraction ? std::round(seconds * 10) / 10 : std::round(seconds);
    if (seconds >= 86400) {
        seconds -= 86400;
        days += 1;
    }
    QDate date;
    if (date1904)
        date = QDate(1904, 1, 1).addDays(qint64(days));
    else if (days < 60)
        date = QDate(1899, 12, 31).addDays(qint64(days));
    else if (days > 60)
        date = QDate(1899, 12, 30).addDays(qint64(days));
    int year = date.year(), month = date.month(), day = date.day(), weekday = date.dayOfWeek();
    if (!date1904 && days == 60) { // the 29 February 1900 that Lotus invented
        year = 1900; month = 2; day = 29; weekday = 3;
    }
    if (!date1904 && days == 0) { // shown as 0 January 1900
        year = 1900; month = 1; day = 0; weekday = 6;
    }
    const qint64 totalSeconds = qint64(std::floor(seconds));
    const int hour = int(totalSeconds / 3600), minute = int(totalSeconds / 60 % 60), second = int(totalSeconds % 60);
    bool ampm = false;
    for (const Token &t : tokens)
        if (t.kind == Token::AmPm)
            ampm = true;
    static const char *monthNames[] = {"January", "February", "March", "April", "May", "June", "July",
                                       "August", "September", "October", "November", "December"};
    static const char *dayNames[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
    auto two = [](qint64 n) { return QString::number(n).rightJustified(2, u'0'); };

    QString out;
    for (int i = 0; i < tokens.size(); ++i) {
        const Token &t = tokens[i];
        switch (t.kind) {
        case Token::Literal: out += t.text; break;
        case Token::Date: {
            const QChar k = t.text.at(0);
            const int n = int(t.text.size());
            bool minutes = false;
            if (k == u'm') {
                // m means minutes right after an hour or right before a second.
                for (int j = i - 1; j >= 0; --j) {
                    if (tokens[j].kind == Token::Date || tokens[j].kind == Token::Elapsed) {
                        minutes = tokens[j].text.startsWith(u'h');
                        break;
                    }
                }
                for (int j = i + 1; j < tokens.size() && !minutes; ++j) {
                    if (tokens[j].kind == Token::Date || tokens[j].kind == Token::Elapsed) {
                        minutes = tokens[j].text.startsWith(u's');
                        break;
                    }
                }
            }
            if (k == u'y')
                out += n <= 2 ? two(year % 100) : QString::number(year);
            else if (k == u'm' && minutes)
                out += n >= 2 ? two(minute) : QString::number(minute);
            else if (k == u'm')
                out += n == 1 ? QString::number(month)
                     : n == 2 ? two(month)
                     : n == 3 ? QString::fromLatin1(monthNames[month - 1]).left(3)
                     : n == 5 ? QString::fromLatin1(monthNames[month - 1]).left(1)
                              : QString::fromLatin1(monthNames[month - 1]);
            else if (k == u'd')
                out += n == 1 ? QString::number(day)
                     : n == 2 ? two(day)
                     : n == 3 ? QString::fromLatin1(dayNames[weekday - 1]).left(3)
                              : QString::fromLatin1(dayNames[weekday - 1]);
            else if (k == u'h') {
                const int h = ampm ? (hour % 12 == 0 ? 12 : hour % 12) : hour;
                out += n >= 2 ? two(h) : QString::number(h);
            } else if (k == u's') {
                out += n >= 2 ? two(second) : QString::number(second);
            }
            break;
        }
        case Token::Elapsed: {
            const QChar k = t.text.at(0);
            const qint64 whole = qint64(days) * 86400 + totalSeconds;
            const qint64 n = k == u'h' ? whole / 3600 : k == u'm' ? whole / 60 : whole;
            out += QString::number(n).rightJustified(t.text.size(), u'0');
            break;
        }
        case Token::AmPm:
            if (t.text.size() == 5)
                out += hour < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
            else
                out += hour < 12 ? t.text.at(0) : t.text.at(2);
            break;
        case Token::Point: {
            int zeros = 0;
            while (i + 1 < tokens.size() && tokens[i + 1].kind == Token::Digit) {
                ++zeros;
                ++i;
            }
            if (zeros > 0) {
                const double frac = seconds - std::floor(seconds);
                out += u'.' + QString::number(qint64(std::round(frac * std::pow(10, zeros)))).rightJustified(zeros, u'0');
            } else {
                out += u'.';
            }
            break;
        }
        default: out += t.text; break;
        }
    }
    return out;
}

QString groupThousands(const QString &digits)
{
    QString out;
    const int n = int(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += u',';
        out += digits.at(i);
    }
    return out;
}

// Fills the digit placeholders of one side: `pattern` holds 0, # and ?.
QString fillInteger(const QString &digits, const QString &pattern)
{
    QString d = digits == QLatin1String("0") ? QString() : digits;
    QString out = d;
    // Placeholders beyond the number's digits: 0 shows a zero, ? a space, # nothing.
    for (int i = int(pattern.size()) - int(d.size()) - 1; i >= 0; --i) {
        const QChar p = pattern.at(i);
        if (p == u'0')
            out.prepend(u'0');
        else if (p == u'?')
            out.prepend(u' ');
    }
    return out;
}

QString formatDigits(double value, const QList<Token> &tokens)
{
    QString intPattern, fracPattern, expPattern;
    bool point = false, thousands = false, percent = false, exponent = false;
    QString exponentSign;
    int scale = 0;
    for (int i = 0; i < tokens.size(); ++i) {
        const Token &t = tokens[i];
        if (t.kind == Token::Digit)
            (exponent ? expPattern : point ? fracPattern : intPattern) += t.text;
        else if (t.kind == Token::Point)
            point = true;
        else if (t.kind == Token::Percent)
            percent = true;
        else if (t.kind == Token::Exponent) {
            exponent = true;
            exponentSign = t.text;
        } else if (t.kind == Token::Comma) {
            const bool digitAfter = i + 1 < tokens.size() && tokens[i + 1].kind == Token::Digit;
            if (digitAfter && !point)
                thousands = true;
            else if (!digitAfter)
                ++scale;
        }
    }
    double v = value;
    if (percent)
        v *= 100;
    for (int i = 0; i < scale; ++i)
        v /= 1000;

    int exp10 = 0;
    if (exponent && v != 0) {
        const int step = std::max<int>(1, int(intPattern.size()) > 1 && intPattern.contains(u'#') ? int(intPattern.size()) : 1);
        exp10 = int(std::floor(std::log10(v)));
        exp10 = int(std::floor(double(exp10) / step)) * step;
        v /= std::pow(10.0, exp10);
    }
    char buf[400];
    if (v > 1e300)
        return QString(16, u'#');
    std::snprintf(buf, sizeof buf, "%.*f", int(fracPattern.size()), roundDecimal(v, int(fracPattern.size())));
    QString fixed = QString::fromLatin1(buf);
    if (exponent && fixed.startsWith(QLatin1String("10")) && intPattern.size() <= 1) {
        exp10 += 1;
        std::snprintf(buf, sizeof buf, "%.*f", int(fracPattern.size()), v / 10);
        fixed = QString::fromLatin1(buf);
    }
    const int dot = fixed.indexOf(u'.');
    QString intDigits = dot < 0 ? fixed : fixed.left(dot);
    QString fracDigits = dot < 0 ? QString() : fixed.mid(dot + 1);
    QString intText = fillInteger(intDigits, intPattern);
    if (thousands)
        intText = groupThousands(intText);
    // Trailing # and ? of the decimals drop zeros (? keeps the width).
    for (int i = int(fracPattern.size()) - 1; i >= 0 && fracDigits.endsWith(u'0'); --i) {
        if (fracPattern.at(i) == u'#')
            fracDigits.chop(1);
        else if (fracPattern.at(i) == u'?')
            fracDigits[fracDigits.size() - 1] = u' ';
        else
            break;
    }
    QString expText;
    if (exponent) {
        QString e = QString::number(std::abs(exp10));
        e = fillInteger(e, expPattern);
        expText = exponentSign.at(0) + QString(exp10 < 0 ? QStringLiteral("-") : exponentSign.at(1) == u'+' ? QStringLiteral("+") : QString()) + e;
    }

    // Put the numeric parts where the first of their placeholders stood.
    QString out;
    bool intDone = false, fracDone = false, expDone = false;
    point = exponent = false;
    for (const Token &t : tokens) {
        switch (t.kind) {
        case Token::Literal: out += t.text; break;
        case Token::Percent: out += u'%'; break;
        case Token::Point:
            point = true;
            if (!intDone) {
                out += intText;
                intDone = true;
            }
            out += u'.';
            break;
        case Token::Exponent:
            exponent = true;
            if (!intDone) {
                out += intText;
                intDone = true;
            }
            if (point && !fracDone) {
                out += fracDigits;
                fracDone = true;
            }
            out += expText;
            expDone = true;
            break;
        case Token::Digit:
            if (exponent) {
                expDone = true;
            } else if (point) {
                if (!fracDone) {
                    out += fracDigits;
                    fracDone = true;
                }
            } else if (!intDone) {
                out += intText;
                intDone = true;
            }
            break;
        case Token::General: out += formatGeneral(v); break;
        default: break;
        }
    }
    if (!intDone && !intPattern.isEmpty())
        out += intText;
    Q_UNUSED(expDone);
    return out;
}

} // namespace

QString formatNumber(double value, const QString &code, bool date1904)
{
    if (!std::isfinite(value))
        return QStringLiteral("#NUM!");
    if (code.isEmpty() || code.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
        return formatGeneral(value);
    const QStringList sections = splitSections(code);
    QString section = sections.at(0);
    bool dropSign = false;
    if (value < 0 && sections.size() >= 2 && !sections.at(1).isEmpty()) {
        section = sections.at(1);
        dropSign = true;
    } else if (value == 0 && sections.size() >= 3) {
        section = sections.at(2);
    }
    const QList<Token> tokens = tokenize(section);
    bool isDate = false, hasDigits = false, hasGeneral = false, hasFraction = false;
    for (const Token &t : tokens) {
        if (t.kind == Token::Date || t.kind == Token::AmPm || t.kind == Token::Elapsed)
            isDate = true;
        if (t.kind == Token::Digit)
            hasDigits = true;
        if (t.kind == Token::General)
            hasGeneral = true;
        if (t.kind == Token::Literal && t.text.contains(u'/') && !isDate)
            hasFraction = true;
    }
    if (isDate)
        return formatDate(value, tokens, date1904);
    if (hasFraction && hasDigits)
        return formatGeneral(value);
    const double magnitude = std::fabs(value);
    QString sign = value < 0 && !dropSign ? QStringLiteral("-") : QString();
    if (!hasDigits && !hasGeneral) {
        QString out;
        for (const Token &t : tokens)
            if (t.kind == Token::Literal || t.kind == Token::Percent)
                out += t.text;
        if (tokens.size() == 1 && tokens[0].kind == Token::At)
            return formatGeneral(value);
        return sign + out;
    }
    QString text = formatDigits(magnitude, tokens);
    // A negative number that rounds to zero shows no minus sign.
    bool allZero = true;
    for (QChar c : text)
        if (c.isDigit() && c != u'0')
            allZero = false;
    if (allZero)
        sign.clear();
    return sign + text;
}

} // namespace excel
