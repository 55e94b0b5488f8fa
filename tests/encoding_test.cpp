// Tests of Windows-1252 text, code page decoding and plain-text detection.
#include "text/encoding.h"

#include <QtTest>

class EncodingTest : public QObject
{
    Q_OBJECT

private slots:
    void cp1252RoundTripsAndMarksWhatItCannotHold();
    void decodePlainText_data();
    void decodePlainText();
    void decodeCodePage_data();
    void decodeCodePage();
    void singleBytePagesMapEveryByte_data();
    void singleBytePagesMapEveryByte();
    void knowsWhichCodePagesItHas();
};

void EncodingTest::cp1252RoundTripsAndMarksWhatItCannotHold()
{
    QByteArray all;
    for (int i = 0x20; i < 256; ++i) {
        // The five bytes Windows-1252 leaves undefined do not round-trip through every decoder.
        if (i == 0x81 || i == 0x8D || i == 0x8F || i == 0x90 || i == 0x9D) {
            continue;
        }
        all += char(i);
    }
    const QString text = encoding::fromCp1252(all);
    QCOMPARE(text.size(), all.size());
    QCOMPARE(text.at(0x80 - 0x20), QChar(0x20AC)); // euro sign
    QCOMPARE(encoding::toCp1252(text), all);
    QCOMPARE(encoding::toCp1252(QString::fromUtf8("a\xD0\x96" "b")), QByteArray("a?b"));
    QCOMPARE(encoding::fromCp1252(QByteArray()), QString());
}

void EncodingTest::decodePlainText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("ascii") << QByteArray("plain\r\ntext") << QString("plain\r\ntext");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("utf-8") << QByteArray("caf\xC3\xA9 \xE2\x82\xAC") << QString::fromUtf8("café €");
    QTest::newRow("utf-8 with bom") << QByteArray("\xEF\xBB\xBF" "caf\xC3\xA9") << QString::fromUtf8("café");
    QTest::newRow("utf-8 bom only") << QByteArray("\xEF\xBB\xBF") << QString();
    QTest::newRow("utf-8 four bytes") << QByteArray("\xF0\x9F\x98\x8A") << QString::fromUtf8("😊");
    QTest::newRow("utf-16 le") << QByteArray("\xFF\xFE" "a\0\x16\x04", 6) << QString::fromUtf8("aЖ");
    QTest::newRow("utf-16 be") << QByteArray("\xFE\xFF\0a\x04\x16", 6) << QString::fromUtf8("aЖ");
    QTest::newRow("invalid utf-8 is 1252") << QByteArray("caf\xE9 \x80") << QString::fromUtf8("café €");
    QTest::newRow("truncated utf-8 is 1252") << QByteArray("ab\xC3") << QString::fromUtf8("abÃ");
    QTest::newRow("overlong utf-8 is 1252") << QByteArray("\xC0\xAF") << QString::fromUtf8("À¯");
    QTest::newRow("utf-8 surrogate is 1252") << QByteArray("\xED\xA0\x80") << QString::fromUtf8("í\xC2\xA0€");
}

void EncodingTest::decodePlainText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(encoding::decodePlainText(bytes), expected);
}

