// The change journal on a real SQLite file through the ODBC driver: values of every type come back exactly,
// changes go from pending to done or away, runs are listed with their counts. Beside it the two texts the
// command line writes down: the source without its passwords, and the fields of a CSV report.
#include "cli/CsvReportWriter.h"
#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/PasswordFreeSource.h"
#include "engine/ChangeJournal.h"
#include "engine/JournalValue.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <cmath>
#include <cstring>
#include <limits>

using namespace dorvane;

namespace {

// Equal in type and in every bit: NaN equals NaN, -0.0 differs from 0.0.
bool identical(const QVariant& a, const QVariant& b)
{
    if (a.isValid() != b.isValid() || a.isNull() != b.isNull())
        return false;
    if (!a.isValid())
        return true;
    if (a.metaType() != b.metaType())
        return false;
    if (a.metaType().id() == QMetaType::Double) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        return std::memcmp(&x, &y, sizeof x) == 0;
    }
    if (a.metaType().id() == QMetaType::Float) {
        const float x = a.toFloat();
        const float y = b.toFloat();
        return std::memcmp(&x, &y, sizeof x) == 0;
    }
    if (a.metaType().id() == QMetaType::QDateTime)
        return a.toDateTime() == b.toDateTime() && a.toDateTime().timeSpec() == b.toDateTime().timeSpec();
    return a == b;
}

JournalChange changeOf(const QVariant& oldValue, const QVariant& newValue)
{
    JournalChange change;
    change.table = QStringLiteral("Order Details");
    change.record = 41;
    change.row.byKey = true;
    change.row.columns = {QStringLiteral("id"), QStringLiteral("day")};
    change.row.values = {QVariant::fromValue(qlonglong(7)), QDate(2024, 1, 5)};
    change.rowTexts = {QString(), QStringLiteral("2024-01-05 00:00:00")};
    change.field = QStringLiteral("note");
    change.oldValue = oldValue;
    change.newValue = newValue;
    change.time = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9, 10), Qt::UTC);
    return change;
}

} // namespace

class TestChangeJournal : public QObject
{
    Q_OBJECT

private slots:
    void valuesComeBackExactly_data();
    void valuesComeBackExactly();
    void changesGoFromPendingToDoneOrAway();
    void aFileThatIsNoJournalIsLeftAlone();
    void sourceWithoutPasswords_data();
    void sourceWithoutPasswords();
    void csvFields_data();
    void csvFields();
};

void TestChangeJournal::valuesComeBackExactly_data()
{
    QTest::addColumn<QVariant>("value");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    QTest::newRow("NULL") << QVariant();
    QTest::newRow("empty text") << QVariant(QString(QLatin1String("")));
    QTest::newRow("text") << QVariant(QStringLiteral("He said \"hi\",\r\nthen left; 'x' \\ Grüße 東京 😀"));
    QTest::newRow("text with NUL") << QVariant(QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
    QTest::newRow("lone surrogate") << QVariant(QString(QChar(0xd800)) + QStringLiteral("x"));
    QTest::newRow("decimal text") << QVariant(QStringLiteral("-1234.50"));
    QTest::newRow("binary") << QVariant(QByteArray("\x00\xff\x37\x00", 4));
    QTest::newRow("empty binary") << QVariant(QByteArray(""));
    QTest::newRow("int") << QVariant::fromValue(std::numeric_limits<int>::min());
    QTest::newRow("int64") << QVariant::fromValue(qlonglong(std::numeric_limits<qint64>::max()));
    QTest::newRow("uint") << QVariant::fromValue(std::numeric_limits<uint>::max());
    QTest::newRow("uint64") << QVariant::fromValue(qulonglong(std::numeric_limits<quint64>::max()));
    QTest::newRow("single 0.1") << QVariant::fromValue(0.1f);
    QTest::newRow("single -0") << QVariant::fromValue(-0.0f);
    QTest::newRow("single smallest") << QVariant::fromValue(std::numeric_limits<float>::denorm_min());
    QTest::newRow("double 0.1") << QVariant::fromValue(0.1);
    QTest::newRow("double -0") << QVariant::fromValue(-0.0);
    QTest::newRow("double largest") << QVariant::fromValue(std::numeric_limits<double>::max());
    QTest::newRow("double smallest") << QVariant::fromValue(std::numeric_limits<double>::denorm_min());
    QTest::newRow("double infinity") << QVariant::fromValue(-infinity);
    QTest::newRow("double NaN") << QVariant::fromValue(nan);
    QTest::newRow("true") << QVariant(true);
    QTest::newRow("false") << QVariant(false);
    QTest::newRow("date") << QVariant(QDate(2024, 2, 29));
    QTest::newRow("date beyond 9999") << QVariant(QDate(12000, 1, 1));
    QTest::newRow("time with milliseconds") << QVariant(QTime(23, 59, 58, 999));
    QTest::newRow("timestamp") << QVariant(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59, 5), Qt::UTC));
    QTest::newRow("local timestamp") << QVariant(QDateTime(QDate(2024, 3, 31), QTime(2, 30), Qt::LocalTime));
    QTest::newRow("GUID") << QVariant::fromValue(
        QUuid::fromString(QStringLiteral("{12345678-9abc-def0-1234-56789abcdef0}")));
}

