// The icon theme's pictures against the program's own icon file.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>

#include "Icon.h"

namespace karo::test {
namespace {

const QString kIconFile = QStringLiteral(KARO_SOURCE_DIR "/resources/data/karosmall.ICO");

int ChannelDifference(QRgb a, QRgb b) {
  return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)),
                   std::abs(qAlpha(a) - qAlpha(b))});
}

TEST(ThemeIcon, TakesTheSizesOfTheProgramIconAsTheyAre) {
  const std::vector<QImage> frames = ReadIconFile(kIconFile);
  ASSERT_FALSE(frames.empty());
  for (const QImage& frame : frames) {
    SCOPED_TRACE(frame.width());
    EXPECT_EQ(IconAt(frames, frame.width()), frame);
  }
  EXPECT_TRUE(ReadIconFile(QStringLiteral(KARO_SOURCE_DIR "/README.md")).empty());
}

// The drawing at 32 pixels is the program icon's 32-pixel picture, up to the
// smoothing of the rounded corners; so the other sizes show the same icon.
TEST(ThemeIcon, DrawsTheSameDesignAsTheProgramIcon) {
  const std::vector<QImage> frames = ReadIconFile(kIconFile);
  const QImage drawn = DrawIcon(32);
  const QImage* frame32 = nullptr;
  for (const QImage& f : frames) {
    if (f.width() == 32) frame32 = &f;
  }
  ASSERT_NE(frame32, nullptr);
  long total = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const int d = ChannelDifference(drawn.pixel(x, y), frame32->pixel(x, y));
      EXPECT_LE(d, 64) << "pixel " << x << "," << y;
      total += d;
    }
  }
  EXPECT_LT(total / (32.0 * 32.0), 2.0);
}

// Points of the design on its 32-unit grid, and their colours, at every size
// (the white edge, two units wide, from 48 pixels on, where it is wider than
// the smoothing).
TEST(ThemeIcon, EverySizeShowsTheDesignInPlace) {
  struct Point {
    double X, Y;
    QRgb Colour;
    int FromSize;
  };
  const Point points[] = {
      {0.2, 0.2, qRgba(0, 0, 0, 0), 16},       // outside the rounded corner
      {3, 16, qRgb(0x00, 0x80, 0x80), 16},     // the teal square
      {16, 16, qRgb(0xff, 0x40, 0x40), 16},    // the middle of the red cross
      {16, 29, qRgb(0x00, 0x80, 0x80), 16},    // below the cross
      {16, 6, qRgb(0xff, 0xff, 0xff), 48},     // the white edge of the upright bar
      {26, 16, qRgb(0xff, 0xff, 0xff), 48},    // the white edge of the cross bar
  };
  const std::vector<QImage> frames = ReadIconFile(kIconFile);
  for (const int size : kThemeIconSizes) {
    SCOPED_TRACE(size);
    const QImage image = IconAt(frames, size);
    ASSERT_EQ(image.size(), QSize(size, size));
    for (const Point& p : points) {
      if (size < p.FromSize) continue;
      const QRgb seen = image.pixel(int(p.X * size / 32), int(p.Y * size / 32));
      // A transparent point is only checked for being transparent.
      const QRgb compared = qAlpha(p.Colour) ? seen : qRgba(0, 0, 0, qAlpha(seen));
      EXPECT_LE(ChannelDifference(compared, p.Colour), 40) << "at " << p.X << "," << p.Y << ": " << std::hex << seen;
    }
  }
}

TEST(ThemeIcon, BuildWroteEverySize) {
  for (const int size : kThemeIconSizes) {
    SCOPED_TRACE(size);
    const QImage file(QStringLiteral(KARO_ICON_DIR "/%1x%1/apps/karoview.png").arg(size));
    ASSERT_FALSE(file.isNull());
    EXPECT_EQ(file.size(), QSize(size, size));
    EXPECT_TRUE(file.hasAlphaChannel());
  }
}

}  // namespace
}  // namespace karo::test
