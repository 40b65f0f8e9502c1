#include "platform/win32/HtmlHelp.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPointer>
#include <QSplitter>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

namespace win32 {
namespace {

QToolButton *makeButton(QWidget *parent, const char *name, QStyle::StandardPixmap icon)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    return button;
}

QUrl withoutFragment(const QUrl &url) { return url.adjusted(QUrl::RemoveFragment); }

QPointer<HtmlHelpViewer> g_viewer;

} // namespace

HtmlHelpViewer::HtmlHelpViewer(QWidget *owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("HtmlHelpViewer"));

    m_back = makeButton(this, "cmdBack", QStyle::SP_ArrowBack);
    m_forward = makeButton(this, "cmdForward", QStyle::SP_ArrowForward);
    m_home = makeButton(this, "cmdHome", QStyle::SP_DirHomeIcon);
    m_back->setEnabled(false);
    m_forward->setEnabled(false);
    m_home->setEnabled(false);

    m_contents = new QListWidget(this);
    m_contents->setObjectName(QStringLiteral("lstContents"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("txtTopic"));
    m_browser->setOpenExternalLinks(true);

    auto *splitter = new QSplitter(this);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->addWidget(m_contents);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 560});

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_back);
    buttons->addWidget(m_forward);
    buttons->addWidget(m_home);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);
    resize(820, 600);
    retranslate();

    connect(m_back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_home, &QToolButton::clicked, this, [this] {
        if (m_set)
            if (qm::Result<QUrl> home = m_set->topic(0); home.ok())
                m_browser->setSource(*home);
    });
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HtmlHelpViewer::followTopic);
    connect(m_contents, &QListWidget::itemClicked, this, &HtmlHelpViewer::contentsClicked);
    connect(m_contents, &QListWidget::itemActivated, this, &HtmlHelpViewer::contentsClicked);
}

HtmlHelpViewer::~HtmlHelpViewer()
{
    // The pages must stay readable until the browser has let go of them.
    delete m_browser;
    m_browser = nullptr;
}

qm::Status HtmlHelpViewer::showTopic(const QString &helpFile, int context)
{
    std::unique_ptr<HtmlHelpSet> opened;
    const HtmlHelpSet *set = m_set.get();
    if (!set || set->file() != QFileInfo(helpFile).absoluteFilePath() || !QFileInfo::exists(helpFile)) {
        qm::Result<std::unique_ptr<HtmlHelpSet>> result = HtmlHelpSet::open(helpFile);
        if (!result.ok())
            return result.error();
        opened = std::move(result).value();
        set = opened.get();
    }
    qm::Result<QUrl> url = set->topic(context);
    if (!url.ok())
        return url.error();
    if (opened) {
        m_browser->clear();
        m_browser->clearHistory();
        m_set = std::move(opened);
        retranslate();
        fillContents();
        m_home->setEnabled(true);
    }
    m_browser->setSource(*url);
    return {};
}

void HtmlHelpViewer::retranslate()
{
    // The help set's own title, else the window's name in the UI language.
    setWindowTitle(m_set && !m_set->title().isEmpty() ? m_set->title() : tr("Help"));
    setAccessibleName(windowTitle());
    const std::pair<QToolButton *, QString> buttons[] = {{m_back, tr("Back")}, {m_forward, tr("Forward")}, {m_home, tr("Home")}};
    for (const auto &[button, text] : buttons) {
        button->setText(text);
        button->setAccessibleName(text);
        button->setToolTip(text);
    }
    m_contents->setAccessibleName(tr("Contents"));
    m_browser->setAccessibleName(tr("Topic"));
}

void HtmlHelpViewer::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

QUrl HtmlHelpViewer::currentTopic() const { return m_browser->source(); }

void HtmlHelpViewer::fillContents()
{
    m_contents->clear();
    for (const HtmlHelpSet::Entry &entry : m_set->contents()) {
        auto *item = new QListWidgetItem(entry.title, m_contents);
        item->setData(Qt::UserRole, entry.url);
        item->setData(Qt::AccessibleTextRole, entry.title);
    }
}

void HtmlHelpViewer::followTopic(const QUrl &url)
{
    const QUrl page = withoutFragment(url);
    for (int row = 0; row < m_contents->count(); ++row) {
        QListWidgetItem *item = m_contents->item(row);
        if (withoutFragment(item->data(Qt::UserRole).toUrl()) == page) {
            m_contents->setCurrentItem(item);
            return;
        }
    }
    m_contents->setCurrentItem(nullptr);
}

void HtmlHelpViewer::contentsClicked(QListWidgetItem *item)
{
    if (item && m_set && m_set->contains(item->data(Qt::UserRole).toUrl()))
        m_browser->setSource(item->data(Qt::UserRole).toUrl());
}

qm::Status HtmlHelp(QWidget *owner, const QString &helpFile, int context)
{
    // Like an HTML Help window, the viewer belongs to the window that asked for it,
    // so it can be used while that window is modal and closes with it.
    if (!owner)
        owner = QApplication::activeModalWidget();
    if (!owner)
        owner = QApplication::activeWindow();
    if (g_viewer && owner == g_viewer.data())
        owner = g_viewer->parentWidget();
    if (g_viewer && g_viewer->parentWidget() != owner)
        closeHtmlHelp();
    std::unique_ptr<HtmlHelpViewer> created;
    HtmlHelpViewer *viewer = g_viewer.data();
    if (!viewer) {
        created = std::make_unique<HtmlHelpViewer>(owner);
        viewer = created.get();
    }
    if (qm::Status status = viewer->showTopic(helpFile, context); !status.ok())
        return status;
    if (created) {
        created->setAttribute(Qt::WA_DeleteOnClose);
        g_viewer = created.release();
    }
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return {};
}

HtmlHelpViewer *currentHtmlHelpViewer() { return g_viewer.data(); }

void closeHtmlHelp()
{
    delete g_viewer.data();
    g_viewer = nullptr;
}

} // namespace win32
