// Text files may be UTF-8 or the legacy code page (GBK): the host's data and
// settings files, certificate indexes, imported company lists. Host and module
// tell them apart here and nowhere else.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

#include "SharedApi.h"

namespace TextCodec {

enum class Encoding { Utf8, Gbk };

struct Decoded {
    QString text;
    Encoding encoding = Encoding::Utf8;
};

// Valid UTF-8 reads as UTF-8 (leading byte-order marks dropped); otherwise
// bytes that are valid GBK (GB18030) as a whole read as GBK. Anything else,
// NUL bytes included, is no text: nullopt, and badLine, when given, gets the
// first line (from 1) that the encoding read further cannot read.
SHARED_API std::optional<Decoded> Decode(QByteArrayView bytes, int* badLine = nullptr);
SHARED_API std::optional<QString> DecodeUtf8OrGbk(QByteArrayView bytes);
// The bytes in that encoding, strictly: nullopt for what it cannot read.
SHARED_API std::optional<QString> DecodeAs(QByteArrayView bytes, Encoding encoding);
SHARED_API QByteArray EncodeGbk(const QString& text);
// The encoding's name as the operator reads it.
SHARED_API QString EncodingName(Encoding encoding);

}  // namespace TextCodec
