// dorvane-bench language-file [--megabytes N]: the texts the main window reads when it loads (sections
// frmMain t0…t49 and All t0…t6) from a language file of N MB (default 50), the window's sections at its
// end. The bare baseline is what one lookup cost while every lookup read the file afresh: reading and
// decoding the whole file (the old lookup split it into lines on top of that).
//
// Lines: "language-file: bare_read_ms=X" (one read and decode of the file), "first_lookup_ms=Y" (the read
// and parse of the file at the first lookup), "lookup_ns=Z" (a lookup in the parsed file, with the check
// of the file's version), "load_texts_ms=W" (the 57 texts of one window load) against
// "load_texts_bare_ms=V" (57 bare reads).
#include "LanguageFileBenchmark.h"

#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/Settings.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace dorvane::bench {

namespace {

struct Text
{
    QString section;
    QString key;
};

QList<Text> windowTexts()
{
    QList<Text> texts;
    for (int k = 0; k < 50; ++k)
        texts.append({QStringLiteral("frmMain"), QStringLiteral("t%1").arg(k)});
    for (int k = 0; k < 7; ++k)
        texts.append({QStringLiteral("All"), QStringLiteral("t%1").arg(k)});
    return texts;
}

// Filler sections of translated-looking texts up to the size, then the window's own sections.
QByteArray languageFile(qint64 bytes)
{
    QByteArray content;
    content.reserve(bytes + 4096);
    for (int section = 0; content.size() < bytes; ++section) {
        content += "[frmFiller" + QByteArray::number(section) + "]\r\n";
        for (int key = 0; key < 100; ++key) {
            content += "t" + QByteArray::number(key) + "=Übersetzter Text Nummer " + QByteArray::number(key)
                + " für ein Fenster, das es nicht gibt\r\n";
        }
    }
    content += "[frmMain]\r\n";
    for (int key = 0; key < 50; ++key)
        content += "t" + QByteArray::number(key) + "=Text " + QByteArray::number(key) + "\r\n";
    content += "[All]\r\n";
    for (int key = 0; key < 7; ++key)
        content += "t" + QByteArray::number(key) + "=Befehl " + QByteArray::number(key) + "\r\n";
    return content;
}

} // namespace

int runLanguageFileBenchmark(const QStringList& arguments)
{
    qint64 megabytes = 50;
    const qsizetype at = arguments.indexOf(QStringLiteral("--megabytes"));
    if (at >= 0) {
        bool ok = false;
        megabytes = at + 1 < arguments.size() ? arguments[at + 1].toLongLong(&ok) : 0;
        if (!ok || megabytes < 1) {
            std::fprintf(stderr, "language-file: --megabytes needs a positive number\n");
            return 2;
        }
    }

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Big.lng"));
    {
        QFile file(path);
        if (!folder.isValid() || !file.open(QIODevice::WriteOnly) || file.write(languageFile(megabytes << 20)) < 0) {
            std::fprintf(stderr, "language-file: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    appState().AppPath = folder.path();
    appState().LanguageFile = path;
    // A file changed within the last two seconds is read afresh at every lookup; a program meets a
    // settled one.
    QThread::msleep(2100);

    const QList<Text> texts = windowTexts();
    qint64 bareNs = std::numeric_limits<qint64>::max();
    qint64 characters = 0;
    for (int pass = 0; pass < 3; ++pass) {
        QElapsedTimer timer;
        timer.start();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        characters = IniFile::decode(file.readAll()).size();
        bareNs = std::min(bareNs, timer.nsecsElapsed());
    }

    QElapsedTimer timer;
    timer.start();
    const QString first = ReadLanguageText(texts[0].section, texts[0].key, QString());
    const qint64 firstNs = timer.nsecsElapsed();

    // The texts of one window load, many times over; the best round counts.
    qint64 loadNs = std::numeric_limits<qint64>::max();
    qsizetype found = 0;
    constexpr int rounds = 200;
    for (int round = 0; round < rounds; ++round) {
        found = 0;
        timer.start();
        for (const Text& text : texts)
            found += ReadLanguageText(text.section, text.key, QString()).isEmpty() ? 0 : 1;
        loadNs = std::min(loadNs, timer.nsecsElapsed());
    }
    if (first != QLatin1String("Text 0") || found != texts.size()) {
        std::fprintf(stderr, "language-file: the window's texts were not found (%lld of %lld)\n",
                     static_cast<long long>(found), static_cast<long long>(texts.size()));
        return 1;
    }

    std::printf("language-file: megabytes=%lld characters=%lld texts=%lld\n", static_cast<long long>(megabytes),
                static_cast<long long>(characters), static_cast<long long>(texts.size()));
    std::printf("language-file: bare_read_ms=%.1f\n", double(bareNs) / 1e6);
    std::printf("language-file: first_lookup_ms=%.1f\n", double(firstNs) / 1e6);
    std::printf("language-file: lookup_ns=%.0f\n", double(loadNs) / double(texts.size()));
    std::printf("language-file: load_texts_ms=%.3f load_texts_bare_ms=%.0f\n", double(loadNs) / 1e6,
                double(bareNs) * double(texts.size()) / 1e6);
    return 0;
}

} // namespace dorvane::bench
