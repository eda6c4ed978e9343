// A reader of the Rich Text Format subset the About text uses, into a QTextDocument.
#include "RtfReader.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Cp1250.h"

namespace {

constexpr size_t kMaxDepth = 100;            // deeper groups share the state of the group at this depth
constexpr size_t kMaxWordLength = 32;        // a longer run of letters is no control word and is ignored
constexpr int64_t kMaxParameter = 1000000000;  // larger parameters saturate
constexpr size_t kMaxColors = 1024;
constexpr size_t kMaxFonts = 1024;
constexpr int kMaxFontNameLength = 128;
constexpr int kMaxUnicodeSkip = 16;          // \uc
constexpr int kMaxHalfPoints = 400;          // \fs: 200 points
constexpr int kMaxTwips = 31680;             // indents and spacing: 22 inches
constexpr int kMaxFieldInstruction = 2048;   // characters of a field's instruction kept
constexpr double kTwipsPerPixel = 15.0;      // 1440 twips an inch, 96 pixels an inch

// Unicode of the Windows-1252 bytes 0x80..0x9F; 0 where the code page has none.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

char16_t DecodeByte(unsigned char byte, int code_page) {
  if (byte < 0x80) return byte;
  if (code_page == 1250) return static_cast<char16_t>(karo::Cp1250ToUnicode(byte));
  if (byte >= 0xA0) return byte;
  return kCp1252High[byte - 0x80];
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

enum class Destination { kText, kSkip, kFontTable, kColorTable, kFieldInstruction };

// What one control word does; `value` of WordDef qualifies some of them.
enum class Op {
  kSkipDestination, kFontTable, kColorTable, kFieldInstruction,
  kCodePage, kAnsiCodePage, kDefaultFont, kUnicodeSkip, kUnicode,
  kPar, kCharacter,
  kPard, kAlign, kLeftIndent, kRightIndent, kFirstIndent, kSpaceBefore, kSpaceAfter,
  kPlain, kBold, kItalic, kUnderline, kUnderlineNone, kStrike, kVertical,
  kFontSize, kFont, kColor, kBackground,
  kFontCharset, kFontCodePage, kRed, kGreen, kBlue,
};

struct WordDef {
  std::string_view name;
  Op op;
  int value;
};

// Destinations whose text is not part of the document.
constexpr std::string_view kSkippedDestinations[] = {
    "stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf", "footer",
    "footerl", "footerr", "footerf", "footnote", "annotation", "filetbl", "revtbl",
    "listtable", "listoverridetable", "rsidtbl", "falt", "xe", "tc", "txe", "nonshppict", "template",
};

constexpr WordDef kWords[] = {
    // destinations read for the document's sake
    {"fonttbl", Op::kFontTable, 0}, {"colortbl", Op::kColorTable, 0},
    {"fldinst", Op::kFieldInstruction, 0},
    // document
    {"ansi", Op::kCodePage, 1252}, {"mac", Op::kCodePage, 1252}, {"pc", Op::kCodePage, 1252},
    {"pca", Op::kCodePage, 1252}, {"ansicpg", Op::kAnsiCodePage, 0}, {"deff", Op::kDefaultFont, 0},
    {"uc", Op::kUnicodeSkip, 0}, {"u", Op::kUnicode, 0},
    // breaks and special characters
    {"par", Op::kPar, 0}, {"sect", Op::kPar, 0}, {"page", Op::kPar, 0}, {"row", Op::kPar, 0},
    {"line", Op::kCharacter, 0x2028}, {"tab", Op::kCharacter, '\t'}, {"cell", Op::kCharacter, '\t'},
    {"emdash", Op::kCharacter, 0x2014}, {"endash", Op::kCharacter, 0x2013},
    {"bullet", Op::kCharacter, 0x2022}, {"lquote", Op::kCharacter, 0x2018},
    {"rquote", Op::kCharacter, 0x2019}, {"ldblquote", Op::kCharacter, 0x201C},
    {"rdblquote", Op::kCharacter, 0x201D}, {"emspace", Op::kCharacter, 0x2003},
    {"enspace", Op::kCharacter, 0x2002}, {"qmspace", Op::kCharacter, 0x2005},
    // paragraph
    {"pard", Op::kPard, 0}, {"ql", Op::kAlign, Qt::AlignLeft}, {"qr", Op::kAlign, Qt::AlignRight},
    {"qc", Op::kAlign, Qt::AlignHCenter}, {"qj", Op::kAlign, Qt::AlignJustify},
    {"li", Op::kLeftIndent, 0}, {"ri", Op::kRightIndent, 0}, {"fi", Op::kFirstIndent, 0},
    {"sb", Op::kSpaceBefore, 0}, {"sa", Op::kSpaceAfter, 0},
    // character
    {"plain", Op::kPlain, 0}, {"b", Op::kBold, 0}, {"i", Op::kItalic, 0},
    {"ul", Op::kUnderline, 0}, {"uld", Op::kUnderline, 0}, {"uldb", Op::kUnderline, 0},
    {"uldash", Op::kUnderline, 0}, {"ulw", Op::kUnderline, 0}, {"ulwave", Op::kUnderline, 0},
    {"ulth", Op::kUnderline, 0}, {"ulnone", Op::kUnderlineNone, 0},
    {"strike", Op::kStrike, 0}, {"striked", Op::kStrike, 0},
    {"super", Op::kVertical, 1}, {"sub", Op::kVertical, 2}, {"nosupersub", Op::kVertical, 0},
    {"fs", Op::kFontSize, 0}, {"f", Op::kFont, 0}, {"cf", Op::kColor, 0},
    {"cb", Op::kBackground, 0}, {"highlight", Op::kBackground, 0},
    // font and colour tables
    {"fcharset", Op::kFontCharset, 0}, {"cpg", Op::kFontCodePage, 0},
    {"red", Op::kRed, 0}, {"green", Op::kGreen, 0}, {"blue", Op::kBlue, 0},
};

const WordDef* FindWord(std::string_view name) {
  static const std::unordered_map<std::string_view, const WordDef*> words = [] {
    std::unordered_map<std::string_view, const WordDef*> map;
    static constexpr WordDef kSkip{"", Op::kSkipDestination, 0};
    for (const WordDef& def : kWords) map.emplace(def.name, &def);
    for (const std::string_view name : kSkippedDestinations) map.emplace(name, &kSkip);
    return map;
  }();
  const auto it = words.find(name);
  return it == words.end() ? nullptr : it->second;
}

// Formatting in effect inside one group: '{' saves it, '}' restores it.
struct State {
  Destination destination = Destination::kText;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike = false;
  int vertical = 0;     // 0 normal, 1 superscript, 2 subscript
  int half_points = 0;  // font size; 0: the document's default font
  int color = 0;        // colour table index; 0: automatic
  int background = 0;
  int font = -1;        // font number; -1: the \deff font
  int unicode_skip = 1;
  Qt::Alignment alignment = Qt::AlignLeft;
  int left_indent = 0;  // twips
  int right_indent = 0;
  int first_indent = 0;
  int space_before = 0;
  int space_after = 0;
  QString href;  // the target of the HYPERLINK field the text is the result of
};

struct Font {
  QString name;
  bool name_done = false;
  int code_page = 0;  // 0: the document's code page
};

int Clamp(int value, int low, int high) { return std::min(std::max(value, low), high); }

// The target of a field instruction HYPERLINK "target" (or HYPERLINK \l
// "bookmark", a place in the same text: "#bookmark"); empty for any other field.
QString HyperlinkTarget(const QString& instruction) {
  const QStringList words = instruction.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
  if (words.isEmpty() || words.first().compare(QLatin1String("HYPERLINK"), Qt::CaseInsensitive) != 0) return QString();
  bool bookmark = false;
  for (qsizetype i = 1; i < words.size(); ++i) {
    if (words[i] == QLatin1String("\\l")) {
      bookmark = true;
    } else if (!words[i].startsWith(QLatin1Char('\\'))) {
      // The target is the first quoted text (which may hold spaces) or the first plain word.
      QString target = words.mid(i).join(QLatin1Char(' '));
      if (target.startsWith(QLatin1Char('"'))) {
        const qsizetype close = target.indexOf(QLatin1Char('"'), 1);
        target = target.mid(1, close < 0 ? -1 : close - 1);
      } else {
        target = words[i];
      }
      return bookmark ? QLatin1Char('#') + target : target;
    }
  }
  return QString();
}

class RtfParser {
 public:
  RtfParser(const char* begin, const char* end, QTextDocument* document)
      : p_(begin), end_(end), cursor_(document) {}

  // Reads from the opening brace to the brace that closes it. False when the
  // input ends first.
  bool Run() {
    while (p_ < end_ && !done_) {
      const char c = *p_++;
      if (c == '{') {
        OpenGroup();
      } else if (c == '}') {
        CloseGroup();
      } else if (c == '\\') {
        Control();
      } else if (c != '\r' && c != '\n') {
        TextByte(static_cast<unsigned char>(c));
      }
    }
    if (!done_) Finish();
    return done_;
  }

 private:
  State& Top() { return stack_.back(); }

  void OpenGroup() {
    pending_skip_ = 0;  // a group ends the fallback of \u
    starred_ = false;
    if (stack_.size() >= kMaxDepth) {
      ++overflow_;
      return;
    }
    stack_.push_back(stack_.empty() ? State() : stack_.back());
  }

  void CloseGroup() {
    pending_skip_ = 0;
    starred_ = false;
    if (overflow_ > 0) {
      --overflow_;
      return;
    }
    if (stack_.size() <= 1) {  // the document's own group: the end
      Finish();
      done_ = true;
      return;
    }
    const bool instruction = Top().destination == Destination::kFieldInstruction;
    stack_.pop_back();
    // A field's result follows its instruction inside the field's group.
    if (instruction && Top().destination != Destination::kFieldInstruction) Top().href = HyperlinkTarget(field_);
    if (Top().destination != Destination::kFontTable) font_entry_ = -1;
    format_dirty_ = true;
  }

  void Control() {
    if (p_ >= end_) return;  // a backslash as the last byte
    if (!IsLetter(*p_)) {
      const char symbol = *p_++;
      if (symbol == '\'') {
        HexEscape();
      } else if (pending_skip_ > 0) {
        --pending_skip_;
      } else {
        Symbol(symbol);
      }
      return;
    }
    const char* start = p_;
    while (p_ < end_ && IsLetter(*p_)) ++p_;
    const std::string_view name(start, static_cast<size_t>(p_ - start));
    bool has_param = false;
    bool negative = false;
    int64_t value = 0;
    if (p_ + 1 < end_ && *p_ == '-' && IsDigit(p_[1])) {
      negative = true;
      ++p_;
    }
    while (p_ < end_ && IsDigit(*p_)) {
      has_param = true;
      if (value <= kMaxParameter) value = value * 10 + (*p_ - '0');
      ++p_;
    }
    if (p_ < end_ && *p_ == ' ') ++p_;
    const int param = static_cast<int>(std::min(value, kMaxParameter)) * (negative ? -1 : 1);
    if (name == "bin") {  // binary data: skipped whatever the destination
      const int64_t skip = has_param && param > 0 ? param : 0;
      p_ += std::min<int64_t>(skip, end_ - p_);
      return;
    }
    if (pending_skip_ > 0) {
      --pending_skip_;
      return;
    }
    if (name.size() <= kMaxWordLength) Word(name, has_param, param);
  }

  void HexEscape() {
    const int high = p_ < end_ ? HexValue(*p_) : -1;
    if (high < 0) return;
    ++p_;
    const int low = p_ < end_ ? HexValue(*p_) : -1;
    if (low < 0) return;
    ++p_;
    TextByte(static_cast<unsigned char>(high * 16 + low));
  }

  void Symbol(char symbol) {
    switch (symbol) {
      case '\\': case '{': case '}': TextByte(static_cast<unsigned char>(symbol)); break;
      case '~': Put(0x00A0); break;  // non-breaking space
      case '-': Put(0x00AD); break;  // optional hyphen
      case '_': Put(0x2011); break;  // non-breaking hyphen
      case '*':  // an optional destination: skipped unless it is one this reader knows
        starred_ = Top().destination != Destination::kSkip;
        Top().destination = Destination::kSkip;
        break;
      case '\r': case '\n': Paragraph(); break;
      default: break;  // \: \| and anything unknown
    }
  }

  void TextByte(unsigned char byte) {
    if (pending_skip_ > 0) {
      --pending_skip_;
      return;
    }
    switch (Top().destination) {
      case Destination::kSkip:
        return;
      case Destination::kFieldInstruction:
        if (field_.size() < kMaxFieldInstruction) field_ += QChar(DecodeByte(byte, CodePage()));
        return;
      case Destination::kColorTable:
        if (byte == ';') EndColor();
        return;
      case Destination::kFontTable:
        if (byte == ';') {
          EndFontName();
          return;
        }
        break;
      case Destination::kText:
        break;
    }
    Put(DecodeByte(byte, CodePage()));
  }

  // One UTF-16 unit of text in the current destination.
  void Put(char16_t unit) {
    const Destination destination = Top().destination;
    if (destination == Destination::kText) {
      if (unit < 0x20 && unit != '\t') return;
      if (format_dirty_) {
        Flush();
        run_format_ = CharFormat();
        format_dirty_ = false;
      }
      run_ += QChar(unit);
    } else if (destination == Destination::kFontTable && unit >= 0x20) {
      const auto it = fonts_.find(font_entry_);
      if (it != fonts_.end() && !it->second.name_done && it->second.name.size() < kMaxFontNameLength)
        it->second.name += QChar(unit);
    }
  }

  void Word(std::string_view name, bool has_param, int param) {
    const bool starred = starred_;
    starred_ = false;
    const WordDef* def = FindWord(name);
    if (def == nullptr) return;  // unknown control words are ignored
    State& s = Top();
    if (def->op == Op::kFieldInstruction && (starred || s.destination != Destination::kSkip)) {
      s.destination = Destination::kFieldInstruction;
      field_.clear();
      return;
    }
    if (s.destination == Destination::kSkip) return;
    const bool on = !has_param || param != 0;
    switch (def->op) {
      case Op::kSkipDestination: s.destination = Destination::kSkip; break;
      case Op::kFontTable: s.destination = Destination::kFontTable; break;
      case Op::kColorTable: s.destination = Destination::kColorTable; break;
      case Op::kFieldInstruction: break;  // taken above
      case Op::kCodePage: code_page_ = def->value; break;
      case Op::kAnsiCodePage: code_page_ = param == 1250 ? 1250 : 1252; break;
      case Op::kDefaultFont: default_font_ = param; break;
      case Op::kUnicodeSkip: s.unicode_skip = Clamp(param, 0, kMaxUnicodeSkip); break;
      case Op::kUnicode:
        if (!has_param) break;
        if (param >= -32768 && param <= 65535) Put(static_cast<char16_t>(param < 0 ? param + 65536 : param));
        pending_skip_ = s.unicode_skip;
        break;
      case Op::kPar: Paragraph(); break;
      case Op::kCharacter: Put(static_cast<char16_t>(def->value)); break;
      case Op::kPard:
        s.alignment = Qt::AlignLeft;
        s.left_indent = s.right_indent = s.first_indent = s.space_before = s.space_after = 0;
        break;
      case Op::kAlign: s.alignment = Qt::Alignment(def->value); break;
      case Op::kLeftIndent: s.left_indent = Clamp(param, -kMaxTwips, kMaxTwips); break;
      case Op::kRightIndent: s.right_indent = Clamp(param, -kMaxTwips, kMaxTwips); break;
      case Op::kFirstIndent: s.first_indent = Clamp(param, -kMaxTwips, kMaxTwips); break;
      case Op::kSpaceBefore: s.space_before = Clamp(param, 0, kMaxTwips); break;
      case Op::kSpaceAfter: s.space_after = Clamp(param, 0, kMaxTwips); break;
      case Op::kPlain: {
        State plain;
        plain.destination = s.destination;
        plain.unicode_skip = s.unicode_skip;
        plain.alignment = s.alignment;
        plain.left_indent = s.left_indent;
        plain.right_indent = s.right_indent;
        plain.first_indent = s.first_indent;
        plain.space_before = s.space_before;
        plain.space_after = s.space_after;
        s = plain;
        break;
      }
      case Op::kBold: s.bold = on; break;
      case Op::kItalic: s.italic = on; break;
      case Op::kUnderline: s.underline = on; break;
      case Op::kUnderlineNone: s.underline = false; break;
      case Op::kStrike: s.strike = on; break;
      case Op::kVertical: s.vertical = def->value; break;
      case Op::kFontSize:
        s.half_points = !has_param ? 24 : param <= 0 ? 0 : Clamp(param, 2, kMaxHalfPoints);
        break;
      case Op::kFont:
        if (s.destination == Destination::kFontTable) {
          StartFont(param);
        } else {
          s.font = std::max(param, 0);
        }
        break;
      case Op::kColor: s.color = Clamp(param, 0, static_cast<int>(kMaxColors)); break;
      case Op::kBackground: s.background = Clamp(param, 0, static_cast<int>(kMaxColors)); break;
      case Op::kFontCharset:
        if (FontEntry() != nullptr) FontEntry()->code_page = param == 238 ? 1250 : 0;
        break;
      case Op::kFontCodePage:
        if (FontEntry() != nullptr) FontEntry()->code_page = param == 1250 || param == 1252 ? param : 0;
        break;
      case Op::kRed: red_ = Clamp(param, 0, 255); break;
      case Op::kGreen: green_ = Clamp(param, 0, 255); break;
      case Op::kBlue: blue_ = Clamp(param, 0, 255); break;
    }
    format_dirty_ = true;
  }

  void StartFont(int number) {
    font_entry_ = -1;
    if (fonts_.size() >= kMaxFonts && fonts_.count(number) == 0) return;
    fonts_[number] = Font();
    font_entry_ = number;
  }

  Font* FontEntry() {
    const auto it = fonts_.find(font_entry_);
    return Top().destination == Destination::kFontTable && it != fonts_.end() ? &it->second : nullptr;
  }

  void EndFontName() {
    if (Font* font = FontEntry()) {
      font->name = font->name.trimmed();
      font->name_done = true;
    }
  }

  void EndColor() {
    if (colors_.size() < kMaxColors) {
      colors_.push_back(red_ < 0 && green_ < 0 && blue_ < 0
                            ? QColor()
                            : QColor(std::max(red_, 0), std::max(green_, 0), std::max(blue_, 0)));
    }
    red_ = green_ = blue_ = -1;
  }

  const Font* FindFont(int number) const {
    const auto it = fonts_.find(number < 0 ? default_font_ : number);
    return it == fonts_.end() ? nullptr : &it->second;
  }

  int CodePage() {
    const State& s = Top();
    const Font* font = s.destination == Destination::kFontTable ? FontEntry() : FindFont(s.font);
    return font != nullptr && font->code_page != 0 ? font->code_page : code_page_;
  }

  QColor Color(int index) const {
    return index > 0 && static_cast<size_t>(index) < colors_.size() ? colors_[index] : QColor();
  }

  QTextCharFormat CharFormat() {
    const State& s = Top();
    QTextCharFormat format;
    format.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(s.italic);
    format.setFontUnderline(s.underline);
    format.setFontStrikeOut(s.strike);
    if (s.vertical == 1) format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    if (s.vertical == 2) format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (s.half_points > 0) format.setFontPointSize(s.half_points / 2.0);
    if (const QColor color = Color(s.color); color.isValid()) format.setForeground(color);
    if (const QColor color = Color(s.background); color.isValid()) format.setBackground(color);
    if (const Font* font = FindFont(s.font); font != nullptr && !font->name.isEmpty())
      format.setFontFamilies(QStringList{font->name});
    if (!s.href.isEmpty()) {
      format.setAnchor(true);
      format.setAnchorHref(s.href);
    }
    return format;
  }

  void Flush() {
    if (run_.isEmpty()) return;
    cursor_.insertText(run_, run_format_);
    run_.clear();
  }

  // Gives the paragraph that ends now the paragraph formatting in effect.
  void ApplyBlockFormat() {
    const State& s = Top();
    QTextBlockFormat format;
    format.setAlignment(s.alignment);
    format.setLeftMargin(s.left_indent / kTwipsPerPixel);
    format.setRightMargin(s.right_indent / kTwipsPerPixel);
    format.setTextIndent(s.first_indent / kTwipsPerPixel);
    format.setTopMargin(s.space_before / kTwipsPerPixel);
    format.setBottomMargin(s.space_after / kTwipsPerPixel);
    cursor_.setBlockFormat(format);
    if (cursor_.block().length() <= 1) cursor_.setBlockCharFormat(CharFormat());  // height of an empty line
  }

  void Paragraph() {
    if (Top().destination != Destination::kText) return;
    Flush();
    ApplyBlockFormat();
    cursor_.insertBlock();
  }

  void Finish() {
    Flush();
    if (!stack_.empty()) ApplyBlockFormat();
  }

  const char* p_;
  const char* const end_;
  QTextCursor cursor_;
  std::vector<State> stack_;
  size_t overflow_ = 0;   // groups opened beyond kMaxDepth and not yet closed
  int pending_skip_ = 0;  // fallback characters of \u still to skip
  bool starred_ = false;  // the last control symbol was \*
  QString field_;         // the instruction of the field being read
  bool done_ = false;
  int code_page_ = 1252;
  int default_font_ = 0;
  std::map<int, Font> fonts_;
  int font_entry_ = -1;
  std::vector<QColor> colors_;
  int red_ = -1;
  int green_ = -1;
  int blue_ = -1;
  QString run_;  // text not yet inserted, all in run_format_
  QTextCharFormat run_format_;
  bool format_dirty_ = true;
};

void ShowPlainText(const QByteArray& bytes, QTextDocument* document) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(bytes);
  if (utf8.hasError()) {
    text.clear();
    text.reserve(bytes.size());
    for (const char c : bytes) text += QChar(DecodeByte(static_cast<unsigned char>(c), 1250));
  }
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  document->setPlainText(text);
}

}  // namespace

