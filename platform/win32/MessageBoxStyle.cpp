// The button sets, icons and default buttons of the Windows message box, and
// what each set answers to Escape.
#include "platform/win32/Interaction.h"

namespace win32 {

QList<int> msgBoxAnswers(int style)
{
    switch (style & kMsgBoxButtonsMask) {
    case vbOKOnly: return {vbOK};
    case vbOKCancel: return {vbOK, vbCancel};
    case vbAbortRetryIgnore: return {vbAbort, vbRetry, vbIgnore};
    case vbYesNoCancel: return {vbYes, vbNo, vbCancel};
    case vbYesNo: return {vbYes, vbNo};
    case vbRetryCancel: return {vbRetry, vbCancel};
    default: return {};
    }
}

int msgBoxEscapeAnswer(int style)
{
    const QList<int> answers = msgBoxAnswers(style);
    if (answers.contains(vbCancel))
        return vbCancel;
    if (answers.contains(vbNo))
        return vbNo;
    if (answers == QList<int>{vbOK})
        return vbOK;
    return 0;
}

bool isValidMsgBoxStyle(int style)
{
    if (style & ~(kMsgBoxButtonsMask | kMsgBoxIconMask | kMsgBoxDefaultMask))
        return false;
    const int icon = style & kMsgBoxIconMask;
    if (icon != 0 && icon != vbCritical && icon != vbQuestion && icon != vbExclamation && icon != vbInformation)
        return false;
    const int defaultButton = (style & kMsgBoxDefaultMask) >> 8;
    const QList<int> answers = msgBoxAnswers(style);
    return !answers.isEmpty() && defaultButton < 3;
}

} // namespace win32
