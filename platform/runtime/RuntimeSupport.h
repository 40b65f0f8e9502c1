#pragma once

#include <QObject>
#include <QString>

namespace LgvRuntime {

// One process-wide current UI language, seen through any number of these objects.
// Every window holds one; when any code sets the language, every live object
// raises LanguageChanged synchronously, the setting object included, before
// SetLanguage returns.
class RuntimeSupport : public QObject {
    Q_OBJECT
public:
    explicit RuntimeSupport(QObject *parent = nullptr);
    ~RuntimeSupport() override;

    // The shared language; 2057 "English (United Kingdom)" until someone sets it.
    int LanguageId() const;
    QString Language() const;
    // Sets the shared language and tells every live RuntimeSupport object.
    void SetLanguage(int languageId, const QString &language);

    // How many RuntimeSupport objects are alive in the process.
    static int LiveCount();

signals:
    void LanguageChanged(int languageId, QString language);
};

} // namespace LgvRuntime
