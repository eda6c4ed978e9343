// ReadRtf: formats, code pages, Unicode, skipped destinations, links, damaged and
// hostile input, plain text, and the About text that ships with the program.
#include <gtest/gtest.h>

#include <QFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <random>

#include "RtfReader.h"

namespace {

struct Read {
  QTextDocument doc;
  bool ok;
  QString error;
  explicit Read(const QByteArray& rtf) { ok = ReadRtf(rtf, &doc, &error); }
  // The paragraphs joined by '\n' (a \line stays U+2028).
  QString Text() const {
    QStringList blocks;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) blocks << b.text();
    return blocks.join('\n');
  }
  // Character format of the first letter of needle, and its paragraph's format.
  QTextCharFormat Char(const QString& needle) const {
    QTextCursor c = doc.find(needle);
    c.setPosition(c.selectionStart() + 1);
    return c.charFormat();
  }
  QTextBlockFormat Block(const QString& needle) const { return doc.find(needle).block().blockFormat(); }
};

QByteArray AboutFile() {
  QFile file(QStringLiteral(KARO_RESOURCES_DIR "/data/about.rtff"));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(RtfReader, CharacterAndParagraphFormats) {
  const Read r(R"({\rtf1{\colortbl;\red255\green0\blue0;\red0\green128\blue255;})"
               R"(\qc plain {\b bold} {\i italic} {\ul under}\ulnone  {\fs36 big} {\cf1 red} {\cf9 nocolour}\par)"
               R"(\pard\qr\b on\b0  off {\strike struck}\par\qj\i\fs40 just\plain  reset\par\pard left})");
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  EXPECT_EQ(r.Text(), "plain bold italic under big red nocolour\non off struck\njust reset\nleft");
  EXPECT_EQ(r.Char("plain").fontWeight(), QFont::Normal);
  EXPECT_EQ(r.Char("bold").fontWeight(), QFont::Bold);
  EXPECT_EQ(r.Char(" italic").fontWeight(), QFont::Normal);  // the group ended the bold
  EXPECT_TRUE(r.Char("italic").fontItalic());
  EXPECT_TRUE(r.Char("under").fontUnderline());
  EXPECT_FALSE(r.Char(" big").fontUnderline());
  EXPECT_DOUBLE_EQ(r.Char("big").fontPointSize(), 18.0);  // half-points
  EXPECT_EQ(r.Char("red").foreground().color(), QColor(255, 0, 0));
  EXPECT_FALSE(r.Char("nocolour").hasProperty(QTextFormat::ForegroundBrush));
  EXPECT_EQ(r.Char("on").fontWeight(), QFont::Bold);
  EXPECT_EQ(r.Char("off").fontWeight(), QFont::Normal);
  EXPECT_TRUE(r.Char("struck").fontStrikeOut());
  EXPECT_TRUE(r.Char("just").fontItalic());
  EXPECT_FALSE(r.Char("reset").fontItalic());
  EXPECT_FALSE(r.Char("reset").hasProperty(QTextFormat::FontPointSize));
  const Read empty(R"({\rtf1\fs40\par x})");  // an empty line is as high as its font
  EXPECT_DOUBLE_EQ(empty.doc.begin().charFormat().fontPointSize(), 20.0);
  const std::pair<const char*, Qt::Alignment> alignments[] = {
      {"plain", Qt::AlignHCenter}, {"on", Qt::AlignRight}, {"just", Qt::AlignJustify}, {"left", Qt::AlignLeft}};
  for (const auto& [text, alignment] : alignments) EXPECT_EQ(r.Block(text).alignment(), alignment) << text;
}

TEST(RtfReader, DecodesText) {
  const struct {
    const char* body;
    const char* text;
  } cases[] = {
      // code pages: \ansicpg1250, Windows-1252 by default, a font's \fcharset238
      {R"(\ansi\ansicpg1250 P\'f8\'edli\'9a \'9elu\'9dou\'e8k\'fd k\'f9\'f2 \'fap\'ecl \'ef\'e1belsk\'e9 \'f3dy)",
       "Příliš žluťoučký kůň úpěl ďábelské ódy"},
      {R"(\ansicpg1250 \'8a\'c8\'d8\'8e\'dd\'c1\'cd\'c9\'da\'d9\'cf\'8d\'d2\'cc\'d3\'80\'84)", "ŠČŘŽÝÁÍÉÚŮĎŤŇĚÓ€„"},
      {R"(\ansi \'e8\'f8\'80\'84)", "èø€„"},
      {R"(\ansi{\fonttbl{\f1\fcharset238{\*\panose 0}Arial;}}\'e8{\f1 \'e8})", "èč"},
      // \u with the \uc fallback
      {R"(\u268?apek \uc2\u268\'c8\'c8apek \uc0\u268 apek)", "Čapek Čapek Čapek"},
      {R"({\uc3 x}\u268?apek {\u268}? \u382\foo x\u268{?})", "xČapek Č? žxČ?"},  // a brace ends the fallback
      {R"(\u-10179?\u-8704?)", "\U0001F600"},
      // breaks and symbols
      {R"(a\line b\tab c\~d\-e\_f \\ \{\} \emdash\ldblquote q\rdblquote
g\
h)", "a\u2028b\tc\u00A0d\u00ADe\u2011f \\ {} —“q”g\nh"},
      // unknown control words, and destinations that are not text
      {R"(a\foo b\bar-12 c\abcdefghijklmnopqrstuvwxyzabcdefghijklmn d\|e)", "abcde"},
      {R"({\stylesheet{\s0 N;}}{\info{\title T}}{\*\generator G;}{\header H}{\footer F}{\footnote N})"
       R"({\*\unknown {x} y}{\pict\wmetafile8 0a\bin4 }}}}0b}{\nonshppict{\pict ff}})"
       R"(Text {\field{\*\fldinst HYPERLINK "x"}{\fldrslt odkaz}})", "Text odkaz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body);
    const Read r(QByteArray("{\\rtf1") + c.body + "}");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.Text(), QString::fromUtf8(c.text));
  }
}

TEST(RtfReader, HyperlinkFieldsBecomeLinks) {
  const struct {
    const char* field;
    const char* href;  // of the field's result; empty: no link
  } cases[] = {
      {R"({\field{\*\fldinst HYPERLINK "Tarvel.hlp"}{\fldrslt odkaz}})", "Tarvel.hlp"},
      {R"({\field{\*\fldinst {\rtlch\f0 HYPERLINK "https://www.uzis.cz/" }}{\fldrslt {\ul\cf1 odkaz}}})",
       "https://www.uzis.cz/"},
      {R"({\field{\*\fldinst HYPERLINK \\l "kapitola 2"}{\fldrslt odkaz}})", "#kapitola 2"},
      {R"({\field{\fldinst hyperlink mailto:info@example.cz}{\fldrslt odkaz}})", "mailto:info@example.cz"},
      {R"({\field{\*\fldinst PAGE}{\fldrslt odkaz}})", ""},
      {R"({\field{\*\fldinst HYPERLINK}{\fldrslt odkaz}})", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    const Read r(QByteArray("{\\rtf1{\\colortbl;\\red0\\green0\\blue255;}pred ") + c.field + " po}");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.Text(), QStringLiteral("pred odkaz po"));  // the instruction is no text
    EXPECT_EQ(r.Char("odkaz").isAnchor(), *c.href != 0);
    EXPECT_EQ(r.Char("odkaz").anchorHref(), QString::fromUtf8(c.href));
    EXPECT_FALSE(r.Char(" po").isAnchor());  // the field's group ends the link
    EXPECT_FALSE(r.Char("pred").isAnchor());
  }
}

TEST(RtfReader, DamagedInputKeepsWhatWasRead) {
  const struct {
    const char* input;
    bool complete;
    const char* text;
  } cases[] = {
      {R"({\rtf1 a{\b b{\i c)", false, "abc"},
      {R"({\rtf1 a{\fonttbl{\f0 Arial;})", false, "a"},
      {R"({\rtf1)", false, ""},
      {R"({\rtf1 a}}}b)", true, "a"},  // the text ends with the group that opened it
      {R"({\rtf1 a\)", false, "a"},
      {R"({\rtf1 a\'4)", false, "a"},
      {R"({\rtf1 a\'4x\'zz})", true, "axzz"},  // a bad escape is dropped
      {R"({\rtf1 a\u-)", false, "a-"},         // a minus without digits is text
      {R"({\rtf1 a\bin99 bc)", false, "a"},    // binary data past the end
      {R"({\rtf1 a\bin-5 b})", true, "ab"},
      {R"({\rtf1 {\uc99999999 \u99999999 x}{\uc-3 \u-99999999 y}{\f99999999999 \cf99999999999 z}})", true, "yz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    const Read r(c.input);
    EXPECT_EQ(r.ok, c.complete);
    EXPECT_EQ(r.Text(), QString::fromUtf8(c.text));
    EXPECT_EQ(r.error.contains(QStringLiteral("neúplný")), !c.complete) << r.error.toStdString();
  }
  const Read sizes(R"({\rtf1 {\fs9999999999999999999 big}{\fs1 tiny}{\li99999999999\fi-99999999999 ind\par}})");
  EXPECT_DOUBLE_EQ(sizes.Char("big").fontPointSize(), 200.0);
  EXPECT_DOUBLE_EQ(sizes.Char("tiny").fontPointSize(), 1.0);
  EXPECT_DOUBLE_EQ(sizes.Block("ind").leftMargin(), 31680 / 15.0);
  EXPECT_DOUBLE_EQ(sizes.Block("ind").textIndent(), -31680 / 15.0);
}

TEST(RtfReader, DeepNestingAndRandomBytesEndInTime) {
  QByteArray deep("{\\rtf1 ");
  for (int i = 0; i < 100000; ++i) deep += "{\\b ";
  deep += "deep" + QByteArray(100000, '}') + " flat}";
  const Read r(deep);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.Text(), "deep flat");
  EXPECT_EQ(r.Char("deep").fontWeight(), QFont::Bold);
  EXPECT_EQ(r.Char("flat").fontWeight(), QFont::Normal);

  const unsigned seed = 20260101;
  std::printf("seed %u\n", seed);
  std::mt19937 random(seed);
  const char* pieces[] = {"{", "}", "\\", "'", "a", "e8", "0", "9", "-", ";", " ", "\r\n", "\xe8", "\\b",
                          "\\par", "\\u", "\\uc", "\\'", "\\bin", "\\*", "{\\fonttbl", "{\\colortbl", "\\f", "\\fs"};
  for (int round = 0; round < 2000; ++round) {
    QByteArray rtf("{\\rtf1");
    for (int i = static_cast<int>(random() % 300); i > 0; --i) rtf += pieces[random() % std::size(pieces)];
    QTextDocument doc;
    ReadRtf(rtf, &doc, nullptr);
    ASSERT_LE(doc.characterCount(), rtf.size()) << round;  // never more characters than bytes
  }
}

TEST(RtfReader, InputThatIsNotRtfIsShownAsPlainText) {
  const std::pair<QByteArray, const char*> cases[] = {
      {"Dobr\xc3\xbd den\r\nsv\xc4\x9bte", "Dobrý den\nsvěte"},  // UTF-8
      {"\xef\xbb\xbf\xc5\xa0um", "Šum"},                            // UTF-8 with its mark
      {"\x8a\xe8\xf8\r\rx", "Ščř\n\nx"},                            // not UTF-8: Windows-1250
      {"{\\rt x}", "{\\rt x}"},
      {"", ""},
  };
  for (const auto& [input, text] : cases) {
    const Read r(input);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains(QStringLiteral("prostý text"))) << r.error.toStdString();
    EXPECT_EQ(r.Text(), QString::fromUtf8(text));
  }
  EXPECT_TRUE(Read(" \r\n\t{\\rtf1 x}").ok);  // white space before RTF is allowed
}

