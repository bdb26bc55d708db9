#include "AdoXmlTwin.h"

#include <QFile>
#include <QXmlStreamReader>

#include <stdexcept>

namespace dorvane::test {

namespace {

int typeOf(const QString& xmlType, const QString& dbType, bool fixed, bool isLong)
{
    if (xmlType == QLatin1String("int"))
        return 3;
    if (xmlType == QLatin1String("i2"))
        return 2;
    if (xmlType == QLatin1String("i8"))
        return 20;
    if (xmlType == QLatin1String("r4"))
        return 4;
    if (xmlType == QLatin1String("float"))
        return 5;
    if (xmlType == QLatin1String("boolean"))
        return 11;
    if (xmlType == QLatin1String("number"))
        return dbType == QLatin1String("currency") ? 6 : 131;
    if (xmlType == QLatin1String("dateTime"))
        return dbType == QLatin1String("timestamp") ? 135 : 7;
    if (xmlType == QLatin1String("bin.hex"))
        return isLong ? 205 : fixed ? 128 : 204;
    if (xmlType == QLatin1String("string")) {
        if (dbType == QLatin1String("str"))
            return isLong ? 201 : fixed ? 129 : 200;
        return isLong ? 203 : fixed ? 130 : 202;
    }
    throw std::runtime_error("unknown XML data type " + xmlType.toStdString());
}

bool isTrue(const QXmlStreamAttributes& attributes, const char* name)
{
    return attributes.value(QLatin1String(name)) == QLatin1String("true");
}

class TwinReader
{
public:
    explicit TwinReader(QXmlStreamReader& xml) : m_xml(xml) { }

    AdoXmlTwin read()
    {
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (!m_xml.isStartElement())
                continue;
            const QString name = m_xml.qualifiedName().toString();
            if (name == QLatin1String("s:AttributeType"))
                readColumn();
            else if (name == QLatin1String("rs:data"))
                readData();
        }
        if (m_xml.hasError())
            throw std::runtime_error(m_xml.errorString().toStdString());
        return m_twin;
    }

private:
    void readColumn()
    {
        const QXmlStreamAttributes column = m_xml.attributes();
        XmlColumn result;
        result.name = column.value(QLatin1String("name")).toString();
        int flags = 0;
        flags |= isTrue(column, "rs:write") ? 0x4 : 0;
        flags |= isTrue(column, "rs:nullable") ? 0x20 : 0;
        flags |= isTrue(column, "rs:maydefer") ? 0x2 : 0;
        flags |= isTrue(column, "rs:writeunknown") ? 0x8 : 0;
        flags |= isTrue(column, "rs:cachedeferred") ? 0x1000 : 0;
        flags |= isTrue(column, "rs:rowver") ? 0x200 : 0;
        while (m_xml.readNextStartElement()) {
            if (m_xml.qualifiedName() == QLatin1String("s:datatype")) {
                const QXmlStreamAttributes type = m_xml.attributes();
                const bool fixed = isTrue(type, "rs:fixedlength");
                const bool isLong = isTrue(type, "rs:long");
                flags |= fixed ? 0x10 : 0;
                flags |= isLong ? 0x80 : 0;
                flags |= type.value(QLatin1String("rs:maybenull")) == QLatin1String("false") ? 0 : 0x40;
                result.xmlType = type.value(QLatin1String("dt:type")).toString();
                result.maxLength = type.value(QLatin1String("dt:maxLength")).toInt();
                result.adoType
                    = typeOf(result.xmlType, type.value(QLatin1String("rs:dbtype")).toString(), fixed, isLong);
            }
            m_xml.skipCurrentElement();
        }
        result.attributes = flags;
        m_twin.columns.append(result);
    }

    XmlRow rowFrom(const QXmlStreamAttributes& attributes, XmlRow row)
    {
        for (int i = 0; i < m_twin.columns.size(); ++i) {
            const QString name = m_twin.columns[i].name;
            if (attributes.hasAttribute(name))
                row[i] = attributes.value(name).toString();
        }
        const QStringList forcedNull
            = attributes.value(QLatin1String("rs:forcenull")).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (int i = 0; i < m_twin.columns.size(); ++i) {
            if (forcedNull.contains(m_twin.columns[i].name))
                row[i] = std::nullopt;
        }
        return row;
    }

    XmlRow emptyRow() const { return XmlRow(m_twin.columns.size()); }

    void readData()
    {
        while (m_xml.readNextStartElement()) {
            const QString name = m_xml.qualifiedName().toString();
            if (name == QLatin1String("z:row")) {
                m_twin.rows.append(rowFrom(m_xml.attributes(), emptyRow()));
                m_xml.skipCurrentElement();
            } else if (name == QLatin1String("rs:insert")) {
                while (m_xml.readNextStartElement()) {
                    m_twin.rows.append(rowFrom(m_xml.attributes(), emptyRow()));
                    m_xml.skipCurrentElement();
                }
            } else if (name == QLatin1String("rs:update")) {
                XmlRow original = emptyRow();
                while (m_xml.readNextStartElement()) {
                    if (m_xml.qualifiedName() == QLatin1String("rs:original")) {
                        while (m_xml.readNextStartElement()) {
                            original = rowFrom(m_xml.attributes(), emptyRow());
                            m_xml.skipCurrentElement();
                        }
                    } else {
                        original = rowFrom(m_xml.attributes(), original);
                        m_xml.skipCurrentElement();
                    }
                }
                m_twin.rows.append(original);
            } else {
                m_xml.skipCurrentElement(); // rs:delete: those rows are gone
            }
        }
    }

    QXmlStreamReader& m_xml;
    AdoXmlTwin m_twin;
};

} // namespace

AdoXmlTwin AdoXmlTwin::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    QXmlStreamReader xml(&file);
    return TwinReader(xml).read();
}

} // namespace dorvane::test
