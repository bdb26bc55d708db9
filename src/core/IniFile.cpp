#include "core/IniFile.h"

#include "core/FileVersion.h"
#include "core/IniContent.h"
#include "core/IniLine.h"

#include <QFile>
#include <QMutex>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

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

QString cut(QStringView text, int size)
{
    if (size <= 0)
        return {};
    QStringView result = text.left(size - 1);
    const qsizetype nul = result.indexOf(QChar(0));
    return (nul >= 0 ? result.left(nul) : result).toString();
}

// Parsed files by path, each with the version it was read in. Only settled versions are kept (see
// FileVersion); a file changed within the settle time is read afresh at every lookup.
struct ContentCache
{
    struct File
    {
        QString path;
        FileVersion version;
        std::shared_ptr<const IniContent> content;
    };

    QMutex mutex;
    std::vector<File> files; // the most recently read first
    std::atomic<qint64> settleNs {DefaultFileSettleNs};
    std::atomic<quint64> fileReads {0};
};

// The INI file and the language file, and the language file before the last switch.
constexpr size_t CachedFiles = 4;

ContentCache& contentCache()
{
    static ContentCache cache;
    return cache;
}

// The parsed content of the file at path as it is now, or nullptr when it cannot be read.
std::shared_ptr<const IniContent> contentOf(const QString& path)
{
    ContentCache& cache = contentCache();
    const std::optional<FileVersion> version = FileVersion::of(path);
    QMutexLocker lock(&cache.mutex);
    const auto cached = std::find_if(cache.files.begin(), cache.files.end(),
                                     [&path](const ContentCache::File& file) { return file.path == path; });
    if (cached != cache.files.end()) {
        if (version && cached->version == *version)
            return cached->content;
        cache.files.erase(cached);
    }
    if (!version)
        return nullptr;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    ++cache.fileReads;
    auto content = std::make_shared<const IniContent>(IniFile::decode(file.readAll()));
    // A change after the version was taken shows as a newer version at the next lookup.
    if (version->isSettled(cache.settleNs)) {
        cache.files.insert(cache.files.begin(), {path, *version, content});
        if (cache.files.size() > CachedFiles)
            cache.files.pop_back();
    }
    return content;
}

void forget(const QString& path)
{
    ContentCache& cache = contentCache();
    QMutexLocker lock(&cache.mutex);
    cache.files.erase(std::remove_if(cache.files.begin(), cache.files.end(),
                                     [&path](const ContentCache::File& file) { return file.path == path; }),
                      cache.files.end());
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
    const std::shared_ptr<const IniContent> content = contentOf(path);
    const std::optional<QStringView> value = content ? content->value(section, key) : std::nullopt;
    return cut(value ? *value : QStringView(defaultValue), size);
}

void IniFile::setSettleTimeForTesting(qint64 nanoseconds)
{
    contentCache().settleNs = nanoseconds;
}

quint64 IniFile::fileReadsForTesting()
{
    return contentCache().fileReads;
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
        if (const std::optional<QStringView> name = ini::sectionName(lines[i].text)) {
            if (sectionStart >= 0)
                break; // the section ended without the key
            if (name->compare(section, Qt::CaseInsensitive) == 0) {
                sectionStart = i;
                lastContent = i;
            }
            continue;
        }
        if (sectionStart < 0)
            continue;
        if (!lines[i].text.trimmed().isEmpty())
            lastContent = i;
        QStringView lineKey, lineValue;
        if (ini::splitKeyLine(lines[i].text, lineKey, lineValue) && lineKey.compare(key, Qt::CaseInsensitive) == 0) {
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
    const bool written = file.commit();
    // The next read takes the new file; its version would tell as much, but not within one clock tick.
    forget(path);
    return written;
}

} // namespace dorvane
