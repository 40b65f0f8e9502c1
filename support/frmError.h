#pragma once

#include "support/LgvFormLocalisation.h"

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

// Shows one error report and returns when the user has dismissed it. A failure
// while reporting is itself reported once; deeper failures only go to the log.
void ShowError(const QString &functionName, int lineNumber, const QString &description,
               const QString &details = QString());

// The error report: what failed and where, with a way to mail it to support.
class frmError : public QDialog, public LgvFormLocalisation {
    Q_OBJECT
public:
    // The maker's support address the report is mailed to.
    static const QString SupportAddress;
    static const QString MailSubject;

    explicit frmError(QWidget *parent = nullptr);
    ~frmError() override;

    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void lgv_UpdateControls() override;

    // The report as plain text, each line ended by CR LF.
    QString MailText();
    // Hands a mailto link built from the parts to the shell; subject and body
    // are percent-encoded. False when no mail program could be started.
    static bool OpenEmail(const QString &address, const QString &subject, const QString &body);
    // Says that no mail program could be started and offers to copy the report
    // to the clipboard instead.
    void OfferReportCopy();

    void cmdEmail_Click();
    void cmdContinue_Click();

    QLabel *lblProgramError = nullptr;
    QLabel *imgExclaim = nullptr;
    QLabel *lbl[5] = {};
    QLabel *lblFunction = nullptr;
    QLabel *lblLineNumber = nullptr;
    QLabel *lblDescription = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDetails = nullptr;
    QPushButton *cmdContinue = nullptr;
    QPushButton *cmdEmail = nullptr;
};
