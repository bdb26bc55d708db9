// DialogMessages for widget tests: records every message and question and answers questions from a
// preset list (No once the list is used up), so no box ever blocks a test.
#pragma once

#include "datasource/ui/DialogMessages.h"

#include <QList>
#include <QStringList>

namespace dorvane::test {

class RecordingDialogMessages : public DialogMessages
{
public:
    void showMessage(QWidget*, const QString& text) override { messages.append(text); }
    bool askYesNo(QWidget*, const QString& text) override
    {
        questions.append(text);
        return answers.isEmpty() ? false : answers.takeFirst();
    }

    QStringList messages;
    QStringList questions;
    QList<bool> answers;
};

} // namespace dorvane::test
