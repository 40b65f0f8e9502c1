#pragma once

#include <QDialog>

class QListWidget;

// The choice of a Windows pseudo-locale to add: qps-ploc, qps-ploca or
// qps-plocm, each under its Windows name. OK gives pseudoLocale() back.
class PseudoLanguageDialog : public QDialog {
    Q_OBJECT
public:
    explicit PseudoLanguageDialog(QWidget *parent = nullptr);
    qint32 pseudoLocale() const;
    QListWidget *locales() const { return m_locales; }

private:
    QListWidget *m_locales = nullptr;
};
