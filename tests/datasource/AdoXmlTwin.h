// Reads a record set that ADO saved as XML (adPersistXML): the columns of its schema and the rows that
// are not deleted, in file order, with changes applied. The ADTG tests use these twins as the expected
// values of the ADTG files ADO wrote for the same record sets.
#pragma once

#include <QList>
#include <QMap>
#include <QString>

#include <optional>

namespace dorvane::test {

struct XmlColumn
{
    QString name;
    int adoType = 0;
    int maxLength = 0;
    int attributes = 0; // the bits the XML states (it does not state adFldKeyColumn)
    QString xmlType; // dt:type, e.g. "bin.hex"
};

using XmlRow = QList<std::optional<QString>>; // one text per column as the XML writes it; none for NULL

struct AdoXmlTwin
{
    QList<XmlColumn> columns;
    QList<XmlRow> rows;

    // Throws std::runtime_error for XML it does not understand.
    static AdoXmlTwin read(const QString& path);
};

} // namespace dorvane::test
