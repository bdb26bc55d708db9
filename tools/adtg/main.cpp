// dorvane-adtg: shows a saved record set (ADTG) as JSON, writes JSON back as ADTG, and writes the
// default data-type and file-driver tables.
#include "core/DataError.h"
#include "datasource/FileDriverTable.h"
#include "datasource/MemoryRecordSet.h"
#include "datasource/RecordSetJson.h"
#include "engine/DataTypeTable.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QTextStream>

#include <cstdio>

namespace {

const char* const Usage = "usage: dorvane-adtg dump FILE\n"
                          "       dorvane-adtg load JSONFILE FILE\n"
                          "       dorvane-adtg defaults datatypes|filedrivers FILE\n";

int fail(const QString& message)
{
    std::fprintf(stderr, "dorvane-adtg: %s\n", qPrintable(message));
    return 1;
}

int dump(const QString& path)
{
    dorvane::MemoryRecordSet recordSet;
    recordSet.Open(path);
    const QByteArray json = QJsonDocument(dorvane::recordSetToJson(recordSet)).toJson(QJsonDocument::Indented);
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    return std::ferror(stdout) ? fail(QStringLiteral("cannot write the output")) : 0;
}

int load(const QString& jsonPath, const QString& path)
{
    QFile file(jsonPath);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1: %2").arg(jsonPath, file.errorString()));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError)
        return fail(
            QStringLiteral("%1 is no valid JSON: %2 at byte %3").arg(jsonPath, error.errorString()).arg(error.offset));
    if (!document.isObject())
        return fail(QStringLiteral("%1 does not hold a JSON object").arg(jsonPath));
    dorvane::recordSetFromJson(document.object()).Save(path);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    try {
        if (args.size() == 2 && args[0] == QLatin1String("dump"))
            return dump(args[1]);
        if (args.size() == 3 && args[0] == QLatin1String("load"))
            return load(args[1], args[2]);
        if (args.size() == 3 && args[0] == QLatin1String("defaults") && args[1] == QLatin1String("datatypes")) {
            dorvane::BuildDataTypeTable(args[2]);
            return 0;
        }
        if (args.size() == 3 && args[0] == QLatin1String("defaults") && args[1] == QLatin1String("filedrivers")) {
            dorvane::BuildFileDriverTable(args[2]);
            return 0;
        }
    } catch (const dorvane::DataError& error) {
        return fail(error.description());
    }
    std::fputs(Usage, stderr);
    return 2;
}
