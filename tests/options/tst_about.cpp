// The about box on the offscreen platform with the language file of a temporary program folder.
#include "options/dlgAbout.h"

#include "core/AppState.h"

#include "TempProgramFolder.h"
#include "WidgetChild.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace dorvane;
using dorvane::test::child;

namespace {

const QByteArray EnglishAbout
    = "[dlgAbout]\r\nt0=About Dorvane\r\nt1=Version:\r\nt2=Web:\r\nt3=Support:\r\nt4=&Close\r\n";

} // namespace

class AboutTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void texts_data();
    void texts();
    void linksOpenTheirAddresses();
    void closeButtonClosesTheBox();

private:
    std::unique_ptr<test::TempProgramFolder> m_folder;
};

void AboutTest::init()
{
    m_folder = std::make_unique<test::TempProgramFolder>();
    appState().GermanOnly = false;
}

void AboutTest::cleanup()
{
    appState().GermanOnly = false;
    m_folder.reset();
}

void AboutTest::texts_data()
{
    QTest::addColumn<QByteArray>("language");
    QTest::addColumn<bool>("germanOnly");
    QTest::addColumn<QStringList>("texts"); // caption, lblVers, lblWeb, lblSupp, cmdQuit
    QTest::newRow("all keys") << EnglishAbout << false
                              << QStringList({"About Dorvane", "Version:", "Web:", "Support:", "&Close"});
    QTest::newRow("section missing") << QByteArray("[frmMain]\r\nt0=Main\r\n") << false
                                     << QStringList({"", "", "", "", ""});
    QTest::newRow("one key missing") << QByteArray("[dlgAbout]\r\nt0=About\r\nt1=Release:\r\nt3=Help:\r\nt4=OK\r\n")
                                     << false << QStringList({"About", "Release:", "", "Help:", "OK"});
    // The version label's text is not a language key: a t5 changes nothing.
    QTest::newRow("extra key") << EnglishAbout + "t5=Other\r\n"
                               << false << QStringList({"About Dorvane", "Version:", "Web:", "Support:", "&Close"});
    QTest::newRow("German only") << EnglishAbout << true
                                 << QStringList({"Version", "Version:", "Web:", "Support:", "&Close"});
}

void AboutTest::texts()
{
    QFETCH(QByteArray, language);
    QFETCH(bool, germanOnly);
    QFETCH(QStringList, texts);
    m_folder->writeFile(QStringLiteral("lang/English.lng"), language);
    m_folder->activate(QStringLiteral("English"));
    appState().GermanOnly = germanOnly;

    dlgAbout box;
    box.show();
    QCOMPARE(box.windowTitle(), texts[0]);
    QCOMPARE(child<QLabel>(&box, "lblVers")->text(), texts[1]);
    QCOMPARE(child<QLabel>(&box, "lblWeb")->text(), texts[2]);
    QCOMPARE(child<QLabel>(&box, "lblSupp")->text(), texts[3]);
    QCOMPARE(child<QPushButton>(&box, "cmdQuit")->text(), texts[4]);
    // Beside whatever the language says: the version and both links.
    QCOMPARE(child<QLabel>(&box, "lblVersion")->text(), QStringLiteral("1.01.00"));
    QVERIFY(child<QLabel>(&box, "roLabel1")->text().contains(QLatin1String("https://www.dorvane.com")));
    QVERIFY(child<QLabel>(&box, "roLabel2")->text().contains(SupportMailAddress));
    QVERIFY(!child<QLabel>(&box, "Image1")->pixmap().isNull());
}

void AboutTest::linksOpenTheirAddresses()
{
    m_folder->writeFile(QStringLiteral("lang/English.lng"), EnglishAbout);
    m_folder->activate(QStringLiteral("English"));
    QList<QUrl> opened;
    dlgAbout box(nullptr, [&opened](const QUrl& url) {
        opened.append(url);
        return true;
    });
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));

    for (const char* name : {"roLabel1", "roLabel2"}) {
        auto* label = child<QLabel>(&box, name);
        // Tab to the label's link and follow it as a keyboard user would.
        label->setFocus();
        QTest::keyClick(label, Qt::Key_Tab);
        QTest::keyClick(label, Qt::Key_Return);
    }
    QCOMPARE(opened,
             QList<QUrl>({QUrl(QStringLiteral("https://www.dorvane.com")),
                          QUrl(QStringLiteral("mailto:support@dorvane.com"))}));
}

void AboutTest::closeButtonClosesTheBox()
{
    m_folder->activate(QStringLiteral("English"));
    dlgAbout box;
    box.show();
    QVERIFY(box.isVisible());
    QTest::mouseClick(child<QPushButton>(&box, "cmdQuit"), Qt::LeftButton);
    QVERIFY(!box.isVisible());
    QCOMPARE(box.result(), int(QDialog::Accepted));
}

QTEST_MAIN(AboutTest)
#include "tst_about.moc"
