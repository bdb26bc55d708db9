// The manuals of the build's program folder, as the help tool and F1 open them: one for each shipped
// language, naming every tool, option and options tab by the caption its language file gives it (so a
// caption renamed in a language file cannot leave the manual behind), and readable offline: every
// picture and style sheet it uses is in the help folder, and it loads nothing from elsewhere. The
// command line's section shows the synopsis the program's own help gives, and no option the program lacks.
#include "core/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

const QString ProgramFolder = QStringLiteral(DORVANE_PROGRAM_DIR);

struct CaptionKey
{
    const char* section;
    int key;
    const char* element;
};

// What a user meets in the window and has to find in the manual.
constexpr CaptionKey Captions[] = {
    {"frmMain", 17, "ID_Start"},
    {"frmMain", 13, "ID_Stop"},
    {"frmMain", 35, "ID_Pause"},
    {"frmMain", 32, "ID_Continue"},
    {"frmMain", 14, "ID_Skip"},
    {"frmMain", 46, "ID_SkipRecord"},
    {"frmMain", 41, "ID_SkipTable"},
    {"frmMain", 15, "ID_Replace"},
    {"frmMain", 16, "ID_Save"},
    {"frmMain", 10, "ID_Quit"},
    {"frmMain", 37, "ID_Options"},
    {"frmMain", 0, "ID_OpenDB"},
    {"frmMain", 11, "ID_Connection"},
    {"frmMain", 42, "ID_Structure"},
    {"frmMain", 20, "ID_Tables"},
    {"frmMain", 25, "ID_Help"},
    {"frmMain", 24, "ID_About"},
    {"frmMain", 19, "the all-tables entry"},
    {"frmMain", 8, "optField(0)"},
    {"frmMain", 9, "optField(1)"},
    {"frmMain", 3, "chkCase"},
    {"frmMain", 5, "chkWholeWord"},
    {"frmMain", 4, "chkRegEx"},
    {"frmMain", 36, "chkReplaceAll"},
    {"frmOpt", 4, "the first options tab"},
    {"frmOpt", 5, "the second options tab"},
    {"frmOpt", 6, "the third options tab"},
    {"DataLinkDialog", 1, "the driver list"},
    {"DataLinkDialog", 2, "the data-source list"},
    {"DataLinkDialog", 7, "the data-link dialog's Add"},
    {"DataLinkDialog", 8, "the data-link dialog's Remove"},
    {"DataLinkDialog", 9, "the data-link dialog's Browse"},
    {"DataLinkDialog", 10, "the data-link dialog's test"},
};

QString manualPath(const QString& language)
{
    return ProgramFolder + QStringLiteral("/help/") + language + QStringLiteral(".html");
}

QString readManual(const QString& language)
{
    QFile file(manualPath(language));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The text a reader sees: no tags, the entities a caption may need decoded, white space as one blank.
QString visibleText(const QString& html)
{
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    static const QRegularExpression space(QStringLiteral("\\s+"));
    QString text = html;
    text.remove(tag);
    text.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text.replace(space, QStringLiteral(" "));
}

// A caption as the manual names it: without the "&" that marks the access key, and without the colon
// of a label.
QString shownCaption(const QString& languageFile, const CaptionKey& caption)
{
    QString text = dorvane::IniFile::read(languageFile, QLatin1String(caption.section),
                                          QStringLiteral("t%1").arg(caption.key), QString(), 256);
    text = text.remove(QLatin1Char('&')).trimmed();
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text;
}

} // namespace

class TestHelpManuals : public QObject
{
    Q_OBJECT

private slots:
    void manualNamesEveryCaption_data();
    void manualNamesEveryCaption();
    void manualIsReadableOffline_data();
    void manualIsReadableOffline();
    void commandLineAsItsHelpSaysIt_data();
    void commandLineAsItsHelpSaysIt();
};

// Both manuals the program ships, and one for every language file the build lays out.
static void addLanguageRows()
{
    QTest::addColumn<QString>("language");
    QStringList languages {QStringLiteral("Deutsch"), QStringLiteral("English")};
    const QDir lang(ProgramFolder + QStringLiteral("/lang"));
    for (const QFileInfo& file : lang.entryInfoList({QStringLiteral("*.lng")}, QDir::Files)) {
        if (!languages.contains(file.completeBaseName()))
            languages.append(file.completeBaseName());
    }
    for (const QString& language : languages)
        QTest::newRow(qPrintable(language)) << language;
}

void TestHelpManuals::manualNamesEveryCaption_data()
{
    addLanguageRows();
}

void TestHelpManuals::manualNamesEveryCaption()
{
    QFETCH(QString, language);
    const QString languageFile = ProgramFolder + QStringLiteral("/lang/") + language + QStringLiteral(".lng");
    QVERIFY2(QFileInfo(languageFile).isFile(), qPrintable(languageFile));
    const QString html = readManual(language);
    QVERIFY2(!html.isEmpty(), qPrintable(QStringLiteral("no manual at ") + manualPath(language)));

    const QString text = visibleText(html);
    QStringList missing;
    for (const CaptionKey& caption : Captions) {
        const QString shown = shownCaption(languageFile, caption);
        if (shown.isEmpty())
            missing.append(
                QStringLiteral("%1 has no caption in [%2] t%3").arg(caption.element, caption.section).arg(caption.key));
        else if (!text.contains(shown))
            missing.append(QStringLiteral("%1 \"%2\"").arg(caption.element, shown));
    }
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("not in the manual: ") + missing.join(QStringLiteral(", "))));
}

