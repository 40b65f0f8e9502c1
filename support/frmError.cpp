#include "support/frmError.h"

#include "platform/common/LineBreak.h"
#include "platform/win32/Interaction.h"
#include "support/ErrorTrap.h"
#include "support/Globals.h"
#include "uistrings/LgvStringModule.h"
#include "support/LibraryMessages.h"
#include "support/ProductTitle.h"

#include <QApplication>
#include <QClipboard>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

const QString frmError::SupportAddress = QStringLiteral("support@corvane.com");
const QString frmError::MailSubject = qm::productTitle() + QStringLiteral(" Error");

namespace {

// Reports in progress; one report may fail and be reported, no further.
int g_reportDepth = 0;
constexpr int kMaxReportDepth = 2;

QLabel *makeLabel(QWidget *parent, const char *name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QString percentEncoded(const QString &text) { return QString::fromLatin1(QUrl::toPercentEncoding(text)); }

} // namespace

void ShowError(const QString &functionName, int lineNumber, const QString &description, const QString &details)
{
    if (g_reportDepth >= kMaxReportDepth) {
        qCritical("Error report failed again; not shown: %s, line %d: %s", qUtf8Printable(functionName), lineNumber,
                  qUtf8Printable(description));
        return;
    }
    // Without a window system (the command-line tool) the report goes to the log.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        qCritical("Error in %s, line %d: %s%s%s", qUtf8Printable(functionName), lineNumber, qUtf8Printable(description),
                  details.isEmpty() ? "" : "; ", qUtf8Printable(details));
        return;
    }
    ++g_reportDepth;
    qm::trap("ShowError", [&] {
        frmError form;
        form.Form_Load();
        form.lblVersion->setText(VersionText);
        form.lblFunction->setText(functionName);
        form.lblLineNumber->setText(QString::number(lineNumber));
        // A library's failure reads in the UI language; the report sent keeps what the form shows.
        form.lblDescription->setText(LibraryMessages::Shown(description));
        form.lblDetails->setText(details);
        // Each value is named by the field label beside it and read out as its description.
        for (QLabel *value :
             {form.lblVersion, form.lblFunction, form.lblLineNumber, form.lblDescription, form.lblDetails})
            value->setAccessibleDescription(value->text());
        form.Form_Activate();
        win32::interaction().execDialog(form);
        form.Form_Unload();
    });
    --g_reportDepth;
}

