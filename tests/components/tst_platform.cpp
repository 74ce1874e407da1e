// Twips geometry, text-to-number conversion and the collection of loaded windows.
#include "ChatWindow.h"
#include "MessageBoxes.h"
#include "components/core/ComponentError.h"
#include "components/core/Conversion.h"
#include "components/core/Twips.h"
#include "components/forms/Forms.h"
#include "components/forms/MessageBox.h"
#include "components/text/TextBox.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QTextDocument>
#include <QtGui/private/qtextdocument_p.h>
#include <QWidget>

class tst_Platform : public QObject
{
    Q_OBJECT

private slots:
    void twipsRoundToWholePixels()
    {
        QCOMPARE(Twips::TwipsPerPixelX(), 15.0f);
        QCOMPARE(Twips::TwipsPerPixelY(), 15.0f);
        QWidget control;
        Twips::SetLeft(&control, 352);  // 23.47 pixels
        QCOMPARE(control.x(), 23);
        QCOMPARE(Twips::Left(&control), 345.0f);
        Twips::SetTop(&control, 353);  // 23.53 pixels
        QCOMPARE(Twips::Top(&control), 360.0f);
        Twips::SetLeft(&control, -45);
        QCOMPARE(Twips::Left(&control), -45.0f);
    }

    void negativeSizeIsRefusedAndLeavesTheControl()
    {
        QWidget control;
        Twips::Place(&control, 0, 0, 300, 150);
        QVERIFY(!Twips::SetWidth(&control, -1));
        QVERIFY(!Twips::SetHeight(&control, -15));
        QCOMPARE(Twips::Width(&control), 300.0f);
        QCOMPARE(Twips::Height(&control), 150.0f);
        QVERIFY(Twips::SetHeight(&control, 0));
        QCOMPARE(Twips::Height(&control), 0.0f);
    }

    // What a KeyPress handler writes back is what the box types.
    void keyPressHandlerCancelsOrChangesTheKey()
    {
        TextBox box;
        QObject::connect(&box, &TextBox::KeyPress, [](int &KeyAscii) {
            if (KeyAscii == 'x')
                KeyAscii = 0;
            else if (KeyAscii == 'a')
                KeyAscii = 'b';
        });
        QTest::keyClicks(&box, QStringLiteral("xaxy"));
        QCOMPARE(box.Text(), QStringLiteral("by"));
    }

