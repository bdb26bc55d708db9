#include "datasource/ContainmentSql.h"

namespace dorvane {

namespace {

QString escaped(const QString& text)
{
    QString result;
    result.reserve(text.size() + 4);
    for (const QChar c : text) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QChar(ContainmentSql::Escape))
            result += QChar(ContainmentSql::Escape);
        result += c;
    }
    return result;
}

QString likeClause()
{
    return QStringLiteral(" LIKE ? ESCAPE '") + QChar(ContainmentSql::Escape) + QLatin1Char('\'');
}

QString exactMySql(const QString& column)
{
    return QStringLiteral("CONVERT(%1 USING utf8mb4) COLLATE utf8mb4_bin").arg(column) + likeClause();
}

} // namespace

QString ContainmentSql::likePattern(const QStringList& pieces)
{
    QString pattern = QStringLiteral("%");
    for (const QString& piece : pieces)
        pattern += escaped(piece) + QLatin1Char('%');
    return pattern;
}

QString ContainmentSql::condition(SqlDialect dialect, const QString& quotedColumn, const TextContainment& containment,
                                  QStringList& texts)
{
    QStringList alternatives;
    const bool postgres = dialect == SqlDialect::PostgreSql;
    // PostgreSQL in the "C" collation: ILIKE folds ASCII alone, cheaply (the column's own collation would
    // lower-case every value by its locale first, at twice the cost), and no nondeterministic collation
    // can refuse the operators.
    const QString column = postgres ? quotedColumn + QStringLiteral(" COLLATE \"C\"") : quotedColumn;
    if (postgres && !containment.ignoreCase && containment.pieces.size() == 1) {
        alternatives.append(QStringLiteral("strpos(%1, ?) > 0").arg(column));
        texts.append(containment.pieces.first());
    } else {
        if (postgres)
            alternatives.append(column + (containment.ignoreCase ? QStringLiteral(" I") : QStringLiteral(" "))
                                + likeClause().mid(1));
        else if (containment.ignoreCase)
            alternatives.append(QStringLiteral("CONVERT(%1 USING utf8mb4) COLLATE utf8mb4_general_ci").arg(quotedColumn)
                                + likeClause());
        else
            alternatives.append(exactMySql(quotedColumn));
        texts.append(likePattern(containment.pieces));
    }
    for (const QChar c : containment.anyOf) {
        if (postgres) {
            alternatives.append(QStringLiteral("strpos(%1, ?) > 0").arg(column));
            texts.append(QString(c));
        } else {
            alternatives.append(exactMySql(quotedColumn));
            texts.append(likePattern({QString(c)}));
        }
    }
    return alternatives.size() == 1 ? alternatives.first()
                                    : QLatin1Char('(') + alternatives.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}

bool ContainmentSql::testsTextType(SqlDialect dialect, const QString& serverTypeName)
{
    static const QStringList postgres {QStringLiteral("text"),
                                       QStringLiteral("varchar"),
                                       QStringLiteral("bpchar"),
                                       QStringLiteral("char"),
                                       QStringLiteral("name"),
                                       QStringLiteral("citext"),
                                       QStringLiteral("character varying"),
                                       QStringLiteral("character")};
    // What Connector/ODBC names the MySQL family's character types; CONVERT gives every one of them its
    // text as the driver reads it.
    static const QStringList mysql {
        QStringLiteral("char"),       QStringLiteral("varchar"),     QStringLiteral("tinytext"), QStringLiteral("text"),
        QStringLiteral("mediumtext"), QStringLiteral("longtext"),    QStringLiteral("enum"),     QStringLiteral("set"),
        QStringLiteral("json"),       QStringLiteral("long varchar")};
    const QString name = serverTypeName.trimmed().toLower();
    switch (dialect) {
    case SqlDialect::PostgreSql:
        return postgres.contains(name);
    case SqlDialect::MySql:
        return mysql.contains(name);
    case SqlDialect::Other:
        return false;
    }
    return false;
}

} // namespace dorvane
