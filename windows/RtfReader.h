// Reads Rich Text Format into a QTextDocument, for the About window's text.
// Qt reads HTML and Markdown but not RTF, so the subset that a hand-written or
// word-processor text needs is read here: groups, paragraphs and line breaks,
// bold, italic, underline, strike-through, font size, font and colour tables,
// paragraph alignment and indents, the Windows-1250 and Windows-1252 code
// pages with \'hh escapes, \u Unicode characters with their \uc fallback,
// and HYPERLINK fields, whose result becomes a link (an anchor with the
// field's target as its href; \l "bookmark" gives "#bookmark"). Pictures,
// headers, footers, the style sheet, document information and every other \*
// destination are skipped; unknown control words are ignored.
#ifndef KARO_WINDOWS_RTFREADER_H
#define KARO_WINDOWS_RTFREADER_H

#include <QByteArray>
#include <QString>

class QTextDocument;

// Replaces the contents of *document with the text read from rtf.
//
// Whatever the bytes hold, the call returns and *document holds as much as
// could be read: input that does not begin with "{\rtf" (after white space)
// is shown as plain text (UTF-8 when it is valid UTF-8, Windows-1250
// otherwise); damaged RTF (a group left open, input cut off) keeps everything
// read before the damage. Nesting depth and numeric parameters are bounded,
// so hostile input costs time linear in its length.
//
// Returns true when the whole input was read as well-formed RTF; false, with
// a Czech message in *error (when error is not null), otherwise.
// REQUIRES: document is not null; a QGuiApplication exists.
bool ReadRtf(const QByteArray& rtf, QTextDocument* document, QString* error);

// Reads the file at path and fills *document as ReadRtf does.
// Returns false, with "Soubor PATH nelze otevřít." in *error (when error is
// not null) and *document left unchanged, only when the file cannot be read;
// damaged contents are shown as far as they could be read and return true.
// REQUIRES: document is not null; a QGuiApplication exists.
bool ReadRtfFile(const QString& path, QTextDocument* document, QString* error);

#endif  // KARO_WINDOWS_RTFREADER_H
