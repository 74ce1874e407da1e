#include "TranscriptChecks.h"
#include "chat/Transcript.h"
#include "components/text/CodePage.h"
#include "components/text/RichTextBox.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// An entry, the peer's unless it is the user's own.
void append(RichTextBox &box, const QString &line, bool own = false)
{
    appendToTranscript(box, line, own);
}

// What a copy of the text puts on the clipboard: every line break one "\n".
QString desktopLines(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
}

}  // namespace

class tst_RichTextBox : public QObject
{
    Q_OBJECT

private slots:
    void textAndLengthCountLineBreaksAsTwoCharacters()
    {
        RichTextBox box;
        QCOMPARE(box.Text(), QString());
        QCOMPARE(box.TextLength(), 0);
        append(box, QStringLiteral("abc"));
        append(box, QStringLiteral("two\r\nlines"));
        const QString expected = QStringLiteral("abc\r\ntwo\r\nlines\r\n");
        QCOMPARE(box.Text(), expected);
        QCOMPARE(box.TextLength(), expected.size());
    }

    void loneBreaksAndEveryCharacterComeBackUnchanged()
    {
        RichTextBox box;
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString received = CodePage::decode(all) + QStringLiteral("\r\r\n\n\r");
        append(box, received);
        append(box, QStringLiteral("after"));
        QCOMPARE(box.Text(), received + QStringLiteral("\r\nafter\r\n"));
        QCOMPARE(box.TextLength(), box.Text().size());
        QCOMPARE(CodePage::encode(box.Text().left(256)), all);
    }

    void markupIsShownAsText()
    {
        RichTextBox box;
        const QString markup = QStringLiteral("<b>x</b> &amp; {\\rtf1 x} <img src=a.png>");
        append(box, markup);
        QCOMPARE(box.Text(), markup + QStringLiteral("\r\n"));
        QVERIFY(box.document()->toPlainText().startsWith(markup));  // not parsed
        QVERIFY(!formatAt(box, 1).font().bold());
    }

    void entriesKeepTheirOwnStyle()
    {
        RichTextBox box;
        append(box, QStringLiteral("mine"), true);
        append(box, QStringLiteral("theirs"));
        const QTextCharFormat mine = formatAt(box, 0);
        QVERIFY(mine.font().bold());
        QCOMPARE(mine.foreground().color(), QColor(0, 0, 0));
        const QTextCharFormat theirs = formatAt(box, 6);
        QVERIFY(!theirs.font().bold());
        QCOMPARE(theirs.foreground().color(), QColor(0, 0, 255));
    }

    void selectionCountsInTextCharacters()
    {
        RichTextBox box;
        append(box, QStringLiteral("ab"));
        append(box, QStringLiteral("cd"));
        box.SetSelStart(4);  // the "c" after "ab\r\n"
        QCOMPARE(box.SelStart(), 4);
        box.SetSelLength(2);
        QCOMPARE(box.textCursor().selectedText(), QStringLiteral("cd"));
        QCOMPARE(box.SelLength(), 2);
        box.SetSelStart(1000);
        QCOMPARE(box.SelStart(), box.TextLength());
        box.SetSelStart(1);
        box.SetSelText(QStringLiteral("X"));
        QCOMPARE(box.Text(), QStringLiteral("aXb\r\ncd\r\n"));
    }

    void longUnbrokenRunsKeepTheirTextButNotOneParagraph()
    {
        RichTextBox box;
        const QString run = QString(5000, u'x') + QStringLiteral("\r\nnext ") + QString(3000, u'y')
                            + QStringLiteral("\r\n") + QStringLiteral("words and blanks ").repeated(1000);
        append(box, QStringLiteral("before"));
        append(box, run);
        append(box, QStringLiteral("after"));
        const QString expected = QStringLiteral("before\r\n") + run + QStringLiteral("\r\nafter\r\n");
        QCOMPARE(box.Text(), expected);
        QCOMPARE(box.TextLength(), expected.size());
        int longest = 0;
        for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next())
            longest = qMax(longest, block.length());
        QVERIFY2(longest <= 4200, "a long paragraph is laid out in one piece");

