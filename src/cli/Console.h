// Standard output and standard error of the command line. Output lines are the program's results
// (hits, the summary); messages go to standard error with the program's name in front. Every text
// that leaves through here has the source's secrets (the values of its password entries) masked, in
// case a driver repeats them in a message. Not thread-safe.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>
#include <functional>

namespace dorvane {

class Console
{
public:
    Console(std::FILE* out, std::FILE* err);

    void out(const QString& line);
    void error(const QString& message);
    // Writes to standard error as it is (the progress bar).
    void rawError(const QByteArray& bytes);

    bool errorIsTerminal() const;
    // The width of the terminal behind standard error; 80 when it cannot tell.
    int errorColumns() const;

    // A line that stands on standard error and must go before a message (the progress bar); the message
    // is written on a clean line, and the owner draws its line again at its next chance.
    void setStatusLineClearer(std::function<void()> clear) { m_clearStatusLine = std::move(clear); }

    // Texts never to show: each is masked wherever it appears.
    void setSecrets(const QStringList& secrets) { m_secrets = secrets; }
    QString masked(QString text) const;

private:
    std::FILE* m_out;
    std::FILE* m_err;
    QStringList m_secrets;
    std::function<void()> m_clearStatusLine;
};

} // namespace dorvane
