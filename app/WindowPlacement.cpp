#include "WindowPlacement.h"

#include <QScreen>
#include <QWidget>

#include "AppVersion.h"

namespace app {

QPoint CentredOrigin(const QRect& screen, const QSize& window) {
  return {screen.left() + (screen.width() - window.width()) / 2,
          screen.top() + (screen.height() - window.height()) / 2};
}

void CentreOnScreen(QWidget& window) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) return;
  window.adjustSize();
  window.move(CentredOrigin(screen->geometry(), window.frameGeometry().size()));
}

QString VersionCaption() {
  return QStringLiteral("Version %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

QString VersionResourceText() {
  return QStringLiteral("%1.%2").arg(kVersionMajor).arg(kVersionMinor, 2, 10, QLatin1Char('0'));
}

}  // namespace app
