#include "AdoXmlTwin.h"

#include "core/AdoTypes.h"
#include "core/DataError.h"
#include "datasource/AdtgReader.h"
#include "datasource/AdtgWriter.h"
#include "datasource/MemoryRecordSet.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QUuid>

using namespace dorvane;
using dorvane::test::AdoXmlTwin;

namespace {

const QString Samples = QStringLiteral(DORVANE_ADTG_SAMPLES);

QByteArray readSample(const QString& name)
{
    QFile file(Samples + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing sample %s", qPrintable(name));
    return file.readAll();
}

QStringList samplesWithTwins()
{
    QStringList names;
    for (const QString& xml : QDir(Samples).entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name))
        names.append(xml.chopped(4));
    return names;
}

// The worked example of the format notes: a data-type table holding ("BigInt", true, 20).
const QByteArray BigIntTable = QByteArray::fromHex(
    "010754472100000000021900b692f23f04b2cf118d2300aa005ffe58010000000000000000036700d2ad63f602ebcf11b0e300aa003f"
    "000f00000003000300000000000000010000000100c13c8eb6eb6dd0118df600aa005ffe5807000b0000000400010000001300000004"
    "00010000000d00000000000e00000000000f0000000000100000000000120000000000107c000200be22b5c8f35cce11ade500aa0044"
    "773d04007f0000000200ffff860000000200ffff2200000004000000000049000000040000000000c13c8eb6eb6dd0118df600aa005f"
    "fe5805000400000004000f000000050000000400020000000300000004000f00000007000000040032000000080000000400030000"
    "00062d0080010001000800440061007400610054007900700065008200400000000000000000000000840000000000ffff06270080"
    "01000200050043006800650063006b000b00020000000000000000000000140000000000ffff06270080010003000500410064006f"
    "004e0072000300040000000000000000000000140000000000ffff070c42006900670049006e007400ffff140000000f");

MemoryRecordSet bigIntRecordSet()
{
    MemoryRecordSet rs;
    rs.AppendField(QStringLiteral("DataType"), ado::adLongVarWChar, 64);
    rs.AppendField(QStringLiteral("Check"), ado::adBoolean);
    rs.AppendField(QStringLiteral("AdoNr"), ado::adInteger);
    rs.Open();
    rs.AddNew();
    rs.Fields(0).setValue(QStringLiteral("BigInt"));
    rs.Fields(1).setValue(true);
    rs.Fields(2).setValue(20);
    rs.Update();
    return rs;
}

// The value as ADO's XML writes it, so that both sides compare as text.
bool sameValue(const QVariant& value, const QString& xml, const QString& xmlType)
{
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return xml == (value.toBool() ? QLatin1String("True") : QLatin1String("False"));
    case QMetaType::Float:
        return xml.toFloat() == value.toFloat();
    case QMetaType::Double:
        return xml.toDouble() == value.toDouble();
    case QMetaType::QByteArray:
        return QString(xml).remove(QRegularExpression(QStringLiteral("\\s")))
            == QString::fromLatin1(value.toByteArray().toHex());
    case QMetaType::QDateTime: {
        const QDateTime expected(QDate::fromString(xml.left(10), Qt::ISODate),
                                 QTime::fromString(xml.mid(11), Qt::ISODateWithMs), Qt::UTC);
        return expected.isValid() && expected == value.toDateTime();
    }
    case QMetaType::QUuid:
        return QUuid::fromString(xml) == value.toUuid();
    default:
        Q_UNUSED(xmlType);
        return value.toString() == xml;
    }
}

QByteArray writeAgain(const QByteArray& bytes)
{
    return AdtgWriter::write(AdtgReader::read(bytes, QStringLiteral("sample")));
}

} // namespace

class TestAdtg : public QObject
{
    Q_OBJECT

private slots:
    void samplesReadAsTheirXmlTwins_data();
    void samplesReadAsTheirXmlTwins();
    void samplesAreWrittenAgainByteForByte_data();
    void samplesAreWrittenAgainByteForByte();
    void sampleWithoutTwinKeepsControlCharacters();
    void committedRowIsWrittenAsTheWorkedExample();
    void pendingInsertIsWrittenAsAnInsertRecord();
    void everyTruncationIsADataError();
    void damagedFilesAreDataErrorsWithTheirReason_data();
    void damagedFilesAreDataErrorsWithTheirReason();
    void writerRefusesWhatTheFormatCannotHold_data();
    void writerRefusesWhatTheFormatCannotHold();
};

void TestAdtg::samplesReadAsTheirXmlTwins_data()
{
    QTest::addColumn<QString>("name");
    for (const QString& name : samplesWithTwins())
        QTest::newRow(qPrintable(name)) << name;
}

