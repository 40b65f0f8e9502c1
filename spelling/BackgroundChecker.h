#pragma once

// Which words each language's dictionary knows, asked off the caller's
// thread, with one dictionary open at a time: a dictionary holds megabytes,
// and a table shows many languages. Words are answered a language at a time,
// so drawing a screenful reads each dictionary it needs once; what is known
// stays known (the verdicts are kept per word) after its dictionary is closed.

#include "platform/common/Result.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class QObject;

namespace spelling {

class SpellChecker;

class BackgroundChecker {
public:
    // answered runs on the thread that made the checker, from its event
    // loop, whenever verdicts on words asked have come in.
    BackgroundChecker(QStringList folders, std::function<void()> answered);
    // Waits for the words in hand, not for those still waiting.
    ~BackgroundChecker();
    BackgroundChecker(const BackgroundChecker &) = delete;
    BackgroundChecker &operator=(const BackgroundChecker &) = delete;

    // Whether the language has a dictionary, without reading it.
    bool hasDictionary(qint32 localeId) const;
    // The verdict on a word of a language with a dictionary, once there is
    // one; until then nothing, and the word is asked.
    std::optional<bool> knows(qint32 localeId, const QString &word);
    // Waits until every word asked has its verdict.
    void settle();

    // These wait for the language's dictionary.
    QStringList suggestions(qint32 localeId, const QString &word);
    // Adds word to the user's list for the language, which is saved at once.
    qm::Status addToDictionary(qint32 localeId, const QString &word);
    // Knows word until the checker is closed.
    void ignore(qint32 localeId, const QString &word);

    // How often a dictionary was read, and which one is open now (0 for none).
    int dictionariesRead() const;
    qint32 openDictionary() const;

private:
    using Task = std::function<void(SpellChecker *)>;
    struct Shared;
    void run();
    void runWith(qint32 localeId, Task task);
    void takeAnswers();

    QStringList m_folders;
    std::function<void()> m_answered;
    std::unique_ptr<QObject> m_context; // where answered runs; queued calls die with it
    mutable QHash<qint32, bool> m_hasDictionary;
    QHash<qint32, QHash<QString, bool>> m_verdicts;
    QHash<qint32, QSet<QString>> m_asked;
    QHash<qint32, QSet<QString>> m_ignored;
    std::unique_ptr<Shared> m_shared;
    std::thread m_worker;
};

} // namespace spelling
