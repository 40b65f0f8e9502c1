#include "support/LanguageSelect.h"

#include "platform/win32/Interaction.h"
#include "support/ErrorTrap.h"
#include "support/modUtilRegistry.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using namespace LgvStringModule;

const QString LanguageSelect::SettingsKeyPath = QStringLiteral("\\HKEY_CURRENT_USER\\SOFTWARE\\Corvane\\Quillmark\\Lingrove");

namespace {

constexpr std::int32_t kString = 1;
constexpr std::int32_t kNumber = 4;

bool storedBoolean(const QVariant &value)
{
    return value.typeId() == QMetaType::Bool ? value.toBool() : value.toInt() != 0;
}

} // namespace

void LanguageSelect::ShowDialog(bool IsStartup)
{
    qm::trap("ShowDialog", [&] {
        const std::optional<win32::RegKey> key = OpenOrCreateRegKey(SettingsKeyPath);
        LanguageSelect form;
        form.Form_Load();
        if (IsStartup) {
            const int langId = GetValueWithDefault(key, QStringLiteral("LangId"), kEnglishUILanguage).toInt();
            const QString langName = GetValueWithDefault(key, QStringLiteral("LangName"), QString()).toString();
            SetUILanguage(langId, langName);
            form.lgv_RenewRuntimeSupport();
            form.lgv_RuntimeSupport->SetLanguage(langId, langName);
        }
        form.ShowAtStartup = storedBoolean(GetValueWithDefault(key, QStringLiteral("ShowDialog"), true));
        form.InitialiseForm();
        if (form.ShowAtStartup || !IsStartup) {
            win32::interaction().execDialog(form);
            // Written after every display, also when the dialog was closed without OK.
            AddOrReplaceValue(key, QStringLiteral("LangId"), CurrentUILanguage(), kNumber);
            AddOrReplaceValue(key, QStringLiteral("LangName"), GetUILanguageName(CurrentUILanguage()), kString);
            AddOrReplaceValue(key, QStringLiteral("ShowDialog"), form.ShowAtStartup ? -1 : 0, kNumber);
        }
        form.Form_Unload();
    });
}

LanguageSelect::LanguageSelect(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("LanguageSelect"));
    setModal(true);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    LanguageList = new QListWidget(this);
    LanguageList->setObjectName(QStringLiteral("LanguageList"));
    LanguageList->setSelectionMode(QAbstractItemView::SingleSelection);
    Label1->setBuddy(LanguageList);
    chkShowOnStartup = new QCheckBox(this);
    chkShowOnStartup->setObjectName(QStringLiteral("chkShowOnStartup"));
    OkButton = new QPushButton(this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    connect(OkButton, &QPushButton::clicked, this, &LanguageSelect::OkButton_Click);
    connect(LanguageList, &QListWidget::itemDoubleClicked, this, &LanguageSelect::LanguageList_DblClick);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(LanguageList, 1);
    layout->addWidget(chkShowOnStartup);
    layout->addLayout(buttons);
    setMinimumWidth(360);
}

LanguageSelect::~LanguageSelect() = default;

void LanguageSelect::Form_Load()
{
    qm::trap("Form_Load", [&] { lgv_Load(true); });
}

void LanguageSelect::Form_Unload() { lgv_Unload(); }

void LanguageSelect::lgv_UpdateControls()
{
    lgv_SetCaption(*this, 228);
    lgv_SetText(*chkShowOnStartup, 229);
    lgv_SetText(*Label1, 232);
    lgv_SetText(*OkButton, 230);
    LanguageList->setAccessibleName(Label1->text());
}

void LanguageSelect::InitialiseForm()
{
    qm::trap("InitialiseForm", [&] {
        LanguageList->clear();
        for (int id : GetUILanguages()) {
            auto *item = new QListWidgetItem(GetNativeLanguageName(id), LanguageList);
            item->setData(Qt::UserRole, id);
            if (id == CurrentUILanguage())
                LanguageList->setCurrentItem(item);
        }
        chkShowOnStartup->setChecked(ShowAtStartup);
    });
}

void LanguageSelect::OkButton_Click()
{
    qm::trap("OkButton_Click", [&] {
        const QList<QListWidgetItem *> selected = LanguageList->selectedItems();
        if (selected.isEmpty())
            return;
        ShowAtStartup = chkShowOnStartup->isChecked();
        setCurrentUILanguage(selected.constFirst()->data(Qt::UserRole).toInt());
        lgv_RuntimeSupport->SetLanguage(CurrentUILanguage(), GetUILanguageName(CurrentUILanguage()));
        accept();
    });
}

void LanguageSelect::LanguageList_DblClick() { OkButton_Click(); }
