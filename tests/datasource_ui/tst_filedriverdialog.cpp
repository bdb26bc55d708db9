// The file-driver dialog on the offscreen platform, over the options dialog's kind of open table.
#include "datasource/ui/dlgFileDriver.h"

#include "core/AppState.h"
#include "datasource/FileDriverEntry.h"
#include "datasource/FileDriverTable.h"

#include "RecordingDialogMessages.h"
#include "TempProgramFolder.h"
#include "WidgetChild.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <memory>

using namespace dorvane;
using dorvane::test::child;
using dorvane::test::RecordingDialogMessages;
using dorvane::test::TempProgramFolder;

namespace {

QList<FileDriverRow> rowsOf(MemoryRecordSet& table)
{
    QList<FileDriverRow> rows;
    for (table.MoveFirst(); !table.isEOF(); table.MoveNext())
        rows.append(currentFileDriverRow(table));
    return rows;
}

const QByteArray EnglishTexts = "[dlgFileDriver]\r\nt0=Add driver\r\nt1=Change driver\r\nt2=Extension\r\n"
                                "t3=File\r\nt4=Template\r\nt5=Cancel\r\nt6=Save\r\nt7=Three characters!\r\n"
                                "t8=Already there!\r\nt9=No <path>!\r\nt10=Folder\r\n";

} // namespace

class FileDriverDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void textsOfBothModes_data();
    void textsOfBothModes();
    void editShowsTheCurrentRow();
    void refusalsShowTheirMessageAndKeepTheDialogOpen_data();
    void refusalsShowTheirMessageAndKeepTheDialogOpen();
    void templateTypedOverSeveralLinesIsStoredAsOneLine();
    void editStoresIntoTheCurrentRowOnly();
    void cancelTouchesNothingAndClearsTheMode();

private:
    void type(dlgFileDriver& dialog, const QString& ext, const QString& str);

    std::unique_ptr<TempProgramFolder> m_folder;
    std::unique_ptr<MemoryRecordSet> m_table;
    RecordingDialogMessages m_messages;
    QString m_mode;
};

void FileDriverDialogTest::init()
{
    m_folder = std::make_unique<TempProgramFolder>();
    m_folder->writeFile(QStringLiteral("lang/English.lng"), EnglishTexts);
    m_folder->activate(QStringLiteral("English"));
    m_table = std::make_unique<MemoryRecordSet>(openFileDriverTable(MemoryRecordSet::LockType::Optimistic));
    m_messages = RecordingDialogMessages();
    m_mode.clear();
}

void FileDriverDialogTest::cleanup()
{
    m_table.reset();
    m_folder.reset();
}

void FileDriverDialogTest::type(dlgFileDriver& dialog, const QString& ext, const QString& str)
{
    auto* dxExt = child<QLineEdit>(&dialog, "dxExt");
    dxExt->clear();
    QTest::keyClicks(dxExt, ext);
    auto* dxStr = child<QPlainTextEdit>(&dialog, "dxStr");
    dxStr->clear();
    const QStringList lines = str.split(QStringLiteral("\n"));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(dxStr, Qt::Key_Return);
        QTest::keyClicks(dxStr, lines[i]);
    }
}

void FileDriverDialogTest::textsOfBothModes_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("germanOnly");
    QTest::addColumn<QStringList>("texts"); // caption, lblFileEx, chkFile0, lblConnStr, cmdCancel, cmdSave, chkFile1
    QTest::newRow("add") << "" << false
                         << QStringList {"Add driver", "Extension", "File", "Template", "Cancel", "Save", "Folder"};
    QTest::newRow("edit") << "Edit" << false
                          << QStringList {"Change driver", "Extension", "File", "Template", "Cancel", "Save", "Folder"};
    // Any other mode text adds.
    QTest::newRow("other mode adds") << "edit" << false << QStringList {"Add driver", "Extension", "File",  "Template",
                                                                        "Cancel",     "Save",      "Folder"};
    QTest::newRow("German only") << "" << true
                                 << QStringList {"New File driver",  "File extension (3 chars)",
                                                 "File related",     "Connection string (write <path> for the path)",
                                                 "&Abbrechen",       "&Speichern",
                                                 "Directory related"};
}

