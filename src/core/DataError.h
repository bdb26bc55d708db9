// The one exception type for data errors: a failed data-access operation, an unreadable table file,
// a value that cannot be written. It carries the pair that message boxes show: source and description.
#pragma once

#include <QString>

#include <stdexcept>

namespace dorvane {

class DataError : public std::runtime_error
{
public:
    DataError(QString source, QString description)
        : std::runtime_error((source + QStringLiteral(": ") + description).toStdString()), m_source(std::move(source)),
          m_description(std::move(description))
    {
    }

    const QString& source() const { return m_source; }
    const QString& description() const { return m_description; }

private:
    QString m_source;
    QString m_description;
};

} // namespace dorvane
