// The progress of a run on standard error, while that is a terminal: a bar for the whole run, the table
// (n of N) and its name, the records done of its count and the hits so far, redrawn in place on one
// line. Nothing at all is written when standard error is not a terminal or the user asked for quiet.
// The caller decides how often to draw (the run's pump paces it).
#pragma once

#include <QString>

namespace dorvane {

class Console;

struct Progress
{
    int table = 0; // 0-based
    int tableCount = 0;
    QString tableName;
    qint64 recordsDone = 0;
    qint64 recordCount = 0;
    qint64 hits = 0;
};

class ProgressBar
{
public:
    ProgressBar(Console& console, bool wanted);
    ~ProgressBar();

    bool isShown() const { return m_enabled; }
    void draw(const Progress& progress);
    // Removes the line, so that what follows starts on a clean one.
    void clear();

    // The line for a width of `columns` characters (without the carriage return).
    static QString line(const Progress& progress, int columns);

private:
    Console& m_console;
    bool m_enabled = false;
    bool m_drawn = false;
    QString m_last;
};

} // namespace dorvane
