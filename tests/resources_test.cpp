// Checks the resources the program carries: the sound clips' encodings and lengths, the toolbar pictures,
// the program icon and the About banner.
#include <QtEndian>
#include <QtTest>

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QSoundEffect>

#include <algorithm>
#include <cstdlib>

namespace {

// WAVE format tags as stored in the fmt chunk.
constexpr quint16 FormatPcm = 1;
constexpr quint16 FormatMsAdpcm = 2;
constexpr quint16 FormatMuLaw = 7;

// What a clip's header says, read the way a player reads it.
struct WavInfo
{
    QString error; // empty when the container is sound
    quint16 formatTag = 0;
    quint16 channels = 0;
    quint32 sampleRate = 0;
    quint32 byteRate = 0;
    quint16 blockAlign = 0;
    quint16 bitsPerSample = 0;
    quint16 samplesPerBlock = 0; // MS ADPCM only, from the fmt extension
    qint64 factSamples = -1;     // from the fact chunk, -1 when there is none
    qint64 dataOffset = -1;
    qint64 dataSize = -1;

    // Samples per channel: PCM and mu-law count whole frames, MS ADPCM takes the fact chunk's count.
    qint64 sampleCount() const
    {
        if (formatTag == FormatMsAdpcm) {
            return factSamples;
        }
        return blockAlign > 0 ? dataSize / blockAlign : -1;
    }
};

quint16 u16(const QByteArray &b, qint64 at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}

quint32 u32(const QByteArray &b, qint64 at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

// The RIFF container: "RIFF", size of the rest, "WAVE", then chunks of id, 32-bit size and body padded to even.
WavInfo readWav(const QByteArray &b)
{
    WavInfo w;
    if (b.size() < 12 || b.left(4) != "RIFF" || b.mid(8, 4) != "WAVE") {
        w.error = "not a RIFF/WAVE file";
        return w;
    }
    if (qint64(u32(b, 4)) + 8 != b.size()) {
        w.error = "RIFF size does not match the file";
        return w;
    }
    bool haveFmt = false;
    qint64 pos = 12;
    while (pos + 8 <= b.size()) {
        const QByteArray id = b.mid(pos, 4);
        const qint64 size = u32(b, pos + 4);
        const qint64 body = pos + 8;
        if (body + size > b.size()) {
            w.error = QString("chunk %1 runs past the end").arg(QString::fromLatin1(id));
            return w;
        }
        if (id == "fmt ") {
            if (size < 16) {
                w.error = "fmt chunk too short";
                return w;
            }
            haveFmt = true;
            w.formatTag = u16(b, body);
            w.channels = u16(b, body + 2);
            w.sampleRate = u32(b, body + 4);
            w.byteRate = u32(b, body + 8);
            w.blockAlign = u16(b, body + 12);
            w.bitsPerSample = u16(b, body + 14);
            // MS ADPCM extension: cbSize, samples per block, coefficient count and pairs.
            if (w.formatTag == FormatMsAdpcm && size >= 20) {
                w.samplesPerBlock = u16(b, body + 18);
            }
        } else if (id == "fact" && size >= 4) {
            w.factSamples = u32(b, body);
        } else if (id == "data") {
            w.dataOffset = body;
            w.dataSize = size;
        }
        pos = body + size + (size & 1);
    }
    if (!haveFmt) {
        w.error = "no fmt chunk";
    } else if (w.dataOffset < 0) {
        w.error = "no data chunk";
    }
    return w;
}

// The test runs as on a high-density screen (device pixel ratio 2), where QIcon looks for the "@2x" twins.
// This must happen before the application object exists.
void runAtDoubleDensity()
{
    qputenv("QT_SCALE_FACTOR", "2");
}
Q_CONSTRUCTOR_FUNCTION(runAtDoubleDensity)

constexpr int ToolbarImageCount = 23;

QString toolbarPath(int index, const char *suffix = "")
{
    return QString(":/toolbar/%1%2.png").arg(index, 2, 10, QChar('0')).arg(suffix);
}

// Counts fully transparent and fully opaque pixels: a picture needs both to show a shape on any background.
std::pair<int, int> transparentAndOpaque(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int clear = 0;
    int solid = 0;
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const int a = qAlpha(argb.pixel(x, y));
            clear += a == 0;
            solid += a == 255;
        }
    }
    return {clear, solid};
}

