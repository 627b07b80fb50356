#pragma once

#include <QDir>
#include <QImage>
#include <QScreen>
#include <QSet>
#include <QWidget>
#include <cstdio>

// Screenshots of the program's windows on a real (virtual) X display.
namespace windowpicture {

// The folder named as a program's only argument, created; empty (after a
// usage line) when the arguments are wrong.
inline QString OutputFolder(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s output-folder\n", argv[0]);
    return {};
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);
  return folder;
}

// Grabs the window as the screen shows it and saves it under `path`.
// False when the picture is blank: too few colours for a drawn window.
inline bool Save(QWidget& window, const QString& path) {
  const QImage image = window.screen()->grabWindow(window.winId()).toImage();
  image.save(path);
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); y += 2)
    for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
  std::printf("%s: %dx%d, %d colours\n", qPrintable(path), image.width(), image.height(),
              static_cast<int>(colours.size()));
  return !image.isNull() && colours.size() >= 32;
}

}  // namespace windowpicture
