// Untrusted text through the transcript: the input is a sequence of
// operations (received and own entries, a reader's view kept across an
// arrival, selections), checked after each against a plain model of what was
// appended, at a small bound so that entries leave from the top.
#include "FuzzCheck.h"
#include "TranscriptChecks.h"
#include "chat/Transcript.h"
#include "components/text/CodePage.h"
#include "components/text/RichTextBox.h"

#include <QApplication>
#include <cstdint>
#include <optional>

namespace {

struct Entry
{
    QString text;
    bool own;
};

bool insideLineBreak(const QString &text, qsizetype offset)
{
    return text.mid(offset - 1, 2) == QLatin1String("\r\n");
}

// The model's text and styles against the box's.
void checkAgainst(RichTextBox &box, const QList<Entry> &entries)
{
    QString model;
    for (const Entry &entry : entries) {
        const qsizetype start = model.size();
        model += entry.text;
        if (!entry.text.at(0).isSpace()) {
            const QTextCharFormat format = formatAt(box, start);
            FUZZ_CHECK(format.font().bold() == entry.own);
            FUZZ_CHECK(format.foreground().color() == (entry.own ? QColor(Qt::black) : QColor(Qt::blue)));
        }
    }
    FUZZ_CHECK(box.TextLength() == model.size());
    FUZZ_CHECK(box.Text() == model);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_transcript";
    static char *argv[] = {name, nullptr};
    static const QApplication *app = (qputenv("QT_QPA_PLATFORM", "offscreen"), new QApplication(argc, argv));
    Q_UNUSED(app);
    if (size < 1)
        return 0;

    RichTextBox box;
    const qsizetype bound = 64 + (data[0] % 64) * 16;
    box.SetMaxLength(bound);
    QList<Entry> entries;
    for (size_t i = 1; i + 1 < size;) {
        const uint8_t operation = data[i] % 4;
        const size_t length = qMin<size_t>(data[i + 1], size - i - 2);
        const QByteArray bytes(reinterpret_cast<const char *>(data + i + 2), qsizetype(length));
        i += 2 + length;
        if (operation == 2) {
            const QString text = box.Text();
            const qsizetype start = bytes.isEmpty() ? 0 : (quint8(bytes.at(0)) * 257) % (text.size() + 1);
            const qsizetype selected = bytes.size() < 2 ? 0 : (quint8(bytes.at(1)) * 31) % (text.size() - start + 1);
            box.SetSelStart(start);
            box.SetSelLength(selected);
            if (!insideLineBreak(text, start) && !insideLineBreak(text, start + selected)) {
                FUZZ_CHECK(box.SelStart() == start);
                FUZZ_CHECK(box.SelLength() == selected);
            }
            continue;
        }
        const QString received = CodePage::decode(bytes);
        const Entry entry{received + QStringLiteral("\r\n"), operation == 1};
        {
            std::optional<RichTextBox::KeptView> readersView;
            if (operation == 3)
                readersView.emplace(box);
            appendToTranscript(box, received, entry.own);
        }
        entries << entry;
        QStringList texts;
        for (const Entry &kept : entries)
            texts << kept.text;
        keepNewestEntries(texts, bound);
        entries = entries.mid(entries.size() - texts.size());
        FUZZ_CHECK(box.TextLength() == texts.join(QString()).size());
    }
    checkAgainst(box, entries);
    return 0;
}
