// The data-link dialog: the user picks an installed ODBC driver or a configured data source, fills in
// the connection attributes, sees the resulting connection string as it is composed, may try the
// connection, and gets the string back on OK. Widgets carry object names so that tests can drive them:
// driverList, dataSourceList, attributeTable, addAttributeButton, removeAttributeButton, browseButton,
// connectionStringEdit, testButton, testResultLabel, buttonBox, and the labels driversLabel,
// dataSourcesLabel, attributesLabel, connectionStringLabel.
//
// Texts: section DataLinkDialog of the current language file, keys t0 ... t14 (caption, the four labels,
// the two column headers, the buttons Add, Remove, Browse and Test, the three test outcomes and the
// caption of the file chooser); a missing key keeps the built-in German text, and so does every key
// while GermanOnly is set or no language file is chosen. OK and Cancel are Qt's standard buttons in the interface
// language.
#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include <utility>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace dorvane {

class FileChooser;

class DataLinkDialog : public QDialog
{
    Q_OBJECT

public:
    using Attribute = std::pair<QString, QString>;

    // Number of texts of the language section.
    static constexpr int TextCount = 15;

    // The file chooser serves the Browse button of file-based drivers; it must outlive the dialog.
    explicit DataLinkDialog(FileChooser& fileChooser, QWidget* parent = nullptr);

    // The string as composed from the current choice and attributes; "" while nothing is chosen.
    QString connectionString() const;

    // "DRIVER={name}" or "DSN=name", then every attribute with a key and a value as "key=value", all
    // joined by ";". A value that the driver manager would otherwise split (";", braces, blanks at
    // either end) is put in braces.
    static QString composeConnectionString(const QString& sourceKey, const QString& sourceName,
                                           const QList<Attribute>& attributes);

    // The attribute that names the database file for drivers that open a file rather than a server
    // (SQLite: "Database", Access and Excel: "DBQ"); "" for any other driver.
    static QString fileAttributeFor(const QString& driverName);

private:
    static QString text(int key);
    void applyLanguage();
    void driverChosen();
    void dataSourceChosen();
    void setAttributes(const QList<Attribute>& attributes);
    QList<Attribute> attributes() const;
    void addAttribute();
    void removeAttribute();
    void browseForFile();
    void testConnection();
    void updateConnectionString();

    FileChooser& m_fileChooser;
    QListWidget* m_driverList = nullptr;
    QListWidget* m_dataSourceList = nullptr;
    QTableWidget* m_attributeTable = nullptr;
    QLabel* m_driversLabel = nullptr;
    QLabel* m_dataSourcesLabel = nullptr;
    QLabel* m_attributesLabel = nullptr;
    QLabel* m_connectionStringLabel = nullptr;
    QPushButton* m_addButton = nullptr;
    QPushButton* m_removeButton = nullptr;
    QPushButton* m_browseButton = nullptr;
    QPushButton* m_testButton = nullptr;
    QLineEdit* m_connectionStringEdit = nullptr;
    QLabel* m_testResultLabel = nullptr;
    QDialogButtonBox* m_buttonBox = nullptr;
    QString m_texts[TextCount];
    QString m_sourceKey; // "DRIVER" or "DSN"
    QString m_sourceName;
    QString m_fileAttribute;
    bool m_choosing = false;
};

} // namespace dorvane
