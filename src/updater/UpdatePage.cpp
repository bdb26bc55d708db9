#include "updater/UpdatePage.h"

#include <QSettings>

namespace dorvane::updater {

namespace {

const QString PagePath = QStringLiteral("/dvnreplacer/");
const QString UpdatePath = QStringLiteral("/update/DARU_");
const QString PageSuffix = QStringLiteral(".htm");

// A stored empty text counts as missing: it would leave an empty segment in the address and name no page.
QString storedText(const QSettings& settings, const QString& key, const QString& defaultValue)
{
    const QString value = settings.value(key).toString();
    return value.isEmpty() ? defaultValue : value;
}

} // namespace

UpdatePage::UpdatePage(QString language, QString version)
    : m_language(std::move(language)), m_version(std::move(version))
{
}

UpdatePage UpdatePage::fromSettings(const QString& commandLineText)
{
    const QSettings settings(QStringLiteral("Dorvane"), QStringLiteral("Dorvane"));
    QString language = commandLineText;
    if (language.isEmpty())
        language = storedText(settings, QStringLiteral("Options/Language"), QStringLiteral("Deutsch"));
    return UpdatePage(language, storedText(settings, QStringLiteral("Options/Version"), QStringLiteral("NotFound")));
}

QString UpdatePage::commandLineText(const QStringList& arguments)
{
    return arguments.mid(1).join(QLatin1Char(' '));
}

QString UpdatePage::address() const
{
    return SiteAddress + PagePath + m_language.toLower() + UpdatePath + m_version + PageSuffix;
}

QUrl UpdatePage::url() const
{
    const QByteArray encoded = SiteAddress.toUtf8() + PagePath.toUtf8() + QUrl::toPercentEncoding(m_language.toLower())
        + UpdatePath.toUtf8() + QUrl::toPercentEncoding(m_version) + PageSuffix.toUtf8();
    return QUrl::fromEncoded(encoded, QUrl::StrictMode);
}

} // namespace dorvane::updater
