#pragma once

#include "platform/common/Result.h"

#include <QByteArray>
#include <QString>

namespace LgvRuntime {

// Names of Windows locales (by locale ID) in a given language, from ICU's data.
class LocaleInfo {
public:
    LocaleInfo() = default;
    virtual ~LocaleInfo() = default;

    // The name of locale `lcid` in the language of locale `displayLanguage`
    // ("German (Germany)" for 1031 in 2057, "Deutsch (Deutschland)" in 1031).
    qm::Result<QString> GetLocaleName(int lcid, int displayLanguage) const;

    // The ICU locale ID ("en_GB") of a Windows locale ID.
    static qm::Result<QByteArray> LocaleTag(int lcid);
};

} // namespace LgvRuntime