    // A paste goes in over several turns, yet a key pressed meanwhile comes
    // after all of it, and one undo takes all of it back.
    void aBigPasteIsOneEditThoughItGoesInOverTurns()
    {
        TextBox box;
        const QString text = QString(TextBox::pastedPerTurn - 1, u'a') + QStringLiteral("\r\n")
                             + QString(TextBox::pastedPerTurn, u'b') + QStringLiteral("\r\nend");
        QApplication::clipboard()->setText(text);
        box.paste();
        QVERIFY(isPasting(&box));
        QVERIFY(!box.document()->toPlainText().contains(u'b'));  // the first part only
        QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box.Text(), QString());
        box.paste();
        QTest::keyClick(&box, Qt::Key_X);
        QCoreApplication::processEvents();  // the turn the paste had asked for finds it done
        QCOMPARE(box.Text(), text + QStringLiteral("x"));
        box.SetText(QString());
        box.paste();
        box.paste();  // the first is still going in
        QCOMPARE(box.Text(), text + text);
        box.SetText(QString());
        box.paste();
        QTRY_VERIFY(!isPasting(&box));  // each part in a turn of its own, one ending after CR LF
        QCOMPARE(box.Text(), text);
    }

    // However often big texts are pasted, undone and redone, the document
    // keeps one of them besides what the box shows, and what stands outside
    // a paste stays. Ctrl+Y redoes, as Ctrl+Shift+Z does.
    void historyKeepsOneBigTextAndWhatIsAroundThePaste()
    {
        TextBox box;
        QTest::keyClicks(&box, QStringLiteral("abc"));
        QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box.Text(), QString());
        QTest::keyClick(&box, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(box.Text(), QStringLiteral("abc"));

        box.SetText(QStringLiteral("a"));
        const QString big(2 * TextBox::mostPastedForUndo, u'p');
        const auto heldCharacters = [&] { return QTextDocumentPrivate::get(box.document())->buffer().size(); };
        QApplication::clipboard()->setText(big);
        for (int paste = 0; paste < 4; ++paste) {
            QTextCursor afterTheFirst(box.document());
            afterTheFirst.setPosition(1);
            afterTheFirst.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
            box.setTextCursor(afterTheFirst);
            box.paste();
            QCOMPARE(box.Text(), QStringLiteral("a") + big);
            QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(box.Text(), QStringLiteral("a"));
            QTest::keyClick(&box, Qt::Key_Z, Qt::ShiftModifier | Qt::ControlModifier);
            QVERIFY(heldCharacters() < 2 * big.size());
        }
        box.moveCursor(QTextCursor::Start);
        box.paste();
        QCOMPARE(box.Text(), big + QStringLiteral("a") + big);
    }

    // Pasting over a big text again and again keeps one text, not all of
    // them; undo still takes the last paste back. The Unicode line and
    // paragraph separators are line breaks, whatever the box held.
    void pastesKeepOneBigTextForUndoAndTakeEveryLineBreak()
    {
        TextBox box;
        box.SetText(QString(TextBox::mostPastedForUndo + 1, u'a'));
        box.selectAll();
        QApplication::clipboard()->setText(QStringLiteral("a\u2029b\u2028c"));
        box.paste();
        QCOMPARE(box.Text(), QStringLiteral("a\r\nb\r\nc"));
        QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box.Text(), QString());
        QTest::keyClicks(&box, QStringLiteral("typed "));
        box.selectAll();
        box.paste();
        QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box.Text(), QStringLiteral("typed "));
        box.paste();
        QCOMPARE(box.Text(), QStringLiteral("typed a\r\nb\r\nc"));
    }

    void textToLong_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("converts");
        QTest::addColumn<int>("value");
        QTest::newRow("digits") << "1001" << true << 1001;
        QTest::newRow("zero") << "0" << true << 0;
        QTest::newRow("blanks and sign") << " -42 " << true << -42;
        QTest::newRow("plus") << "+80" << true << 80;
        QTest::newRow("above 65535 still converts") << "70000" << true << 70000;
        QTest::newRow("letters") << "abc" << false << 0;
        QTest::newRow("digits then letters") << "80x" << false << 0;
        QTest::newRow("fraction") << "1.5" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("beyond 32 bits") << "99999999999" << false << 0;
        QTest::newRow("arabic-indic digits") << "\u0661\u0662" << false << 0;
    }

    void textToLong()
    {
        QFETCH(QString, text);
        QFETCH(bool, converts);
        QFETCH(int, value);
        if (converts)
            QCOMPARE(TextToLong(text), value);
        else
            QVERIFY_THROWS_EXCEPTION(ComponentError, TextToLong(text));
    }

    void formsAreListedInLoadOrderUntilUnloaded()
    {
        const int before = Forms::Count();
        auto *first = new QWidget;
        auto *second = new QWidget;
        Forms::Load(first);
        Forms::Load(second);
        QCOMPARE(Forms::Count(), before + 2);
        QCOMPARE(Forms::Item(before), first);
        QCOMPARE(Forms::Item(before + 1), second);
        Forms::Unload(first);
        QCOMPARE(Forms::Count(), before + 1);
        QCOMPARE(Forms::Item(before), second);
        delete second;  // destroyed windows leave the collection too
        QCOMPARE(Forms::Count(), before);
    }

    void messageBoxAnswersAndTitle()
    {
        MessageBoxes boxes;
        boxes.answers = {QMessageBox::Cancel};
        QCOMPARE(MsgBox(nullptr, QStringLiteral("Proceed?"), vbOKCancel, QStringLiteral("Question")), vbCancel);
        QCOMPARE(MsgBox(nullptr, QStringLiteral("Line one\r\nLine two")), vbOK);
        QCOMPARE(boxes.seen.size(), 2);
        QCOMPARE(boxes.seen[0].title, QStringLiteral("Question"));
        QCOMPARE(boxes.seen[0].buttons, (QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")}));
        QCOMPARE(boxes.seen[1].title, QStringLiteral("Brindlet"));
        QCOMPARE(boxes.seen[1].text, QStringLiteral("Line one\r\nLine two"));
        QCOMPARE(boxes.seen[1].buttons, QStringList{QStringLiteral("OK")});
    }
};

QTEST_MAIN(tst_Platform)
#include "tst_platform.moc"
