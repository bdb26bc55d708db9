#include "options/dlgAbout.h"

#include "core/AppState.h"
#include "core/ProductInfo.h"
#include "core/Settings.h"

#include <QApplication>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <utility>

namespace dorvane {

namespace {

const QString Section = QStringLiteral("dlgAbout");

QLabel* hyperlinkLabel(const QString& objectName, const QUrl& target, const QString& shown, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setTextFormat(Qt::RichText);
    label->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                       .arg(target.toString(QUrl::FullyEncoded).toHtmlEscaped(), shown.toHtmlEscaped()));
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setOpenExternalLinks(false);
    label->setToolTip(target.toString());
    return label;
}

} // namespace

QUrl dlgAbout::webAddress()
{
    return QUrl(ProductSiteAddress);
}

QUrl dlgAbout::mailAddress()
{
    return QUrl(QStringLiteral("mailto:") + SupportMailAddress);
}

dlgAbout::dlgAbout(QWidget* parent, UrlOpener urlOpener)
    : QDialog(parent), m_urlOpener(urlOpener ? std::move(urlOpener) : UrlOpener(&QDesktopServices::openUrl))
{
    setObjectName(QStringLiteral("dlgAbout"));
    setWindowTitle(QStringLiteral("Version"));
    setModal(true);

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    const QIcon icon = QApplication::windowIcon().isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon)
                                                           : QApplication::windowIcon();
    image->setPixmap(icon.pixmap(48, 48));
    image->setAlignment(Qt::AlignTop);

    m_lblVers = new QLabel(QStringLiteral("Version:"), this);
    m_lblVers->setObjectName(QStringLiteral("lblVers"));
    m_lblVersion = new QLabel(QStringLiteral("Version"), this);
    m_lblVersion->setObjectName(QStringLiteral("lblVersion"));
    m_lblWeb = new QLabel(QStringLiteral("Web:"), this);
    m_lblWeb->setObjectName(QStringLiteral("lblWeb"));
    QLabel* roLabel1 = hyperlinkLabel(QStringLiteral("roLabel1"), webAddress(), ProductSiteAddress, this);
    m_lblSupp = new QLabel(QStringLiteral("Support:"), this);
    m_lblSupp->setObjectName(QStringLiteral("lblSupp"));
    QLabel* roLabel2 = hyperlinkLabel(QStringLiteral("roLabel2"), mailAddress(), SupportMailAddress, this);
    m_cmdQuit = new QPushButton(QStringLiteral("&Close"), this);
    m_cmdQuit->setObjectName(QStringLiteral("cmdQuit"));
    m_cmdQuit->setDefault(true);

    auto* facts = new QGridLayout;
    facts->addWidget(m_lblVers, 0, 0);
    facts->addWidget(m_lblVersion, 0, 1);
    facts->addWidget(m_lblWeb, 1, 0);
    facts->addWidget(roLabel1, 1, 1);
    facts->addWidget(m_lblSupp, 2, 0);
    facts->addWidget(roLabel2, 2, 1);
    facts->setColumnStretch(1, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(image);
    top->addLayout(facts, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(m_cmdQuit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom);

    const auto open = [this](const QString& link) {
        m_urlOpener(QUrl(link));
    };
    connect(roLabel1, &QLabel::linkActivated, this, open);
    connect(roLabel2, &QLabel::linkActivated, this, open);
    connect(m_cmdQuit, &QPushButton::clicked, this, &QDialog::accept);

    applyLanguage();
    m_lblVersion->setText(ProductVersion);
}

void dlgAbout::applyLanguage()
{
    if (appState().GermanOnly)
        return;
    const auto text = [](const char* key) {
        return ReadLanguageText(Section, QLatin1String(key), QString());
    };
    setWindowTitle(text("t0"));
    m_lblVers->setText(text("t1"));
    m_lblWeb->setText(text("t2"));
    m_lblSupp->setText(text("t3"));
    m_cmdQuit->setText(text("t4"));
}

} // namespace dorvane
