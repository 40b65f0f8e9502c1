#include "languages/ctlLanguageList.h"

#include "languages/modUtilFonts.h"
#include "platform/runtime/LocaleInfo.h"
#include "platform/win32/Interaction.h"
#include "platform/win32core/Nls.h"
#include "support/ErrorTrap.h"
#include "support/modUtilLanguage.h"
#include "support/ProductTitle.h"
#include "uistrings/LgvStringModule.h"

#include <QAbstractItemView>
#include <QCollator>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>

#include <algorithm>
#include <vector>

namespace {
constexpr int kGap = 6;
const QString kTitle = qm::productTitle();
} // namespace

ctlLanguageList::LocaleInfoFactory &ctlLanguageList::localeInfoFactory()
{
    static LocaleInfoFactory factory = [] { return std::make_unique<LgvRuntime::LocaleInfo>(); };
    return factory;
}

ctlLanguageList::ctlLanguageList(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ctlLanguageList"));
    cboSupportedLocales = new QComboBox(this);
    cboSupportedLocales->setObjectName(QStringLiteral("cboSupportedLocales"));
    cboSupportedLocales->setEditable(false);
    cboSupportedLocales->setMaxVisibleItems(20);
    frameLanguage = new QFrame(this);
    frameLanguage->setObjectName(QStringLiteral("frameLanguage"));
    frameLanguage->setFrameShape(QFrame::NoFrame);
    lblViewIn = new QLabel(frameLanguage);
    lblViewIn->setObjectName(QStringLiteral("lblViewIn"));
    optSystemLocale = new QRadioButton(frameLanguage);
    optSystemLocale->setObjectName(QStringLiteral("optSystemLocale"));
    optEnglish = new QRadioButton(frameLanguage);
    optEnglish->setObjectName(QStringLiteral("optEnglish"));
    optSystemLocale->setChecked(true);
    auto *row = new QHBoxLayout(frameLanguage);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(lblViewIn);
    row->addSpacing(kGap);
    row->addWidget(optSystemLocale);
    row->addWidget(optEnglish);
    row->addStretch(1);

    connect(cboSupportedLocales, &QComboBox::currentIndexChanged, this, &ctlLanguageList::cboSupportedLocales_Click);
    connect(optSystemLocale, &QRadioButton::clicked, this, [this] { FillCombo(); });
    connect(optEnglish, &QRadioButton::clicked, this, [this] { FillCombo(); });

    RunTimeInit();
}

ctlLanguageList::~ctlLanguageList() { lgv_Unload(); }

void ctlLanguageList::RunTimeInit()
{
    qm::trap("RunTimeInit", [&] {
        LgvStringModule::InitUIStrings();
        lgv_Load(false);
        const int locale = int(win32::GetSystemDefaultLCID());
        QFont listFont = cboSupportedLocales->font();
        listFont.setFamily(modUtil::GetDefaultFontForLocale(locale));
        cboSupportedLocales->setFont(listFont);
        UserControl_Resize();
        FillCombo();
        setLocaleID(locale);
    });
}

void ctlLanguageList::FillCombo()
{
    qm::trap("FillCombo", [&] {
        const int selected = cboSupportedLocales->currentIndex() >= 0 ? LocaleID() : 0;
        std::unique_ptr<LgvRuntime::LocaleInfo> info = localeInfoFactory()();
        bool replaceNames = false;
        if (optEnglish->isChecked()) {
            info->ChooseNameLanguage(2057, 0);
            if (!info->IsListReady()) {
                info->ChooseSystemList(0);
                replaceNames = true;
            }
        } else {
            info->ChooseSystemList(0);
        }
        if (!info->IsListReady()) {
            win32::interaction().msgBox(LgvStringModule::lgv_string(533), win32::vbOKOnly, kTitle);
        } else {
            info->ResetLocaleList();
            std::vector<std::pair<QString, int>> items;
            int id = 0;
            QString name;
            while (info->NextLocale(id, name))
                items.emplace_back(replaceNames ? GetLanguageNameFromLocaleID(id) : name, id);
            // Shown sorted by name, as people look for a language.
            QCollator collator;
            std::stable_sort(items.begin(), items.end(),
                             [&](const auto &a, const auto &b) { return collator.compare(a.first, b.first) < 0; });
            const QSignalBlocker quiet(cboSupportedLocales);
            cboSupportedLocales->clear();
            for (const auto &[text, localeId] : items)
                cboSupportedLocales->addItem(text, localeId);
            cboSupportedLocales->setCurrentIndex(-1);
        }
        setLocaleID(selected);
    });
}

int ctlLanguageList::LocaleID() const
{
    int id = -1;
    qm::trap("LocaleID", [&] {
        const int index = cboSupportedLocales->currentIndex();
        if (index >= 0)
            id = cboSupportedLocales->itemData(index).toInt();
    });
    return id;
}

void ctlLanguageList::setLocaleID(int localeId)
{
    qm::trap("LocaleID", [&] {
        cboSupportedLocales->setCurrentIndex(cboSupportedLocales->findData(localeId));
    });
}

QString ctlLanguageList::LocaleName() const
{
    QString name;
    qm::trap("LocaleName", [&] {
        // Nothing selected has no name; asking for the name of -1 would only report an error.
        const int id = LocaleID();
        if (id != -1)
            name = GetLanguageNameFromLocaleID(id);
    });
    return name;
}

void ctlLanguageList::cboSupportedLocales_Click(int index)
{
    qm::trap("cboSupportedLocales_Click", [&] {
        if (index >= 0)
            emit Changed(cboSupportedLocales->itemData(index).toInt());
    });
}

void ctlLanguageList::lgv_UpdateControls()
{
    frameLanguage->setAccessibleName(LgvStringModule::lgv_string(529));
    lgv_SetText(*lblViewIn, 532);
    lgv_SetText(*optEnglish, 530);
    lgv_SetText(*optSystemLocale, 531);
    cboSupportedLocales->setAccessibleName(lblViewIn->text());
    cboSupportedLocales->view()->setAccessibleName(lblViewIn->text());
    setAccessibleName(lblViewIn->text());
    UserControl_Resize();
}

void ctlLanguageList::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    UserControl_Resize();
}

void ctlLanguageList::UserControl_Resize()
{
    if (m_resizing != 0)
        return;
    ++m_resizing;
    const QSize row = frameLanguage->sizeHint();
    const int comboHeight = cboSupportedLocales->sizeHint().height();
    frameLanguage->setGeometry(0, comboHeight + kGap, row.width(), row.height());
    const int fixedHeight = frameLanguage->geometry().bottom() + 1;
    // Never narrower than the option row; the height is the control's own.
    setMinimumWidth(row.width());
    setFixedHeight(fixedHeight);
    if (width() < row.width())
        resize(row.width(), fixedHeight);
    cboSupportedLocales->setGeometry(0, 0, width(), comboHeight);
    frameLanguage->resize(std::max(row.width(), width()), row.height());
    --m_resizing;
}
