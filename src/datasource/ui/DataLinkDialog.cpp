#include "datasource/ui/DataLinkDialog.h"

#include "core/AppState.h"
#include "core/Settings.h"
#include "datasource/FileChooser.h"
#include "datasource/ui/DataLinkOdbc.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace dorvane {

namespace {

const QString DriverKey = QStringLiteral("DRIVER");
const QString DsnKey = QStringLiteral("DSN");
const QString Section = QStringLiteral("DataLinkDialog");

// The dialog's built-in texts, German like the program's other built-in captions. They stand in for a
// key that the language file lacks (a language file written before this dialog had texts of its own
// would otherwise blank it), as the German defaults of sections All and Intro do.
QString builtInText(int key)
{
    static const char* const texts[DataLinkDialog::TextCount] = {
        "Datenverknüpfungseigenschaften",
        "ODBC-T&reiber:",
        "&Datenquellen:",
        "&Verbindungsattribute:",
        "Verbindungszeichenfolge:",
        "Attribut",
        "Wert",
        "&Hinzufügen",
        "&Entfernen",
        "D&urchsuchen...",
        "Verbindung &testen",
        "Wählen Sie zuerst einen Treiber oder eine Datenquelle.",
        "Die Testverbindung war erfolgreich.",
        "Die Testverbindung ist fehlgeschlagen:",
        "Datenbankdatei auswählen",
    };
    return key >= 0 && key < DataLinkDialog::TextCount ? QString::fromUtf8(texts[key]) : QString();
}

bool needsBraces(const QString& value)
{
    return value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('{')) || value.contains(QLatin1Char('}'))
        || (!value.isEmpty() && (value.front().isSpace() || value.back().isSpace()));
}

QString quoted(const QString& value)
{
    if (!needsBraces(value))
        return value;
    QString inner = value;
    inner.replace(QStringLiteral("}"), QStringLiteral("}}"));
    return QLatin1Char('{') + inner + QLatin1Char('}');
}

QLabel* newLabel(const QString& objectName, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setBuddy(buddy);
    return label;
}

QListWidget* newList(const QString& objectName, QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(objectName);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

} // namespace

QString DataLinkDialog::composeConnectionString(const QString& sourceKey, const QString& sourceName,
                                                const QList<Attribute>& attributes)
{
    if (sourceName.isEmpty())
        return QString();
    QStringList parts;
    // Driver names are braced always, the usual ODBC spelling, since many hold blanks and parentheses.
    if (sourceKey == DriverKey)
        parts.append(sourceKey + QStringLiteral("={") + sourceName + QLatin1Char('}'));
    else
        parts.append(sourceKey + QLatin1Char('=') + quoted(sourceName));
    for (const Attribute& attribute : attributes) {
        const QString key = attribute.first.trimmed();
        if (key.isEmpty() || attribute.second.isEmpty())
            continue;
        parts.append(key + QLatin1Char('=') + quoted(attribute.second));
    }
    return parts.join(QLatin1Char(';'));
}

QString DataLinkDialog::fileAttributeFor(const QString& driverName)
{
    const QString name = driverName.toLower();
    if (name.contains(QLatin1String("sqlite")))
        return QStringLiteral("Database");
    if (name.contains(QLatin1String("access")) || name.contains(QLatin1String("mdb"))
        || name.contains(QLatin1String("excel")))
        return QStringLiteral("DBQ");
    return QString();
}

