#include "support/ErrorTrap.h"

#include "platform/win32/Interaction.h"
#include "support/frmError.h"
#include "support/LibraryMessages.h"
#include "support/ProductTitle.h"

#include <new>

namespace qm {

void raiseLibraryFailure(const QString &lead, const QString &libraryMessage)
{
    raiseExpected(lead + QStringLiteral("\n") + LibraryMessages::Shown(libraryMessage));
}

bool trap(const char *name, const std::function<void()> &body, const std::function<QString()> &details,
          std::source_location where)
{
    const auto detailText = [&] { return details ? details() : QString(); };
    try {
        body();
        return true;
    } catch (const ExpectedFailure &failure) {
        win32::interaction().msgBox(failure.message(), win32::vbOKOnly | win32::vbExclamation, productTitle());
    } catch (const ProcedureError &error) {
        ShowError(QString::fromUtf8(name), error.line(), error.description(), detailText());
    } catch (const std::bad_alloc &) {
        // No statement line is known for errors from the standard library; the
        // trap's own line at least names the procedure's place.
        ShowError(QString::fromUtf8(name), static_cast<int>(where.line()), QStringLiteral("Out of memory"), detailText());
    } catch (const std::exception &error) {
        ShowError(QString::fromUtf8(name), static_cast<int>(where.line()), QString::fromLocal8Bit(error.what()),
                  detailText());
    }
    return false;
}

} // namespace qm
