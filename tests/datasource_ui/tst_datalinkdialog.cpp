// The data-link dialog and the open-file dialog on the offscreen platform, against the real ODBC driver
// manager and the SQLite3 driver.
#include "core/AppState.h"
#include "core/InterfaceTranslations.h"
#include "datasource/ui/DataLinkDialog.h"
#include "datasource/ui/WidgetDataLinkPrompt.h"
#include "datasource/ui/WidgetFileChooser.h"

#include "PresetFileChooser.h"
#include "SqliteDatabase.h"
#include "TempProgramFolder.h"
#include "WidgetChild.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace dorvane;
using dorvane::test::child;
using dorvane::test::TempProgramFolder;

namespace {

const QString SqliteDriver = QStringLiteral("SQLite3");

void selectListEntry(QListWidget* list, const QString& text)
{
    const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!items.isEmpty(), qPrintable(text + QStringLiteral(" not listed")));
    list->setCurrentItem(items.first());
}

int rowOf(QTableWidget* table, const QString& key)
{
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->item(row, 0) && table->item(row, 0)->text() == key)
            return row;
    }
    return -1;
}

// A program folder with the shipped language files, speaking the given language ("" for German only),
// with Qt's own texts in that language as the main window sets them.
std::unique_ptr<TempProgramFolder> interfaceIn(const QString& language)
{
    auto folder = std::make_unique<TempProgramFolder>();
    for (const char* name : {"Deutsch", "English"}) {
        QFile file(QStringLiteral(DORVANE_SOURCE_DIR "/lang/%1.lng").arg(QLatin1String(name)));
        if (!file.open(QIODevice::ReadOnly))
            qFatal("no shipped language file %s", name);
        folder->writeFile(QStringLiteral("lang/%1.lng").arg(QLatin1String(name)), file.readAll());
    }
    folder->activate(language);
    installInterfaceTranslations(interfaceLanguage());
    return folder;
}

// Runs `drive` on the next modal dialog once it is shown.
void whenModalShown(std::function<void(QWidget*)> drive)
{
    QTimer::singleShot(0, [drive] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            whenModalShown(drive);
            return;
        }
        drive(modal);
    });
}

} // namespace

class DataLinkDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void composesConnectionString_data();
    void composesConnectionString();
    void listsTheSqliteDriverAndBuildsItsString();
    void addedAndRemovedAttributesFollowTheString();
    void testButtonReportsTheOutcome_data();
    void testButtonReportsTheOutcome();
    void promptReturnsTheStringOrNothing();
    void fileChooserOffersThePatternListAndNewNames();
    void dialogsSpeakTheInterfaceLanguage_data();
    void dialogsSpeakTheInterfaceLanguage();

private:
    QTemporaryDir m_dir;
    QString m_realDatabase;
};

const QString TestDataSource = QStringLiteral("DorvaneDataLinkTest");

void DataLinkDialogTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    test::SqliteDatabase database(m_dir.path(), QStringLiteral("real.db"));
    database.exec(QStringLiteral("CREATE TABLE Customers (Name TEXT)"));
    m_realDatabase = database.filePath();

    // A private user data-source file, so that the test neither depends on nor touches the machine's.
    const QString userIni = m_dir.filePath(QStringLiteral("odbc.ini"));
    QFile ini(userIni);
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[%1]\nDriver=SQLite3\nDatabase=%2\n").arg(TestDataSource, m_realDatabase).toUtf8());
    ini.close();
    qputenv("ODBCINI", QFile::encodeName(userIni));
}

void DataLinkDialogTest::composesConnectionString_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<DataLinkDialog::Attribute>>("attributes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("driver with a file") << "DRIVER"
                                        << "SQLite3" << QList<DataLinkDialog::Attribute> {{"Database", "/data/shop.db"}}
                                        << "DRIVER={SQLite3};Database=/data/shop.db";
    QTest::newRow("empty values and keys left out")
        << "DRIVER"
        << "PostgreSQL Unicode"
        << QList<DataLinkDialog::Attribute> {{"Server", "db1"}, {"Port", ""}, {"", "stray"}, {"UID", "anna"}}
        << "DRIVER={PostgreSQL Unicode};Server=db1;UID=anna";
    QTest::newRow("values that would split are braced")
        << "DSN"
        << "Sales" << QList<DataLinkDialog::Attribute> {{"PWD", "a;b}c"}, {"Database", " padded"}}
        << "DSN=Sales;PWD={a;b}}c};Database={ padded}";
    QTest::newRow("nothing chosen") << ""
                                    << "" << QList<DataLinkDialog::Attribute> {{"UID", "anna"}} << "";
}

void DataLinkDialogTest::composesConnectionString()
{
    QFETCH(QString, key);
    QFETCH(QString, name);
    QFETCH(QList<DataLinkDialog::Attribute>, attributes);
    QFETCH(QString, expected);
    QCOMPARE(DataLinkDialog::composeConnectionString(key, name, attributes), expected);
}

