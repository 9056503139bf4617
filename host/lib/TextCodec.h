// Host data files may be UTF-8 or the legacy code page (GBK).
#pragma once

#include <QByteArray>
#include <QString>

#include "SharedApi.h"

// Exported for the programs that write the host's data files.
namespace TextCodec {
SHARED_API QString DecodeUtf8OrGbk(const QByteArray& bytes);
SHARED_API QByteArray EncodeGbk(const QString& text);
}  // namespace TextCodec