void TestChangeJournal::valuesComeBackExactly()
{
    QFETCH(QVariant, value);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("journal.sqlite"));
    {
        ChangeJournal journal(path);
        journal.open(true);
        const qint64 run = journal.beginRun(QStringLiteral("replace"), QStringLiteral("DRIVER=SQLite3;Database=x.db"),
                                            QJsonObject {{QStringLiteral("find"), QStringLiteral("a")}});
        journal.recordPending(run, changeOf(value, QStringLiteral("new")));
        journal.recordPending(run, changeOf(QStringLiteral("old"), value));
        journal.commit();
    }
    ChangeJournal journal(path);
    journal.open(false);
    const std::vector<JournalChange> changes = journal.changes(1);
    QCOMPARE(changes.size(), size_t(2));
    QVERIFY2(identical(changes[0].oldValue, value), qPrintable(changes[0].oldValue.toString()));
    QVERIFY2(identical(changes[1].newValue, value), qPrintable(changes[1].newValue.toString()));
    const JournalChange expected = changeOf(value, value);
    QCOMPARE(changes[0].table, expected.table);
    QCOMPARE(changes[0].record, expected.record);
    QCOMPARE(changes[0].field, expected.field);
    QCOMPARE(changes[0].row.columns, expected.row.columns);
    QVERIFY(identical(changes[0].row.values.at(0), expected.row.values.at(0)));
    QVERIFY(identical(changes[0].row.values.at(1), expected.row.values.at(1)));
    QCOMPARE(changes[0].rowTexts, expected.rowTexts);
    QCOMPARE(changes[0].time, expected.time);
}