void TestAdtg::samplesReadAsTheirXmlTwins()
{
    QFETCH(QString, name);
    const AdoXmlTwin twin = AdoXmlTwin::read(Samples + QLatin1Char('/') + name + QStringLiteral(".xml"));
    const RecordTable table = AdtgReader::read(readSample(name + QStringLiteral(".adtg")), name);

    QCOMPARE(table.fields.size(), twin.columns.size());
    for (int c = 0; c < table.fields.size(); ++c) {
        const FieldDefinition& field = table.fields[c];
        QCOMPARE(field.name, twin.columns[c].name);
        QCOMPARE(field.type, twin.columns[c].adoType);
        QCOMPARE(field.attributes & ~ado::adFldKeyColumn, twin.columns[c].attributes);
        if (twin.columns[c].adoType != ado::adDate) // ADO's XML gives adDate 16 bytes, its ADTG 8
            QCOMPARE(field.definedSize, twin.columns[c].maxLength);
    }

    QList<const RecordRow*> visible;
    for (const RecordRow& row : table.rows) {
        if (row.isVisible())
            visible.append(&row);
    }
    QCOMPARE(visible.size(), twin.rows.size());
    for (int r = 0; r < visible.size(); ++r) {
        for (int c = 0; c < table.fields.size(); ++c) {
            const QVariant& value = visible[r]->values[c];
            const auto& expected = twin.rows[r][c];
            if (!expected) {
                QVERIFY2(value.isNull(), qPrintable(QStringLiteral("row %1 column %2 should be NULL").arg(r).arg(c)));
                continue;
            }
            QVERIFY2(sameValue(value, *expected, twin.columns[c].xmlType),
                     qPrintable(QStringLiteral("row %1 column %2: %3 instead of %4")
                                    .arg(r)
                                    .arg(c)
                                    .arg(value.toString(), *expected)));
        }
    }
}

void TestAdtg::samplesAreWrittenAgainByteForByte_data()
{
    QTest::addColumn<QString>("name");
    for (const QString& file : QDir(Samples).entryList({QStringLiteral("*.adtg")}, QDir::Files, QDir::Name))
        QTest::newRow(qPrintable(file)) << file;
}

// Reading and writing again keeps the rows' pending states, so every ADO file comes back as ADO wrote
// it: unchanged, changed, deleted and inserted rows alike.
void TestAdtg::samplesAreWrittenAgainByteForByte()
{
    QFETCH(QString, name);
    const QByteArray original = readSample(name);
    QCOMPARE(writeAgain(original).toHex(), original.toHex());
}

void TestAdtg::sampleWithoutTwinKeepsControlCharacters()
{
    const RecordTable table = AdtgReader::read(readSample(QStringLiteral("text_escapes.adtg")), {});
    bool sawControl = false;
    for (const RecordRow& row : table.rows) {
        for (const QVariant& value : row.values) {
            const QString text = value.toString();
            sawControl = sawControl || text.contains(QLatin1Char('\t')) || text.contains(QLatin1Char('\r'));
        }
    }
    QVERIFY(sawControl);
}

void TestAdtg::committedRowIsWrittenAsTheWorkedExample()
{
    MemoryRecordSet rs = bigIntRecordSet();
    rs.UpdateBatch();
    QCOMPARE(AdtgWriter::write(rs.table()).toHex(), BigIntTable.toHex());
}

void TestAdtg::pendingInsertIsWrittenAsAnInsertRecord()
{
    QByteArray expected = BigIntTable.left(0x192);
    expected += QByteArray::fromHex("0de0000c42006900670049006e007400ffff140000000f");
    QCOMPARE(AdtgWriter::write(bigIntRecordSet().table()).toHex(), expected.toHex());
}

void TestAdtg::everyTruncationIsADataError()
{
    for (const QString& name : {QStringLiteral("multi_changes.adtg"), QStringLiteral("nulls.adtg")}) {
        const QByteArray bytes = readSample(name);
        for (int size = 0; size < bytes.size(); ++size) {
            try {
                AdtgReader::read(bytes.left(size), name);
                QFAIL(qPrintable(QStringLiteral("%1 cut to %2 bytes was accepted").arg(name).arg(size)));
            } catch (const DataError& error) {
                QVERIFY(error.description().contains(name));
            }
        }
    }
}