QByteArray resourceBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll();
}

} // namespace

class ResourcesTest : public QObject
{
    Q_OBJECT

private slots:
    void soundClipsAreWaveFilesWithTheirEncodingAndLength_data();
    void soundClipsAreWaveFilesWithTheirEncodingAndLength();
    void pcmClipsAreAudibleWithoutClippingAndEndQuietly_data();
    void pcmClipsAreAudibleWithoutClippingAndEndQuietly();
    void playedClipsLoadIntoASoundEffect_data();
    void playedClipsLoadIntoASoundEffect();
    void headerReaderRejectsDamagedClips();
    void toolbarPicturesAre16PixelsWithTransparency();
    void toolbarPicturesAreAllDifferent();
    void toolbarPicturesHaveDoubleSizeTwinsForQIcon();
    void programIconHasFourSizesInTrueColourAndInPalette();
    void iconFileHoldsTheEightImages();
    void bannerIs478By128WithoutAlpha();
};

void ResourcesTest::soundClipsAreWaveFilesWithTheirEncodingAndLength_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("formatTag");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("blockAlign");
    QTest::addColumn<qint64>("samples");

    QTest::newRow("0 start") << ":/sounds/RSTART.wav" << 1 << 1 << 44100 << 16 << 2 << qint64(15308);
    QTest::newRow("1 click") << ":/sounds/RCLICK.wav" << 1 << 1 << 44100 << 16 << 2 << qint64(608);
    QTest::newRow("2 tick") << ":/sounds/RTICK.wav" << 2 << 2 << 22050 << 4 << 1024 << qint64(679);
    QTest::newRow("3 pop") << ":/sounds/RPOP.wav" << 1 << 1 << 44100 << 16 << 2 << qint64(1311);
    QTest::newRow("4 strum") << ":/sounds/RSTRUM.wav" << 7 << 1 << 22050 << 8 << 1 << qint64(4150);
    QTest::newRow("5 exit") << ":/sounds/REXIT.wav" << 1 << 1 << 44100 << 16 << 2 << qint64(88201);
    QTest::newRow("6 air") << ":/sounds/RAIR.wav" << 1 << 1 << 44100 << 16 << 2 << qint64(26262);
}

void ResourcesTest::soundClipsAreWaveFilesWithTheirEncodingAndLength()
{
    QFETCH(QString, path);
    QFETCH(int, formatTag);
    QFETCH(int, channels);
    QFETCH(int, rate);
    QFETCH(int, bits);
    QFETCH(int, blockAlign);
    QFETCH(qint64, samples);

    const QByteArray bytes = resourceBytes(path);
    QVERIFY2(!bytes.isEmpty(), qPrintable(path + " is not in the resources"));
    const WavInfo w = readWav(bytes);
    QVERIFY2(w.error.isEmpty(), qPrintable(w.error));

    QCOMPARE(int(w.formatTag), formatTag);
    QCOMPARE(int(w.channels), channels);
    QCOMPARE(int(w.sampleRate), rate);
    QCOMPARE(int(w.bitsPerSample), bits);
    QCOMPARE(int(w.blockAlign), blockAlign);
    QCOMPARE(w.sampleCount(), samples);

    if (formatTag == FormatMsAdpcm) {
        // A block starts with a 7-byte header per channel holding two whole samples; the rest is 4-bit codes.
        const int perBlock = (blockAlign - 7 * channels) * 8 / (bits * channels) + 2;
        QCOMPARE(int(w.samplesPerBlock), perBlock);
        QVERIFY(w.dataSize % blockAlign == 0);
        const qint64 blocksNeeded = (samples + perBlock - 1) / perBlock;
        QCOMPARE(w.dataSize / blockAlign, blocksNeeded);
        QCOMPARE(qint64(w.byteRate), qint64(rate) * blockAlign / perBlock);
    } else {
        // Uncompressed and G.711 frames are whole bytes per channel; nothing may trail the last frame.
        QCOMPARE(blockAlign, channels * bits / 8);
        QCOMPARE(w.dataSize % blockAlign, 0);
        QCOMPARE(qint64(w.byteRate), qint64(rate) * blockAlign);
        if (w.factSamples >= 0) {
            QCOMPARE(w.factSamples, samples);
        }
    }
}

