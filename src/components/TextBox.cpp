#include "components/TextBox.h"

#include "components/ShiftMask.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocument>

namespace {

constexpr qsizetype longestWordToWrap = 1024;

bool hasLongUnbrokenRun(const QString &text)
{
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > longestWordToWrap)
            return true;
    }
    return false;
}

}  // namespace

TextBox::TextBox(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, &TextBox::wrapAtWordsWhenEmpty);
}

// The text is asked of the source once: a clipboard owner such as a password
// manager may hand it out only once, and a second request may find it gone.
void TextBox::insertFromMimeData(const QMimeData *source)
{
    const QString text = source->text();
    if (text.isNull())
        return;
    if (hasLongUnbrokenRun(text))
        setWordWrapMode(QTextOption::WrapAnywhere);
    QMimeData asked;
    asked.setText(text);
    QPlainTextEdit::insertFromMimeData(&asked);
}

void TextBox::wrapAtWordsWhenEmpty()
{
    if (document()->isEmpty() && wordWrapMode() != QTextOption::WrapAtWordBoundaryOrAnywhere)
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

QString TextBox::Text() const
{
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return text;
}

void TextBox::SetText(const QString &text)
{
    if (text.isEmpty())
        clear();
    else
        setPlainText(text);
}

void TextBox::keyPressEvent(QKeyEvent *event)
{
    for (const QChar c : event->text()) {
        int keyAscii = c.unicode();
        emit KeyPress(keyAscii);
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TextBox::keyReleaseEvent(QKeyEvent *event)
{
    if (!event->isAutoRepeat()) {
        emit KeyUp(event->key(), ShiftMask(event->modifiers()));
    }
    QPlainTextEdit::keyReleaseEvent(event);
}
