#pragma once

#include "support/LgvFormLocalisation.h"

#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QRadioButton;

namespace LgvRuntime {
class LocaleInfo;
}

// Picks a locale: a list of the system's locales above a row that chooses the
// language of their names (the system's or English).
class ctlLanguageList : public QWidget, public LgvFormLocalisation {
    Q_OBJECT
public:
    using LocaleInfoFactory = std::function<std::unique_ptr<LgvRuntime::LocaleInfo>()>;

    explicit ctlLanguageList(QWidget *parent = nullptr);
    ~ctlLanguageList() override;

    // The selected item's locale ID, -1 when none is selected.
    int LocaleID() const;
    // Selects the first item with that locale ID; clears the selection when there is none.
    void setLocaleID(int localeId);
    // The selected locale's name in the current UI language.
    QString LocaleName() const;

    void lgv_UpdateControls() override;

    // Where each filling of the list gets its fresh LocaleInfo (tests replace it).
    static LocaleInfoFactory &localeInfoFactory();

    QComboBox *cboSupportedLocales = nullptr;
    QFrame *frameLanguage = nullptr;
    QLabel *lblViewIn = nullptr;
    QRadioButton *optSystemLocale = nullptr;
    QRadioButton *optEnglish = nullptr;

signals:
    void Changed(int localeId);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void RunTimeInit();
    void FillCombo();
    void cboSupportedLocales_Click(int index);
    void UserControl_Resize();

    int m_resizing = 0;
};
