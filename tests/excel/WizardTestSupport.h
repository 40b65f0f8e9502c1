#pragma once

// Helpers for the tests that drive the import/export wizard.

#include "TransferTestSupport.h"

#include "excel/WizardTransfer.h"
#include "excel/frmExcel.h"
#include "platform/excel/model/Constants.h"
#include "platform/resutil/ResFile.h"
#include "platform/win32/ScriptedInteraction.h"
#include "support/frmError.h"

#include <QLabel>
#include <QLineEdit>
#include <QPair>
#include <QPushButton>
#include <QRadioButton>

#include <functional>

namespace wizardtest {

// One error report as the user saw it.
struct Report {
    QString function;
    QString description;
    QString details;
};

// Answers the next error report, noting what it showed.
inline void answerReport(win32::ScriptedInteraction &ui, QList<Report> &reports)
{
    ui.answerDialog([&reports](QDialog &dialog) {
        auto &form = dynamic_cast<frmError &>(dialog);
        reports.append({form.lblFunction->text(), form.lblDescription->text(), form.lblDetails->text()});
        return int(QDialog::Accepted);
    });
}

// Runs the wizard for project "Project1" in `projectDir` with `drive` acting
// as the user; returns ShowExcelDialog's result. `reports` collects the
// error reports shown while it runs, `expectedReports` of them.
inline qint32 runWizard(win32::ScriptedInteraction &ui, resutil::ResFile &file,
                        const std::function<void(frmExcel &)> &drive, const QString &projectDir,
                        QList<Report> *reports = nullptr, int expectedReports = 0)
{
    ui.answerDialog([&drive](QDialog &dialog) {
        drive(dynamic_cast<frmExcel &>(dialog));
        return int(QDialog::Accepted);
    });
    for (int i = 0; i < expectedReports; ++i)
        answerReport(ui, *reports);
    return frmExcel::ShowExcelDialog(QStringLiteral("Project1"), projectDir, file);
}

// A workbook on disk with the given sheets, each filled with its cells.
inline void writeBook(const QString &file, const QList<QPair<QString, QList<SheetCell>>> &sheets)
{
    auto app = startExcel();
    excel::Workbook *book = app->Workbooks().Add(excel::xlWBATWorksheet).value();
    for (qsizetype i = 0; i < sheets.size(); ++i) {
        excel::Worksheet *sheet = i == 0 ? book->ActiveSheet() : book->Worksheets().Add().value();
        QVERIFY(sheet->SetName(sheets[i].first).ok());
        setCells(*sheet, sheets[i].second);
    }
    const qm::Status saved = book->SaveAs(file);
    QVERIFY2(saved.ok(), qPrintable(saved.errorString()));
}

// Steps 0 to 2 with the given direction and file.
inline void goToWorksheetStep(frmExcel &form, bool import, const QString &file)
{
    (import ? form.optImport : form.optExport)->click();
    form.cmdNext->click();
    form.txtFilename->setText(file);
    form.cmdNext->click();
}

} // namespace wizardtest
