// The hit display and the replace preview of the main window, through the headless surface.
#include "core/AdoTypes.h"
#include "engine/FieldText.h"
#include "presentation/HeadlessSurface.h"
#include "presentation/HitDisplay.h"

#include <QTest>

using namespace dorvane;

namespace {

// A QVariant column stands for an editor value: a null QVariant is "no value".
const QVariant NoValue;

EditorValue editorValue(const QVariant& v)
{
    if (v.isNull())
        return std::nullopt;
    return v.toString();
}

} // namespace

class TestHitDisplay : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_surface = std::make_unique<HeadlessSurface>();
        m_display = std::make_unique<HitDisplay>(*m_surface);
    }

    void showHitStatusAndLimits_data();
    void showHitStatusAndLimits();
    void digitsOnlyFollowsEveryHit();
    void unknownTypeLeavesPanel4();
    void timerArmedOnlyWhenReplacingWithoutHalt();
    void replacePreview_data();
    void replacePreview();

private:
    std::unique_ptr<HeadlessSurface> m_surface;
    std::unique_ptr<HitDisplay> m_display;
};

void TestHitDisplay::showHitStatusAndLimits_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<qint64>("definedSize");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QString>("panel4");

    QTest::newRow("65535") << int(ado::adLongVarWChar) << qint64(65535) << QVariant("abc") << 32767 << "LongVarWChar";
    QTest::newRow("32768") << int(ado::adVarWChar) << qint64(32768) << QVariant("abc") << 32767 << "VarWChar";
    QTest::newRow("32767") << int(ado::adVarWChar) << qint64(32767) << QVariant("abc") << 32767 << "VarWChar";
    QTest::newRow("beyond int") << int(ado::adLongVarChar) << qint64(0x100000000LL) << QVariant("abc") << 32767
                                << "LongVarChar";
    QTest::newRow("50") << int(ado::adChar) << qint64(50) << QVariant("abc") << 50 << "Char";
    QTest::newRow("integer") << int(ado::adInteger) << qint64(11) << QVariant(-2147483647 - 1) << 11 << "Integer";
}

void TestHitDisplay::showHitStatusAndLimits()
{
    QFETCH(int, type);
    QFETCH(qint64, definedSize);
    QFETCH(QVariant, value);
    QFETCH(int, maxLength);
    QFETCH(QString, panel4);

    m_surface->setSearchValue(QStringLiteral("a"));
    m_surface->setReplaceValue(QString(QLatin1String("")));
    m_display->ShowHit(FieldSnapshot {QStringLiteral("F"), type, definedSize, value}, fieldValueToText(value, type),
                       false);
    QCOMPARE(m_surface->replacedMaxLength(), maxLength);
    QCOMPARE(m_surface->statusText(5), QString::number(maxLength));
    QCOMPARE(m_surface->statusText(4), panel4);
    // The unchanged value fits the limit whole: the limit never cuts what a save would write back.
    QCOMPARE(m_surface->replacedView(), m_surface->originalView());
}

void TestHitDisplay::digitsOnlyFollowsEveryHit()
{
    m_surface->setSearchValue(QStringLiteral("1"));
    m_surface->setReplaceValue(QStringLiteral("2"));

    const struct
    {
        int type;
        QVariant value;
        bool digitsOnly;
    } hits[] = {
        {ado::adInteger, 1, true},   {ado::adVarWChar, QStringLiteral("a1"), false}, {ado::adInteger, 31, true},
        {ado::adSmallInt, 1, false}, {ado::adBigInt, qlonglong(1), false},
    };
    for (const auto& hit : hits) {
        m_display->ShowHit(FieldSnapshot {QStringLiteral("F"), hit.type, 20, hit.value}, QStringLiteral("2"), false);
        QCOMPARE(m_surface->replacedDigitsOnly(), hit.digitsOnly);
    }
}

void TestHitDisplay::unknownTypeLeavesPanel4()
{
    m_surface->setSearchValue(QStringLiteral("a"));
    m_surface->setStatusText(4, QStringLiteral("VarWChar"));
    m_display->ShowHit(FieldSnapshot {QStringLiteral("F"), 999, 10, QStringLiteral("a")}, QStringLiteral("a"), false);
    QCOMPARE(m_surface->statusText(4), QStringLiteral("VarWChar"));
    m_display->ShowHit(FieldSnapshot {QStringLiteral("F"), ado::adEmpty, 10, QStringLiteral("a")}, QStringLiteral("a"),
                       false);
    QCOMPARE(m_surface->statusText(4), QStringLiteral("Empty"));
}

void TestHitDisplay::timerArmedOnlyWhenReplacingWithoutHalt()
{
    m_surface->setSearchValue(QStringLiteral("a"));
    m_surface->setReplaceValue(QStringLiteral("b"));
    const FieldSnapshot field {QStringLiteral("F"), ado::adVarWChar, 10, QStringLiteral("a")};

    m_display->ShowHit(field, QStringLiteral("b"), false);
    QVERIFY(!m_surface->isTimer1Enabled());
    m_display->ShowHit(field, QStringLiteral("b"), true);
    QVERIFY(m_surface->isTimer1Enabled());
    m_surface->setTimer1Enabled(false);
}

void TestHitDisplay::replacePreview_data()
{
    QTest::addColumn<QVariant>("search");
    QTest::addColumn<QVariant>("replacement");
    QTest::addColumn<QVariant>("original");
    QTest::addColumn<QVariant>("replaced");

    const QVariant empty = QString(QLatin1String(""));
    const QVariant untouched = QStringLiteral("(untouched)");

    QTest::newRow("case ignored") << QVariant("abc") << QVariant("x") << QVariant("Abc abc ABC") << QVariant("x x x");
    QTest::newRow("no replacement removes") << QVariant("abc") << NoValue << QVariant("Abc-abc") << QVariant("-");
    QTest::newRow("empty replacement removes") << QVariant("abc") << empty << QVariant("Abc-abc") << QVariant("-");
    QTest::newRow("literal") << QVariant("a.c") << QVariant("X") << QVariant("a.c abc") << QVariant("X abc");
    QTest::newRow("no dollar groups") << QVariant("(a)") << QVariant("$1") << QVariant("(A)") << QVariant("$1");
    QTest::newRow("original without value") << QVariant("abc") << QVariant("R") << NoValue << QVariant("R");
    QTest::newRow("neither has a value") << QVariant("abc") << NoValue << NoValue << empty;
    QTest::newRow("no search value") << NoValue << QVariant("R") << QVariant("abc") << untouched;
    QTest::newRow("empty search text") << empty << QVariant("R") << QVariant("abc") << untouched;
}

void TestHitDisplay::replacePreview()
{
    QFETCH(QVariant, search);
    QFETCH(QVariant, replacement);
    QFETCH(QVariant, original);
    QFETCH(QVariant, replaced);

    m_surface->setSearchValue(editorValue(search));
    m_surface->setReplaceValue(editorValue(replacement));
    m_surface->setOriginalView(editorValue(original));
    m_surface->setReplacedView(QStringLiteral("(untouched)"));
    // The preview ignores the case option.
    m_surface->setCaseSensitive(true);
    m_display->ReplacePreview();
    QCOMPARE(m_surface->replacedView(), editorValue(replaced));
}

QTEST_GUILESS_MAIN(TestHitDisplay)
#include "tst_hitdisplay.moc"
