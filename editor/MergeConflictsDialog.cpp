#include "editor/MergeConflictsDialog.h"

#include "editor/DialogParts.h"
#include "editor/LanguageTable.h"
#include "uistrings/LgvStringModule.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;

namespace {
constexpr int kTitle = 1107;        // "Conflicting Changes in %0"
constexpr int kExplanation = 1108;  // "&Both you and another program changed these cells ..."
constexpr int kHeaders = 1109;      // ID, Language, Before, Mine, Theirs, Keeps: 1109 to 1114
constexpr int kKeepMine = 1115;
constexpr int kKeepTheirs = 1116;
constexpr int kAllMine = 1117;
constexpr int kAllTheirs = 1118;
constexpr int kNoText = 1119;       // "(no text)"
constexpr int kResource = 1120;     // "Resource %0 %1"
constexpr int kBytes = 1121;        // "%0 bytes"
constexpr int kNoResource = 1122;   // "(none)"
constexpr int kColumns = 1123;      // "Columns of the conflicts"


QString shownText(const QString &text) { return text.isNull() ? lgv_string(kNoText) : text; }

QString nameText(const resutil::ResName &name)
{
    return name.isString ? name.name : QString::number(name.ordinal);
}

QString resourceText(const std::optional<resutil::ResResource> &resource)
{
    if (!resource)
        return lgv_string(kNoResource);
    return SubstituteParameters(lgv_string(kBytes), QString::number(resource->data.size()));
}

QPushButton *namedButton(const QString &objectName, int textId, QWidget *parent)
{
    auto *button = new QPushButton(lgv_string(textId), parent);
    button->setObjectName(objectName);
    button->setAccessibleName(withoutAccessKey(button->text()));
    button->setAutoDefault(false);
    return button;
}
} // namespace

MergeConflictsDialog::MergeConflictsDialog(const QString &fileName, merge::MergeResult &result, QWidget *parent)
    : QDialog(parent), m_result(result)
{
    setObjectName(QStringLiteral("frmMergeConflicts"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    const QString title = SubstituteParameters(lgv_string(kTitle), QDir::toNativeSeparators(fileName));
    setWindowTitle(title);
    setAccessibleName(title);

    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("tblConflicts"));
    m_table->setAccessibleName(withoutAccessKey(lgv_string(kExplanation)));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false);
    QStringList headers;
    for (int column = 0; column < ColumnCount; ++column)
        headers.append(lgv_string(kHeaders + column));
    m_table->setHorizontalHeaderLabels(headers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setObjectName(QStringLiteral("hdrConflicts"));
    m_table->horizontalHeader()->setAccessibleName(lgv_string(kColumns));
    m_table->horizontalHeader()->setStretchLastSection(true);
    for (const merge::CellConflict &conflict : result.conflicts()) {
        addRow(QString::number(conflict.id), LanguageTable::nameOf(conflict.localeId), shownText(conflict.base),
               shownText(conflict.mine), shownText(conflict.theirs));
        m_choices.back() = conflict.chosen;
    }
    for (const merge::ResourceConflict &conflict : result.resourceConflicts()) {
        addRow(SubstituteParameters(lgv_string(kResource), nameText(conflict.key.type), nameText(conflict.key.name)),
               conflict.key.language ? LanguageTable::nameOf(conflict.key.language) : QString(),
               resourceText(conflict.base), resourceText(conflict.mine), resourceText(conflict.theirs));
        m_choices.back() = conflict.chosen;
    }
    for (int row = 0; row < m_table->rowCount(); ++row)
        showChoice(row);
    m_table->resizeColumnsToContents();
    if (m_table->rowCount() > 0)
        m_table->selectRow(0);

    auto *label = new QLabel(lgv_string(kExplanation), this);
    label->setObjectName(QStringLiteral("lblConflicts"));
    label->setAccessibleName(withoutAccessKey(label->text()));
    label->setWordWrap(true);
    label->setBuddy(m_table);

    m_keepMine = namedButton(QStringLiteral("cmdKeepMine"), kKeepMine, this);
    m_keepTheirs = namedButton(QStringLiteral("cmdKeepTheirs"), kKeepTheirs, this);
    m_allMine = namedButton(QStringLiteral("cmdAllMine"), kAllMine, this);
    m_allTheirs = namedButton(QStringLiteral("cmdAllTheirs"), kAllTheirs, this);
    connect(m_keepMine, &QPushButton::clicked, this, [this] { keep(merge::Side::Mine, false); });
    connect(m_keepTheirs, &QPushButton::clicked, this, [this] { keep(merge::Side::Theirs, false); });
    connect(m_allMine, &QPushButton::clicked, this, [this] { keep(merge::Side::Mine, true); });
    connect(m_allTheirs, &QPushButton::clicked, this, [this] { keep(merge::Side::Theirs, true); });
    auto *choices = new QHBoxLayout;
    choices->addWidget(m_keepMine);
    choices->addWidget(m_keepTheirs);
    choices->addStretch(1);
    choices->addWidget(m_allMine);
    choices->addWidget(m_allTheirs);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_ok->setText(lgv_string(51));
    m_ok->setAccessibleName(withoutAccessKey(m_ok->text()));
    m_ok->setDefault(true);
    m_cancel = buttons->button(QDialogButtonBox::Cancel);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cancel->setText(lgv_string(82));
    m_cancel->setAccessibleName(withoutAccessKey(m_cancel->text()));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_table, 1);
    layout->addLayout(choices);
    layout->addWidget(buttons);
    m_table->setFocus();
    resize(760, 360);
}

void MergeConflictsDialog::addRow(const QString &id, const QString &language, const QString &base,
                                  const QString &mine, const QString &theirs)
{
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    const QString texts[] = {id, language, base, mine, theirs};
    for (int column = 0; column < KeepsColumn; ++column) {
        auto *item = new QTableWidgetItem(texts[column]);
        item->setToolTip(texts[column]);
        m_table->setItem(row, column, item);
    }
    m_table->setItem(row, KeepsColumn, new QTableWidgetItem);
    m_choices.push_back(merge::Side::Mine);
}

void MergeConflictsDialog::showChoice(int row)
{
    const bool mine = m_choices[std::size_t(row)] == merge::Side::Mine;
    m_table->item(row, KeepsColumn)->setText(lgv_string(mine ? kHeaders + MineColumn : kHeaders + TheirsColumn));
    // The text that stays is bold, so the choice shows in the row itself.
    for (int column : {int(MineColumn), int(TheirsColumn)}) {
        QFont font = m_table->font();
        font.setBold((column == MineColumn) == mine);
        m_table->item(row, column)->setFont(font);
    }
}

void MergeConflictsDialog::keep(merge::Side side, bool all)
{
    for (int row = 0; row < m_table->rowCount(); ++row) {
        if (all || m_table->selectionModel()->isRowSelected(row, QModelIndex())) {
            m_choices[std::size_t(row)] = side;
            showChoice(row);
        }
    }
    // A text turned bold needs more room.
    m_table->resizeColumnsToContents();
    m_table->setFocus();
}

void MergeConflictsDialog::accept()
{
    const std::size_t cells = m_result.conflicts().size();
    for (std::size_t row = 0; row < m_choices.size(); ++row) {
        if (row < cells)
            m_result.choose(row, m_choices[row]);
        else
            m_result.chooseResource(row - cells, m_choices[row]);
    }
    QDialog::accept();
}