frmError::frmError(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmError"));
    setModal(true);

    lblProgramError = makeLabel(this, "lblProgramError");
    QFont heading = lblProgramError->font();
    heading.setBold(true);
    lblProgramError->setFont(heading);
    imgExclaim = makeLabel(this, "imgExclaim");
    imgExclaim->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    imgExclaim->setAccessibleName(QStringLiteral("!"));

    static const char *const fieldNames[] = {"lbl0", "lbl1", "lbl2", "lbl3", "lbl4"};
    for (int i = 0; i < 5; ++i)
        lbl[i] = makeLabel(this, fieldNames[i]);
    lblFunction = makeLabel(this, "lblFunction");
    lblLineNumber = makeLabel(this, "lblLineNumber");
    lblDescription = makeLabel(this, "lblDescription");
    lblVersion = makeLabel(this, "lblVersion");
    lblDetails = makeLabel(this, "lblDetails");
    QLabel *const values[] = {lblFunction, lblLineNumber, lblDescription, lblVersion, lblDetails};
    for (QLabel *value : values) {
        value->setTextFormat(Qt::PlainText);
        value->setWordWrap(true);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }

    cmdContinue = new QPushButton(this);
    cmdContinue->setObjectName(QStringLiteral("cmdContinue"));
    cmdContinue->setDefault(true);
    cmdEmail = new QPushButton(this);
    cmdEmail->setObjectName(QStringLiteral("cmdEmail"));
    connect(cmdContinue, &QPushButton::clicked, this, &frmError::cmdContinue_Click);
    connect(cmdEmail, &QPushButton::clicked, this, &frmError::cmdEmail_Click);

    auto *head = new QHBoxLayout;
    head->addWidget(imgExclaim);
    head->addWidget(lblProgramError, 1);
    auto *fields = new QGridLayout;
    for (int i = 0; i < 5; ++i) {
        fields->addWidget(lbl[i], i, 0, Qt::AlignTop);
        fields->addWidget(values[i], i, 1);
    }
    fields->setColumnStretch(1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdEmail);
    buttons->addWidget(cmdContinue);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

frmError::~frmError() = default;

void frmError::Form_Load()
{
    qm::trap("Form_Load", [&] { lgv_Load(false); });
}

void frmError::Form_Activate()
{
    qm::trap("Form_Activate", [&] { win32::interaction().makeTopmost(*this); });
}

void frmError::Form_Unload()
{
    qm::trap("Form_Unload", [&] { lgv_Unload(); });
}

void frmError::lgv_UpdateControls()
{
    lgv_SetCaption(*this, 521);
    lgv_SetText(*cmdContinue, 523);
    lgv_SetText(*cmdEmail, 522);
    static const int fieldIds[] = {527, 526, 525, 524, 548};
    QLabel *const values[] = {lblFunction, lblLineNumber, lblDescription, lblVersion, lblDetails};
    for (int i = 0; i < 5; ++i) {
        lgv_SetText(*lbl[i], fieldIds[i]);
        values[i]->setAccessibleName(lbl[i]->text());
    }
    lgv_SetText(*lblProgramError, 528);
}

QString frmError::MailText()
{
    QString text;
    qm::trap("MailText", [&] {
        const QString crlf = qm::crlf();
        text = QStringLiteral("An error occured in the Quill Resource String Editor Add-In:") + crlf + crlf
             + QStringLiteral("Version: ") + lblVersion->text() + crlf
             + QStringLiteral("Function: ") + lblFunction->text() + crlf
             + QStringLiteral("Line number: ") + lblLineNumber->text() + crlf
             + QStringLiteral("Description: ") + lblDescription->text() + crlf
             + QStringLiteral("Additional details: ") + lblDetails->text() + crlf + crlf;
    });
    return text;
}

bool frmError::OpenEmail(const QString &address, const QString &subject, const QString &body)
{
    bool opened = false;
    qm::trap("OpenEmail", [&] {
        QString link = address;
        if (address.left(7).toLower() != QLatin1String("mailto:"))
            link.prepend(QStringLiteral("mailto:"));
        if (!subject.isEmpty())
            link += QStringLiteral("?subject=") + percentEncoded(subject);
        if (!body.isEmpty())
            link += (subject.isEmpty() ? QStringLiteral("?") : QStringLiteral("&")) + QStringLiteral("body=")
                  + percentEncoded(body);
        opened = win32::interaction().shellOpen(link);
    });
    return opened;
}

void frmError::OfferReportCopy()
{
    qm::trap("OfferReportCopy", [&] {
        const QString prompt = LgvStringModule::SubstituteParameters(LgvStringModule::lgv_string(560), SupportAddress);
        if (win32::interaction().msgBox(prompt, win32::vbYesNo | win32::vbExclamation, qm::productTitle()) != win32::vbYes)
            return;
        QString report = MailText();
        report.replace(qm::crlf(), QStringLiteral("\n"));
        QGuiApplication::clipboard()->setText(report);
    });
}

void frmError::cmdEmail_Click()
{
    qm::trap("cmdEmail_Click", [&] {
        // Every line break, also one inside a description, goes into the mail as CR LF.
        QString body = MailText();
        body.replace(qm::crlf(), QStringLiteral("\n"));
        body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        body.replace(QLatin1Char('\n'), qm::crlf());
        // Without a mail program the shell shows nothing, so the report says so itself.
        if (!OpenEmail(SupportAddress, MailSubject, body))
            OfferReportCopy();
    });
}

void frmError::cmdContinue_Click()
{
    qm::trap("cmdContinue_Click", [&] { accept(); });
}