void TestChangeJournal::changesGoFromPendingToDoneOrAway()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("journal.sqlite"));
    ChangeJournal journal(path);
    journal.open(true);
    const qint64 run = journal.beginRun(QStringLiteral("replace"),
                                        QStringLiteral("DRIVER=SQLite3;PWD=secret;Database=x"), QJsonObject());
    const qint64 first = journal.recordPending(run, changeOf(QStringLiteral("a"), QStringLiteral("b")));
    const qint64 second = journal.recordPending(run, changeOf(QStringLiteral("c"), QStringLiteral("d")));
    const qint64 third = journal.recordPending(run, changeOf(QStringLiteral("e"), QStringLiteral("f")));
    journal.commit();
    journal.markDone({first, second});
    journal.discard(third);
    // Not committed: what another reader sees is still the intent.
    {
        ChangeJournal reader(path);
        reader.open(false);
        const std::vector<JournalChange> seen = reader.changes(run);
        QCOMPARE(seen.size(), size_t(3));
        for (const JournalChange& change : seen)
            QCOMPARE(change.state, JournalChange::State::Pending);
    }
    journal.commit();
    RunCounts counts;
    counts.tables = 1;
    counts.hits = 3;
    counts.saved = 2;
    counts.failed = 1;
    journal.endRun(run, counts);
    const std::vector<JournalChange> changes = journal.changes(run);
    QCOMPARE(changes.size(), size_t(2));
    QCOMPARE(changes[0].state, JournalChange::State::Done);
    QCOMPARE(changes[1].newValue, QVariant(QStringLiteral("d")));

    const std::vector<JournalRun> runs = journal.runs();
    QCOMPARE(runs.size(), size_t(1));
    QCOMPARE(runs[0].source, QStringLiteral("DRIVER=SQLite3;Database=x"));
    QCOMPARE(runs[0].counts, counts);
    QCOMPARE(runs[0].changes, 2);
    QCOMPARE(runs[0].pending, 0);
    QVERIFY(runs[0].ended.isValid());
    QCOMPARE(journal.lastRun(), std::optional<qint64>(run));
}

void TestChangeJournal::aFileThatIsNoJournalIsLeftAlone()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("other.db"));
    {
        Connection other;
        other.setConnectionString(QStringLiteral("DRIVER=SQLite3;NoCreat=0;Database=") + path);
        other.Open();
        other.Execute(QStringLiteral("CREATE TABLE t (x INTEGER)"));
    }
    const QByteArray before = [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    ChangeJournal journal(path);
    QVERIFY_THROWS_EXCEPTION(DataError, journal.open(true));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
}

void TestChangeJournal::sourceWithoutPasswords_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("written");
    QTest::newRow("PWD") << "DRIVER=SQLite3;Database=/x.db;PWD=secret"
                         << "DRIVER=SQLite3;Database=/x.db";
    QTest::newRow("any case and spacing") << "Driver={PostgreSQL Unicode}; password = secret ;Port=5432"
                                          << "Driver={PostgreSQL Unicode};Port=5432";
    QTest::newRow("braced value with separators") << "DSN=shop;Pwd={a;b=}}c};UID=ann"
                                                  << "DSN=shop;UID=ann";
    QTest::newRow("the like") << "Server=db;SSLPassword=k;OldPwd=o;Passwd=p;AccessToken=t;ClientSecret=s;User=u"
                              << "Server=db;User=u";
    QTest::newRow("inside a value") << "Server=db;Extended Properties={Mode=ro;PWD=secret}"
                                    << "Server=db;Extended Properties={Mode=ro}";
    QTest::newRow("missing separator") << "Server=db PWD=secret;Port=1"
                                       << "Server=;Port=1";
    QTest::newRow("nothing secret") << "DRIVER=SQLite3;Database=/a b/x.db"
                                    << "DRIVER=SQLite3;Database=/a b/x.db";
}

void TestChangeJournal::sourceWithoutPasswords()
{
    QFETCH(QString, source);
    QFETCH(QString, written);
    QCOMPARE(withoutPasswords(source), written);
}

void TestChangeJournal::csvFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << "apple"
                           << "apple";
    QTest::newRow("NULL") << QString() << "";
    QTest::newRow("empty text") << QString(QLatin1String("")) << "\"\"";
    QTest::newRow("comma") << "a,b"
                           << "\"a,b\"";
    QTest::newRow("quotes") << "say \"hi\""
                            << "\"say \"\"hi\"\"\"";
    QTest::newRow("line breaks") << "a\r\nb\nc"
                                 << "\"a\r\nb\nc\"";
    QTest::newRow("blank and semicolon") << " a; b "
                                         << " a; b ";
}

void TestChangeJournal::csvFields()
{
    QFETCH(QString, text);
    QFETCH(QString, field);
    QCOMPARE(CsvReportWriter::field(text), field);
}

QTEST_GUILESS_MAIN(TestChangeJournal)

#include "tst_changejournal.moc"
