// The icon design in the 32-unit grid the program's icon file was drawn on.
#include "Icon.h"

#include <QImageReader>
#include <QPainter>

namespace karo {

const std::vector<int> kThemeIconSizes = {16, 22, 24, 32, 48, 64, 128, 256};

QImage DrawIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  // The square with its dark rim, one unit wide.
  p.setPen(QPen(QColor(0x00, 0x48, 0x48), 1.0));
  p.setBrush(QColor(0x00, 0x80, 0x80));
  p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 5.5, 5.5);
  // The white cross, and the red one inside it.
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(12, 5, 8, 22));
  p.drawRect(QRectF(5, 12, 22, 8));
  p.setBrush(QColor(0xff, 0x40, 0x40));
  p.drawRect(QRectF(14, 7, 4, 18));
  p.drawRect(QRectF(7, 14, 18, 4));
  p.end();
  return image.convertToFormat(QImage::Format_ARGB32);
}

std::vector<QImage> ReadIconFile(const QString& path) {
  std::vector<QImage> frames;
  QImageReader reader(path);
  do {
    const QImage frame = reader.read();
    if (frame.isNull()) break;
    frames.push_back(frame.convertToFormat(QImage::Format_ARGB32));
  } while (reader.jumpToNextImage());
  return frames;
}

QImage IconAt(const std::vector<QImage>& frames, int size) {
  for (const QImage& frame : frames) {
    if (frame.width() == size && frame.height() == size) return frame;
  }
  return DrawIcon(size);
}

}  // namespace karo