TEST(RtfReader, FileThatCannotBeReadLeavesTheDocument) {
  QTextDocument doc;
  doc.setPlainText(QStringLiteral("kept"));
  QString error;
  EXPECT_FALSE(ReadRtfFile(QStringLiteral("/nonexistent/about.rtff"), &doc, &error));
  EXPECT_EQ(error, QStringLiteral("Soubor /nonexistent/about.rtff nelze otevřít."));
  EXPECT_FALSE(ReadRtfFile(QStringLiteral(KARO_RESOURCES_DIR), &doc, &error));  // a folder
  EXPECT_EQ(doc.toPlainText(), QStringLiteral("kept"));
}

TEST(AboutText, IsRtfWithACentredBoldTitleThatFitsTheView) {
  const QByteArray bytes = AboutFile();
  ASSERT_TRUE(bytes.startsWith("{\\rtf1\\ansi\\ansicpg1250"));
  EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](char c) { return c > 0; })) << "Czech letters as \\'hh";
  Read r(bytes);
  EXPECT_TRUE(r.ok) << r.error.toStdString();
  EXPECT_EQ(r.doc.begin().text(), QStringLiteral("K.A.R.O."));
  EXPECT_EQ(r.Block("K.A.R.O.").alignment(), Qt::AlignHCenter);
  EXPECT_EQ(r.Char("K.A.R.O.").fontWeight(), QFont::Bold);
  const QString text = r.Text();
  EXPECT_TRUE(text.contains(QStringLiteral("Katalog Adres a Rejstřík Ordinací")));
  EXPECT_TRUE(text.contains(QStringLiteral("poskytovatelů zdravotní péče")));
  for (const QChar c : {QChar('\\'), QChar('{'), QChar('}'), QChar(0xFFFD)}) EXPECT_FALSE(text.contains(c));
  // The About window shows it 344 pixels wide without word wrap, less the
  // frame and the vertical scroll bar.
  QTextOption option = r.doc.defaultTextOption();
  option.setWrapMode(QTextOption::NoWrap);
  r.doc.setDefaultTextOption(option);
  EXPECT_LE(r.doc.idealWidth(), 344 - 20);
  // The last line, which looks like a link, is one: to the help file.
  EXPECT_TRUE(r.Char("Podrobný návod").isAnchor());
  EXPECT_EQ(r.Char("Podrobný návod").anchorHref(), QStringLiteral("Tarvel.hlp"));
}

TEST(AboutText, EveryTruncationReadsTheBeginning) {
  const QByteArray whole = AboutFile();
  const QString full = Read(whole).doc.toPlainText();
  for (qsizetype n = 0; n <= whole.lastIndexOf('}'); ++n) {  // every cut that loses the closing brace
    const Read r(whole.left(n));
    ASSERT_FALSE(r.ok) << n;
    // Every paragraph read before the cut is the whole text's.
    const QString text = r.doc.toPlainText();
    ASSERT_TRUE(full.startsWith(text.left(std::max<qsizetype>(text.lastIndexOf('\n'), 0)))) << n;
  }
}

}  // namespace