bool ReadRtf(const QByteArray& rtf, QTextDocument* document, QString* error) {
  const char* begin = rtf.constData();
  const char* end = begin + rtf.size();
  const char* p = begin;
  while (p < end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')) ++p;
  if (std::string_view(p, static_cast<size_t>(end - p)).substr(0, 5) != "{\\rtf") {
    ShowPlainText(rtf, document);
    if (error) *error = QStringLiteral("Text není ve formátu RTF, je zobrazen jako prostý text.");
    return false;
  }
  const bool undo = document->isUndoRedoEnabled();
  document->setUndoRedoEnabled(false);
  document->clear();
  const bool complete = RtfParser(p, end, document).Run();
  document->setUndoRedoEnabled(undo);
  if (!complete && error) *error = QStringLiteral("Text RTF je neúplný: skupina není uzavřena.");
  return complete;
}

bool ReadRtfFile(const QString& path, QTextDocument* document, QString* error) {
  QFile file(path);
  QByteArray bytes;
  bool ok = file.open(QIODevice::ReadOnly);
  if (ok) {
    bytes = file.readAll();
    ok = file.error() == QFileDevice::NoError;
  }
  if (!ok) {
    if (error) *error = QStringLiteral("Soubor %1 nelze otevřít.").arg(QDir::toNativeSeparators(path));
    return false;
  }
  ReadRtf(bytes, document, nullptr);
  return true;
}
