// The input parameters of one prepared statement, bound by the type of the field each value belongs to.
// The values are kept at fixed addresses until the statement has run (REQUIRES: the object outlives the
// execution). UI thread only.
//
// Text travels as UTF-16 (SQL_C_WCHAR), or as UTF-8 (SQL_C_CHAR with the narrow SQL types) on connections
// that say so (Connection::bindsUtf8Text): MariaDB Connector/ODBC 3.1 turns a UTF-16 parameter holding
// any character whose low byte is 0xD8 to 0xDB (Ø, Ù, Ú, Û, ǘ, 显, …) into text with a trailing NUL, so a
// WHERE on such a value never matches and a SET stores the NUL; its UTF-8 path is exact. Single-precision
// values go as SQL_C_FLOAT, doubles as SQL_C_DOUBLE, so no value passes through a decimal text on its way.
#pragma once

#include "datasource/QueryField.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <deque>

#include <sqlext.h>

namespace dorvane {

class OdbcStatement;

class StatementParameters
{
public:
    enum class TextEncoding
    {
        Utf16,
        Utf8,
    };

    explicit StatementParameters(TextEncoding encoding) : m_encoding(encoding) { }

    // Appends the value of a parameter that is compared with or written into field. driverText is the
    // driver's text for the kinds that travel as text (dates, times, decimals, GUIDs; see DriverText).
    void add(const QueryField& field, const QVariant& value, const QString& driverText);

    // Appends a plain text parameter (SQL_VARCHAR), for a value compared as text whatever its column's type.
    void addText(const QString& text);

    // Binds the parameters in the order they were added, numbered from first; answers the number after
    // the last.
    SQLUSMALLINT bind(const OdbcStatement& statement, SQLUSMALLINT first = 1);

private:
    struct Parameter
    {
        SQLSMALLINT cType = SQL_C_WCHAR;
        SQLSMALLINT sqlType = SQL_WVARCHAR;
        SQLULEN columnSize = 0;
        SQLSMALLINT digits = 0;
        SQLPOINTER buffer = nullptr;
        SQLLEN bufferLength = 0;
        SQLLEN indicator = 0;
        QString text;
        QByteArray bytes;
        SQLBIGINT integer = 0;
        SQLUBIGINT unsignedInteger = 0;
        SQLDOUBLE real = 0;
        SQLREAL single = 0;
        unsigned char bit = 0;
    };

    void setText(Parameter& p, const QString& text) const;

    TextEncoding m_encoding;
    std::deque<Parameter> m_parameters; // a deque: adding never moves the values already bound
};

} // namespace dorvane
