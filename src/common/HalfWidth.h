// Text typed with a Chinese input method in full-width mode: the full-width
// ASCII forms (U+FF01 to U+FF5E) and the ideographic space stand for the
// ASCII characters they look like.
#pragma once

#include <QString>
#include <QStringView>

// The text with those forms as their ASCII counterparts, one character for
// one, everything else as it is: "（０１０）－１　Ａ" -> "(010)-1 A".
QString ToHalfWidth(QStringView text);