void DataLinkDialogTest::listsTheSqliteDriverAndBuildsItsString()
{
    test::PresetFileChooser chooser;
    const QString path = m_dir.filePath(QStringLiteral("chosen.db"));
    chooser.nextAnswers = {path};
    DataLinkDialog dialog(chooser);
    dialog.show();

    auto* drivers = child<QListWidget>(&dialog, "driverList");
    auto* string = child<QLineEdit>(&dialog, "connectionStringEdit");
    auto* browse = child<QPushButton>(&dialog, "browseButton");
    auto* ok = child<QDialogButtonBox>(&dialog, "buttonBox")->button(QDialogButtonBox::Ok);
    QVERIFY(string->text().isEmpty());
    QVERIFY(!ok->isEnabled());

    selectListEntry(drivers, SqliteDriver);
    QCOMPARE(string->text(), QStringLiteral("DRIVER={SQLite3}"));
    QVERIFY(ok->isEnabled());
    QVERIFY(browse->isEnabled());

    QTest::mouseClick(browse, Qt::LeftButton);
    QCOMPARE(chooser.titles.size(), 1);
    const QString expected = QStringLiteral("DRIVER={SQLite3};Database=") + path;
    QCOMPARE(string->text(), expected);
    QCOMPARE(dialog.connectionString(), expected);

    // Choosing a data source instead drops the driver and its file.
    selectListEntry(child<QListWidget>(&dialog, "dataSourceList"), TestDataSource);
    QVERIFY(drivers->selectedItems().isEmpty());
    QCOMPARE(string->text(), QStringLiteral("DSN=") + TestDataSource);
    QVERIFY(!browse->isEnabled());
    selectListEntry(drivers, SqliteDriver);
    QCOMPARE(string->text(), QStringLiteral("DRIVER={SQLite3}"));
}

void DataLinkDialogTest::addedAndRemovedAttributesFollowTheString()
{
    test::PresetFileChooser chooser;
    DataLinkDialog dialog(chooser);
    dialog.show();
    selectListEntry(child<QListWidget>(&dialog, "driverList"), SqliteDriver);
    auto* table = child<QTableWidget>(&dialog, "attributeTable");
    auto* string = child<QLineEdit>(&dialog, "connectionStringEdit");

    const int databaseRow = rowOf(table, QStringLiteral("Database"));
    QVERIFY(databaseRow >= 0);
    table->item(databaseRow, 1)->setText(QStringLiteral("/tmp/x.db"));
    QCOMPARE(string->text(), QStringLiteral("DRIVER={SQLite3};Database=/tmp/x.db"));

    QTest::mouseClick(child<QPushButton>(&dialog, "addAttributeButton"), Qt::LeftButton);
    const int added = table->rowCount() - 1;
    table->item(added, 0)->setText(QStringLiteral("Timeout"));
    table->item(added, 1)->setText(QStringLiteral("2000"));
    QCOMPARE(string->text(), QStringLiteral("DRIVER={SQLite3};Database=/tmp/x.db;Timeout=2000"));

    table->setCurrentCell(databaseRow, 1);
    QTest::mouseClick(child<QPushButton>(&dialog, "removeAttributeButton"), Qt::LeftButton);
    QCOMPARE(string->text(), QStringLiteral("DRIVER={SQLite3};Timeout=2000"));
}

void DataLinkDialogTest::testButtonReportsTheOutcome_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("succeeds");
    QTest::newRow("database with a table") << "real" << true;
    QTest::newRow("configured data source") << "dsn" << true;
    QTest::newRow("folder that does not exist") << "missing folder" << false;
}

void DataLinkDialogTest::testButtonReportsTheOutcome()
{
    QFETCH(QString, kind);
    QFETCH(bool, succeeds);
    const auto folder = interfaceIn(QStringLiteral("English"));

    test::PresetFileChooser chooser;
    chooser.nextAnswers
        = {kind == QLatin1String("real") ? m_realDatabase : m_dir.filePath(QStringLiteral("no/such/folder/x.db"))};
    DataLinkDialog dialog(chooser);
    dialog.show();
    if (kind == QLatin1String("dsn")) {
        selectListEntry(child<QListWidget>(&dialog, "dataSourceList"), TestDataSource);
    } else {
        selectListEntry(child<QListWidget>(&dialog, "driverList"), SqliteDriver);
        QTest::mouseClick(child<QPushButton>(&dialog, "browseButton"), Qt::LeftButton);
    }
    auto* result = child<QLabel>(&dialog, "testResultLabel");
    QVERIFY(result->text().isEmpty());

    QTest::mouseClick(child<QPushButton>(&dialog, "testButton"), Qt::LeftButton);
    QCOMPARE(result->property("testSucceeded").toBool(), succeeds);
    if (succeeds) {
        QCOMPARE(result->text(), QStringLiteral("Test connection succeeded."));
    } else {
        QVERIFY(result->text().startsWith(QStringLiteral("Test connection failed:\n")));
        // The driver's own explanation follows the heading.
        QVERIFY(result->text().size() > QStringLiteral("Test connection failed:\n").size());
    }
}

