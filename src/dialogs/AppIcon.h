// The program's icon, drawn from the SVG compiled into the dialogs library.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace korvane {

// The icon's resource path.
inline constexpr const char* AppIconPath = ":/korvane/korvane.svg";

// The icon at the usual sizes, rendered from the SVG (no image plug-in needed).
QIcon AppIcon();
// The icon as a square picture of side logical pixels at the given device pixel ratio.
QPixmap AppIconPixmap(int side, qreal dpr = 1.0);

} // namespace korvane