void FileDriverDialogTest::textsOfBothModes()
{
    QFETCH(QString, mode);
    QFETCH(bool, germanOnly);
    QFETCH(QStringList, texts);
    appState().GermanOnly = germanOnly;
    m_mode = mode;
    dlgFileDriver dialog(*m_table, m_mode, 0, nullptr, &m_messages);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), texts[0]);
    QCOMPARE(child<QLabel>(&dialog, "lblFileEx")->text(), texts[1]);
    QCOMPARE(child<QRadioButton>(&dialog, "chkFile0")->text(), texts[2]);
    QCOMPARE(child<QLabel>(&dialog, "lblConnStr")->text(), texts[3]);
    QCOMPARE(child<QPushButton>(&dialog, "cmdCancel")->text(), texts[4]);
    QCOMPARE(child<QPushButton>(&dialog, "cmdSave")->text(), texts[5]);
    QCOMPARE(child<QRadioButton>(&dialog, "chkFile1")->text(), texts[6]);
    QCOMPARE(child<QLineEdit>(&dialog, "dxExt")->maxLength(), 3);
}

void FileDriverDialogTest::editShowsTheCurrentRow()
{
    storeFileDriverEntry(*m_table, {"dbf", "Driver={dBASE};Dbq=<path>;", false}, std::nullopt);
    const QList<FileDriverRow> rows = rowsOf(*m_table);
    for (int position : {0, int(rows.size()) - 1}) { // mdb is file related, dbf directory related
        const FileDriverRow row = rows[position];
        m_mode = QStringLiteral("Edit");
        dlgFileDriver dialog(*m_table, m_mode, position, nullptr, &m_messages);
        QVERIFY(dialog.isEditing());
        QCOMPARE(child<QLineEdit>(&dialog, "dxExt")->text(), row.Ext);
        QCOMPARE(child<QPlainTextEdit>(&dialog, "dxStr")->toPlainText(), row.Str);
        QCOMPARE(child<QRadioButton>(&dialog, "chkFile0")->isChecked(), row.File);
        QCOMPARE(child<QRadioButton>(&dialog, "chkFile1")->isChecked(), !row.File);
    }
}

void FileDriverDialogTest::refusalsShowTheirMessageAndKeepTheDialogOpen_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("ext");
    QTest::addColumn<QString>("str");
    QTest::addColumn<QString>("message");
    // The field takes at most three characters; fewer than one is what remains to refuse.
    QTest::newRow("blanks only") << "" << 0 << "  "
                                 << "Dbq=<path>;"
                                 << "Three characters!";
    QTest::newRow("no extension") << "" << 0 << ""
                                  << "Dbq=<path>;"
                                  << "Three characters!";
    QTest::newRow("empty template, wrong length") << "" << 0 << ""
                                                  << ""
                                                  << "Three characters!";
    QTest::newRow("two characters that exist") << "" << 0 << "db"
                                               << "Dbq=<path>;"
                                               << "Already there!";
    QTest::newRow("mdb twice") << "" << 0 << "mdb"
                               << "Dbq=<path>;"
                               << "Already there!";
    QTest::newRow("edit mdb into udl") << "Edit" << 0 << "udl"
                                       << "Dbq=<path>;"
                                       << "Already there!";
    QTest::newRow("empty template") << "" << 0 << "abc"
                                    << ""
                                    << "Connection string is missing";
    QTest::newRow("no placeholder") << "" << 0 << "abc"
                                    << "Dbq=x;"
                                    << "No <path>!";
}

void FileDriverDialogTest::refusalsShowTheirMessageAndKeepTheDialogOpen()
{
    QFETCH(QString, mode);
    QFETCH(int, position);
    QFETCH(QString, ext);
    QFETCH(QString, str);
    QFETCH(QString, message);
    const QList<FileDriverRow> before = rowsOf(*m_table);
    m_mode = mode;
    dlgFileDriver dialog(*m_table, m_mode, position, nullptr, &m_messages);
    dialog.show();
    type(dialog, ext, str);
    QTest::mouseClick(child<QPushButton>(&dialog, "cmdSave"), Qt::LeftButton);
    QCOMPARE(m_messages.messages, QStringList {message});
    QVERIFY(dialog.isVisible());
    QCOMPARE(m_mode, mode); // still open, still in its mode
    QCOMPARE(rowsOf(*m_table), before);
}

