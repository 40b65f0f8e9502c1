#include "spelling/BackgroundChecker.h"

#include "spelling/DictionaryFolders.h"
#include "spelling/SpellChecker.h"

#include <QMetaObject>
#include <QObject>

#include <deque>
#include <future>

namespace spelling {

namespace {
// Far more words than a table's languages use; cleared rather than grown beyond it.
constexpr qsizetype kMaxVerdicts = 1 << 18;
} // namespace

struct BackgroundChecker::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::map<qint32, QStringList> waiting;                          // words to ask, per language
    std::map<qint32, std::vector<std::pair<QString, bool>>> answers; // verdicts not yet taken in
    std::deque<std::pair<qint32, Task>> tasks;
    bool busy = false;
    bool stopping = false;
    int reads = 0;
    qint32 open = 0;
};

BackgroundChecker::BackgroundChecker(QStringList folders, std::function<void()> answered)
    : m_folders(std::move(folders)), m_answered(std::move(answered)), m_context(std::make_unique<QObject>()),
      m_shared(std::make_unique<Shared>())
{
    m_worker = std::thread([this] { run(); });
}

BackgroundChecker::~BackgroundChecker()
{
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->stopping = true;
    }
    m_shared->wake.notify_all();
    m_worker.join();
}

bool BackgroundChecker::hasDictionary(qint32 localeId) const
{
    const auto it = m_hasDictionary.constFind(localeId);
    if (it != m_hasDictionary.constEnd())
        return *it;
    return *m_hasDictionary.insert(localeId, !dictionaryPath(localeId, m_folders).isEmpty());
}

std::optional<bool> BackgroundChecker::knows(qint32 localeId, const QString &word)
{
    if (m_ignored.value(localeId).contains(word))
        return true;
    const QHash<QString, bool> &verdicts = m_verdicts[localeId];
    if (const auto it = verdicts.constFind(word); it != verdicts.constEnd())
        return *it;
    QSet<QString> &asked = m_asked[localeId];
    if (asked.contains(word))
        return std::nullopt;
    asked.insert(word);
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->waiting[localeId].append(word);
    }
    m_shared->wake.notify_one();
    return std::nullopt;
}

void BackgroundChecker::settle()
{
    {
        std::unique_lock lock(m_shared->mutex);
        m_shared->idle.wait(lock, [this] { return m_shared->waiting.empty() && m_shared->tasks.empty() && !m_shared->busy; });
    }
    takeAnswers();
}

void BackgroundChecker::takeAnswers()
{
    std::map<qint32, std::vector<std::pair<QString, bool>>> answers;
    {
        std::lock_guard lock(m_shared->mutex);
        answers.swap(m_shared->answers);
    }
    for (auto &[localeId, verdicts] : answers) {
        QHash<QString, bool> &known = m_verdicts[localeId];
        QSet<QString> &asked = m_asked[localeId];
        if (known.size() + qsizetype(verdicts.size()) > kMaxVerdicts)
            known.clear();
        for (auto &[word, verdict] : verdicts) {
            asked.remove(word);
            known.insert(std::move(word), verdict);
        }
    }
}

void BackgroundChecker::runWith(qint32 localeId, Task task)
{
    std::promise<void> done;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->tasks.emplace_back(localeId, [&](SpellChecker *checker) {
            task(checker);
            done.set_value();
        });
    }
    m_shared->wake.notify_one();
    done.get_future().wait();
}

QStringList BackgroundChecker::suggestions(qint32 localeId, const QString &word)
{
    QStringList found;
    runWith(localeId, [&](SpellChecker *checker) {
        if (checker)
            found = checker->suggestions(word);
    });
    return found;
}

qm::Status BackgroundChecker::addToDictionary(qint32 localeId, const QString &word)
{
    qm::Status added = qm::makeError(QStringLiteral("the language has no dictionary"));
    runWith(localeId, [&](SpellChecker *checker) {
        if (checker)
            added = checker->addToDictionary(word);
    });
    if (added.ok())
        m_verdicts[localeId].insert(word.trimmed(), true);
    return added;
}

void BackgroundChecker::ignore(qint32 localeId, const QString &word) { m_ignored[localeId].insert(word); }

int BackgroundChecker::dictionariesRead() const
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->reads;
}

qint32 BackgroundChecker::openDictionary() const
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->open;
}

void BackgroundChecker::run()
{
    std::unique_ptr<SpellChecker> checker;
    qint32 checkerLocale = 0;
    // The one dictionary open: the one before is closed before the next is read.
    const auto use = [&](qint32 localeId) {
        if (checkerLocale == localeId)
            return checker.get();
        checker.reset();
        checker = SpellChecker::open(localeId, m_folders);
        checkerLocale = localeId;
        std::lock_guard lock(m_shared->mutex);
        ++m_shared->reads;
        m_shared->open = checker ? localeId : 0;
        return checker.get();
    };
    for (;;) {
        std::unique_lock lock(m_shared->mutex);
        m_shared->wake.wait(lock, [this] {
            return m_shared->stopping || !m_shared->tasks.empty() || !m_shared->waiting.empty();
        });
        if (m_shared->stopping)
            return;
        m_shared->busy = true;
        if (!m_shared->tasks.empty()) {
            auto [localeId, task] = std::move(m_shared->tasks.front());
            m_shared->tasks.pop_front();
            lock.unlock();
            task(use(localeId));
        } else {
            // The open dictionary's words first: no dictionary is read twice for one screenful.
            auto next = m_shared->waiting.find(checkerLocale);
            if (next == m_shared->waiting.end())
                next = m_shared->waiting.begin();
            const qint32 localeId = next->first;
            const QStringList words = std::move(next->second);
            m_shared->waiting.erase(next);
            lock.unlock();
            SpellChecker *spell = use(localeId);
            std::vector<std::pair<QString, bool>> verdicts;
            verdicts.reserve(std::size_t(words.size()));
            // A dictionary that cannot be read marks nothing as misspelt.
            for (const QString &word : words)
                verdicts.emplace_back(word, !spell || spell->knows(word));
            {
                std::lock_guard answered(m_shared->mutex);
                auto &into = m_shared->answers[localeId];
                into.insert(into.end(), std::make_move_iterator(verdicts.begin()), std::make_move_iterator(verdicts.end()));
            }
            QMetaObject::invokeMethod(m_context.get(), [this] {
                takeAnswers();
                m_answered();
            }, Qt::QueuedConnection);
        }
        lock.lock();
        m_shared->busy = false;
        m_shared->idle.notify_all();
    }
}

} // namespace spelling
