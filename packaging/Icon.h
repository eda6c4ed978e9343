// The program's icon at the sizes of a desktop's icon theme: the sizes the
// program's own icon file holds are taken from it as they are, the others are
// drawn from the same design (a teal rounded square with a white-edged red
// cross, laid out on a grid of 32 by 32).
#ifndef KARO_PACKAGING_ICON_H
#define KARO_PACKAGING_ICON_H

#include <QImage>
#include <QString>
#include <vector>

namespace karo {

// The square sizes of the icon theme's application folders (hicolor).
extern const std::vector<int> kThemeIconSizes;

// The design drawn at size by size pixels (ARGB, transparent around).
// REQUIRES: size > 0.
QImage DrawIcon(int size);

// The images of an icon file, or none when it cannot be read.
std::vector<QImage> ReadIconFile(const QString& path);

// The picture at size by size: the image of that size from `frames` when
// there is one, else DrawIcon(size).
QImage IconAt(const std::vector<QImage>& frames, int size);

}  // namespace karo

#endif  // KARO_PACKAGING_ICON_H
