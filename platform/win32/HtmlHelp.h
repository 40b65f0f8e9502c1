#pragma once

#include "platform/common/Result.h"
#include "platform/win32/HtmlHelpSet.h"

#include <QUrl>
#include <QWidget>

#include <memory>

class QListWidget;
class QListWidgetItem;
class QTextBrowser;
class QToolButton;

namespace win32 {

// The commands of the HTML Help call that the system uses.
enum HtmlHelpCommand : int {
    HH_DISPLAY_TOPIC = 0,
    HH_HELP_CONTEXT = 15,
};

// The help window: the table of contents on the left, the topic on the right,
// with Back, Forward and Home.
class HtmlHelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit HtmlHelpViewer(QWidget *owner = nullptr);
    ~HtmlHelpViewer() override;

    // Opens helpFile (kept open while it stays the same file) at a context
    // topic, 0 for its default topic. On failure the window is unchanged.
    qm::Status showTopic(const QString &helpFile, int context);

    QUrl currentTopic() const;
    const HtmlHelpSet *helpSet() const { return m_set.get(); }
    QTextBrowser *browser() const { return m_browser; }
    QListWidget *contentsList() const { return m_contents; }

protected:
    void changeEvent(QEvent *event) override;

private:
    void retranslate();
    void fillContents();
    void followTopic(const QUrl &url);
    void contentsClicked(QListWidgetItem *item);

    std::unique_ptr<HtmlHelpSet> m_set;
    QListWidget *m_contents = nullptr;
    QTextBrowser *m_browser = nullptr;
    QToolButton *m_back = nullptr;
    QToolButton *m_forward = nullptr;
    QToolButton *m_home = nullptr;
};

// Opens the application's help window at a context topic (0: the default topic),
// owned by owner (when none: the active modal dialog or the active window), and
// brings it to the front.
qm::Status HtmlHelp(QWidget *owner, const QString &helpFile, int context);
// The help window HtmlHelp opened, if it is still open.
HtmlHelpViewer *currentHtmlHelpViewer();
// Closes and deletes that window.
void closeHtmlHelp();

} // namespace win32
