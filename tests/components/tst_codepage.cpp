#include "components/text/CodePage.h"

#include <QTest>

class tst_CodePage : public QObject
{
    Q_OBJECT

private slots:
    void everyByteSurvivesDecodeAndEncode()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = CodePage::decode(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(CodePage::encode(text), all);
    }

    void windows1252Characters()
    {
        QCOMPARE(CodePage::encode(QStringLiteral("café €5")), QByteArray("\x63\x61\x66\xE9\x20\x80\x35"));
        QCOMPARE(CodePage::decode("\x93quoted\x94 \x85"), QStringLiteral("\u201Cquoted\u201D \u2026"));
        QCOMPARE(CodePage::decode(QByteArray("a\0b", 3)), QString(QStringLiteral("a")) + QChar(0) + u'b');
    }

    void charactersOutsideThePageAreQuestionMarks()
    {
        QCOMPARE(CodePage::encode(QStringLiteral("\u4E2D\u6587")), QByteArray("??"));
        // One character beyond 16 bits is one question mark, not two.
        QCOMPARE(CodePage::encode(QStringLiteral("x\U0001F600y")), QByteArray("x?y"));
        // A lone surrogate is a character of its own.
        QCOMPARE(CodePage::encode(QString(QChar(0xD800)) + u'z'), QByteArray("?z"));
    }
};

QTEST_GUILESS_MAIN(tst_CodePage)
#include "tst_codepage.moc"
