#pragma once

// "Pre-translate": which language to fill from the translation memory, and
// the lowest match to take (100%: exact matches only).

#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>

class QComboBox;
class QSpinBox;

class PretranslateDialog : public QDialog {
    Q_OBJECT
public:
    // languages: locale and name of each language that may be filled; chosen is shown first.
    PretranslateDialog(const QList<QPair<qint32, QString>> &languages, qint32 chosen, QWidget *parent = nullptr);

    qint32 targetLocale() const;
    int minimumMatch() const;

    QComboBox *languages() const { return m_languages; }
    QSpinBox *match() const { return m_match; }

private:
    QComboBox *m_languages = nullptr;
    QSpinBox *m_match = nullptr;
};
