#pragma once

class QString;
class RichTextBox;

// Appends text and a line break at the end of the transcript: the user's own
// in bold black, the peer's in blue.
void appendToTranscript(RichTextBox &transcript, const QString &text, bool own);
