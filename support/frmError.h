#pragma once

#include <QString>

// Shows one error report and returns when the user has dismissed it.
void ShowError(const QString &functionName, int lineNumber, const QString &description,
               const QString &details = QString());
