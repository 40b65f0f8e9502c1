#include "spelling/SpellChecker.h"

#include "platform/common/AtomicFile.h"
#include "platform/win32core/Nls.h"
#include "spelling/DictionaryFolders.h"

#include <hunspell.hxx>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>


namespace spelling {

namespace {

// Enough for the words of a large table; cleared rather than grown beyond it.
constexpr qsizetype kMaxRemembered = 1 << 18;

} // namespace

std::unique_ptr<SpellChecker> SpellChecker::open(qint32 localeId, const QStringList &folders)
{
    const QString path = dictionaryPath(localeId, folders);
    if (path.isEmpty())
        return nullptr;
    const QByteArray aff = QFile::encodeName(path + QStringLiteral(".aff"));
    const QByteArray dic = QFile::encodeName(path + QStringLiteral(".dic"));
    auto hunspell = std::make_unique<Hunspell>(aff.constData(), dic.constData());
    std::unique_ptr<SpellChecker> checker(new SpellChecker(localeId, path, std::move(hunspell)));
    checker->readUserWords();
    return checker;
}

SpellChecker::SpellChecker(qint32 localeId, QString dictionaryPath, std::unique_ptr<Hunspell> hunspell)
    : m_localeId(localeId), m_dictionaryPath(std::move(dictionaryPath)), m_hunspell(std::move(hunspell))
{
    m_encoding = QByteArray::fromStdString(m_hunspell->get_dict_encoding());
    m_utf8 = m_encoding.isEmpty() || m_encoding.compare("UTF-8", Qt::CaseInsensitive) == 0 ||
             !QStringEncoder(m_encoding.constData()).isValid();
    QString tag = win32::LCIDToLocaleName(win32::LCID(localeId), win32::LOCALE_ALLOW_NEUTRAL_NAMES);
    if (tag.isEmpty())
        tag = QString::number(localeId);
    m_userWordList = userWordListPath(tag);
}

SpellChecker::~SpellChecker() = default;

QString SpellChecker::dictionaryName() const { return QFileInfo(m_dictionaryPath).fileName(); }

std::string SpellChecker::encoded(QStringView word, bool *ok) const
{
    *ok = true;
    if (m_utf8)
        return word.toUtf8().toStdString();
    QStringEncoder encoder(m_encoding.constData(), QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(word);
    *ok = !encoder.hasError();
    return bytes.toStdString();
}

QString SpellChecker::decoded(const std::string &bytes) const
{
    if (m_utf8)
        return QString::fromStdString(bytes);
    QStringDecoder decoder(m_encoding.constData(), QStringConverter::Flag::Stateless);
    return decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

bool SpellChecker::knows(QStringView word)
{
    if (word.isEmpty())
        return true;
    const QString key = word.toString();
    if (const auto it = m_known.constFind(key); it != m_known.constEnd())
        return *it;
    bool representable = true;
    const std::string bytes = encoded(word, &representable);
    // A word the dictionary's code page cannot hold is none of its words.
    const bool known = m_ignored.contains(key) || (representable && m_hunspell->spell(bytes));
    if (m_known.size() >= kMaxRemembered)
        m_known.clear();
    m_known.insert(key, known);
    return known;
}

QStringList SpellChecker::suggestions(QStringView word)
{
    bool representable = true;
    const std::string bytes = encoded(word, &representable);
    if (!representable)
        return {};
    QStringList out;
    for (const std::string &s : m_hunspell->suggest(bytes))
        out.append(decoded(s));
    return out;
}

QList<Word> SpellChecker::misspellings(QStringView text, QStringView sourceText)
{
    return *spelling::misspellings(text, sourceText, [this](const QString &word) { return std::optional<bool>(knows(word)); });
}

void SpellChecker::readUserWords()
{
    QFile file(m_userWordList);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const QString word = line.trimmed();
        if (word.isEmpty() || m_userWords.contains(word))
            continue;
        m_userWords.append(word);
        bool representable = true;
        const std::string bytes = encoded(word, &representable);
        if (representable)
            m_hunspell->add(bytes);
        else
            m_ignored.insert(word);
    }
}

qm::Status SpellChecker::addToDictionary(const QString &word)
{
    const QString trimmed = word.trimmed();
    if (trimmed.isEmpty() || trimmed.contains(u'\n') || trimmed.contains(u'\r'))
        return qm::makeError(QStringLiteral("\"%1\" is not a word that a word list can hold").arg(word));
    if (m_userWords.contains(trimmed))
        return {};
    QStringList updated = m_userWords;
    updated.append(trimmed);
    if (!QDir().mkpath(QFileInfo(m_userWordList).absolutePath()))
        return qm::makeError(QStringLiteral("%1: the folder cannot be created").arg(QFileInfo(m_userWordList).absolutePath()));
    const QByteArray bytes = (updated.join(u'\n') + u'\n').toUtf8();
    if (auto status = qm::writeFileAtomically(m_userWordList, bytes); !status.ok())
        return status;
    m_userWords = updated;
    bool representable = true;
    const std::string encodedWord = encoded(trimmed, &representable);
    if (representable)
        m_hunspell->add(encodedWord);
    else
        m_ignored.insert(trimmed);
    m_known.remove(trimmed);
    return {};
}

void SpellChecker::ignore(const QString &word)
{
    m_ignored.insert(word);
    m_known.remove(word);
}

} // namespace spelling
