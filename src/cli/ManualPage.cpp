#include "cli/ManualPage.h"

#include "cli/HelpText.h"

#include <QRegularExpression>
#include <QStringList>

namespace dorvane {

namespace {

// A text line as roff takes it literally: backslashes and dashes escaped, and a line that starts with a
// control character made plain text.
QString roffLine(QString line)
{
    line.replace(QLatin1Char('\\'), QLatin1String("\\e"));
    line.replace(QLatin1Char('-'), QLatin1String("\\-"));
    if (line.startsWith(QLatin1Char('.')) || line.startsWith(QLatin1Char('\'')))
        line.prepend(QLatin1String("\\&"));
    return line;
}

// Lines kept as they stand (tables of commands and options, examples).
void appendVerbatim(QStringList& page, const QStringList& lines)
{
    page.append(QStringLiteral(".nf"));
    for (const QString& line : lines)
        page.append(roffLine(line));
    page.append(QStringLiteral(".fi"));
}

// A paragraph of running text; its indented lines stay as they stand.
void appendParagraph(QStringList& page, const QStringList& lines)
{
    page.append(QStringLiteral(".PP"));
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("  "))) {
            appendVerbatim(page, {line.trimmed()});
            page.append(QStringLiteral(".br"));
        } else {
            page.append(roffLine(line));
        }
    }
}

} // namespace

QString manualPage(const QString& version)
{
    QStringList page {
        QStringLiteral(".TH DORVANE 1 \"\" \"Dorvane %1\" \"User Commands\"").arg(version),
        QStringLiteral(".SH NAME"),
        QStringLiteral("dorvane \\- search and replace text in the tables of a database"),
        QStringLiteral(".SH SYNOPSIS"),
    };
    QStringList synopsis = usageText().split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1); // after "usage:"
    for (QString& line : synopsis) {
        if (line.startsWith(QLatin1String("  ")))
            line = line.mid(2);
    }
    appendVerbatim(page, synopsis);

    // The rest of the help text, in paragraphs. "Commands:" and "Options:" head tables; a paragraph that
    // opens with "Heading: " becomes a section of that name.
    static const QRegularExpression heading(QStringLiteral("^([A-Z][a-z]+(?: [a-z]+)?): (.*)$"));
    const QString details = helpText().mid(usageText().size());
    bool described = false;
    for (const QString& paragraph : details.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts)) {
        QStringList lines = paragraph.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (lines.isEmpty())
            continue;
        if (lines.first().endsWith(QLatin1Char(':')) && !lines.first().contains(QLatin1Char(' '))) {
            page.append(QStringLiteral(".SH ") + lines.takeFirst().chopped(1).toUpper());
            appendVerbatim(page, lines);
            continue;
        }
        const QRegularExpressionMatch match = heading.match(lines.first());
        if (match.hasMatch()) {
            page.append(QStringLiteral(".SH ") + match.captured(1).toUpper());
            const QString text = match.captured(2);
            lines.first() = text.left(1).toUpper() + text.mid(1);
        } else if (!described) {
            page.append(QStringLiteral(".SH DESCRIPTION"));
        }
        described = true;
        appendParagraph(page, lines);
    }
    page.append(QStringLiteral(".SH SEE ALSO"));
    page.append(QStringLiteral("The manual, English.html and Deutsch.html in the help folder of the program folder "
                               "(/usr/lib/dorvane/help when installed from the package), which Help in the "
                               "window opens; dvnreplacer, the window."));
    return page.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace dorvane
