#include "datasource/FileDriverTable.h"
#include "engine/DataTypeTable.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace dorvane;

namespace {

const QString Samples = QStringLiteral(DORVANE_ADTG_SAMPLES);

struct Result
{
    int exitCode = -1;
    QByteArray out;
    QString err;
};

Result runTool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(DORVANE_ADTG_TOOL), arguments);
    if (!process.waitForFinished(30000))
        qFatal("dorvane-adtg did not finish");
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

QJsonObject dump(const QString& path)
{
    const Result result = runTool({QStringLiteral("dump"), path});
    if (result.exitCode != 0)
        qFatal("dump failed: %s", qPrintable(result.err));
    return QJsonDocument::fromJson(result.out).object();
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestAdtgTool : public QObject
{
    Q_OBJECT

private slots:
    void dumpShowsColumnsAndRows();
    void loadWritesWhatDumpShowed_data();
    void loadWritesWhatDumpShowed();
    void defaultTablesDumpToTheDefaultRows();
    void errorsAreReportedWithoutOutputFile();
};

void TestAdtgTool::dumpShowsColumnsAndRows()
{
    const QJsonObject json = dump(Samples + QStringLiteral("/multi_changes.adtg"));
    const QJsonArray columns = json[QStringLiteral("columns")].toArray();
    QCOMPARE(columns.size(), 7);
    QCOMPARE(columns[3].toObject()[QStringLiteral("name")].toString(), QStringLiteral("M03_NUM"));
    QCOMPARE(columns[3].toObject()[QStringLiteral("type")].toInt(), 131);
    QCOMPARE(columns[3].toObject()[QStringLiteral("size")].toInt(), 19);
    QCOMPARE(columns[3].toObject()[QStringLiteral("attributes")].toInt(), 0x34);
    QCOMPARE(columns[3].toObject()[QStringLiteral("scale")].toInt(), 4);

    const QJsonArray rows = json[QStringLiteral("rows")].toArray();
    QCOMPARE(rows.size(), 6); // two rows deleted
    const QJsonArray changed = rows[0].toArray();
    QCOMPARE(changed[0].toInt(), 1);
    QCOMPARE(changed[1].toString(), QStringLiteral("r1_p1_한글_<&'>"));
    QCOMPARE(changed[3].toString(), QStringLiteral("1001.1234"));
    QCOMPARE(changed[4].toString(), QStringLiteral("2001-02-02T01:03:00"));
    QCOMPARE(changed[5].toString(), QStringLiteral("0101dead"));
    QCOMPARE(changed[6].toBool(), false);
    QVERIFY(rows[4].toArray()[1].isNull()); // inserted with a forced NULL
}

void TestAdtgTool::loadWritesWhatDumpShowed_data()
{
    QTest::addColumn<QString>("sample");
    QTest::addColumn<bool>("sameBytes");
    // Files whose rows are all unchanged come back byte for byte; the others as the same values.
    QTest::newRow("field_attributes") << "field_attributes" << true;
    QTest::newRow("type_Char") << "type_Char" << true;
    QTest::newRow("empty") << "empty" << true;
    QTest::newRow("multi_changes") << "multi_changes" << false;
    QTest::newRow("flat_Currency_states") << "flat_Currency_states" << false;
    QTest::newRow("binary") << "binary" << false;
    QTest::newRow("text_escapes") << "text_escapes" << false;
}

void TestAdtgTool::loadWritesWhatDumpShowed()
{
    QFETCH(QString, sample);
    QFETCH(bool, sameBytes);
    QTemporaryDir dir;
    const QString original = Samples + QLatin1Char('/') + sample + QStringLiteral(".adtg");
    const QString jsonPath = dir.filePath(QStringLiteral("table.json"));
    const QString written = dir.filePath(QStringLiteral("table.adtg"));
    const QJsonObject json = dump(original);
    QFile jsonFile(jsonPath);
    QVERIFY(jsonFile.open(QIODevice::WriteOnly));
    jsonFile.write(QJsonDocument(json).toJson());
    jsonFile.close();

    const Result load = runTool({QStringLiteral("load"), jsonPath, written});
    QVERIFY2(load.exitCode == 0, qPrintable(load.err));
    QCOMPARE(dump(written), json);
    if (sameBytes)
        QCOMPARE(contentOf(written).toHex(), contentOf(original).toHex());
}

void TestAdtgTool::defaultTablesDumpToTheDefaultRows()
{
    QTemporaryDir dir;
    const QString types = dir.filePath(QStringLiteral("dtype.dat"));
    const QString drivers = dir.filePath(QStringLiteral("fdrv.dat"));
    QCOMPARE(runTool({QStringLiteral("defaults"), QStringLiteral("datatypes"), types}).exitCode, 0);
    QCOMPARE(runTool({QStringLiteral("defaults"), QStringLiteral("filedrivers"), drivers}).exitCode, 0);

    const QJsonObject typeTable = dump(types);
    QCOMPARE(typeTable[QStringLiteral("columns")].toArray(),
             QJsonDocument::fromJson(R"([{"name":"DataType","type":203,"size":64,"attributes":132},
                                         {"name":"Check","type":11,"size":2,"attributes":20},
                                         {"name":"AdoNr","type":3,"size":4,"attributes":20}])")
                 .array());
    QJsonArray expectedTypes;
    for (const DataTypeRow& row : defaultDataTypeRows())
        expectedTypes.append(QJsonArray {row.DataType, row.Check, row.AdoNr});
    QCOMPARE(typeTable[QStringLiteral("rows")].toArray(), expectedTypes);

    const QJsonObject driverTable = dump(drivers);
    QCOMPARE(driverTable[QStringLiteral("columns")].toArray(),
             QJsonDocument::fromJson(R"([{"name":"Ext","type":129,"size":3,"attributes":32788},
                                         {"name":"Str","type":203,"size":256,"attributes":132},
                                         {"name":"File","type":11,"size":2,"attributes":20}])")
                 .array());
    QJsonArray expectedDrivers;
    for (const FileDriverRow& row : defaultFileDriverRows()) // the fixed-width Ext column pads "db" as ADO does
        expectedDrivers.append(QJsonArray {row.Ext.leftJustified(3), row.Str, row.File});
    QCOMPARE(driverTable[QStringLiteral("rows")].toArray(), expectedDrivers);
}

void TestAdtgTool::errorsAreReportedWithoutOutputFile()
{
    QTemporaryDir dir;
    const Result missing = runTool({QStringLiteral("dump"), dir.filePath(QStringLiteral("none.dat"))});
    QCOMPARE(missing.exitCode, 1);
    QVERIFY(missing.err.contains(QStringLiteral("does not exist")));

    const QString jsonPath = dir.filePath(QStringLiteral("bad.json"));
    QFile json(jsonPath);
    QVERIFY(json.open(QIODevice::WriteOnly));
    json.write(R"({"columns":[{"name":"N","type":3}],"rows":[["zwei"]]})");
    json.close();
    const QString target = dir.filePath(QStringLiteral("out.adtg"));
    const Result bad = runTool({QStringLiteral("load"), jsonPath, target});
    QCOMPARE(bad.exitCode, 1);
    QVERIFY2(bad.err.contains(QStringLiteral("not a whole number")), qPrintable(bad.err));
    QVERIFY(!QFile::exists(target));

    QCOMPARE(runTool({QStringLiteral("defaults"), QStringLiteral("colours"), target}).exitCode, 2);
}

QTEST_GUILESS_MAIN(TestAdtgTool)
#include "tst_adtgtool.moc"
