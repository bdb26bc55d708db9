// What a text column's value must contain to be a candidate, in terms every server can test: the pieces in
// this order with anything (or nothing) between them, or any one of the listed characters exactly.
#pragma once

#include <QString>
#include <QStringList>

namespace dorvane {

struct TextContainment
{
    // Not empty. Without ignoreCase a piece is compared exactly; with it a piece holds lower-case ASCII
    // and characters without case only, and each ASCII letter may stand in either case.
    QStringList pieces;
    bool ignoreCase = false;
    // Characters any one of which, held exactly, also makes the value a candidate.
    QString anyOf;
};

} // namespace dorvane
