#include "datasource/ui/DataLinkDialog.h"

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
    setWindowTitle(QStringLiteral("Data Link Properties"));
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
    m_attributeTable->setHorizontalHeaderLabels({QStringLiteral("Attribute"), QStringLiteral("Value")});
    m_attributeTable->horizontalHeader()->setStretchLastSection(true);
    m_attributeTable->verticalHeader()->hide();
    m_attributeTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_attributeTable->setSelectionMode(QAbstractItemView::SingleSelection);

    auto* addButton = new QPushButton(QStringLiteral("&Add"), this);
    addButton->setObjectName(QStringLiteral("addAttributeButton"));
    auto* removeButton = new QPushButton(QStringLiteral("&Remove"), this);
    removeButton->setObjectName(QStringLiteral("removeAttributeButton"));
    m_browseButton = new QPushButton(QStringLiteral("&Browse..."), this);
    m_browseButton->setObjectName(QStringLiteral("browseButton"));
    m_browseButton->setEnabled(false);

    m_connectionStringEdit = new QLineEdit(this);
    m_connectionStringEdit->setObjectName(QStringLiteral("connectionStringEdit"));
    m_connectionStringEdit->setReadOnly(true);

    m_testButton = new QPushButton(QStringLiteral("&Test Connection"), this);
    m_testButton->setObjectName(QStringLiteral("testButton"));
    m_testResultLabel = new QLabel(this);
    m_testResultLabel->setObjectName(QStringLiteral("testResultLabel"));
    m_testResultLabel->setWordWrap(true);
    m_testResultLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_buttonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttonBox->setObjectName(QStringLiteral("buttonBox"));

    auto* sources = new QGridLayout;
    sources->addWidget(new QLabel(QStringLiteral("ODBC &drivers:"), this), 0, 0);
    sources->addWidget(new QLabel(QStringLiteral("Data &sources:"), this), 0, 1);
    sources->addWidget(m_driverList, 1, 0);
    sources->addWidget(m_dataSourceList, 1, 1);

    auto* attributeButtons = new QVBoxLayout;
    attributeButtons->addWidget(addButton);
    attributeButtons->addWidget(removeButton);
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
    layout->addWidget(new QLabel(QStringLiteral("Connection &attributes:"), this));
    layout->addLayout(attributes);
    layout->addWidget(new QLabel(QStringLiteral("Connection string:"), this));
    layout->addWidget(m_connectionStringEdit);
    layout->addLayout(test);
    layout->addWidget(m_buttonBox);

    connect(m_driverList, &QListWidget::itemSelectionChanged, this, &DataLinkDialog::driverChosen);
    connect(m_dataSourceList, &QListWidget::itemSelectionChanged, this, &DataLinkDialog::dataSourceChosen);
    connect(m_attributeTable, &QTableWidget::itemChanged, this, &DataLinkDialog::updateConnectionString);
    connect(addButton, &QPushButton::clicked, this, &DataLinkDialog::addAttribute);
    connect(removeButton, &QPushButton::clicked, this, &DataLinkDialog::removeAttribute);
    connect(m_browseButton, &QPushButton::clicked, this, &DataLinkDialog::browseForFile);
    connect(m_testButton, &QPushButton::clicked, this, &DataLinkDialog::testConnection);
    connect(m_buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    resize(640, 520);
    updateConnectionString();
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
    const QString path = m_fileChooser.chooseFile(QStringLiteral("Select Database File"), QString());
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
        m_testResultLabel->setText(QStringLiteral("Choose a driver or a data source first."));
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const DataLinkOdbc::TestResult result = DataLinkOdbc::testConnection(text);
    QApplication::restoreOverrideCursor();
    m_testResultLabel->setProperty("testSucceeded", result.succeeded);
    if (result.succeeded)
        m_testResultLabel->setText(QStringLiteral("Test connection succeeded."));
    else
        m_testResultLabel->setText(QStringLiteral("Test connection failed:\n") + result.message);
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
