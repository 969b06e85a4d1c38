// The "icon" provider's pixels.

#include "desktop/line_icon_provider.h"

#include <QImage>
#include <QtTest>

using qv::ui::LineIconProvider;

namespace {

struct Ink {
    int opaque = 0; // pixels with any alpha
    int maxAlpha = 0;
    QColor strongest; // unpremultiplied colour of the most opaque pixel
};

Ink inkOf(const QImage& image) {
    Ink ink;
    const QImage plain = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            const QColor c = plain.pixelColor(x, y);
            if (c.alpha() > 0)
                ++ink.opaque;
            if (c.alpha() > ink.maxAlpha) {
                ink.maxAlpha = c.alpha();
                ink.strongest = c;
            }
        }
    }
    return ink;
}

bool closeTo(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) <= 2 && std::abs(a.green() - b.green()) <= 2 &&
           std::abs(a.blue() - b.blue()) <= 2;
}

} // namespace

class IconProvidersTest : public QObject {
    Q_OBJECT
private slots:
    // A typo in a path makes the SVG renderer draw nothing; every icon must leave ink.
    void everyTableIconDraws() {
        const auto& table = LineIconProvider::table();
        QVERIFY(!table.isEmpty());
        for (auto it = table.begin(); it != table.end(); ++it) {
            const Ink ink = inkOf(request(it.key()));
            QVERIFY2(ink.maxAlpha > 200, qPrintable(it.key()));
            QVERIFY2(closeTo(ink.strongest, QColor(0xE8, 0xE6, 0xE1)), qPrintable(it.key()));
        }
    }
    void colourAndSize_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QSize>("requested");
        QTest::addColumn<QSize>("expectedSize");
        QTest::addColumn<QColor>("expectedColour");

        QTest::newRow("no query, no size: the defaults at 24")
            << "check" << QSize() << QSize(24, 24) << QColor(0xE8, 0xE6, 0xE1);
        QTest::newRow("accent at 18")
            << "plus?c=15120A&w=2.6" << QSize(18, 18) << QSize(18, 18) << QColor(0x15, 0x12, 0x0A);
        QTest::newRow("lower-case hex")
            << "close?c=f07167" << QSize(48, 48) << QSize(48, 48) << QColor(0xF0, 0x71, 0x67);
        QTest::newRow("alpha stripped colour draws opaque")
            << "stop?c=08090B" << QSize(30, 20) << QSize(30, 20) << QColor(0x08, 0x09, 0x0B);
        QTest::newRow("empty request: 24")
            << "mic?c=33AA55" << QSize(0, 0) << QSize(24, 24) << QColor(0x33, 0xAA, 0x55);
        QTest::newRow("only a width")
            << "mic?w=3" << QSize(-1, -1) << QSize(24, 24) << QColor(0xE8, 0xE6, 0xE1);
        // Unknown names, also spelt like a known one, draw nothing at the size asked.
        for (const char* unknown : {"nosuch", "nosuch?c=FFFFFF&w=3", "", "@record", "Check"})
            QTest::newRow(unknown) << unknown << QSize(30, 20) << QSize(30, 20) << QColor();
    }
    void colourAndSize() {
        QFETCH(QString, id);
        QFETCH(QSize, requested);
        QFETCH(QSize, expectedSize);
        QFETCH(QColor, expectedColour);

        QSize reported;
        const QImage image = request(id, requested, &reported);
        QCOMPARE(image.size(), expectedSize);
        QCOMPARE(reported, expectedSize);
        const Ink ink = inkOf(image);
        QCOMPARE(ink.maxAlpha, expectedColour.isValid() ? 255 : 0);
        if (expectedColour.isValid())
            QVERIFY2(closeTo(ink.strongest, expectedColour), qPrintable(ink.strongest.name()));
    }
    void filledShapeHasNoOutline() {
        // The disc has radius 7 around (12,12): filled inside, and no stroke widening it.
        const QImage disc = request(QStringLiteral("record?c=F07167&w=1.6"));
        QVERIFY(closeTo(disc.pixelColor(12, 12), QColor(0xF0, 0x71, 0x67)));
        QCOMPARE(disc.pixelColor(12, 12).alpha(), 255);
        for (int x = 0; x < 24; ++x) {
            QCOMPARE(disc.pixelColor(x, 3).alpha(), 0);
            QCOMPARE(disc.pixelColor(x, 20).alpha(), 0);
        }
        // A stroked outline of a box leaves its middle empty.
        const QImage box = request(QStringLiteral("maximize?c=F07167&w=1.6"));
        QCOMPARE(box.pixelColor(12, 12).alpha(), 0);
        QVERIFY(box.pixelColor(5, 12).alpha() > 100);
    }
    void strokeWidthFollowsQuery() {
        const int thin = inkOf(request(QStringLiteral("minimize?w=1"))).opaque;
        const int thick = inkOf(request(QStringLiteral("minimize?w=4"))).opaque;
        QVERIFY2(thick > thin * 2, qPrintable(QStringLiteral("%1 vs %2").arg(thick).arg(thin)));
        QCOMPARE(inkOf(request(QStringLiteral("minimize?w=0"))).opaque, 0);
        QVERIFY(inkOf(request(QStringLiteral("minimize?w=24"))).opaque > thick);
    }
    void badQueryFallsBackToDefaults_data() {
        QTest::addColumn<QString>("query");
        QTest::newRow("empty values") << "c=&w=";
        QTest::newRow("eight digits") << "c=8C08090B";
        QTest::newRow("not hex") << "c=GGGGGG";
        QTest::newRow("with hash") << "c=%23F07167";
        QTest::newRow("markup in colour") << "c=F07167'%20fill='red";
        QTest::newRow("element in colour") << "c=F07167'/%3E%3Crect%20width='24'%20height='24";
        QTest::newRow("negative width") << "w=-1";
        QTest::newRow("width too large") << "w=25";
        QTest::newRow("exponent") << "w=1e1";
        QTest::newRow("lone point") << "w=.";
        QTest::newRow("two points") << "w=1..2";
        QTest::newRow("markup in width") << "w=1.8'%20stroke='red";
    }
    void badQueryFallsBackToDefaults() {
        QFETCH(QString, query);
        const QImage defaults = request(QStringLiteral("check"), QSize(32, 32));
        QCOMPARE(request(QStringLiteral("check?") + query, QSize(32, 32)), defaults);
    }

private:
    QImage request(const QString& id, QSize requested = QSize(), QSize* reported = nullptr) {
        QSize size;
        return provider_.requestImage(id, reported ? reported : &size, requested);
    }

    LineIconProvider provider_;
};

QTEST_MAIN(IconProvidersTest)
#include "tst_icon_providers.moc"