void DataLinkDialogTest::promptReturnsTheStringOrNothing()
{
    test::PresetFileChooser chooser;
    WidgetDataLinkPrompt prompt(chooser);

    whenModalShown([](QWidget* dialog) {
        selectListEntry(child<QListWidget>(dialog, "driverList"), SqliteDriver);
        auto* table = child<QTableWidget>(dialog, "attributeTable");
        table->item(rowOf(table, QStringLiteral("Database")), 1)->setText(QStringLiteral("/srv/a.db"));
        QTest::mouseClick(child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    QCOMPARE(prompt.promptNew(), std::optional<QString>(QStringLiteral("DRIVER={SQLite3};Database=/srv/a.db")));

    whenModalShown([](QWidget* dialog) {
        selectListEntry(child<QListWidget>(dialog, "driverList"), SqliteDriver);
        QTest::mouseClick(child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Cancel),
                          Qt::LeftButton);
    });
    QCOMPARE(prompt.promptNew(), std::optional<QString>());
}

void DataLinkDialogTest::fileChooserOffersThePatternListAndNewNames()
{
    WidgetFileChooser chooser;
    const QString patterns = QStringLiteral("*.mdb;*.db;");
    const QString newName = m_dir.filePath(QStringLiteral("not-yet-there.db"));

    QString title;
    QStringList filters;
    QString startName;
    whenModalShown([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog);
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        startName = dialog->selectedFiles().value(0);
        dialog->selectFile(newName);
        static_cast<QDialog*>(dialog)->accept();
    });
    QCOMPARE(chooser.chooseFile(QStringLiteral("Datenbank öffnen"), patterns), newName);
    QCOMPARE(title, QStringLiteral("Datenbank öffnen"));
    QCOMPARE(filters, QStringList {QStringLiteral("*.mdb;*.db; (*.[mM][dD][bB] *.[dD][bB])")});
    QVERIFY(!startName.endsWith(QStringLiteral(".db")));

    whenModalShown([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    QCOMPARE(chooser.chooseFile(QStringLiteral("x"), patterns), QString());
}

void DataLinkDialogTest::dialogsSpeakTheInterfaceLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("driversLabel");
    QTest::addColumn<QString>("browseTitle");
    QTest::addColumn<QString>("cancel");
    QTest::addColumn<QString>("lookIn");

    QTest::newRow("Deutsch") << "Deutsch"
                             << "Datenverknüpfungseigenschaften"
                             << "ODBC-T&reiber:"
                             << "Datenbankdatei auswählen"
                             << "Abbrechen"
                             << "Suchen in:";
    QTest::newRow("English") << "English"
                             << "Data Link Properties"
                             << "ODBC &drivers:"
                             << "Select database file"
                             << "Cancel"
                             << "Look in:";
    QTest::newRow("German only: built-in texts") << ""
                                                 << "Datenverknüpfungseigenschaften"
                                                 << "ODBC-T&reiber:"
                                                 << "Datenbankdatei auswählen"
                                                 << "Abbrechen"
                                                 << "Suchen in:";
}

// The data-link dialog's own texts come from the language file, its OK and Cancel and the whole file
// dialog from Qt's catalogue of the same language.
void DataLinkDialogTest::dialogsSpeakTheInterfaceLanguage()
{
    QFETCH(QString, language);
    QFETCH(QString, caption);
    QFETCH(QString, driversLabel);
    QFETCH(QString, browseTitle);
    QFETCH(QString, cancel);
    QFETCH(QString, lookIn);
    const auto folder = interfaceIn(language);

    test::PresetFileChooser chooser;
    chooser.nextAnswers = {QString()};
    {
        DataLinkDialog dialog(chooser);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), caption);
        QCOMPARE(child<QLabel>(&dialog, "driversLabel")->text(), driversLabel);
        QCOMPARE(child<QDialogButtonBox>(&dialog, "buttonBox")->button(QDialogButtonBox::Cancel)->text(), cancel);
        selectListEntry(child<QListWidget>(&dialog, "driverList"), SqliteDriver);
        QTest::mouseClick(child<QPushButton>(&dialog, "browseButton"), Qt::LeftButton);
        QCOMPARE(chooser.titles, QStringList {browseTitle});
    }

    WidgetFileChooser files;
    QString fileDialogCancel;
    QString fileDialogLookIn;
    whenModalShown([&](QWidget* modal) {
        auto* buttons = modal->findChild<QDialogButtonBox*>();
        auto* label = modal->findChild<QLabel*>(QStringLiteral("lookInLabel"));
        if (buttons && buttons->button(QDialogButtonBox::Cancel))
            fileDialogCancel = buttons->button(QDialogButtonBox::Cancel)->text();
        if (label)
            fileDialogLookIn = label->text();
        qobject_cast<QDialog*>(modal)->reject();
    });
    QCOMPARE(files.chooseFile(browseTitle, QStringLiteral("*.db")), QString());
    QCOMPARE(fileDialogCancel, cancel);
    QCOMPARE(fileDialogLookIn, lookIn);
    installInterfaceTranslations(QString());
}

QTEST_MAIN(DataLinkDialogTest)
#include "tst_datalinkdialog.moc"
