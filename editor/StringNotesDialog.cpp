#include "editor/StringNotesDialog.h"

#include "editor/DialogParts.h"
#include "uistrings/LgvStringModule.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;

namespace {
constexpr int kTitle = 1023;      // "Notes for Translators on String %0"
constexpr int kComment = 1024;    // "&Comment for translators:"
constexpr int kMaxLength = 1025;  // "&Maximum length in characters:"
constexpr int kNoLimit = 1026;    // "None"
constexpr int kLongestText = 65535;
constexpr int kMaxWidth = 1321;   // "Maximum &width in pixels:"
constexpr int kWidestText = 10000;

QLabel *labelFor(QWidget *field, int textId, const char *name, QWidget *parent)
{
    auto *label = new QLabel(lgv_string(textId), parent);
    label->setObjectName(QLatin1String(name));
    label->setBuddy(field);
    field->setAccessibleName(withoutAccessKey(label->text()));
    return label;
}
} // namespace

StringNotesDialog::StringNotesDialog(qint32 id, const StringNotes &notes, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmStringNotes"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    const QString title = SubstituteParameters(lgv_string(kTitle), QString::number(id));
    setWindowTitle(title);
    setAccessibleName(title);

    m_comment = new QLineEdit(notes.comment, this);
    m_comment->setObjectName(QStringLiteral("txtComment"));
    m_comment->setMaxLength(kLongestText);
    m_maxLength = new QSpinBox(this);
    m_maxLength->setObjectName(QStringLiteral("spnMaxLength"));
    m_maxLength->setRange(0, kLongestText);
    m_maxLength->setSpecialValueText(lgv_string(kNoLimit));
    m_maxLength->setValue(notes.maxLength);
    m_maxWidth = new QSpinBox(this);
    m_maxWidth->setObjectName(QStringLiteral("spnMaxWidth"));
    m_maxWidth->setRange(0, kWidestText);
    m_maxWidth->setSpecialValueText(lgv_string(kNoLimit));
    m_maxWidth->setValue(notes.maxWidth);

    QDialogButtonBox *buttons = okCancelButtons(*this);

    auto *layout = new QFormLayout(this);
    layout->addRow(labelFor(m_comment, kComment, "lblComment", this), m_comment);
    layout->addRow(labelFor(m_maxLength, kMaxLength, "lblMaxLength", this), m_maxLength);
    layout->addRow(labelFor(m_maxWidth, kMaxWidth, "lblMaxWidth", this), m_maxWidth);
    layout->addRow(buttons);
    m_comment->setFocus();
    resize(480, sizeHint().height());
}

StringNotes StringNotesDialog::notes() const
{
    return StringNotes{m_comment->text().trimmed(), m_maxLength->value(), m_maxWidth->value()};
}
