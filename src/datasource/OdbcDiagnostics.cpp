#include "datasource/OdbcDiagnostics.h"

#include "datasource/OdbcText.h"

#include <QStringList>

#include <sqlext.h>

namespace dorvane {

QList<OdbcDiagnostic> odbcDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle)
{
    QList<OdbcDiagnostic> result;
    if (handle == SQL_NULL_HANDLE)
        return result;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        QByteArray message(1024, '\0');
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRec(handleType, handle, record, state, &native, odbctext::sqlChars(message),
                                     SQLSMALLINT(message.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= message.size()) {
            message.resize(length + 1);
            rc = SQLGetDiagRec(handleType, handle, record, state, &native, odbctext::sqlChars(message),
                               SQLSMALLINT(message.size()), &length);
        }
        if (!odbcSucceeded(rc))
            break;
        result.append({odbctext::decode(state), int(native),
                       odbctext::decode(odbctext::sqlChars(message), qMin<qsizetype>(length, message.size() - 1))});
    }
    return result;
}

DiagnosticText splitDiagnosticMessage(const QString& message)
{
    QStringList parts;
    qsizetype pos = 0;
    while (true) {
        qsizetype start = pos;
        while (start < message.size() && message.at(start).isSpace())
            ++start;
        if (start >= message.size() || message.at(start) != QLatin1Char('['))
            break;
        const qsizetype end = message.indexOf(QLatin1Char(']'), start + 1);
        if (end < 0)
            break;
        const QString part = message.mid(start + 1, end - start - 1).trimmed();
        if (!part.isEmpty())
            parts.append(part);
        pos = end + 1;
    }
    DiagnosticText text;
    text.source = parts.isEmpty() ? QStringLiteral("ODBC") : parts.join(QLatin1Char(' '));
    text.description = message.mid(pos).trimmed();
    return text;
}

DataError odbcError(SQLSMALLINT handleType, SQLHANDLE handle, const char* call)
{
    QString source;
    QStringList descriptions;
    for (const OdbcDiagnostic& diagnostic : odbcDiagnostics(handleType, handle)) {
        const DiagnosticText text = splitDiagnosticMessage(diagnostic.message);
        if (source.isEmpty())
            source = text.source;
        if (!text.description.isEmpty() && !descriptions.contains(text.description))
            descriptions.append(text.description);
    }
    if (source.isEmpty())
        source = QStringLiteral("ODBC");
    if (descriptions.isEmpty())
        descriptions.append(QStringLiteral("%1 failed without a diagnostic message.").arg(QLatin1String(call)));
    return DataError(source, descriptions.join(QStringLiteral("\r\n")));
}

void checkOdbc(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* call)
{
    if (!odbcSucceeded(rc))
        throw odbcError(handleType, handle, call);
}

} // namespace dorvane
