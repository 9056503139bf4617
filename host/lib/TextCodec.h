// Host data files may be UTF-8 or the legacy code page (GBK).
#pragma once

#include <QByteArray>
#include <QString>

namespace TextCodec {
QString DecodeUtf8OrGbk(const QByteArray& bytes);
QByteArray EncodeGbk(const QString& text);
}  // namespace TextCodec
