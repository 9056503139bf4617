// Text typed with a Chinese input method in full-width mode: the full-width
// ASCII forms (U+FF01 to U+FF5E) and the ideographic space stand for the
// ASCII characters they look like.
#pragma once

#include <QString>
#include <QStringView>

#include "SharedApi.h"

// The text with those forms as their ASCII counterparts, one character for
// one, everything else as it is: "（０１０）－１　Ａ" -> "(010)-1 A".
SHARED_API QString ToHalfWidth(QStringView text);

// What a search compares: half-width, letters in lower case ("ＡＢ１２　c" ->
// "ab12 c"). Typing in a list and the database's LIKE both fold this way, so
// the same text finds the same companies on every engine.
SHARED_API QString FoldForSearch(QStringView text);
