// Host data files may be UTF-8 or the legacy code page (GBK).
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

#include "SharedApi.h"

// Exported for the programs that write the host's data files.
namespace TextCodec {
// Valid UTF-8 (leading byte-order marks dropped) reads as UTF-8, else valid GBK
// (GB18030) as GBK; anything else, NUL bytes included, is no text: nullopt.
SHARED_API std::optional<QString> DecodeUtf8OrGbk(const QByteArray& bytes);
SHARED_API QByteArray EncodeGbk(const QString& text);
}  // namespace TextCodec
