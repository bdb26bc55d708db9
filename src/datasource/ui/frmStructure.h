// The structure viewer: the open data source as a two-level tree, every table (image 0) and under it
// every field (image 1) with the name of its ADO data type. Made for one showing: it fills itself from
// the connection the first time it is shown and keeps nothing afterwards. UI thread only.
//
// Loading reads field metadata only (QueryRecordSet::OpenStructure); no row of any table is fetched.
// A table that cannot be opened keeps its node, with the driver's description in the type column, and
// the load goes on with the next table. Widgets carry object names for tests: dxTreeList1, cmdExpand,
// cmdCollapse, cmdQuit.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace dorvane {

class Connection;

class frmStructure : public QDialog
{
    Q_OBJECT

public:
    // The node's image index (0 table, 1 field) is kept under this role of column 0, beside its icon.
    static constexpr int ImageIndexRole = Qt::UserRole + 1;

    // Gives the shown name of an ADO type number; "" for a number it does not know.
    using TypeNamer = std::function<QString(int)>;

    // REQUIRES: connection outlives the window. typeName defaults to DataTypeName.
    explicit frmStructure(Connection& connection, QWidget* parent = nullptr, TypeNamer typeName = {});

    // Fills the table-name list with the names of the connection's tables of type "TABLE", in the
    // driver's order. On a failure it shows the error's description in a message box and keeps the names
    // found so far.
    void GetAllTables();
    const QStringList& tableNames() const { return m_tableNames; }

    // The field node under table: column 0 the field name, column 1 the type's name (empty when unknown).
    QTreeWidgetItem* addFieldNode(QTreeWidgetItem* table, const QString& fieldName, int adoType);

    // Runs the load sequence; showing the window does it once by itself.
    void LoadStructure();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QTreeWidgetItem* addTableNode(const QString& tableName);
    void applyLanguage();

    Connection& m_connection;
    TypeNamer m_typeName;
    QStringList m_tableNames;
    QTreeWidget* m_tree = nullptr;
    QPushButton* m_cmdExpand = nullptr;
    QPushButton* m_cmdCollapse = nullptr;
    QPushButton* m_cmdQuit = nullptr;
    bool m_loaded = false;
};

} // namespace dorvane
