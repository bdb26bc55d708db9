// A condition that chooses some rows of a table, for a WHERE: its SQL text with one "?" per parameter, and
// the parameters' texts in the order of the "?" marks. The texts are bound, never written into the SQL.
#pragma once

#include <QString>
#include <QStringList>

namespace dorvane {

struct RowCondition
{
    QString sql;
    QStringList texts;
};

} // namespace dorvane
