// A data-link prompt for tests: answers from a preset queue (cancel once it runs dry) and counts how
// often the dialog would have been shown.
#pragma once

#include "datasource/DataLinkPrompt.h"

#include <deque>

namespace dorvane::test {

class PresetDataLinkPrompt : public DataLinkPrompt
{
public:
    std::optional<QString> promptNew() override
    {
        ++shown;
        if (nextAnswers.empty())
            return std::nullopt;
        const bool given = nextAnswers.front().has_value();
        const QString text = nextAnswers.front().value_or(QString());
        nextAnswers.pop_front();
        if (!given)
            return std::nullopt;
        return text;
    }

    std::deque<std::optional<QString>> nextAnswers;
    int shown = 0;
};

} // namespace dorvane::test
