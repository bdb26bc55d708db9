#include "core/IniFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringList>

namespace dorvane {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString decodeCp1252(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text.append(b >= 0x80 && b < 0xA0 ? QChar(Cp1252High[b - 0x80]) : QChar(b));
    }
    return text;
}

// A section header "[name]" (blanks around allowed); returns the name or a null string.
QString sectionName(const QString& line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.size() < 2 || !trimmed.startsWith(QLatin1Char('[')))
        return {};
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    if (close < 0)
        return {};
    return trimmed.mid(1, close - 1).trimmed();
}

bool isComment(const QString& line)
{
    const QString trimmed = line.trimmed();
    return trimmed.startsWith(QLatin1Char(';'));
}

// Splits "key = value"; returns false for lines that are no key line.
bool splitKeyLine(const QString& line, QString& key, QString& value)
{
    if (isComment(line))
        return false;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    key = line.left(eq).trimmed();
    value = line.mid(eq + 1).trimmed();
    return !key.isEmpty();
}

QString unquote(const QString& value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

QString cut(const QString& text, int size)
{
    if (size <= 0)
        return {};
    QString result = text.left(size - 1);
    const qsizetype nul = result.indexOf(QChar(0));
    return nul >= 0 ? result.left(nul) : result;
}

// Splits content into lines while remembering each line's own ending, so a rewrite keeps them.
struct Line
{
    QString text;
    QString ending;
};

QList<Line> splitLines(const QString& content)
{
    QList<Line> lines;
    qsizetype start = 0;
    const qsizetype n = content.size();
    while (start < n) {
        qsizetype i = start;
        while (i < n && content[i] != QLatin1Char('\n') && content[i] != QLatin1Char('\r'))
            ++i;
        Line line {content.mid(start, i - start), {}};
        if (i < n) {
            if (content[i] == QLatin1Char('\r') && i + 1 < n && content[i + 1] == QLatin1Char('\n')) {
                line.ending = QStringLiteral("\r\n");
                i += 2;
            } else {
                line.ending = content[i];
                i += 1;
            }
        }
        lines.append(line);
        start = i;
    }
    return lines;
}

} // namespace

QString IniFile::decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return decodeCp1252(bytes);
}

QString IniFile::read(const QString& path, const QString& section, const QString& key, const QString& defaultValue,
                      int size)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return cut(defaultValue, size);
    const QList<Line> lines = splitLines(decode(file.readAll()));

    bool inSection = false;
    for (const Line& line : lines) {
        const QString name = sectionName(line.text);
        if (!name.isNull()) {
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection)
            continue;
        QString lineKey, value;
        if (splitKeyLine(line.text, lineKey, value) && lineKey.compare(key, Qt::CaseInsensitive) == 0)
            return cut(unquote(value), size);
    }
    return cut(defaultValue, size);
}

bool IniFile::write(const QString& path, const QString& section, const QString& key, const QString& value)
{
    QString content;
    {
        QFile file(path);
        if (file.exists()) {
            if (!file.open(QIODevice::ReadOnly))
                return false;
            content = decode(file.readAll());
        }
    }
    QList<Line> lines = splitLines(content);
    const QString crlf = QStringLiteral("\r\n");
    const QString newLine = key + QLatin1Char('=') + value;

    qsizetype sectionStart = -1; // index of the header line
    qsizetype lastContent = -1; // last non-blank line inside the section
    bool done = false;
    for (qsizetype i = 0; i < lines.size() && !done; ++i) {
        const QString name = sectionName(lines[i].text);
        if (!name.isNull()) {
            if (sectionStart >= 0)
                break; // the section ended without the key
            if (name.compare(section, Qt::CaseInsensitive) == 0) {
                sectionStart = i;
                lastContent = i;
            }
            continue;
        }
        if (sectionStart < 0)
            continue;
        if (!lines[i].text.trimmed().isEmpty())
            lastContent = i;
        QString lineKey, lineValue;
        if (splitKeyLine(lines[i].text, lineKey, lineValue) && lineKey.compare(key, Qt::CaseInsensitive) == 0) {
            lines[i].text = newLine;
            done = true;
        }
    }
    if (!done) {
        if (sectionStart >= 0) {
            if (lines[lastContent].ending.isEmpty())
                lines[lastContent].ending = crlf;
            lines.insert(lastContent + 1, Line {newLine, crlf});
        } else {
            if (!lines.isEmpty() && lines.back().ending.isEmpty())
                lines.back().ending = crlf;
            lines.append(Line {QLatin1Char('[') + section + QLatin1Char(']'), crlf});
            lines.append(Line {newLine, crlf});
        }
    }

    QString out;
    for (const Line& line : lines)
        out += line.text + line.ending;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(out.toUtf8());
    return file.commit();
}

} // namespace dorvane
