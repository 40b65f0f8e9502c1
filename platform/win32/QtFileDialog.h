#pragma once

#include "platform/win32/Interaction.h"

#include <QFileDialog>

namespace win32 {

// The common file dialog: Qt's own dialog (the same on every desktop), which
// keeps itself open, with a message, while the chosen name breaks one of the
// request's rules (folder or file must exist).
class QtFileDialog : public QFileDialog {
    Q_OBJECT
public:
    enum Mode { Open, Save };
    QtFileDialog(const FileDialogRequest &request, Mode mode);

    // The chosen file, empty when the user cancelled.
    QString chosenFile() const;

public slots:
    void accept() override;

private:
    FileDialogRequest m_request;
};

} // namespace win32
