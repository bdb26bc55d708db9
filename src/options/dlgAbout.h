// The about box: the program's picture, its version and links to the product's web page and to the
// support mail address. Modal, made for one showing, no arguments and no result. Widgets carry object
// names for tests: Image1, lblVers, lblVersion, lblWeb, roLabel1, lblSupp, roLabel2, cmdQuit.
#pragma once

#include <QDialog>
#include <QString>
#include <QUrl>

#include <functional>

class QLabel;
class QPushButton;

namespace dorvane {

// Where users write for help; it belongs to whoever ships the program.
inline const QString SupportMailAddress = QStringLiteral("support@dorvane.com");

class dlgAbout : public QDialog
{
    Q_OBJECT

public:
    // Opens an address in the browser or the mail program; false when nothing could open it.
    using UrlOpener = std::function<bool(const QUrl&)>;

    // The texts of section dlgAbout are applied here, as the box loads. urlOpener defaults to
    // QDesktopServices::openUrl; tests pass their own.
    explicit dlgAbout(QWidget* parent = nullptr, UrlOpener urlOpener = {});

    static QUrl webAddress();
    // "mailto:" + SupportMailAddress.
    static QUrl mailAddress();

private:
    void applyLanguage();

    UrlOpener m_urlOpener;
    QLabel* m_lblVers = nullptr;
    QLabel* m_lblVersion = nullptr;
    QLabel* m_lblWeb = nullptr;
    QLabel* m_lblSupp = nullptr;
    QPushButton* m_cmdQuit = nullptr;
};

} // namespace dorvane
