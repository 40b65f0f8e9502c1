#include "FormatOptions.h"

namespace cli {

QStringList formatFlags()
{
    return {};
}

QStringList formatValuedOptions()
{
    return {QStringLiteral("--format"), QStringLiteral("--source"), QStringLiteral("--target"),
            QStringLiteral("--separator"), QStringLiteral("-I"), QStringLiteral("--include")};
}

} // namespace cli
