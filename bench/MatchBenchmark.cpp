// dorvane-bench match [--values N]: the field test of every matching mode over N generated text values of
// about 60 characters (default 1 000 000), as the run applies it to each field it visits. One line per
// mode, then "match: slowest_mode_ns_per_value=X". Target: every mode under 300 ns per value.
//
// About one value in a hundred is a hit, so the data-type lookup that follows a match is part of the
// measured field test in the proportion a run meets it.
#include "MatchBenchmark.h"

#include "core/AdoTypes.h"
#include "core/AppState.h"
#include "core/DataError.h"
#include "engine/DataTypeTable.h"
#include "engine/FieldMatcher.h"
#include "engine/SearchableTypes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

namespace dorvane::bench {

namespace {

const QStringList Words {
    QStringLiteral("Kunde"),    QStringLiteral("order"),     QStringLiteral("Straße"),  QStringLiteral("delivery"),
    QStringLiteral("Rechnung"), QStringLiteral("invoice"),   QStringLiteral("Müller"),  QStringLiteral("account"),
    QStringLiteral("Zahlung"),  QStringLiteral("shipped"),   QStringLiteral("Lager"),   QStringLiteral("pending"),
    QStringLiteral("Bestand"),  QStringLiteral("customer"),  QStringLiteral("Größe"),   QStringLiteral("returned"),
    QStringLiteral("Filiale"),  QStringLiteral("warehouse"), QStringLiteral("Vertrag"), QStringLiteral("the"),
    QStringLiteral("and"),      QStringLiteral("für"),       QStringLiteral("mit"),     QStringLiteral("Nr."),
    QStringLiteral("2024"),     QStringLiteral("Berlin"),    QStringLiteral("Hamburg"), QStringLiteral("note"),
};

// The text every mode looks for; one value in a hundred holds it.
const QString Needle = QStringLiteral("Katalog");
const QString WholeValue = QStringLiteral("Katalog 2024 Nr. 17");

struct Mode
{
    const char* name;
    qint64 expectedHits;
    QString search;
    bool wholeField = false;
    bool caseSensitive = false;
    bool wholeWord = false;
    bool regEx = false;
};

QString generatedValue(QRandomGenerator& random, int index)
{
    if (index % 100 == 50)
        return WholeValue;
    QString value;
    value.reserve(72);
    while (value.size() < 60) {
        if (!value.isEmpty())
            value += QLatin1Char(' ');
        value += Words[random.bounded(int(Words.size()))];
    }
    // Case varies so that only the case-ignoring modes find every one.
    if (index % 100 == 0)
        value.prepend((index % 200 == 0 ? Needle : Needle.toUpper()) + QLatin1Char(' '));
    return value;
}

// The data-type table in a program folder of its own. A table file changed within the last two seconds
// is read afresh at every lookup; a run meets a settled one, so the benchmark waits for that.
bool prepareProgramFolder(const QTemporaryDir& folder)
{
    if (!folder.isValid() || !QDir(folder.path()).mkdir(QStringLiteral("sys")))
        return false;
    appState().AppPath = folder.path();
    BuildDataTypeTable();
    QThread::msleep(2100);
    return IsSearchableType(ado::adVarWChar);
}

} // namespace

int runMatchBenchmark(const QStringList& arguments)
{
    qint64 count = 1000000;
    const qsizetype at = arguments.indexOf(QStringLiteral("--values"));
    if (at >= 0) {
        bool ok = false;
        count = at + 1 < arguments.size() ? arguments[at + 1].toLongLong(&ok) : 0;
        if (!ok || count < 1) {
            std::fprintf(stderr, "match: --values needs a positive number\n");
            return 2;
        }
    }

    QTemporaryDir folder;
    if (!prepareProgramFolder(folder)) {
        std::fprintf(stderr, "match: cannot lay out a program folder in %s\n", qPrintable(folder.path()));
        return 1;
    }

    std::vector<QVariant> values;
    values.reserve(size_t(count));
    QRandomGenerator random(20240105);
    qint64 characters = 0;
    qint64 lowerNeedles = 0;
    qint64 upperNeedles = 0;
    qint64 wholeValues = 0;
    for (qint64 i = 0; i < count; ++i) {
        QString value = generatedValue(random, int(i % 1000000));
        characters += value.size();
        lowerNeedles += value != WholeValue && value.startsWith(Needle + QLatin1Char(' ')) ? 1 : 0;
        upperNeedles += value.startsWith(Needle.toUpper()) ? 1 : 0;
        wholeValues += value == WholeValue ? 1 : 0;
        values.emplace_back(std::move(value));
    }
    const qint64 anyCase = lowerNeedles + upperNeedles + wholeValues;

    const Mode modes[] = {
        {"part_of_field", anyCase, Needle},
        {"part_of_field_case", lowerNeedles + wholeValues, Needle, false, true},
        {"whole_field", wholeValues, WholeValue, true},
        {"whole_word", anyCase, Needle, false, false, true},
        {"regular_expression", anyCase, QStringLiteral("\\bKat[a-z]+\\b"), false, false, false, true},
    };

    std::printf("match: values=%lld average_characters=%.1f\n", static_cast<long long>(count),
                double(characters) / double(count));
    // The bare loop: every value visited and its text read in place, nothing matched.
    qint64 baselineNs = std::numeric_limits<qint64>::max();
    qint64 total = 0;
    for (int pass = 0; pass < 3; ++pass) {
        QElapsedTimer timer;
        timer.start();
        for (const QVariant& value : values)
            total += value.isNull() ? 0 : static_cast<const QString*>(value.constData())->size();
        baselineNs = std::min(baselineNs, timer.nsecsElapsed());
    }
    std::printf("match: baseline_ns_per_value=%.1f characters=%lld\n", double(baselineNs) / double(count),
                static_cast<long long>(total / 3));

    double slowest = 0;
    for (const Mode& mode : modes) {
        MatchOptions options;
        options.search = mode.search;
        options.regularExpression = mode.regEx;
        options.wholeField = mode.wholeField;
        options.caseSensitive = mode.caseSensitive;
        options.wholeWords = mode.wholeWord;
        SearchableTypes types(dataTypeTablePath());
        FieldMatcher matcher(types);
        qint64 hits = 0;
        qint64 bestNs = std::numeric_limits<qint64>::max();
        try {
            matcher.prepare(options);
            // The best of three passes: other work on the machine only ever adds time.
            for (int pass = 0; pass < 3; ++pass) {
                hits = 0;
                QElapsedTimer timer;
                timer.start();
                for (const QVariant& value : values)
                    hits += matcher.isHit(value, ado::adVarWChar) ? 1 : 0;
                bestNs = std::min(bestNs, timer.nsecsElapsed());
            }
        } catch (const DataError& error) {
            std::fprintf(stderr, "match: %s: %s\n", mode.name, qPrintable(error.description()));
            return 1;
        }
        const double ns = double(bestNs) / double(count);
        slowest = std::max(slowest, ns);
        std::printf("match: mode=%s ns_per_value=%.1f hits=%lld\n", mode.name, ns, static_cast<long long>(hits));
        // A matcher that finds other hits than were planted is measuring something else.
        if (hits != mode.expectedHits) {
            std::fprintf(stderr, "match: %s found %lld hits, %lld were planted\n", mode.name,
                         static_cast<long long>(hits), static_cast<long long>(mode.expectedHits));
            return 1;
        }
    }
    std::printf("match: slowest_mode_ns_per_value=%.1f\n", slowest);
    return 0;
}

} // namespace dorvane::bench
