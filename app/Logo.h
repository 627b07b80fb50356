#pragma once

#include <QPixmap>

namespace app {

// The maker's logo, drawn at the given size.
QPixmap LogoPixmap(const QSize& size);

}  // namespace app
