// Fuzz target for the rich-text reader of the About window: any bytes are
// read into a QTextDocument, which is then walked as a view would walk it.
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextDocument>

#include <cstdint>

#include "RtfReader.h"

namespace {

// The reader builds fonts and formats, which need a QGuiApplication; one is
// made, offscreen, unless the process already has one.
void EnsureApplication() {
  static int argc = 1;
  static char name[] = "rtf_fuzz";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance() == nullptr) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv);  // lives as long as the process
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  EnsureApplication();
  const QByteArray rtf = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QTextDocument document;
  QString error;
  const bool complete = ReadRtf(rtf, &document, &error);
  if (!complete && error.isEmpty()) __builtin_trap();  // a failure always says why
  volatile qsizetype sink = 0;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    sink = sink + block.text().size();
    for (auto it = block.begin(); !it.atEnd(); ++it) sink = sink + it.fragment().charFormat().fontPointSize();
  }
  (void)sink;
  return 0;
}
