#include "cli/Console.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace dorvane {

Console::Console(std::FILE* out, std::FILE* err) : m_out(out), m_err(err) { }

QString Console::masked(QString text) const
{
    for (const QString& secret : m_secrets) {
        if (!secret.isEmpty())
            text.replace(secret, QStringLiteral("***"));
    }
    return text;
}

void Console::out(const QString& line)
{
    std::fputs(masked(line).toUtf8().constData(), m_out);
    std::fputc('\n', m_out);
}

void Console::error(const QString& message)
{
    if (m_clearStatusLine)
        m_clearStatusLine();
    std::fflush(m_out);
    std::fputs(("dorvane: " + masked(message)).toUtf8().constData(), m_err);
    std::fputc('\n', m_err);
    std::fflush(m_err);
}

void Console::rawError(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_err);
    std::fflush(m_err);
}

bool Console::errorIsTerminal() const
{
    return isatty(fileno(m_err)) == 1;
}

int Console::errorColumns() const
{
    winsize size {};
    if (ioctl(fileno(m_err), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

} // namespace dorvane
