#include "platform/runtime/RuntimeSupport.h"

#include <QList>
#include <QPointer>

#include <algorithm>
#include <vector>

namespace LgvRuntime {
namespace {

struct SharedLanguage {
    int id = 2057;
    QString name = QStringLiteral("English (United Kingdom)");
    std::vector<RuntimeSupport *> live;
    quint64 generation = 0;
};

SharedLanguage &shared()
{
    static SharedLanguage instance;
    return instance;
}

} // namespace

RuntimeSupport::RuntimeSupport(QObject *parent) : QObject(parent) { shared().live.push_back(this); }

RuntimeSupport::~RuntimeSupport()
{
    auto &live = shared().live;
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

int RuntimeSupport::LanguageId() const { return shared().id; }

QString RuntimeSupport::Language() const { return shared().name; }

void RuntimeSupport::SetLanguage(int languageId, const QString &language)
{
    shared().id = languageId;
    shared().name = language;
    const quint64 generation = ++shared().generation;
    // A handler may delete other objects or create new ones; only those alive
    // when the change was made are told, and none after it has gone. A handler
    // that sets the language again has told everyone the newer one.
    QList<QPointer<RuntimeSupport>> receivers;
    for (RuntimeSupport *object : shared().live)
        receivers.append(object);
    for (const QPointer<RuntimeSupport> &object : receivers) {
        if (shared().generation != generation)
            break;
        if (object)
            emit object->LanguageChanged(languageId, language);
    }
}

int RuntimeSupport::LiveCount() { return int(shared().live.size()); }

} // namespace LgvRuntime