DataLinkDialog::DataLinkDialog(FileChooser& fileChooser, QWidget* parent) : QDialog(parent), m_fileChooser(fileChooser)
{
    setObjectName(QStringLiteral("DataLinkDialog"));

    m_driverList = newList(QStringLiteral("driverList"), this);
    for (const QString& driver : DataLinkOdbc::installedDrivers())
        m_driverList->addItem(driver);

    m_dataSourceList = newList(QStringLiteral("dataSourceList"), this);
    for (const DataLinkOdbc::DataSource& source : DataLinkOdbc::configuredDataSources()) {
        auto* item = new QListWidgetItem(source.name, m_dataSourceList);
        item->setToolTip(source.description);
    }

    m_attributeTable = new QTableWidget(0, 2, this);
    m_attributeTable->setObjectName(QStringLiteral("attributeTable"));
    m_attributeTable->horizontalHeader()->setStretchLastSection(true);
    m_attributeTable->verticalHeader()->hide();
    m_attributeTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_attributeTable->setSelectionMode(QAbstractItemView::SingleSelection);

    m_addButton = new QPushButton(this);
    m_addButton->setObjectName(QStringLiteral("addAttributeButton"));
    m_removeButton = new QPushButton(this);
    m_removeButton->setObjectName(QStringLiteral("removeAttributeButton"));
    m_browseButton = new QPushButton(this);
    m_browseButton->setObjectName(QStringLiteral("browseButton"));
    m_browseButton->setEnabled(false);

    m_connectionStringEdit = new QLineEdit(this);
    m_connectionStringEdit->setObjectName(QStringLiteral("connectionStringEdit"));
    m_connectionStringEdit->setReadOnly(true);

    m_testButton = new QPushButton(this);
    m_testButton->setObjectName(QStringLiteral("testButton"));
    m_testResultLabel = new QLabel(this);
    m_testResultLabel->setObjectName(QStringLiteral("testResultLabel"));
    m_testResultLabel->setWordWrap(true);
    m_testResultLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_buttonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttonBox->setObjectName(QStringLiteral("buttonBox"));

    m_driversLabel = newLabel(QStringLiteral("driversLabel"), m_driverList, this);
    m_dataSourcesLabel = newLabel(QStringLiteral("dataSourcesLabel"), m_dataSourceList, this);
    m_attributesLabel = newLabel(QStringLiteral("attributesLabel"), m_attributeTable, this);
    m_connectionStringLabel = newLabel(QStringLiteral("connectionStringLabel"), m_connectionStringEdit, this);

    auto* sources = new QGridLayout;
    sources->addWidget(m_driversLabel, 0, 0);
    sources->addWidget(m_dataSourcesLabel, 0, 1);
    sources->addWidget(m_driverList, 1, 0);
    sources->addWidget(m_dataSourceList, 1, 1);

    auto* attributeButtons = new QVBoxLayout;
    attributeButtons->addWidget(m_addButton);
    attributeButtons->addWidget(m_removeButton);
    attributeButtons->addWidget(m_browseButton);
    attributeButtons->addStretch();
    auto* attributes = new QHBoxLayout;
    attributes->addWidget(m_attributeTable);
    attributes->addLayout(attributeButtons);

    auto* test = new QHBoxLayout;
    test->addWidget(m_testButton);
    test->addWidget(m_testResultLabel, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(sources);
    layout->addWidget(m_attributesLabel);
    layout->addLayout(attributes);
    layout->addWidget(m_connectionStringLabel);
    layout->addWidget(m_connectionStringEdit);
    layout->addLayout(test);
    layout->addWidget(m_buttonBox);

    connect(m_driverList, &QListWidget::itemSelectionChanged, this, &DataLinkDialog::driverChosen);
    connect(m_dataSourceList, &QListWidget::itemSelectionChanged, this, &DataLinkDialog::dataSourceChosen);
    connect(m_attributeTable, &QTableWidget::itemChanged, this, &DataLinkDialog::updateConnectionString);
    connect(m_addButton, &QPushButton::clicked, this, &DataLinkDialog::addAttribute);
    connect(m_removeButton, &QPushButton::clicked, this, &DataLinkDialog::removeAttribute);
    connect(m_browseButton, &QPushButton::clicked, this, &DataLinkDialog::browseForFile);
    connect(m_testButton, &QPushButton::clicked, this, &DataLinkDialog::testConnection);
    connect(m_buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    applyLanguage();
    resize(640, 520);
    updateConnectionString();
}

QString DataLinkDialog::text(int key)
{
    const AppState& state = appState();
    if (state.GermanOnly || state.LanguageFile.isEmpty())
        return builtInText(key);
    return ReadLanguageText(Section, QStringLiteral("t%1").arg(key), builtInText(key), 256);
}

void DataLinkDialog::applyLanguage()
{
    for (int key = 0; key < TextCount; ++key)
        m_texts[key] = text(key);
    setWindowTitle(m_texts[0]);
    m_driversLabel->setText(m_texts[1]);
    m_dataSourcesLabel->setText(m_texts[2]);
    m_attributesLabel->setText(m_texts[3]);
    m_connectionStringLabel->setText(m_texts[4]);
    m_attributeTable->setHorizontalHeaderLabels({m_texts[5], m_texts[6]});
    m_addButton->setText(m_texts[7]);
    m_removeButton->setText(m_texts[8]);
    m_browseButton->setText(m_texts[9]);
    m_testButton->setText(m_texts[10]);
}

QString DataLinkDialog::connectionString() const
{
    return composeConnectionString(m_sourceKey, m_sourceName, attributes());
}

void DataLinkDialog::driverChosen()
{
    if (m_choosing)
        return;
    const QList<QListWidgetItem*> selected = m_driverList->selectedItems();
    if (selected.isEmpty())
        return;
    m_choosing = true;
    m_dataSourceList->clearSelection();
    m_choosing = false;

    m_sourceKey = DriverKey;
    m_sourceName = selected.first()->text();
    m_fileAttribute = fileAttributeFor(m_sourceName);
    if (!m_fileAttribute.isEmpty()) {
        setAttributes({{m_fileAttribute, QString()}});
    } else {
        setAttributes({{QStringLiteral("Server"), QString()},
                       {QStringLiteral("Port"), QString()},
                       {QStringLiteral("Database"), QString()},
                       {QStringLiteral("UID"), QString()},
                       {QStringLiteral("PWD"), QString()}});
    }
    m_browseButton->setEnabled(!m_fileAttribute.isEmpty());
}

void DataLinkDialog::dataSourceChosen()
{
    if (m_choosing)
        return;
    const QList<QListWidgetItem*> selected = m_dataSourceList->selectedItems();
    if (selected.isEmpty())
        return;
    m_choosing = true;
    m_driverList->clearSelection();
    m_choosing = false;

    m_sourceKey = DsnKey;
    m_sourceName = selected.first()->text();
    m_fileAttribute.clear();
    setAttributes({{QStringLiteral("UID"), QString()}, {QStringLiteral("PWD"), QString()}});
    m_browseButton->setEnabled(false);
}

void DataLinkDialog::setAttributes(const QList<Attribute>& attributes)
{
    {
        const QSignalBlocker blocker(m_attributeTable);
        m_attributeTable->setRowCount(0);
        for (const Attribute& attribute : attributes) {
            const int row = m_attributeTable->rowCount();
            m_attributeTable->insertRow(row);
            m_attributeTable->setItem(row, 0, new QTableWidgetItem(attribute.first));
            m_attributeTable->setItem(row, 1, new QTableWidgetItem(attribute.second));
        }
    }
    updateConnectionString();
}

QList<DataLinkDialog::Attribute> DataLinkDialog::attributes() const
{
    QList<Attribute> result;
    for (int row = 0; row < m_attributeTable->rowCount(); ++row) {
        const QTableWidgetItem* key = m_attributeTable->item(row, 0);
        const QTableWidgetItem* value = m_attributeTable->item(row, 1);
        result.append({key ? key->text() : QString(), value ? value->text() : QString()});
    }
    return result;
}

void DataLinkDialog::addAttribute()
{
    const int row = m_attributeTable->rowCount();
    {
        const QSignalBlocker blocker(m_attributeTable);
        m_attributeTable->insertRow(row);
        m_attributeTable->setItem(row, 0, new QTableWidgetItem);
        m_attributeTable->setItem(row, 1, new QTableWidgetItem);
    }
    m_attributeTable->setCurrentCell(row, 0);
    m_attributeTable->editItem(m_attributeTable->item(row, 0));
}

void DataLinkDialog::removeAttribute()
{
    const int row = m_attributeTable->currentRow();
    if (row < 0)
        return;
    m_attributeTable->removeRow(row);
    updateConnectionString();
}

void DataLinkDialog::browseForFile()
{
    if (m_fileAttribute.isEmpty())
        return;
    const QString path = m_fileChooser.chooseFile(m_texts[14], QString());
    if (path.isEmpty())
        return;
    for (int row = 0; row < m_attributeTable->rowCount(); ++row) {
        QTableWidgetItem* key = m_attributeTable->item(row, 0);
        if (key && key->text().trimmed().compare(m_fileAttribute, Qt::CaseInsensitive) == 0) {
            m_attributeTable->item(row, 1)->setText(path);
            return;
        }
    }
    QList<Attribute> current = attributes();
    current.prepend({m_fileAttribute, path});
    setAttributes(current);
}

void DataLinkDialog::testConnection()
{
    const QString text = connectionString();
    if (text.isEmpty()) {
        m_testResultLabel->setProperty("testSucceeded", false);
        m_testResultLabel->setText(m_texts[11]);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const DataLinkOdbc::TestResult result = DataLinkOdbc::testConnection(text);
    QApplication::restoreOverrideCursor();
    m_testResultLabel->setProperty("testSucceeded", result.succeeded);
    if (result.succeeded)
        m_testResultLabel->setText(m_texts[12]);
    else
        m_testResultLabel->setText(m_texts[13] + QLatin1Char('\n') + result.message);
}

void DataLinkDialog::updateConnectionString()
{
    const QString text = connectionString();
    // A result shown for another string would be misleading.
    if (text != m_connectionStringEdit->text())
        m_testResultLabel->clear();
    m_connectionStringEdit->setText(text);
    m_testButton->setEnabled(!text.isEmpty());
    m_buttonBox->button(QDialogButtonBox::Ok)->setEnabled(!text.isEmpty());
}

} // namespace dorvane