void ResourcesTest::pcmClipsAreAudibleWithoutClippingAndEndQuietly_data()
{
    QTest::addColumn<QString>("path");
    for (const char *name : {"RSTART", "RCLICK", "RPOP", "REXIT", "RAIR"}) {
        QTest::newRow(name) << QString(":/sounds/%1.wav").arg(name);
    }
}

void ResourcesTest::pcmClipsAreAudibleWithoutClippingAndEndQuietly()
{
    QFETCH(QString, path);
    const QByteArray bytes = resourceBytes(path);
    const WavInfo w = readWav(bytes);
    QVERIFY2(w.error.isEmpty(), qPrintable(w.error));
    QCOMPARE(int(w.formatTag), int(FormatPcm));
    QCOMPARE(int(w.bitsPerSample), 16);

    const qint64 n = w.dataSize / 2;
    QVERIFY(n > 0);
    int peak = 0;
    for (qint64 i = 0; i < n; ++i) {
        peak = std::max(peak, std::abs(int(qint16(u16(bytes, w.dataOffset + 2 * i)))));
    }
    // Loud enough to hear, with headroom below full scale.
    QVERIFY2(peak > 32768 / 10, qPrintable(QString("peak %1").arg(peak)));
    QVERIFY2(peak < 32000, qPrintable(QString("peak %1").arg(peak)));
    // The last sample sits near silence, so the clip stops without a click.
    const int last = std::abs(int(qint16(u16(bytes, w.dataOffset + 2 * (n - 1)))));
    QVERIFY2(last < peak / 8, qPrintable(QString("last sample %1 of peak %2").arg(last).arg(peak)));
}

void ResourcesTest::playedClipsLoadIntoASoundEffect_data()
{
    QTest::addColumn<QString>("url");
    QTest::newRow("start") << "qrc:/sounds/RSTART.wav";
    QTest::newRow("click") << "qrc:/sounds/RCLICK.wav";
}

void ResourcesTest::playedClipsLoadIntoASoundEffect()
{
    QFETCH(QString, url);
    QSoundEffect effect;
    effect.setSource(QUrl(url));
    // Decoding needs no sound device; without one the effect still reaches Ready.
    QTRY_VERIFY_WITH_TIMEOUT(effect.status() != QSoundEffect::Loading && effect.status() != QSoundEffect::Null,
                             5000);
    QCOMPARE(effect.status(), QSoundEffect::Ready);
}

void ResourcesTest::headerReaderRejectsDamagedClips()
{
    const QByteArray good = resourceBytes(":/sounds/RPOP.wav");
    QVERIFY(readWav(good).error.isEmpty());

    // Cut short: the RIFF size no longer matches.
    QVERIFY(!readWav(good.left(good.size() - 2)).error.isEmpty());

    // A data chunk that claims more than the file holds.
    QByteArray longData = good;
    const WavInfo w = readWav(good);
    qToLittleEndian<quint32>(quint32(w.dataSize + 100), longData.data() + w.dataOffset - 4);
    QVERIFY(!readWav(longData).error.isEmpty());

    // Not a WAVE container at all.
    QByteArray notWave = good;
    notWave.replace(8, 4, "AVI ");
    QVERIFY(!readWav(notWave).error.isEmpty());

    // One byte less of sound data gives one sample less, so a miscounted clip cannot pass.
    QByteArray shorter = good;
    qToLittleEndian<quint32>(quint32(w.dataSize - 2), shorter.data() + w.dataOffset - 4);
    shorter.chop(2);
    qToLittleEndian<quint32>(quint32(shorter.size() - 8), shorter.data() + 4);
    const WavInfo s = readWav(shorter);
    QVERIFY2(s.error.isEmpty(), qPrintable(s.error));
    QCOMPARE(s.sampleCount(), w.sampleCount() - 1);
}

