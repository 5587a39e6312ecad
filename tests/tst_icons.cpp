// Checks the generated picture files byte by byte and through Qt's own image readers.

#include <QtEndian>
#include <QtTest>

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QSet>

// Width (= height) and bits per pixel of each image, in directory order.
using Layout = QList<QPair<int, int>>;

namespace {

// The palette every 16-colour image must carry, in the standard (Windows) order.
const QList<QRgb> standardPalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};
const QList<QRgb> twoColourPalette = {0x000000, 0xFFFFFF};

QString sourcePath(const QString &relative)
{
    return QStringLiteral(SI_SOURCE_DIR) + u'/' + relative;
}

QByteArray readAll(const QString &relative)
{
    QFile file(sourcePath(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 readU32(const QByteArray &data, qsizetype at)
{
    return qFromLittleEndian<quint32>(data.constData() + at);
}

quint16 readU16(const QByteArray &data, qsizetype at)
{
    return qFromLittleEndian<quint16>(data.constData() + at);
}

// Bytes of one bitmap row padded to 32 bits.
int rowBytes(int width, int bitsPerPixel)
{
    return (width * bitsPerPixel + 31) / 32 * 4;
}

QList<QImage> readWithQt(const QString &relative)
{
    QImageReader reader(sourcePath(relative), "ico");
    QList<QImage> images;
    for (int i = 0; i < reader.imageCount(); ++i) {
        if (!reader.jumpToImage(i))
            return {};
        images.append(reader.read().convertToFormat(QImage::Format_ARGB32));
    }
    return images;
}

// Same picture: same transparency everywhere, same colour wherever opaque.
bool samePixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (qAlpha(p) != qAlpha(q) || (qAlpha(p) != 0 && (p & 0xFFFFFF) != (q & 0xFFFFFF)))
                return false;
        }
    }
    return true;
}

const QString booksIcon = QStringLiteral("about/books.ico");
const QString appIcon = QStringLiteral("app/icons/student-information.ico");

// The two icon files and the images each must hold.
void iconFiles()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("fileSize"); // 0: any
    QTest::addColumn<Layout>("layout");
    QTest::newRow("books") << booksIcon << 1078 << Layout{{32, 4}, {16, 4}};
    QTest::newRow("app") << appIcon << 0 << Layout{{32, 1}, {32, 4}, {16, 4}};
}

} // namespace

