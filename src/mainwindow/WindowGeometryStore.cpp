#include "mainwindow/WindowGeometryStore.h"

#include "core/Settings.h"

namespace dorvane {

namespace {

const QString Section = QStringLiteral("MainWinPos");

double storedValue(const char* key, double defaultValue)
{
    const QString text = readUserSetting(Section, QString::fromLatin1(key), QString::number(defaultValue)).trimmed();
    bool ok = false;
    const float value = text.toFloat(&ok);
    return ok ? static_cast<double>(value) : defaultValue;
}

void storeValue(const char* key, double value)
{
    writeUserSetting(Section, QString::fromLatin1(key), QString::number(static_cast<float>(value)));
}

} // namespace

bool WindowGeometryStore::isKept()
{
    return isSetFlag(ReadIniValue(QStringLiteral("Win"), QStringLiteral("WinPos"), QStringLiteral("0"), 256));
}

TwipsRect WindowGeometryStore::stored()
{
    return {storedValue("Left", 1000), storedValue("Top", 1000), storedValue("Width", 7000),
            storedValue("Height", 7000)};
}

void WindowGeometryStore::keep(const TwipsRect& geometry, bool normalState)
{
    if (!normalState || !isKept())
        return;
    storeValue("Left", geometry.left);
    storeValue("Top", geometry.top);
    storeValue("Width", geometry.width);
    storeValue("Height", geometry.height);
}

} // namespace dorvane
