#include "languages/frmSelectFont.h"

#include "platform/win32/FontEnum.h"
#include "platform/win32/Interaction.h"
#include "support/ErrorTrap.h"
#include "support/HelpModule.h"
#include "support/ProductTitle.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using LgvStringModule::lgv_string;

namespace {

const QString kTitle = qm::productTitle();

QPushButton *makeButton(QWidget *parent, const char *name)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(QString::fromLatin1(name));
    return button;
}

} // namespace

QString CharsetName(int charSet)
{
    switch (charSet) {
    case 0: return QStringLiteral("Western");
    case 1: return QStringLiteral("Default");
    case 2: return QStringLiteral("Symbol");
    case 128: return QStringLiteral("Japanese");
    case 129: return QStringLiteral("Hangul");
    case 134: return QStringLiteral("CHINESE_GB2312");
    case 136: return QStringLiteral("CHINESE_BIG5");
    case 161: return QStringLiteral("Greek");
    case 162: return QStringLiteral("Turkish");
    case 177: return QStringLiteral("Hebrew");
    case 178: return QStringLiteral("Arabic");
    case 186: return QStringLiteral("Baltic");
    case 204: return QStringLiteral("Cyrillc");
    case 222: return QStringLiteral("Thai");
    case 238: return QStringLiteral("EE");
    case 255: return QStringLiteral("OEM/DOS");
    default: return QStringLiteral("Unknown");
    }
}

frmSelectFont::frmSelectFont(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSelectFont"));
    setAccessibleName(kTitle);
    setModal(true);

    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));

    stFonts = new QTreeWidget(this);
    stFonts->setObjectName(QStringLiteral("stFonts"));
    stFonts->setAccessibleName(QStringLiteral("stFonts"));
    stFonts->setColumnCount(3);
    stFonts->setRootIsDecorated(false);
    stFonts->setUniformRowHeights(false);
    stFonts->setSelectionMode(QAbstractItemView::SingleSelection);
    stFonts->setSelectionBehavior(QAbstractItemView::SelectRows);
    stFonts->header()->setSectionResizeMode(QHeaderView::Interactive);
    stFonts->setColumnWidth(0, 200);
    stFonts->setColumnWidth(1, 110);
    lblTitle->setBuddy(stFonts);

    cmdOK = makeButton(this, "cmdOK");
    cmdOK->setDefault(true);
    cmdCancel = makeButton(this, "cmdCancel");
    cmdHelp = makeButton(this, "cmdHelp");

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdHelp);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblTitle);
    layout->addWidget(stFonts, 1);
    layout->addLayout(buttons);
    resize(640, 420);

    connect(cmdOK, &QPushButton::clicked, this, &frmSelectFont::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSelectFont::cmdCancel_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frmSelectFont::cmdHelp_Click);
    connect(stFonts, &QTreeWidget::itemDoubleClicked, this, &frmSelectFont::cmdOK_Click);
}

frmSelectFont::~frmSelectFont() = default;

void frmSelectFont::Form_Load() { lgv_Load(true); }

void frmSelectFont::Form_Unload() { lgv_Unload(); }

void frmSelectFont::lgv_UpdateControls()
{
    lgv_SetCaption(*this, 521);
    lgv_SetText(*cmdCancel, 82);
    lgv_SetText(*cmdHelp, 138);
    lgv_SetText(*cmdOK, 51);
    lgv_SetText(*lblTitle, 534);
    stFonts->setHeaderLabels({lgv_string(535), lgv_string(536), lgv_string(537)});
    stFonts->setAccessibleName(lgv_string(534));
}

void frmSelectFont::FillFontList()
{
    stFonts->setUpdatesEnabled(false);
    stFonts->clear();
    QList<QTreeWidgetItem *> rows;
    (void)win32::EnumFontFamilies(QString(), [&](const win32::LOGFONT &logFont, int) {
        auto *row = new QTreeWidgetItem;
        row->setText(0, logFont.lfFaceName);
        row->setText(1, CharsetName(logFont.lfCharSet));
        row->setFont(2, QFont(logFont.lfFaceName));
        row->setText(2, SampleText);
        rows.append(row);
        return 1;
    });
    stFonts->addTopLevelItems(rows);
    stFonts->sortItems(0, Qt::AscendingOrder);
    stFonts->setUpdatesEnabled(true);
}

bool frmSelectFont::SelectFontRow(const QString &fontName)
{
    // A name stored with a foundry ("C059 [urw]") finds the family's one row.
    const QString plain = win32::plainFamilyName(fontName);
    for (int i = 0; i < stFonts->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = stFonts->topLevelItem(i);
        if (row->text(0) == plain) {
            stFonts->setCurrentItem(row);
            row->setSelected(true);
            stFonts->scrollToItem(row);
            return true;
        }
    }
    return false;
}

QString frmSelectFont::SelectedFontName() const
{
    const QList<QTreeWidgetItem *> selected = stFonts->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text(0);
}

void frmSelectFont::cmdOK_Click()
{
    qm::trap("cmdOK_Click", [&] {
        if (stFonts->selectedItems().isEmpty()) {
            win32::interaction().msgBox(lgv_string(538), win32::vbOKOnly, kTitle);
            return;
        }
        Result = 1;
        accept();
    });
}

void frmSelectFont::cmdCancel_Click()
{
    Result = 2;
    reject();
}

void frmSelectFont::cmdHelp_Click() { HelpModule::HtmlHelp(this, HelpModule::HH_HELP_CONTEXT, HelpModule::kTopicSelectFont); }

void frmSelectFont::closeEvent(QCloseEvent *event)
{
    Result = 2;
    QDialog::closeEvent(event);
}

int SelectFont(const QString &Language, QString &FontName, const QString &SampleText)
{
    int result = 2;
    qm::trap("SelectFont", [&] {
        frmSelectFont form;
        form.Form_Load();
        form.Result = 2;
        form.SampleText = SampleText.isEmpty() ? kTitle : SampleText;
        form.lblTitle->setText(lgv_string(539) + Language);
        form.lblTitle->setAccessibleName(form.lblTitle->text());
        win32::installWindowsFontSubstitutes();
        form.FillFontList();
        form.SelectFontRow(FontName);
        win32::interaction().execDialog(form);
        result = form.Result;
        if (result == 1)
            FontName = form.SelectedFontName();
        form.Form_Unload();
    });
    return result;
}
