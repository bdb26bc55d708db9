// Seeding the per-user program folder from an installed one, on real folders, files and links.
#include "core/PerUserProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace dorvane;

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(content);
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("\x01unreadable");
}

// An installed program folder as the package lays it out: the settings template, the two table files,
// a language file and a manual; its files read-only.
struct InstalledFolder
{
    QTemporaryDir dir;

    InstalledFolder()
    {
        writeFile(path("DVNReplacer.ini"), "[Options]\r\n");
        writeFile(path("sys/fdrv.dat"), "installed file drivers");
        writeFile(path("sys/dtype.dat"), "installed data types");
        writeFile(path("lang/English.lng"), "[frmMain]\r\nt1=Find what\r\n");
        writeFile(path("help/English.html"), "<html></html>");
        for (const char* file : {"DVNReplacer.ini", "sys/fdrv.dat", "sys/dtype.dat"})
            QFile::setPermissions(path(file), QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    }

    QString path(const QString& relative = QString()) const
    {
        return relative.isEmpty() ? dir.path() : dir.filePath(relative);
    }
};

} // namespace

class TestPerUserProgramFolder : public QObject
{
    Q_OBJECT

private slots:
    void freshFolderIsSeeded();
    void usersOwnFilesAndFoldersStay();
    void linkToAnEarlierInstallationIsRenewed();
    void folderThatCannotBeMadeFails();
    void locationFollowsXdgDataHome();
};

void TestPerUserProgramFolder::freshFolderIsSeeded()
{
    InstalledFolder installed;
    QTemporaryDir home;
    const QString folder = home.filePath("share/dorvane");
    QVERIFY(PerUserProgramFolder::prepare(installed.path(), folder));

    QCOMPARE(contentOf(folder + "/DVNReplacer.ini"), QByteArray("[Options]\r\n"));
    QCOMPARE(contentOf(folder + "/sys/fdrv.dat"), QByteArray("installed file drivers"));
    QCOMPARE(contentOf(folder + "/sys/dtype.dat"), QByteArray("installed data types"));
    // The copies are the user's to change, though the installed files are read-only.
    for (const char* file : {"/DVNReplacer.ini", "/sys/fdrv.dat", "/sys/dtype.dat"})
        QVERIFY2(QFile::permissions(folder + file) & QFileDevice::WriteOwner, file);
    // Languages and manuals are the installed ones, reached through links.
    for (const char* name : {"lang", "help"}) {
        const QFileInfo link(folder + "/" + name);
        QVERIFY2(link.isSymLink(), name);
        QCOMPARE(QFileInfo(link.symLinkTarget()).canonicalFilePath(),
                 QFileInfo(installed.path(name)).canonicalFilePath());
    }
    QCOMPARE(contentOf(folder + "/lang/English.lng"), QByteArray("[frmMain]\r\nt1=Find what\r\n"));
    QVERIFY(QFileInfo::exists(folder + "/help/English.html"));

    // Preparing again changes nothing.
    QVERIFY(PerUserProgramFolder::prepare(installed.path(), folder));
    QVERIFY(QFileInfo(folder + "/lang").isSymLink());
    QCOMPARE(contentOf(folder + "/sys/fdrv.dat"), QByteArray("installed file drivers"));
}

void TestPerUserProgramFolder::usersOwnFilesAndFoldersStay()
{
    InstalledFolder installed;
    QTemporaryDir folder;
    writeFile(folder.filePath("DVNReplacer.ini"), "[Options]\r\nLanguage=English\r\n");
    writeFile(folder.filePath("sys/fdrv.dat"), "my file drivers");
    writeFile(folder.filePath("lang/Français.lng"), "[frmMain]\r\nt1=Rechercher\r\n");
    QVERIFY(PerUserProgramFolder::prepare(installed.path(), folder.path()));

    QCOMPARE(contentOf(folder.filePath("DVNReplacer.ini")), QByteArray("[Options]\r\nLanguage=English\r\n"));
    QCOMPARE(contentOf(folder.filePath("sys/fdrv.dat")), QByteArray("my file drivers"));
    // What the user lacks comes from the installed folder.
    QCOMPARE(contentOf(folder.filePath("sys/dtype.dat")), QByteArray("installed data types"));
    // A language folder of the user's own stays theirs; the manuals still get their link.
    QVERIFY(!QFileInfo(folder.filePath("lang")).isSymLink());
    QVERIFY(QFileInfo::exists(folder.filePath("lang/Français.lng")));
    QVERIFY(!QFileInfo::exists(folder.filePath("lang/English.lng")));
    QVERIFY(QFileInfo(folder.filePath("help")).isSymLink());
}

void TestPerUserProgramFolder::linkToAnEarlierInstallationIsRenewed()
{
    InstalledFolder earlier;
    InstalledFolder installed;
    writeFile(installed.path("lang/Deutsch.lng"), "[frmMain]\r\nt1=Suchen nach\r\n");
    QTemporaryDir folder;
    QVERIFY(PerUserProgramFolder::prepare(earlier.path(), folder.path()));
    QVERIFY(!QFileInfo::exists(folder.filePath("lang/Deutsch.lng")));

    QVERIFY(PerUserProgramFolder::prepare(installed.path(), folder.path()));
    QCOMPARE(contentOf(folder.filePath("lang/Deutsch.lng")), QByteArray("[frmMain]\r\nt1=Suchen nach\r\n"));
    // A link left dangling by a removed installation is renewed as well.
    QVERIFY(QFile::remove(folder.filePath("help")));
    QVERIFY(QFile::link(folder.filePath("gone/help"), folder.filePath("help")));
    QVERIFY(PerUserProgramFolder::prepare(installed.path(), folder.path()));
    QVERIFY(QFileInfo::exists(folder.filePath("help/English.html")));
}

void TestPerUserProgramFolder::folderThatCannotBeMadeFails()
{
    InstalledFolder installed;
    QTemporaryDir home;
    writeFile(home.filePath("share"), "a file, not a folder");
    QVERIFY(!PerUserProgramFolder::prepare(installed.path(), home.filePath("share/dorvane")));
    QVERIFY(!PerUserProgramFolder::prepare(installed.path(), QString()));
}

void TestPerUserProgramFolder::locationFollowsXdgDataHome()
{
    QTemporaryDir home;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    const QString location = PerUserProgramFolder::location();
    if (saved.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", saved);
    QCOMPARE(location, home.path() + "/dorvane");
}

QTEST_GUILESS_MAIN(TestPerUserProgramFolder)
#include "tst_peruserprogramfolder.moc"
