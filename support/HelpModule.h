#pragma once

// Context help through the add-in's help file.

#include <QString>

class QWidget;

namespace HelpModule {

// The help commands the add-in uses, with the values of the HTML Help API.
inline constexpr int HH_DISPLAY_TOPIC = 0;
inline constexpr int HH_HELP_CONTEXT = 15;

// The context topics of the dialogs' help buttons.
inline constexpr int kTopicAddLanguage = 100;
inline constexpr int kTopicRemoveLanguage = 101;
inline constexpr int kTopicAbout = 102;
inline constexpr int kTopicExcel = 104;
inline constexpr int kTopicSelectFont = 106;

// The application's help file: HelpFilePath once connected, else the one beside the
// library; in German the German help set, where it is installed.
QString HelpFile();
// The help set of helpFile in that UI language: the German one for 1031 when it exists.
QString LocalizedHelpFile(const QString &helpFile, int uiLanguage);
// Opens the help file in a window owned by owner (the window of the help button):
// HH_DISPLAY_TOPIC shows its default topic, HH_HELP_CONTEXT the topic.
void HtmlHelp(QWidget *owner, int command, int topic = 0);

} // namespace HelpModule
