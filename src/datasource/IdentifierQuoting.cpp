#include "datasource/IdentifierQuoting.h"

#include "core/DataError.h"

#include <QRegularExpression>

#include <algorithm>

namespace dorvane {

namespace {

bool containsAny(const QString& text, std::initializer_list<const char*> needles)
{
    for (const char* needle : needles) {
        if (text.contains(QLatin1String(needle), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool isAnyOf(const QString& text, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        if (text.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString enclose(const QString& identifier, const QString& open, const QString& close)
{
    QString escaped = identifier;
    escaped.replace(close, close + close);
    return open + escaped + close;
}

} // namespace

IdentifierQuoting IdentifierQuoting::forDataSource(const QString& dbmsName, const QString& driverName,
                                                   const QString& quoteCharacter)
{
    IdentifierQuoting quoting;
    const bool sqlite = dbmsName.contains(QLatin1String("SQLite"), Qt::CaseInsensitive)
        || driverName.contains(QLatin1String("sqlite"), Qt::CaseInsensitive);
    // The Microsoft desktop drivers report these DBMS names; the Jet/ACE, SQL Server, FreeTDS and MDB
    // Tools drivers are known by their library names as well.
    const bool bracketFamily = sqlite || dbmsName.contains(QLatin1String("SQL Server"), Qt::CaseInsensitive)
        || isAnyOf(dbmsName, {"ACCESS", "EXCEL", "TEXT", "DBASE", "PARADOX", "FOXPRO", "Visual FoxPro", "MDBTools"})
        || containsAny(driverName, {"odbcjt32", "aceodbc", "sqlsrv32", "msodbcsql", "sqlncli", "tdsodbc", "mdbodbc"});
    quoting.m_brackets = bracketFamily;
    if (sqlite)
        quoting.m_notInBrackets = QStringLiteral("]'\";?{}");
    const QString trimmed = quoteCharacter.trimmed();
    // SQLite's driver understands no other quotes (see the header), whatever it reports.
    quoting.m_quoteCharacter = sqlite ? QStringLiteral("\"") : trimmed;
    return quoting;
}

QString IdentifierQuoting::quote(const QString& identifier) const
{
    const bool bracketsCarryIt
        = std::none_of(m_notInBrackets.begin(), m_notInBrackets.end(), [&](QChar c) { return identifier.contains(c); });
    if (m_brackets && bracketsCarryIt)
        return enclose(identifier, QStringLiteral("["), QStringLiteral("]"));
    if (!m_quoteCharacter.isEmpty())
        return enclose(identifier, m_quoteCharacter, m_quoteCharacter);
    static const QRegularExpression plain(QStringLiteral("^[\\p{L}_][\\p{L}\\p{N}_$#@]*$"));
    if (!plain.match(identifier).hasMatch()) {
        throw DataError(
            QStringLiteral("Dorvane.Connection"),
            QStringLiteral("The data source cannot quote names, and \"%1\" is not a plain name.").arg(identifier));
    }
    return identifier;
}

QString IdentifierQuoting::tableQuery(const QString& tableName) const
{
    return QStringLiteral("Select * FROM ") + quote(tableName) + QLatin1Char(' ');
}

} // namespace dorvane