        // Positions still count characters of Text across the pieces.
        const qsizetype next = expected.indexOf(QStringLiteral("next"));
        box.SetSelStart(next);
        QCOMPARE(box.SelStart(), next);
        box.SetSelLength(4);
        QCOMPARE(box.textCursor().selectedText(), QStringLiteral("next"));
        box.SetSelStart(4000);
        box.SetSelText(QStringLiteral("<>"));
        QCOMPARE(box.Text(), expected.left(4000) + QStringLiteral("<>") + expected.mid(4000));
        QCOMPARE(box.TextLength(), expected.size() + 2);
    }

    void oldestEntriesLeaveWholeBeyondTheBound()
    {
        RichTextBox box;
        box.SetMaxLength(100);
        QStringList entries;
        for (int i = 0; i < 40; ++i) {
            const QString entry = QStringLiteral("entry %1 ").arg(i) + QString(i % 7 * 4, u'x')
                                  + (i % 5 ? QString() : QStringLiteral("\r\nits second line"));
            append(box, entry, i % 2 == 1);
            entries << entry + QStringLiteral("\r\n");
            keepNewestEntries(entries, 100);
            QCOMPARE(box.Text(), entries.join(QString()));
            QCOMPARE(box.TextLength(), entries.join(QString()).size());
        }
        // What stays keeps its styles, and positions still count characters of Text.
        const qsizetype last = box.Text().lastIndexOf(QStringLiteral("entry 39"));
        QVERIFY(formatAt(box, last).font().bold());
        QVERIFY(!formatAt(box, last - 3).font().bold());
        const QString text = box.Text();
        for (qsizetype offset = 0; offset <= text.size(); ++offset) {
            if (text.mid(offset - 1, 2) == QLatin1String("\r\n"))
                continue;  // inside a line break: the end of its paragraph
            box.SetSelStart(offset);
            QCOMPARE(box.SelStart(), offset);
        }

        // A reader's selection stays on its text while entries leave above it.
        box.SetText(QString());
        append(box, QString(50, u'o'));
        append(box, QStringLiteral("entry 39 stays"));
        box.SetSelStart(52);
        box.SetSelLength(8);
        {
            const RichTextBox::KeptView view(box);
            append(box, QString(40, u'z'));
        }
        QCOMPARE(box.Text(), QStringLiteral("entry 39 stays\r\n") + QString(40, u'z') + QStringLiteral("\r\n"));
        QCOMPARE(box.SelStart(), 0);
        QCOMPARE(box.textCursor().selectedText(), QStringLiteral("entry 39"));

        // An entry larger than the bound stays until a newer one comes.
        append(box, QString(300, u'L'));
        QCOMPARE(box.Text(), QString(300, u'L') + QStringLiteral("\r\n"));
        append(box, QStringLiteral("small"));
        QCOMPARE(box.Text(), QStringLiteral("small\r\n"));

        // A drip of one-character entries is bounded by their number.
        box.SetMaxEntries(8);
        for (int i = 0; i < 100; ++i)
            append(box, QString(QChar(u'a' + i % 26)));
        QVERIFY(box.TextLength() <= 8 * 3 && box.TextLength() >= 6 * 3);
        QVERIFY(box.Text().endsWith(QStringLiteral("u\r\nv\r\n")));
    }

    // Qt's own editing members change the same document: Text, the positions
    // and the entries that leave beyond the bound follow them all the same.
    void positionsFollowTheTextWhicheverWayItGetsIn()
    {
        RichTextBox box;
        append(box, QStringLiteral("first"));
        box.appendPlainText(QStringLiteral("plain\nlines"));
        QTextCursor(box.document()).insertText(QStringLiteral("top "));
        box.moveCursor(QTextCursor::End);
        box.insertPlainText(QStringLiteral(" end"));
        append(box, QStringLiteral("last"));
        const QString text = box.Text();
        QCOMPARE(text, QStringLiteral("top first\r\n\r\nplain\r\nlines endlast\r\n"));
        QCOMPARE(box.TextLength(), text.size());
        for (qsizetype offset = 0; offset < text.size(); ++offset) {
            if (text.mid(offset - 1, 2) == QLatin1String("\r\n"))
                continue;  // inside a line break: the end of its paragraph
            const qsizetype length = text.mid(offset, 2) == QLatin1String("\r\n") ? 2 : 1;
            box.SetSelStart(offset);
            box.SetSelLength(length);
            QCOMPARE(box.SelStart(), offset);
            QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
            QCOMPARE(QApplication::clipboard()->text(), desktopLines(text.mid(offset, length)));
        }

        // What insertPlainText put at the end is an entry of its own.
        box.SetMaxLength(40);
        append(box, QStringLiteral("entry of fifteen"));
        QCOMPARE(box.Text(), QStringLiteral(" endlast\r\nentry of fifteen\r\n"));
        QCOMPARE(box.TextLength(), box.Text().size());
    }

    void settingTextReplacesEverything()
    {
        RichTextBox box;
        append(box, QStringLiteral("old"));
        box.SetText(QString());
        QCOMPARE(box.Text(), QString());
        QCOMPARE(box.TextLength(), 0);
    }
};

QTEST_MAIN(tst_RichTextBox)
#include "tst_richtextbox.moc"
