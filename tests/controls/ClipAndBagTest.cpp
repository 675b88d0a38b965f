#include "ControlsTestSupport.h"
#include "platform/vb/PictureClip.h"
#include "platform/vb/PropertyBag.h"

#include <QTest>

class ClipAndBagTest : public QObject
{
    Q_OBJECT

private slots:
    void clipHandsBackCellsByIndex();
    void bagKeysAndDefaults();
    void bagValuesAreTyped();
    void commandStripStretchesCleanly();
    void titleStripsHaveFourLooks();
};

void ClipAndBagTest::clipHandsBackCellsByIndex()
{
    // A 3 x 2 grid of 4 x 5 cells, each filled with its own colour.
    QImage picture(12, 10, QImage::Format_ARGB32);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col)
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 4; ++x)
                    picture.setPixel(col * 4 + x, row * 5 + y, qRgb(col * 80, row * 200, 7));
    vb::PictureClip clip(picture, 2, 3);
    QCOMPARE(clip.cellCount(), 6);
    QCOMPARE(clip.CellWidth(), 4);
    QCOMPARE(clip.CellHeight(), 5);
    for (int index = 0; index < 6; ++index) {
        const QImage cell = clip.GraphicCell(index);
        QCOMPARE(cell.size(), QSize(4, 5));
        const QRgb colour = qRgb((index % 3) * 80, (index / 3) * 200, 7);
        QCOMPARE(cell.pixel(0, 0), colour);
        QCOMPARE(cell.pixel(3, 4), colour);
    }
    QVERIFY(clip.GraphicCell(6).isNull());
    QVERIFY(clip.GraphicCell(-1).isNull());

    clip.setRows(1); // the same picture cut again: three cells of the full height
    QCOMPARE(clip.cellCount(), 3);
    QCOMPARE(clip.GraphicCell(2).size(), QSize(4, 10));
    QVERIFY(vb::PictureClip().GraphicCell(0).isNull());
}

void ClipAndBagTest::bagKeysAndDefaults()
{
    vb::PropertyBag bag;
    bag.WriteProperty(QStringLiteral("Caption"), QStringLiteral("ADD"), QStringLiteral("add"));
    bag.WriteProperty(QStringLiteral("State"), 0, 0); // equal to its default: not stored
    bag.WriteProperty(QStringLiteral("Enabled"), false, true);
    QCOMPARE(bag.keys(), (QStringList{"Caption", "Enabled"}));
    QVERIFY(bag.contains(QStringLiteral("CAPTION")));
    QCOMPARE(bag.ReadProperty(QStringLiteral("caption"), QString()).toString(),
             QStringLiteral("ADD"));
    QCOMPARE(bag.ReadProperty(QStringLiteral("State"), 0).toInt(), 0);

    // Rewritten under another spelling, the key stays one entry in its place.
    bag.WriteProperty(QStringLiteral("CAPTION"), QStringLiteral("Delete"), QStringLiteral("x"));
    QCOMPARE(bag.keys(), (QStringList{"Caption", "Enabled"}));
    QCOMPARE(bag.ReadProperty(QStringLiteral("Caption")).toString(), QStringLiteral("Delete"));

    // Set back to its default, a stored value goes away.
    bag.WriteProperty(QStringLiteral("enabled"), true, true);
    QCOMPARE(bag.keys(), (QStringList{"Caption"}));
    QVERIFY(!bag.contains(QStringLiteral("Enabled")));
}

void ClipAndBagTest::bagValuesAreTyped()
{
    vb::PropertyBag bag;
    bag.WriteProperty(QStringLiteral("State"), QStringLiteral("1"));
    bag.WriteProperty(QStringLiteral("Value"), QStringLiteral("two"));
    const QVariant state = bag.ReadProperty(QStringLiteral("State"), 0);
    QCOMPARE(state.metaType(), QMetaType::fromType<int>());
    QCOMPARE(state.toInt(), 1);
    QCOMPARE(bag.ReadProperty(QStringLiteral("Value"), 3).toInt(), 3); // unreadable: default
}

void ClipAndBagTest::commandStripStretchesCleanly()
{
    // The button is stretched around a 3-pixel border: every row of every cell must be the
    // same from column 3 to 14, or a wide button would smear its face.
    for (int cell = 0; cell < 5; ++cell) {
        const QImage image = ctltest::stripCell(QStringLiteral(":/buttons/cmdbutton.png"), 5, cell);
        QCOMPARE(image.size(), QSize(18, 21));
        for (int y = 0; y < 21; ++y)
            for (int x = 4; x < 15; ++x)
                QVERIFY2(image.pixel(x, y) == image.pixel(3, y),
                         qPrintable(QStringLiteral("cell %1 row %2").arg(cell).arg(y)));
    }
}

void ClipAndBagTest::titleStripsHaveFourLooks()
{
    for (const char *name : {":/buttons/close.png", ":/buttons/maximize.png",
                             ":/buttons/minimize.png", ":/buttons/restore.png"}) {
        QList<QImage> cells;
        for (int cell = 0; cell < 4; ++cell)
            cells.append(ctltest::stripCell(QString::fromLatin1(name), 4, cell));
        QCOMPARE(cells.at(0).size(), QSize(21, 21));
        for (int a = 0; a < 4; ++a)
            for (int b = a + 1; b < 4; ++b)
                QVERIFY2(cells.at(a) != cells.at(b), name);
    }
}

int runClipAndBagTests(int argc, char **argv)
{
    ClipAndBagTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ClipAndBagTest.moc"
