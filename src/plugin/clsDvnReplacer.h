// The plug-in face of the program: what a host asks of it (name, picture, texts, the run flag) and the
// start of the main window with a data source and table already chosen. The program itself starts its
// window through this class exactly as a host would. Instances are short-lived; the window they start
// outlives them and is shared by all instances of the process. UI thread only, with a QApplication.
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <QVariant>

namespace dorvane {

class MainWindowController;

class clsDvnReplacer : public QObject
{
    Q_OBJECT

public:
    clsDvnReplacer();
    // Raises DllUnload.
    ~clsDvnReplacer() override;

    // Stores the data-source arguments, then: modal, shows the window and returns once it is closed and
    // unloaded; with a window already running, brings it forward, reloads the data source and restores
    // it from the minimised state; else shows a new window and returns at once. sID, sLanguage and sField
    // are accepted and not evaluated.
    void StartInterface(const QString& sID, const QString& sLanguage, bool bAsModal,
                        const QString& sConnectionString = QString(), const QString& sSQLQuery = QString(),
                        const QString& sTable = QString(), const QString& sField = QString(),
                        const QString& sDSNServer = QString());
    QString Info() const;
    QString PluginName() const;
    bool HasEvents() const;
    QString EventInfo() const;
    // The application icon.
    QIcon Img() const;
    // Key ToolCaption of section sLanguage of the current language file; "Suchen" when missing.
    QString GetCaption(const QString& sLanguage) const;
    QString ShowInDetailPopup() const;
    QString ShowInDSNPopup() const;
    // Applies the current language file to the window, loading the window first if there is none.
    void SetLanguage(const QString& s_Language);
    // Accepted only: the window keeps its position as the INI file says.
    void SaveWinPos(bool b);
    // INI Options/Run, default "1". Throws DataError when the value is not a 16-bit number.
    qint16 Run() const;
    // Writes INI Options/Run; the result is an empty variant.
    QVariant SetRun(qint16 b);
    // Key Description of section sLanguage; "Search and replace for databases" when missing.
    QString Description(const QString& sLanguage) const;

    // The process's running main window, or null.
    static MainWindowController* runningWindow();

signals:
    void DllUnload();
};

} // namespace dorvane
