#include "platform/text1252.h"
#include "testregistry.h"

#include <QtTest>

class Text1252Test : public QObject {
    Q_OBJECT
private slots:
    void everyByteSurvivesARoundTrip() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = tw::ansi::decode(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(tw::ansi::encode(text), all);
    }

    void highRangeUsesTheCodePage() {
        QCOMPARE(tw::ansi::decode("\x80\x92\x9f\xe9"), QStringLiteral("\u20ac\u2019\u0178\u00e9"));
        QCOMPARE(tw::ansi::encode(u"\u20ac\u2013\u0160\u00fc"), QByteArray("\x80\x96\x8a\xfc"));
        QCOMPARE(tw::ansi::encodeChar(QChar(0x2122)), '\x99');
    }

    void charactersOutsideBecomeQuestionMarks() {
        // Latin-1 C1 controls that Windows-1252 replaced are not its characters.
        QCOMPARE(tw::ansi::encode(u"a\u4e2db\u0100c\u0080"), QByteArray("a?b?c?"));
        QCOMPARE(tw::ansi::encodeChar(QChar(0x0152)), '\x8c');
        QCOMPARE(tw::ansi::encodeChar(QChar(0x0153)), '\x9c');
        QCOMPARE(tw::ansi::encodeChar(QChar(0x20ad)), '?');
        // One character beyond the BMP is one '?', so field widths stay right.
        QCOMPARE(tw::ansi::encode(QString::fromUtf8("x\xf0\x9f\x98\x80y")), QByteArray("x?y"));
    }

    void fieldIsCutAndPadded() {
        QCOMPARE(tw::ansi::field(u"ACME", 6), QByteArray("ACME  "));
        QCOMPARE(tw::ansi::field(u"ACME Printing", 4), QByteArray("ACME"));
        QCOMPARE(tw::ansi::field(u"", 3), QByteArray("   "));
        QCOMPARE(tw::ansi::field(u"Caf\u00e9 \u20ac", 7), QByteArray("Caf\xe9 \x80 "));
        QCOMPARE(tw::ansi::field(QString::fromUtf8("\xf0\x9f\x98\x80\xf0\x9f\x98\x80"
                                                   "abc"),
                                 4),
                 QByteArray("??ab"));
        QCOMPARE(tw::ansi::field(u"abc", 0), QByteArray());
    }
};

TW_REGISTER_TEST(Text1252Test)
#include "text1252test.moc"