void FileDriverDialogTest::templateTypedOverSeveralLinesIsStoredAsOneLine()
{
    dlgFileDriver dialog(*m_table, m_mode, 0, nullptr, &m_messages);
    dialog.show();
    type(dialog, QStringLiteral("MDB"),
         QStringLiteral("Driver={Microsoft Access Driver (*.mdb)};\n Dbq=<path>;\nPWD=;"));
    QTest::mouseClick(child<QRadioButton>(&dialog, "chkFile1"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(&dialog, "cmdSave"), Qt::LeftButton);
    QVERIFY(m_messages.messages.isEmpty());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    const QList<FileDriverRow> rows = rowsOf(*m_table);
    QCOMPARE(rows.size(), defaultFileDriverRows().size() + 1);
    QCOMPARE(rows.last(), (FileDriverRow {"MDB", "Driver={Microsoft Access Driver (*.mdb)}; Dbq=<path>;PWD=;", false}));
}

void FileDriverDialogTest::editStoresIntoTheCurrentRowOnly()
{
    m_mode = QStringLiteral("Edit");
    {
        dlgFileDriver dialog(*m_table, m_mode, 0, nullptr, &m_messages);
        dialog.show();
        // Saving mdb unchanged is accepted: the edited row is no duplicate of itself.
        QTest::mouseClick(child<QPushButton>(&dialog, "cmdSave"), Qt::LeftButton);
        QVERIFY(m_messages.messages.isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    QCOMPARE(m_mode, QString());
    QCOMPARE(rowsOf(*m_table), defaultFileDriverRows());

    // So is the two-character "db" row (position 3), although the column is three characters wide.
    m_mode = QStringLiteral("Edit");
    {
        dlgFileDriver dialog(*m_table, m_mode, 3, nullptr, &m_messages);
        dialog.show();
        QCOMPARE(child<QLineEdit>(&dialog, "dxExt")->text(), QStringLiteral("db"));
        QTest::mouseClick(child<QPushButton>(&dialog, "cmdSave"), Qt::LeftButton);
        QVERIFY2(m_messages.messages.isEmpty(), qPrintable(m_messages.messages.join(QLatin1Char('\n'))));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    QCOMPARE(rowsOf(*m_table), defaultFileDriverRows());

    m_mode = QStringLiteral("Edit");
    dlgFileDriver dialog(*m_table, m_mode, 1, nullptr, &m_messages);
    dialog.show();
    type(dialog, QStringLiteral("xlx"), QStringLiteral("Dbq=<path>;"));
    QTest::mouseClick(child<QPushButton>(&dialog, "cmdSave"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QList<FileDriverRow> expected = defaultFileDriverRows();
    expected[1] = {"xlx", "Dbq=<path>;", true};
    QCOMPARE(rowsOf(*m_table), expected);
    // The file beside the program is not written by the dialog.
    MemoryRecordSet onDisk = openFileDriverTable();
    QCOMPARE(rowsOf(onDisk), defaultFileDriverRows());
}

void FileDriverDialogTest::cancelTouchesNothingAndClearsTheMode()
{
    m_mode = QStringLiteral("Edit");
    dlgFileDriver dialog(*m_table, m_mode, 2, nullptr, &m_messages);
    dialog.show();
    type(dialog, QStringLiteral("zzz"), QStringLiteral("Dbq=<path>;"));
    QTest::mouseClick(child<QPushButton>(&dialog, "cmdCancel"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(m_mode, QString());
    QCOMPARE(rowsOf(*m_table), defaultFileDriverRows());
    QVERIFY(m_messages.messages.isEmpty());
}

QTEST_MAIN(FileDriverDialogTest)
#include "tst_filedriverdialog.moc"
