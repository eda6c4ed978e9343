// Conversions between the tables' Windows-1250 texts and QString.
#include "QtText.h"

#include <array>
#include <cstring>

#include "Cp1250.h"

namespace {

using Table = std::array<char16_t, 256>;

Table BuildTable() {
  Table table{};
  for (int b = 0; b < 256; ++b) {
    const uint32_t code = karo::Cp1250ToUnicode(static_cast<unsigned char>(b));
    table[static_cast<size_t>(b)] = b != 0 && code == 0 ? u'\uFFFD' : static_cast<char16_t>(code);
  }
  return table;
}

}  // namespace

QString FromCp1250(const char* text) {
  static const Table table = BuildTable();
  if (!text) return QString();
  const size_t length = std::strlen(text);
  QString result(static_cast<qsizetype>(length), Qt::Uninitialized);
  QChar* out = result.data();
  for (size_t i = 0; i < length; ++i) {
    out[i] = QChar(table[static_cast<unsigned char>(text[i])]);
  }
  return result;
}

bool ToCp1250(const QString& text, std::string* out) {
  const QByteArray utf8 = text.normalized(QString::NormalizationForm_C).toUtf8();
  return karo::Utf8ToCp1250(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), out);
}


std::string ToCp1250Lossy(const QString& text) {
  const QByteArray utf8 = text.normalized(QString::NormalizationForm_C).toUtf8();
  return karo::Utf8ToCp1250Lossy(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}
