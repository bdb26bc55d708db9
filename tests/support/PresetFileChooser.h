// A file chooser for tests: answers from a preset queue (cancel, "", once it runs dry) and records the
// title and pattern list of every dialog that would have been shown.
#pragma once

#include "datasource/FileChooser.h"

#include <QStringList>

#include <deque>

namespace dorvane::test {

class PresetFileChooser : public FileChooser
{
public:
    QString chooseFile(const QString& title, const QString& patterns) override
    {
        titles.append(title);
        patternLists.append(patterns);
        if (nextAnswers.empty())
            return QString();
        QString answer = nextAnswers.front();
        nextAnswers.pop_front();
        return answer;
    }

    std::deque<QString> nextAnswers;
    QStringList titles;
    QStringList patternLists;
};

} // namespace dorvane::test
