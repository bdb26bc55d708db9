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

// The pieces as a PCRE pattern without case, "." reaching over line ends: every ASCII character that is
// no letter or digit escaped (a backslash before such a character always stands for the character).
QString regexpPattern(const QStringList& pieces)
{
    QStringList escapedPieces;
    for (const QString& piece : pieces) {
        QString part;
        for (const QChar c : piece) {
            if (c.unicode() < 128 && !c.isLetterOrNumber())
                part += QLatin1Char('\\');
            part += c;
        }
        escapedPieces.append(part);
    }
    return QStringLiteral("(?is)") + escapedPieces.join(QStringLiteral(".*"));
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

RowCondition ContainmentSql::condition(SqlDialect dialect, const QStringList& quotedColumns,
                                       const TextContainment& containment)
{
    RowCondition condition;
    if (quotedColumns.size() == 1) {
        condition.sql = dialect == SqlDialect::PostgreSql
            ? postgresCondition(quotedColumns.first(), containment, condition.texts)
            : mySqlCondition(quotedColumns.first(), containment, condition.texts);
        return condition;
    }
    // One test of the columns' texts joined, not one per column: a quarter less of the server's time.
    // A match across the join is a candidate too many, never one too few.
    if (dialect == SqlDialect::PostgreSql) {
        const QString joined = QStringLiteral("concat_ws(chr(1), %1)").arg(quotedColumns.join(QStringLiteral(", ")));
        condition.sql = postgresCondition(joined, containment, condition.texts);
        return condition;
    }
    QStringList perColumn;
    for (const QString& column : quotedColumns)
        perColumn.append(mySqlCondition(column, containment, condition.texts));
    condition.sql = perColumn.join(QStringLiteral(" OR "));
    // MariaDB's LIKE over the joined texts costs more than over each column, its REGEXP less: only the
    // test without case joins them, and its exact alternatives stay per column. The separator is a
    // literal, which takes on the columns' character set (CHAR(1) would be a binary string and make the
    // join one, whose bytes a UTF-16 column would not match). Columns of the same character set in
    // different collations cannot be joined ("Illegal mix of collations"): such a server is given the
    // test per column.
    if (!containment.ignoreCase)
        return condition;
    RowCondition joined;
    QStringList alternatives {
        QStringLiteral("CONCAT_WS(' ', %1) REGEXP ?").arg(quotedColumns.join(QStringLiteral(", ")))};
    joined.texts.append(regexpPattern(containment.pieces));
    for (const QChar c : containment.anyOf) {
        for (const QString& column : quotedColumns) {
            alternatives.append(exactMySql(column));
            joined.texts.append(likePattern({QString(c)}));
        }
    }
    joined.sql = alternatives.size() == 1
        ? alternatives.first()
        : QLatin1Char('(') + alternatives.join(QStringLiteral(" OR ")) + QLatin1Char(')');
    joined.ifRefused = std::make_shared<const RowCondition>(std::move(condition));
    return joined;
}

QString ContainmentSql::postgresCondition(const QString& text, const TextContainment& containment, QStringList& texts)
{
    // In the "C" collation ILIKE folds ASCII alone, cheaply (the column's own collation would lower-case
    // every value by its locale first, at twice the cost), and no nondeterministic collation can refuse
    // the operators.
    const QString column = text + QStringLiteral(" COLLATE \"C\"");
    QStringList alternatives;
    if (!containment.ignoreCase && containment.pieces.size() == 1) {
        alternatives.append(QStringLiteral("strpos(%1, ?) > 0").arg(column));
        texts.append(containment.pieces.first());
    } else {
        alternatives.append(column + (containment.ignoreCase ? QStringLiteral(" ILIKE") : QStringLiteral(" LIKE"))
                            + likeClause().mid(5));
        texts.append(likePattern(containment.pieces));
    }
    for (const QChar c : containment.anyOf) {
        alternatives.append(QStringLiteral("strpos(%1, ?) > 0").arg(column));
        texts.append(QString(c));
    }
    return alternatives.size() == 1 ? alternatives.first()
                                    : QLatin1Char('(') + alternatives.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}

QString ContainmentSql::mySqlCondition(const QString& column, const TextContainment& containment, QStringList& texts)
{
    QStringList alternatives;
    if (containment.ignoreCase) {
        // The server's PCRE finds a literal pattern several times faster than LIKE compares in a _ci
        // collation; it ignores case by Unicode's folding, which holds ASCII's. The pattern is ASCII, the
        // same in every character set, so the column needs no conversion (which would cost a fifth).
        alternatives.append(column + QStringLiteral(" REGEXP ?"));
        texts.append(regexpPattern(containment.pieces));
    } else {
        alternatives.append(exactMySql(column));
        texts.append(likePattern(containment.pieces));
    }
    for (const QChar c : containment.anyOf) {
        alternatives.append(exactMySql(column));
        texts.append(likePattern({QString(c)}));
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
