#include "datasource/ui/frmStructure.h"

#include "core/AppState.h"
#include "core/DataError.h"
#include "core/ProductInfo.h"
#include "core/Settings.h"
#include "datasource/Connection.h"
#include "datasource/QueryRecordSet.h"
#include "datasource/SchemaRecordSet.h"
#include "engine/DataTypeName.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <exception>
#include <utility>

namespace dorvane {

namespace {

const QString Section = QStringLiteral("frmStructure");
constexpr int TableImage = 0;
constexpr int FieldImage = 1;
constexpr int TableNameColumn = 2; // of the tables schema

void setImage(QTreeWidgetItem* node, int image, const QIcon& icon)
{
    // One icon serves as image and selected image alike.
    node->setIcon(0, icon);
    node->setData(0, frmStructure::ImageIndexRole, image);
}

} // namespace

frmStructure::frmStructure(Connection& connection, QWidget* parent, TypeNamer typeName)
    : QDialog(parent), m_connection(connection), m_typeName(typeName ? std::move(typeName) : TypeNamer(&DataTypeName))
{
    setObjectName(QStringLiteral("frmStructure"));
    setWindowTitle(QString());
    setModal(true);

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("dxTreeList1"));
    m_tree->setColumnCount(2);
    m_tree->setHeaderLabels({QStringLiteral("Tabellename/Feldname"), QStringLiteral("Datentyp")});
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_tree->setUniformRowHeights(true);

    m_cmdCollapse = new QPushButton(QStringLiteral("Alle zuklappen"), this);
    m_cmdCollapse->setObjectName(QStringLiteral("cmdCollapse"));
    m_cmdExpand = new QPushButton(QStringLiteral("Alle aufklappen"), this);
    m_cmdExpand->setObjectName(QStringLiteral("cmdExpand"));
    m_cmdQuit = new QPushButton(QStringLiteral("&Schliessen"), this);
    m_cmdQuit->setObjectName(QStringLiteral("cmdQuit"));
    m_cmdQuit->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdCollapse);
    buttons->addWidget(m_cmdExpand);
    buttons->addStretch();
    buttons->addWidget(m_cmdQuit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tree);
    layout->addLayout(buttons);
    resize(480, 420);

    connect(m_cmdExpand, &QPushButton::clicked, m_tree, &QTreeWidget::expandAll);
    connect(m_cmdCollapse, &QPushButton::clicked, m_tree, &QTreeWidget::collapseAll);
    connect(m_cmdQuit, &QPushButton::clicked, this, &QDialog::accept);
}

void frmStructure::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_loaded)
        LoadStructure();
}

void frmStructure::GetAllTables()
{
    try {
        SchemaRecordSet schema = m_connection.OpenSchema(ado::adSchemaTables);
        if (!schema.IsEOF())
            schema.MoveFirst();
        while (!schema.IsEOF()) {
            if (schema.Fields(QStringLiteral("TABLE_TYPE")).Value().toString() == QLatin1String("TABLE"))
                m_tableNames.append(schema.Fields(TableNameColumn).Value().toString());
            schema.MoveNext();
        }
        schema.Close();
    } catch (const DataError& error) {
        QMessageBox box(QMessageBox::NoIcon, ProductName, error.description(), QMessageBox::Ok, this);
        box.exec();
    } catch (const std::exception& error) {
        QMessageBox box(QMessageBox::NoIcon, ProductName, QString::fromLocal8Bit(error.what()), QMessageBox::Ok, this);
        box.exec();
    }
}

QTreeWidgetItem* frmStructure::addTableNode(const QString& tableName)
{
    auto* node = new QTreeWidgetItem(m_tree);
    node->setText(0, tableName);
    setImage(node, TableImage, style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    return node;
}

QTreeWidgetItem* frmStructure::addFieldNode(QTreeWidgetItem* table, const QString& fieldName, int adoType)
{
    auto* node = new QTreeWidgetItem(table);
    node->setText(0, fieldName);
    node->setText(1, m_typeName(adoType));
    setImage(node, FieldImage, style()->standardIcon(QStyle::SP_FileIcon));
    return node;
}

void frmStructure::LoadStructure()
{
    m_loaded = true;
    m_tree->clear();
    m_tableNames.clear();
    {
        QueryRecordSet recordSet;
        GetAllTables();
        for (const QString& tableName : std::as_const(m_tableNames)) {
            QTreeWidgetItem* table = addTableNode(tableName);
            try {
                recordSet.OpenStructure(m_connection, tableName);
                for (int index = 0; index < recordSet.FieldCount(); ++index) {
                    const QueryField& field = recordSet.Fields(index);
                    addFieldNode(table, field.Name(), field.Type());
                }
                recordSet.Close();
            } catch (const DataError& error) {
                // One table the source will not describe (no read permission, a module the driver lacks)
                // must not hide the others: its node says why it stays empty.
                recordSet.Close();
                table->setText(1, error.description());
                table->setToolTip(1, error.description());
            }
        }
    }
    m_tree->expandAll();
    applyLanguage();
}

void frmStructure::applyLanguage()
{
    // Without a usable language file the built-in German captions stay, as in every other window.
    if (appState().GermanOnly)
        return;
    const auto text = [](const char* key) {
        return ReadLanguageText(Section, QLatin1String(key), QString());
    };
    setWindowTitle(text("t0"));
    m_tree->setHeaderLabels({text("t1"), text("t2")});
    m_cmdCollapse->setText(text("t3"));
    m_cmdExpand->setText(text("t4"));
    m_cmdQuit->setText(text("t5"));
}

} // namespace dorvane
