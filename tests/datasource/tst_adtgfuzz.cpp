// Seeded random mutation of real ADTG files: every damaged file must either read or raise the data
// error, never crash, hang or exhaust memory; whatever reads must write and read again to the same
// bytes. DORVANE_FUZZ_SEED and DORVANE_FUZZ_ROUNDS override the fixed seed and round count.
#include "core/DataError.h"
#include "datasource/AdtgReader.h"
#include "datasource/AdtgWriter.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

using namespace dorvane;

namespace {

const QString Samples = QStringLiteral(DORVANE_ADTG_SAMPLES);

quint32 setting(const char* name, quint32 fallback)
{
    bool ok = false;
    const quint32 value = qEnvironmentVariable(name).toUInt(&ok);
    return ok ? value : fallback;
}

QByteArray mutate(QByteArray bytes, QRandomGenerator& random)
{
    const int steps = 1 + int(random.bounded(4));
    for (int step = 0; step < steps && !bytes.isEmpty(); ++step) {
        const int at = int(random.bounded(quint32(bytes.size())));
        switch (random.bounded(7)) {
        case 0: // flip a bit
            bytes[at] = char(bytes[at] ^ (1 << random.bounded(8)));
            break;
        case 1: { // a byte that often stands for a length, a count or a mark
            static const char interesting[]
                = {'\x00', '\x01', '\x07', '\x0a', '\x0c', '\x0d', '\x0f', '\x7f', '\x80', '\xfe', '\xff'};
            bytes[at] = interesting[random.bounded(quint32(sizeof interesting))];
            break;
        }
        case 2: // cut the file
            bytes.truncate(at);
            break;
        case 3: // drop a few bytes
            bytes.remove(at, 1 + int(random.bounded(8)));
            break;
        case 4: // insert random bytes
            for (int i = int(random.bounded(8)); i >= 0; --i)
                bytes.insert(at, char(random.bounded(256)));
            break;
        case 5: { // repeat a stretch, as a duplicated row or descriptor would
            const int length = 1 + int(random.bounded(32));
            bytes.insert(at, bytes.mid(at, length));
            break;
        }
        default: { // a large 4-byte number
            const QByteArray big("\xff\xff\xff\x7f", 4);
            bytes.replace(at, std::min<qsizetype>(4, bytes.size() - at), big);
            break;
        }
        }
    }
    return bytes;
}

} // namespace

class TestAdtgFuzz : public QObject
{
    Q_OBJECT

private slots:
    void mutatedFilesReadOrFailCleanly();
};

void TestAdtgFuzz::mutatedFilesReadOrFailCleanly()
{
    QList<QByteArray> corpus;
    for (const QString& name : QDir(Samples).entryList({QStringLiteral("*.adtg")}, QDir::Files, QDir::Name)) {
        QFile file(Samples + QLatin1Char('/') + name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        corpus.append(file.readAll());
    }
    QVERIFY(corpus.size() >= 20);

    const quint32 seed = setting("DORVANE_FUZZ_SEED", 20260607);
    const quint32 rounds = setting("DORVANE_FUZZ_ROUNDS", 40000);
    QRandomGenerator random(seed);
    int accepted = 0;
    int rejected = 0;
    for (quint32 round = 0; round < rounds; ++round) {
        const QByteArray input = mutate(corpus[int(random.bounded(quint32(corpus.size())))], random);
        RecordTable table;
        try {
            table = AdtgReader::read(input, QStringLiteral("fuzz"));
        } catch (const DataError& error) {
            QVERIFY(!error.description().isEmpty());
            ++rejected;
            continue;
        }
        ++accepted;
        QByteArray written;
        try {
            written = AdtgWriter::write(table);
        } catch (const DataError&) {
            continue; // content a file can hold but a save cannot (a NULL in a column that needs a value)
        }
        // What we write must read back, and a second round must not change a byte.
        const QByteArray again = AdtgWriter::write(AdtgReader::read(written, QStringLiteral("rewritten")));
        if (again != written)
            QFAIL(qPrintable(QStringLiteral("round %1 (seed %2): rewriting is not stable; input %3")
                                 .arg(round)
                                 .arg(seed)
                                 .arg(QString::fromLatin1(input.toHex()))));
    }
    qInfo("seed %u: %d mutated files read, %d rejected", seed, accepted, rejected);
    QVERIFY(accepted > 0);
    QVERIFY(rejected > 0);
}

QTEST_GUILESS_MAIN(TestAdtgFuzz)
#include "tst_adtgfuzz.moc"
