// The description of the DataError an operation raises, for comparing the exact text a user would see.
#pragma once

#include "core/DataError.h"

#include <QString>

namespace dorvane::test {

// Runs `operation` and returns the description of the DataError it raised; "<no data error>" when it
// raised none, so that a comparison with the expected text fails.
template<typename Operation> QString dataErrorOf(Operation operation)
{
    try {
        operation();
    } catch (const DataError& error) {
        return error.description();
    }
    return QStringLiteral("<no data error>");
}

} // namespace dorvane::test
