#pragma once

#include "CliExport.h"

namespace resutil {
class ResFile;
}
namespace reviewstate {
class ReviewStates;
}

namespace cli {

// Attaches the review states to a file before it is loaded, so that they are
// read with it and written with every save.
QM_CLI_EXPORT reviewstate::ReviewStates *attachStates(resutil::ResFile &file);
// After Load: a state file that cannot be read is told in one line on
// standard error (it is left as it is; the command goes on). Returns the states.
QM_CLI_EXPORT reviewstate::ReviewStates *reportStates(const resutil::ResFile &file);

} // namespace cli
