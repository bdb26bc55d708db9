// One statement handle on an open connection, with the calls the data-access layer makes. Every failing
// call throws the DataError of its diagnostics (see OdbcDiagnostics). Text goes in as UTF-8 through the
// narrow API (see OdbcText) and column data comes out as UTF-16 (SQL_C_WCHAR).
#pragma once

#include "datasource/OdbcHandle.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

#include <sqlext.h>

namespace dorvane {

class OdbcStatement
{
public:
    // REQUIRES: connection is connected and outlives the statement.
    explicit OdbcStatement(SQLHDBC connection);

    SQLHSTMT handle() const { return m_handle.get(); }
    const OdbcHandle& odbcHandle() const { return m_handle; }

    void prepare(const QString& sql);
    void execute(); // the prepared text
    void executeDirect(const QString& sql);
    // Moves to the next row; false at the end of the result.
    bool fetch();
    // Rows changed by the last UPDATE, INSERT or DELETE; -1 when the driver cannot tell.
    qint64 rowCount();
    // Ends the current result so that the statement can run again; harmless without one.
    void closeCursor();
    qint16 resultColumnCount();

    // Column values of the current row; nullopt is NULL. A column is read once and in column order.
    // Text and binary values of any length are read whole, in time linear in their length: the first
    // piece through buffer, the rest of a longer value straight into the result (see readLongValue). The
    // buffer grows to fit values up to 1 Mi units, so that the next rows take one call.
    std::optional<QString> text(SQLUSMALLINT column, std::vector<SQLWCHAR>& buffer);
    // The same into `text`, reusing its storage where no copy shares it; false for NULL, with `text`
    // unchanged.
    bool textInto(SQLUSMALLINT column, std::vector<SQLWCHAR>& buffer, QString& text);
    std::optional<QByteArray> binary(SQLUSMALLINT column, std::vector<char>& buffer);
    // Text that the driver delivers as UTF-8 through SQL_C_CHAR (see Connection::deliversUtf8Text). The
    // bytes of a long value are joined before decoding, so a character split between pieces stays whole.
    std::optional<QString> utf8Text(SQLUSMALLINT column, std::vector<char>& buffer);
    // The same into `text`, as textInto.
    bool utf8TextInto(SQLUSMALLINT column, std::vector<char>& buffer, QString& text);
    // The bytes as the driver gives them in the narrow character set, into `bytes` (whose storage is
    // reused), without decoding; false for NULL.
    bool utf8BytesInto(SQLUSMALLINT column, std::vector<char>& buffer, QByteArray& bytes);
    std::optional<qint64> int64(SQLUSMALLINT column);
    std::optional<quint64> uint64(SQLUSMALLINT column);
    // An integer column of the given SQL type, read with the C type that ODBC pairs with it by default
    // (SQL_INTEGER as SQL_C_SLONG, SQL_SMALLINT as SQL_C_SSHORT, ...): every driver converts to that one,
    // while some (MDB Tools) refuse SQL_C_SBIGINT for a 32-bit column.
    std::optional<qint64> integer(SQLUSMALLINT column, SQLSMALLINT sqlType);
    std::optional<quint64> unsignedInteger(SQLUSMALLINT column, SQLSMALLINT sqlType);
    std::optional<double> real(SQLUSMALLINT column);
    std::optional<float> single(SQLUSMALLINT column);
    std::optional<bool> bit(SQLUSMALLINT column);

    // Convenience for statements that yield one number (SELECT COUNT(*)): the first column of the
    // first row, or nullopt when there is no row or it is NULL. Read as text, which every driver
    // delivers for a number: MDB Tools reports COUNT(*) as a character column and copies its digits into
    // whatever buffer it is given. Throws DataError for a text that is no number.
    std::optional<qint64> scalarInt64();

private:
    void check(SQLRETURN rc, const char* call) const;

    OdbcHandle m_handle;
};

} // namespace dorvane