void TestHelpManuals::manualIsReadableOffline_data()
{
    addLanguageRows();
}

void TestHelpManuals::manualIsReadableOffline()
{
    QFETCH(QString, language);
    const QString html = readManual(language);
    QVERIFY2(!html.isEmpty(), qPrintable(QStringLiteral("no manual at ") + manualPath(language)));
    QVERIFY(!html.contains(QLatin1String("<script"), Qt::CaseInsensitive));

    // Pictures, style sheets and links within the folder; a link to a web page is allowed, nothing that
    // the page loads by itself.
    static const QRegularExpression reference(QStringLiteral("<(img|link|a)\\b[^>]*\\b(src|href)=\"([^\"]*)\""),
                                              QRegularExpression::CaseInsensitiveOption);
    const QDir help(ProgramFolder + QStringLiteral("/help"));
    QStringList broken;
    int pictures = 0;
    for (auto match = reference.globalMatch(html); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        const QString element = m.captured(1).toLower();
        const QString target = m.captured(3);
        if (target.startsWith(QLatin1Char('#')) || target.startsWith(QLatin1String("mailto:")))
            continue;
        const bool remote = target.contains(QLatin1String("://"));
        if (remote) {
            if (element != QLatin1String("a"))
                broken.append(target + QStringLiteral(" (loaded from the web)"));
            continue;
        }
        const QString file = target.section(QLatin1Char('#'), 0, 0);
        if (!QFileInfo(help.filePath(file)).isFile())
            broken.append(target);
        if (element == QLatin1String("img"))
            ++pictures;
    }
    QVERIFY2(broken.isEmpty(), qPrintable(QStringLiteral("missing: ") + broken.join(QStringLiteral(", "))));
    QVERIFY2(pictures > 0, "the manual shows no picture");

    // Every section the table of contents names is there.
    static const QRegularExpression anchor(QStringLiteral("href=\"#([^\"]+)\""));
    for (auto match = anchor.globalMatch(html); match.hasNext();) {
        const QString id = match.next().captured(1);
        QVERIFY2(html.contains(QStringLiteral("id=\"") + id + QLatin1Char('"')), qPrintable(id));
    }
}

void TestHelpManuals::commandLineAsItsHelpSaysIt_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("Deutsch") << QStringLiteral("Deutsch");
    QTest::newRow("English") << QStringLiteral("English");
}

void TestHelpManuals::commandLineAsItsHelpSaysIt()
{
    QFETCH(QString, language);
    QProcess program;
    program.start(ProgramFolder + QStringLiteral("/dorvane"), {QStringLiteral("--help")});
    QVERIFY2(program.waitForFinished(30000), qPrintable(program.errorString()));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    const QString help = QString::fromUtf8(program.readAllStandardOutput());

    const QString html = readManual(language);
    QVERIFY2(!html.isEmpty(), qPrintable(QStringLiteral("no manual at ") + manualPath(language)));
    const qsizetype start = html.indexOf(QLatin1String("<h2 id=\"cli\">"));
    QVERIFY2(start >= 0, "the manual has no section \"cli\"");
    const QString section = visibleText(html.mid(start, html.indexOf(QLatin1String("<h2"), start + 1) - start));

    // The synopsis: the lines after "usage:" up to the first empty one, blanks as the manual's text has them.
    static const QRegularExpression space(QStringLiteral("\\s+"));
    const QStringList helpLines = help.split(QLatin1Char('\n'));
    QVERIFY2(helpLines.value(0).startsWith(QLatin1String("usage:")), qPrintable(helpLines.value(0)));
    QStringList missing;
    for (qsizetype i = 1; i < helpLines.size() && !helpLines.at(i).trimmed().isEmpty(); ++i) {
        const QString line = helpLines.at(i).trimmed().replace(space, QStringLiteral(" "));
        if (!section.contains(line))
            missing.append(line);
    }
    QVERIFY2(missing.isEmpty(),
             qPrintable(QStringLiteral("synopsis lines not in the section: ") + missing.join(QStringLiteral(" | "))));

    // Every option the manual names, anywhere, is one the program has. A tag ends a word here, since a
    // table cell's text must not run into the next one's.
    static const QRegularExpression option(QStringLiteral("--[a-z][a-z-]*"));
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QSet<QString> known;
    for (auto match = option.globalMatch(help); match.hasNext();)
        known.insert(match.next().captured());
    QVERIFY(known.contains(QStringLiteral("--find")));
    QStringList unknown;
    for (auto match = option.globalMatch(visibleText(QString(html).replace(tag, QStringLiteral(" "))));
         match.hasNext();) {
        const QString named = match.next().captured();
        if (!known.contains(named) && !unknown.contains(named))
            unknown.append(named);
    }
    QVERIFY2(unknown.isEmpty(),
             qPrintable(QStringLiteral("options dorvane does not have: ") + unknown.join(QStringLiteral(", "))));
}

QTEST_GUILESS_MAIN(TestHelpManuals)
#include "tst_helpmanuals.moc"