void EncodingTest::decodeCodePage_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QString>("expected");

    QTest::newRow("1250") << QByteArray("\x9c\xb9") << 1250 << QString::fromUtf8("śą");
    QTest::newRow("1251") << QByteArray("\xcf\xf0\xe8") << 1251 << QString::fromUtf8("При");
    QTest::newRow("1252") << QByteArray("\x80\xe9") << 1252 << QString::fromUtf8("€é");
    QTest::newRow("1253") << QByteArray("\xe1") << 1253 << QString::fromUtf8("α");
    QTest::newRow("1254") << QByteArray("\xfe") << 1254 << QString::fromUtf8("ş");
    QTest::newRow("1255") << QByteArray("\xf9") << 1255 << QString::fromUtf8("ש");
    QTest::newRow("1256") << QByteArray("\xc7") << 1256 << QString::fromUtf8("ا");
    QTest::newRow("1257") << QByteArray("\xe0") << 1257 << QString::fromUtf8("ą");
    QTest::newRow("1258") << QByteArray("\xd0") << 1258 << QString::fromUtf8("Đ");
    QTest::newRow("874") << QByteArray("\xa1") << 874 << QString::fromUtf8("ก");
    QTest::newRow("437") << QByteArray("\x82") << 437 << QString::fromUtf8("é");
    QTest::newRow("850") << QByteArray("\x9b") << 850 << QString::fromUtf8("ø");
    QTest::newRow("10000") << QByteArray("\x8e") << 10000 << QString::fromUtf8("é");
    QTest::newRow("932") << QByteArray("\x82\xa0\x83\x41 a") << 932 << QString::fromUtf8("あア a");
    QTest::newRow("932 yen sign byte") << QByteArray("\x83\x5c") << 932 << QString::fromUtf8("ソ");
    QTest::newRow("932 cut-off lead byte") << QByteArray("a\x82") << 932 << QString("a") + QChar(0xFFFD);
    QTest::newRow("936") << QByteArray("\xd6\xd0\xce\xc4") << 936 << QString::fromUtf8("中文");
    QTest::newRow("949") << QByteArray("\xc7\xd1\xb1\xdb") << 949 << QString::fromUtf8("한글");
    QTest::newRow("950") << QByteArray("\xa4\xa4\xa4\xe5") << 950 << QString::fromUtf8("中文");
    QTest::newRow("65001") << QByteArray("\xe4\xb8\xad") << 65001 << QString::fromUtf8("中");
    QTest::newRow("unknown is 1252") << QByteArray("\xe9") << 12345 << QString::fromUtf8("é");
    QTest::newRow("zero is 1252") << QByteArray("\xe9") << 0 << QString::fromUtf8("é");
    QTest::newRow("negative is 1252") << QByteArray("\xe9") << -7 << QString::fromUtf8("é");
    QTest::newRow("empty") << QByteArray() << 932 << QString();
}

void EncodingTest::decodeCodePage()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, codePage);
    QFETCH(QString, expected);
    QCOMPARE(encoding::decodeCodePage(bytes, codePage), expected);
    // The same decoder gives the same answer again: no state is left behind by a cut-off character.
    if (!bytes.isEmpty()) {
        QCOMPARE(encoding::decodeCodePage(bytes.left(1), codePage).isEmpty(), false);
        QCOMPARE(encoding::decodeCodePage(bytes, codePage), expected);
    }
}

void EncodingTest::singleBytePagesMapEveryByte_data()
{
    QTest::addColumn<int>("codePage");
    for (int cp : {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 437, 850, 866, 10000}) {
        QTest::newRow(qPrintable(QString::number(cp))) << cp;
    }
}

void EncodingTest::singleBytePagesMapEveryByte()
{
    QFETCH(int, codePage);
    QByteArray all(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i) {
        all[i] = char(i);
    }
    const QString text = encoding::decodeCodePage(all, codePage);
    QCOMPARE(text.size(), qsizetype(256));
    for (int i = 0; i < 128; ++i) {
        if (codePage == 437 || codePage == 850 || codePage == 866) {
            break; // DOS pages put graphics below 0x20
        }
        QCOMPARE(text.at(i).unicode(), char16_t(i));
    }
}

void EncodingTest::knowsWhichCodePagesItHas()
{
    for (int cp : {874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 10000, 65001}) {
        QVERIFY2(encoding::isKnownCodePage(cp), qPrintable(QString::number(cp)));
    }
    QVERIFY(!encoding::isKnownCodePage(12345));
    QVERIFY(!encoding::isKnownCodePage(0));
}

QTEST_GUILESS_MAIN(EncodingTest)
#include "encoding_test.moc"
