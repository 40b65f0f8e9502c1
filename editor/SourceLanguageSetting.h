#pragma once

// The language a project's translations are checked against, kept per project
// file in the registry beside its column layout.

#include <QString>

#include <cstdint>

// 0 when nothing is stored for the project file or it has no name yet.
std::int32_t GetStoredSourceLanguage(const QString &projectFile);
void StoreSourceLanguage(const QString &projectFile, std::int32_t localeId);
