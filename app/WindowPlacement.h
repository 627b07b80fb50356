#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace app {

// Where a window of `window` size stands centred on `screen`: half the
// difference of the widths and heights from the screen's origin.
QPoint CentredOrigin(const QRect& screen, const QSize& window);

// Moves a top-level window to the centre of its screen.
void CentreOnScreen(QWidget& window);

// "Version " and the program's major, minor and revision numbers.
QString VersionCaption();

// The file and product version text: major, a point and a two-digit minor.
QString VersionResourceText();

}  // namespace app
