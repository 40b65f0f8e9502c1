#include "ReviewStatesCli.h"

#include "Console.h"

#include "platform/resutil/ResFile.h"
#include "reviewstate/ReviewStates.h"

namespace cli {

reviewstate::ReviewStates *attachStates(resutil::ResFile &file)
{
    return reviewstate::ReviewStates::attach(file);
}

reviewstate::ReviewStates *reportStates(const resutil::ResFile &file)
{
    reviewstate::ReviewStates *states = reviewstate::ReviewStates::of(file);
    if (states && !states->readable())
        writeErr(QStringLiteral("quillmark: warning: %1; the review states are left as they are\n").arg(states->problem()));
    return states;
}

} // namespace cli
