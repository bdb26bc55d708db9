// A condition that chooses some rows of a table, for a WHERE: its SQL text with one "?" per parameter, and
// the parameters' texts in the order of the "?" marks. The texts are bound, never written into the SQL.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace dorvane {

struct RowCondition
{
    QString sql;
    QStringList texts;
    // A form of the same test for a server that refuses this one (for example one that cannot join the
    // columns' texts); none: such a server reads every row.
    std::shared_ptr<const RowCondition> ifRefused;

    // What to try after the server refused condition.
    static std::optional<RowCondition> after(const std::optional<RowCondition>& condition)
    {
        if (!condition || !condition->ifRefused)
            return std::nullopt;
        return *condition->ifRefused;
    }
};

} // namespace dorvane
