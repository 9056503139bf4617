// Colours travel as colour numbers: the low byte is red, then green, then blue.
#pragma once

#include <QColor>

#include "HostServices.h"

inline QColor ColorFromTColor(TColor color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}