void ResourcesTest::toolbarPicturesAre16PixelsWithTransparency()
{
    for (int i = 0; i < ToolbarImageCount; ++i) {
        const QString path = toolbarPath(i);
        QImage image(path);
        QVERIFY2(!image.isNull(), qPrintable(path + " does not load"));
        QCOMPARE(image.size(), QSize(16, 16));
        QVERIFY2(image.hasAlphaChannel(), qPrintable(path));
        const auto [clear, solid] = transparentAndOpaque(image);
        QVERIFY2(clear >= 16, qPrintable(QString("%1: only %2 transparent pixels").arg(path).arg(clear)));
        QVERIFY2(solid >= 16, qPrintable(QString("%1: only %2 opaque pixels").arg(path).arg(solid)));
    }
    // The list holds exactly 23 pictures.
    QVERIFY(!QFile::exists(toolbarPath(ToolbarImageCount)));
}

void ResourcesTest::toolbarPicturesAreAllDifferent()
{
    QList<QImage> images;
    for (int i = 0; i < ToolbarImageCount; ++i) {
        images << QImage(toolbarPath(i)).convertToFormat(QImage::Format_ARGB32);
        QVERIFY(!images.last().isNull());
    }
    for (int a = 0; a < images.size(); ++a) {
        for (int b = a + 1; b < images.size(); ++b) {
            // Count differing pixels: two pictures that differ in a stray pixel or two would read the same.
            int differing = 0;
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    differing += images[a].pixel(x, y) != images[b].pixel(x, y);
                }
            }
            QVERIFY2(differing >= 8, qPrintable(QString("pictures %1 and %2 differ in %3 pixels")
                                                     .arg(a)
                                                     .arg(b)
                                                     .arg(differing)));
        }
    }
}

void ResourcesTest::toolbarPicturesHaveDoubleSizeTwinsForQIcon()
{
    for (int i = 0; i < ToolbarImageCount; ++i) {
        const QImage twin(toolbarPath(i, "@2x"));
        QCOMPARE(twin.size(), QSize(32, 32));
        QVERIFY(twin.hasAlphaChannel());
        // The twin is the same drawing: scaled down it stays close to the 16-pixel picture.
        const QImage small = QImage(toolbarPath(i)).convertToFormat(QImage::Format_ARGB32);
        const QImage down = twin.convertToFormat(QImage::Format_ARGB32)
                                .scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        int farOff = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                farOff += std::abs(qAlpha(small.pixel(x, y)) - qAlpha(down.pixel(x, y))) > 128;
            }
        }
        QVERIFY2(farOff <= 24, qPrintable(QString("picture %1: %2 pixels disagree with its twin").arg(i).arg(farOff)));

        // On a double-density screen a 16-point button draws the 32-pixel twin, not an enlarged 16.
        const QIcon icon(toolbarPath(i));
        QVERIFY2(icon.availableSizes().contains(QSize(32, 32)), qPrintable(toolbarPath(i)));
        QVERIFY(icon.availableSizes().contains(QSize(16, 16)));
        const QPixmap drawn = icon.pixmap(QSize(16, 16), 2.0);
        QCOMPARE(drawn.size(), QSize(32, 32));
        QCOMPARE(drawn.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 twin.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
}

