// The column that fills the window, and the splitter bar that moves the
// boundary between transcript and input box. 15 twips a pixel, status bar 255.
#include "chat/frmChat.h"
#include "components/core/Twips.h"
#include "components/forms/PictureBox.h"
#include "components/forms/StatusBar.h"
#include "components/text/RichTextBox.h"
#include "components/text/TextBox.h"

#include <QLabel>
#include <QMouseEvent>
#include <QTest>

using namespace Twips;

namespace {

// Tops, heights and widths of the column, in twips.
struct Column
{
    float transcriptHeight, barTop, labelTop, inputTop, inputHeight;
};

bool operator==(const Column &a, const Column &b)
{
    return a.transcriptHeight == b.transcriptHeight && a.barTop == b.barTop && a.labelTop == b.labelTop
           && a.inputTop == b.inputTop && a.inputHeight == b.inputHeight;
}

char *toString(const Column &c)
{
    return QTest::toString(QStringLiteral("transcript height %1, bar %2, label %3, input %4 high %5")
                               .arg(c.transcriptHeight).arg(c.barTop).arg(c.labelTop).arg(c.inputTop).arg(c.inputHeight));
}

Column column(const frmChat *chat)
{
    return {Height(chat->rtxtChat), Top(chat->picSep), Top(chat->lblNewText), Top(chat->NewText), Height(chat->NewText)};
}

// A move of the mouse over the bar with the given buttons down, at a y in
// twips that need not lie on the pixel grid.
void moveOverBar(frmChat *chat, float yTwips, Qt::MouseButtons buttons)
{
    const QPointF at(10, yTwips / TwipsPerPixelY());
    QMouseEvent move(QEvent::MouseMove, at, chat->picSep->mapToGlobal(at), Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(chat->picSep, &move);
}

// Resizes the window so that its client area is the given size in pixels.
void resizeClient(frmChat *chat, int width, int height)
{
    chat->resize(chat->width() + width - chat->clientArea->width(), chat->height() + height - chat->clientArea->height());
    QTRY_COMPARE(chat->clientArea->size(), QSize(width, height));
}

}  // namespace

class tst_Layout : public QObject
{
    Q_OBJECT

private:
    QPointer<frmChat> chat;
    const Column designColumn{2865, 3555, 3690, 3915, 645};
    const Column afterDrag{3165, 3855, 3975, 4200, 360};

private slots:
    void init()
    {
        chat = new frmChat;
        chat->show();
        QVERIFY(QTest::qWaitForWindowExposed(chat));
        QCOMPARE(Height(chat->sbarChat), 255.0f);
    }

    void cleanup() { delete chat; }

    void firstPassFillsTheDesignWindow()
    {
        QCOMPARE(column(chat), designColumn);
        for (const QWidget *control : QList<const QWidget *>{chat->NewText, chat->lblNewText, chat->picSep, chat->rtxtChat}) {
            QCOMPARE(Left(control), 30.0f);
            QCOMPARE(Width(control), 5625.0f);
        }
        QCOMPARE(Top(chat->rtxtChat), 660.0f);
    }

    void dragMovesTheBoundaryAndTheNextPassKeepsTheInputHeight()
    {
        QTest::mousePress(chat->picSep, Qt::LeftButton, {}, QPoint(10, 3));  // 45 twips down the bar
        QTest::mouseMove(chat->picSep, QPoint(10, 23));  // 345: outside the bar, still dragging
        QCOMPARE(column(chat), afterDrag);
        QTest::mouseRelease(chat->picSep, Qt::LeftButton, {}, QPoint(10, 23));
        QCOMPARE(column(chat), afterDrag);

        resizeClient(chat, chat->clientArea->width() + 20, chat->clientArea->height());
        QCOMPARE(column(chat), (Column{3150, 3840, 3975, 4200, 360}));
        QCOMPARE(Width(chat->rtxtChat), 5925.0f);
    }

    void dragOffThePixelGridLandsOnIt()
    {
        QTest::mousePress(chat->picSep, Qt::LeftButton, {}, QPoint(10, 3));
        moveOverBar(chat, 156, Qt::LeftButton);  // 3555 + 156 - 45 = 3666, 244.4 pixels
        QCOMPARE(Top(chat->picSep), 3660.0f);
        QCOMPARE(Height(chat->rtxtChat), 2970.0f);
        QCOMPARE(Top(chat->lblNewText), 3780.0f);
    }

    void onlyTheLeftButtonAloneDrags()
    {
        QTest::mousePress(chat->picSep, Qt::RightButton, {}, QPoint(10, 4));  // stores 60 as the grab
        moveOverBar(chat, 400, Qt::RightButton);
        moveOverBar(chat, 400, Qt::LeftButton | Qt::RightButton);
        moveOverBar(chat, 400, Qt::MiddleButton);
        moveOverBar(chat, 400, Qt::NoButton);
        QCOMPARE(column(chat), designColumn);
        QTest::mouseRelease(chat->picSep, Qt::RightButton, {}, QPoint(10, 4));
        moveOverBar(chat, 360, Qt::LeftButton);  // uses the right button's grab
        QCOMPARE(Top(chat->picSep), 3855.0f);
    }

    void dragAboveTheTranscriptKeepsItsLastHeight()
    {
        QTest::mousePress(chat->picSep, Qt::LeftButton, {}, QPoint(10, 3));
        moveOverBar(chat, -3000, Qt::LeftButton);
        QCOMPARE(column(chat), (Column{2865, 510, 630, 855, 3705}));
    }

    void dragBelowTheWindowKeepsTheInputHeightButMovesIt()
    {
        QTest::mousePress(chat->picSep, Qt::LeftButton, {}, QPoint(10, 3));
        moveOverBar(chat, 2000, Qt::LeftButton);
        QCOMPARE(column(chat), (Column{4815, 5505, 5625, 5850, 645}));  // 5510 lands on 5505
    }

    void narrowClientAreaSetsLeftEdgesButRefusesWidths()
    {
        Twips::SetLeft(chat->rtxtChat, 300);
        chat->clientArea->resize(3, chat->clientArea->height());
        QCOMPARE(Left(chat->rtxtChat), 30.0f);
        QCOMPARE(Width(chat->rtxtChat), 5625.0f);
        QCOMPARE(Width(chat->NewText), 5625.0f);
    }

    void shortClientAreaMovesTheInputOverTheTranscript()
    {
        chat->clientArea->resize(chat->clientArea->width(), Twips::ToPixelsY(690));
        // Input box top (690 - 645 - 30) - 255 = -240; the transcript's height would be negative.
        QCOMPARE(column(chat), (Column{2865, -600, -465, -240, 645}));
    }

    void minimizedMovesNothingAndRestoringLaysOut()
    {
        chat->showMinimized();
        QTRY_VERIFY(chat->isMinimized());
        Twips::SetTop(chat->NewText, 1500);
        chat->clientArea->resize(chat->clientArea->width(), chat->clientArea->height() - 10);
        QCOMPARE(Top(chat->NewText), 1500.0f);
        chat->showNormal();
        QTRY_VERIFY(!chat->isMinimized());
        QTRY_COMPARE(column(chat), designColumn);
    }
};

QTEST_MAIN(tst_Layout)
#include "tst_layout.moc"