void TestAdtg::damagedFilesAreDataErrorsWithTheirReason_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");

    const QByteArray good = BigIntTable;
    auto patched = [&](int offset, const QByteArray& replacement) {
        QByteArray bytes = good;
        bytes.replace(offset, replacement.size(), replacement);
        return bytes;
    };
    // Offsets from the worked example: 0x128 the DataType column's DBTYPE, 0x193 its value's length.
    QTest::newRow("empty") << QByteArray() << QStringLiteral("does not begin with the ADTG header");
    QTest::newRow("text file") << QByteArray("Ext;Str;File\r\n")
                               << QStringLiteral("does not begin with the ADTG header");
    QTest::newRow("no TG! mark") << patched(2, "XY!") << QStringLiteral("TableGram mark");
    QTest::newRow("big-endian") << patched(7, QByteArray(1, '\x01')) << QStringLiteral("big-endian");
    QTest::newRow("Unicode form") << patched(8, QByteArray(1, '\x01')) << QStringLiteral("Unicode");
    QTest::newRow("more columns announced")
        << patched(0x3D, QByteArray("\x04\x00", 2)) << QStringLiteral("announces 4 columns but describes 3");
    QTest::newRow("VARIANT column") << patched(0x128, QByteArray("\x0c\x00", 2)) << QStringLiteral("VARIANT");
    QTest::newRow("chapter column") << patched(0x128, QByteArray("\x88\x00", 2)) << QStringLiteral("chapter");
    QTest::newRow("odd Unicode length") << patched(0x193, QByteArray(1, '\x0b')) << QStringLiteral("odd number");
    QTest::newRow("value longer than file") << patched(0x193, QByteArray(1, '\xff')) << QStringLiteral("ends at byte");
    QTest::newRow("bytes after end") << good + QByteArray(1, '\0') << QStringLiteral("follow its end mark");
    QTest::newRow("no end mark") << good.chopped(1) << QStringLiteral("without the end mark");
    QTest::newRow("child row") << patched(0x192, QByteArray(1, '\x8d')) << QStringLiteral("hierarchical");
    QTest::newRow("stray change mark") << patched(0x192, QByteArray(1, '\x0a'))
                                       << QStringLiteral("unexpected mark 0x0a");
    QTest::newRow("second result descriptor")
        << good.left(0x8F) + good.mid(0x25, 0x8F - 0x25) + good.mid(0x8F) << QStringLiteral("second result descriptor");

    // A 4-byte length far beyond the file must not be allocated: the file-driver Str column has one.
    MemoryRecordSet rs;
    rs.AppendField(QStringLiteral("Str"), ado::adLongVarWChar, 256);
    rs.Open();
    rs.AddNew();
    rs.Fields(0).setValue(QStringLiteral("x"));
    rs.UpdateBatch();
    QByteArray huge = AdtgWriter::write(rs.table());
    huge.replace(huge.size() - 7, 4, QByteArray("\xff\xff\xff\x7f", 4));
    QTest::newRow("huge length") << huge << QStringLiteral("ends at byte");

    // 1899-12-30 plus 3 million days lies beyond the year 9999.
    MemoryRecordSet dates;
    dates.AppendField(QStringLiteral("When"), ado::adDate);
    dates.Open();
    dates.AddNew();
    dates.Fields(0).setValue(QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC));
    dates.UpdateBatch();
    QByteArray farDate = AdtgWriter::write(dates.table());
    const double days = 3e6;
    farDate.replace(farDate.size() - 9, 8, QByteArray(reinterpret_cast<const char*>(&days), 8));
    QTest::newRow("date beyond 9999") << farDate << QStringLiteral("no valid date");
}

void TestAdtg::damagedFilesAreDataErrorsWithTheirReason()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    try {
        AdtgReader::read(bytes, QStringLiteral("/sys/dtype.dat"));
        QFAIL("the damaged file was accepted");
    } catch (const DataError& error) {
        QVERIFY2(error.description().contains(reason), qPrintable(error.description()));
        QVERIFY(error.description().contains(QLatin1String("\"/sys/dtype.dat\"")));
        QCOMPARE(error.source(), QStringLiteral("Dorvane.Recordset"));
    }
}

void TestAdtg::writerRefusesWhatTheFormatCannotHold_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("reason");

    QTest::newRow("NULL where the column cannot be NULL") << int(ado::adInteger) << 0 << QVariant() << "cannot be NULL";
    QTest::newRow("text beyond a 1-byte length")
        << int(ado::adVarWChar) << 120 << QVariant(QString(200, 'x')) << "longer than 255 bytes";
    QTest::newRow("non-ANSI character in an ANSI column")
        << int(ado::adVarChar) << 20 << QVariant(QStringLiteral("漢字")) << "Windows-1252";
    QTest::newRow("fixed text longer than its width")
        << int(ado::adChar) << 3 << QVariant(QStringLiteral("abcd")) << "longer than the field's 3 bytes";
}

// Rows read from foreign files can hold what a record set built here would have refused; saving them
// must fail cleanly rather than write a file that reads back differently.
void TestAdtg::writerRefusesWhatTheFormatCannotHold()
{
    QFETCH(int, type);
    QFETCH(int, size);
    QFETCH(QVariant, value);
    QFETCH(QString, reason);
    RecordTable table;
    FieldDefinition field;
    field.name = QStringLiteral("F");
    field.type = type;
    field.definedSize = size == 0 ? 4 : size;
    field.attributes = ado::adFldUpdatable | (type == ado::adChar || type == ado::adInteger ? ado::adFldFixed : 0);
    table.fields.append(field);
    RecordRow row;
    row.values = {value};
    table.rows.append(row);
    try {
        AdtgWriter::write(table);
        QFAIL("the writer accepted the row");
    } catch (const DataError& error) {
        QVERIFY2(error.description().contains(reason), qPrintable(error.description()));
    }
}

QTEST_GUILESS_MAIN(TestAdtg)
#include "tst_adtg.moc"