void ResourcesTest::programIconHasFourSizesInTrueColourAndInPalette()
{
    for (int size : {16, 32, 48, 64}) {
        const QString path = QString(":/icons/quillax-%1.png").arg(size);
        const QImage image(path);
        QVERIFY2(!image.isNull(), qPrintable(path));
        QCOMPARE(image.size(), QSize(size, size));
        QVERIFY(image.hasAlphaChannel());
        QVERIFY2(image.depth() == 32, qPrintable(path));

        const QString palettePath = QString(":/icons/quillax-%1-8bit.png").arg(size);
        QImageReader reader(palettePath);
        const QImage paletted = reader.read();
        QVERIFY2(!paletted.isNull(), qPrintable(palettePath + ": " + reader.errorString()));
        QCOMPARE(paletted.size(), QSize(size, size));
        QCOMPARE(paletted.format(), QImage::Format_Indexed8);
        QVERIFY(paletted.colorCount() <= 256);

        // Both versions show the same picture: the same pixels are see-through.
        const QImage truecolour = image.convertToFormat(QImage::Format_ARGB32);
        const QImage fromPalette = paletted.convertToFormat(QImage::Format_ARGB32);
        int disagree = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                disagree += (qAlpha(truecolour.pixel(x, y)) >= 128) != (qAlpha(fromPalette.pixel(x, y)) >= 128);
            }
        }
        QCOMPARE(disagree, 0);
    }
}

void ResourcesTest::iconFileHoldsTheEightImages()
{
    // The directory: reserved 0, type 1 (icon), count; then 16 bytes per image: width, height, colours,
    // reserved, planes, bits per pixel, size and offset of its bitmap.
    const QByteArray ico = resourceBytes(":/icons/quillax.ico");
    QVERIFY(ico.size() > 6);
    QCOMPARE(int(u16(ico, 0)), 0);
    QCOMPARE(int(u16(ico, 2)), 1);
    QCOMPARE(int(u16(ico, 4)), 8);
    QVERIFY(ico.size() >= 6 + 8 * 16);
    QMap<int, QList<int>> bitsBySize;
    for (int i = 0; i < 8; ++i) {
        const int at = 6 + 16 * i;
        const int width = quint8(ico[at]);
        const int height = quint8(ico[at + 1]);
        const int bits = u16(ico, at + 6);
        const qint64 size = u32(ico, at + 8);
        const qint64 offset = u32(ico, at + 12);
        QCOMPARE(width, height);
        QVERIFY2(offset + size <= ico.size(), "image runs past the end of the file");
        // Each bitmap begins with a 40-byte BITMAPINFOHEADER of twice the height (colours, then the mask).
        QCOMPARE(u32(ico, offset), quint32(40));
        QCOMPARE(int(qint32(u32(ico, offset + 4))), width);
        QCOMPARE(int(qint32(u32(ico, offset + 8))), 2 * height);
        QCOMPARE(int(u16(ico, offset + 14)), bits);
        bitsBySize[width] << bits;
    }
    QCOMPARE(bitsBySize.keys(), QList<int>({16, 32, 48, 64}));
    for (auto it = bitsBySize.cbegin(); it != bitsBySize.cend(); ++it) {
        QList<int> bits = it.value();
        std::sort(bits.begin(), bits.end());
        QCOMPARE(bits, QList<int>({8, 32}));
    }

    // Qt's own reader sees all eight.
    QImageReader reader(":/icons/quillax.ico");
    QCOMPARE(reader.imageCount(), 8);
}

void ResourcesTest::bannerIs478By128WithoutAlpha()
{
    const QImage banner(":/images/banner.png");
    QVERIFY(!banner.isNull());
    QCOMPARE(banner.size(), QSize(478, 128));
    QVERIFY(!banner.hasAlphaChannel());
    QCOMPARE(banner.format(), QImage::Format_RGB32);
    // Not a flat fill: the name is drawn on it.
    QSet<QRgb> colours;
    for (int x = 0; x < banner.width(); x += 2) {
        colours.insert(banner.pixel(x, 64));
    }
    QVERIFY(colours.size() > 20);
}

QTEST_MAIN(ResourcesTest)
#include "resources_test.moc"