class TestIcons : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Classic BMP-in-ICO form: every header field, the palette, and images packed end to end.
    void directoryAndBitmaps_data() { iconFiles(); }
    void directoryAndBitmaps()
    {
        QFETCH(QString, file);
        QFETCH(int, fileSize);
        QFETCH(Layout, layout);
        const QByteArray data = readAll(file);
        QVERIFY2(data.size() >= 6, qPrintable(file));
        if (fileSize != 0)
            QCOMPARE(data.size(), fileSize);
        QCOMPARE(readU16(data, 0), 0);
        QCOMPARE(readU16(data, 2), 1);
        QCOMPARE(readU16(data, 4), layout.size());
        QVERIFY(data.size() >= 6 + 16 * layout.size());

        quint32 expectedOffset = 6 + 16 * layout.size();
        for (qsizetype i = 0; i < layout.size(); ++i) {
            const auto [size, bpp] = layout.at(i);
            const QList<QRgb> &palette = bpp == 4 ? standardPalette : twoColourPalette;
            const char *entry = data.constData() + 6 + 16 * i;
            QCOMPARE(quint8(entry[0]), size);
            QCOMPARE(quint8(entry[1]), size);
            QCOMPARE(quint8(entry[2]), palette.size());
            QCOMPARE(readU16(data, 6 + 16 * i + 4), 1); // planes
            QCOMPARE(readU16(data, 6 + 16 * i + 6), bpp);
            const quint32 bytes = readU32(data, 6 + 16 * i + 8);
            const quint32 offset = readU32(data, 6 + 16 * i + 12);
            const int xorBytes = rowBytes(size, bpp) * size, maskBytes = rowBytes(size, 1) * size;
            QCOMPARE(bytes, quint32(40 + 4 * palette.size() + xorBytes + maskBytes));
            QCOMPARE(offset, expectedOffset);
            QVERIFY(offset + bytes <= quint32(data.size()));
            expectedOffset += bytes;

            QCOMPARE(readU32(data, offset), 40u);
            QCOMPARE(qint32(readU32(data, offset + 4)), size);
            QCOMPARE(qint32(readU32(data, offset + 8)), 2 * size); // XOR bitmap and AND mask
            QCOMPARE(readU16(data, offset + 12), 1);
            QCOMPARE(readU16(data, offset + 14), bpp);
            QCOMPARE(readU32(data, offset + 16), 0u); // uncompressed
            for (int c = 0; c < palette.size(); ++c)
                QCOMPARE(readU32(data, offset + 40 + 4 * c) & 0xFFFFFF, palette.at(c));
        }
        QCOMPARE(expectedOffset, quint32(data.size()));
    }

    void qtReadsEveryImage_data() { iconFiles(); }
    void qtReadsEveryImage()
    {
        QFETCH(QString, file);
        QFETCH(Layout, layout);
        const QList<QImage> images = readWithQt(file);
        QCOMPARE(images.size(), layout.size());
        for (qsizetype i = 0; i < layout.size(); ++i) {
            const QImage &image = images.at(i);
            const auto [size, bpp] = layout.at(i);
            QVERIFY(!image.isNull());
            QCOMPARE(image.size(), QSize(size, size));
            // Pixel values beyond the palette would decode to colours outside it.
            const QList<QRgb> &palette = bpp == 4 ? standardPalette : twoColourPalette;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    const QRgb pixel = image.pixel(x, y);
                    QVERIFY(qAlpha(pixel) == 0 ||
                            (qAlpha(pixel) == 255 && palette.contains(pixel & 0xFFFFFF)));
                }
            }
        }
    }

    // A row of books needs several colours, a transparent background and a picture that
    // fills most of the image, since the About box stretches it.
    void booksPictureIsDrawn()
    {
        const QList<QImage> images = readWithQt(booksIcon);
        QVERIFY(!images.isEmpty());
        const QImage &books = images.first();
        QSet<QRgb> colours;
        int transparent = 0;
        for (int y = 0; y < books.height(); ++y) {
            for (int x = 0; x < books.width(); ++x) {
                if (qAlpha(books.pixel(x, y)) == 0)
                    ++transparent;
                else
                    colours.insert(books.pixel(x, y));
            }
        }
        QVERIFY2(colours.size() >= 6, QByteArray::number(colours.size()));
        QVERIFY(transparent > 0);
        QVERIFY(transparent < 32 * 32 / 3);
    }

    void appIconIsNotTheBooks()
    {
        const QList<QImage> books = readWithQt(booksIcon), app = readWithQt(appIcon);
        QVERIFY(books.size() == 2 && app.size() == 3);
        QVERIFY(!samePixels(books.at(0), app.at(1)));
        QVERIFY(!samePixels(books.at(1), app.at(2)));
    }

    // Windows take their pictures through QIcon, which must pick the 16-colour image when a
    // 2-colour one of the same size comes first in the file.
    void qIconPicksColourImage_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("iconImage");
        QTest::newRow("app 32") << appIcon << 32 << 1;
        QTest::newRow("app 16") << appIcon << 16 << 2;
        QTest::newRow("books 32") << booksIcon << 32 << 0;
    }
    void qIconPicksColourImage()
    {
        QFETCH(QString, file);
        QFETCH(int, size);
        QFETCH(int, iconImage);
        const QList<QImage> images = readWithQt(file);
        QVERIFY(iconImage < images.size());
        const QImage shown = QIcon(sourcePath(file)).pixmap(QSize(size, size)).toImage();
        QVERIFY(samePixels(shown.convertToFormat(QImage::Format_ARGB32), images.at(iconImage)));
    }

    // The desktop theme's pictures must be the 16-colour icon images, not a stale drawing.
    void themePngsMatchIcon_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("iconImage");
        QTest::newRow("16") << 16 << 2;
        QTest::newRow("32") << 32 << 1;
        QTest::newRow("64 from 32") << 64 << 1;
    }
    void themePngsMatchIcon()
    {
        QFETCH(int, size);
        QFETCH(int, iconImage);
        const QString name = QStringLiteral("app/icons/hicolor/%1x%1/apps/student-information.png");
        QImage png(sourcePath(name.arg(size)));
        QVERIFY(!png.isNull());
        png = png.convertToFormat(QImage::Format_ARGB32);
        const QList<QImage> icon = readWithQt(appIcon);
        QCOMPARE(icon.size(), 3);
        const QImage expected = icon.at(iconImage).scaled(size, size); // nearest neighbour
        QVERIFY(samePixels(png, expected));
    }
};

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
