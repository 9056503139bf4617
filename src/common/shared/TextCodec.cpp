#include "TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace {

using TextCodec::DecodeAs;
using TextCodec::Encoding;

// The first line (from 1) the encoding cannot read; 0 when it reads them all.
// No multi-byte character of either encoding holds a line feed byte.
int FirstBadLine(QByteArrayView bytes, Encoding encoding) {
    int line = 1;
    for (qsizetype start = 0; start <= bytes.size(); ++line) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0) {
            end = bytes.size();
        }
        if (!DecodeAs(bytes.sliced(start, end - start), encoding)) {
            return line;
        }
        start = end + 1;
    }
    return 0;
}

}  // namespace

namespace TextCodec {

std::optional<QString> DecodeAs(QByteArrayView bytes, Encoding encoding) {
    // UTF-16 and binary files hold NUL bytes, which neither encoding uses in text.
    if (bytes.contains('\0')) {
        return std::nullopt;
    }
    // Stateless, so a character cut off at the end counts as an error too; a
    // byte-order mark is kept as a character, as every other.
    const auto flags = QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;
    QStringDecoder decoder = encoding == Encoding::Utf8
                                 ? QStringDecoder(QStringDecoder::Utf8, flags)
                                 : QStringDecoder("GB18030", flags);
    if (!decoder.isValid()) {
        return std::nullopt;
    }
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    // The decoder puts the replacement mark for bytes it cannot read; a mark
    // the file itself holds (GB18030 spells it too) is told apart by writing
    // the text back: only a faithful reading gives the same bytes.
    if (encoding == Encoding::Gbk && text.contains(QChar::ReplacementCharacter) &&
        EncodeGbk(text) != bytes) {
        return std::nullopt;
    }
    return text;
}

std::optional<Decoded> Decode(QByteArrayView bytes, int* badLine) {
    for (const Encoding encoding : {Encoding::Utf8, Encoding::Gbk}) {
        if (std::optional<QString> text = DecodeAs(bytes, encoding)) {
            // Byte-order marks lead no text; tools that add one without looking
            // may have written it twice.
            const auto marks = std::find_if(text->cbegin(), text->cend(),
                                            [](QChar c) { return c != QChar(0xFEFF); }) -
                               text->cbegin();
            text->remove(0, marks);
            return Decoded{*text, encoding};
        }
    }
    if (badLine != nullptr) {
        *badLine =
            std::max(FirstBadLine(bytes, Encoding::Utf8), FirstBadLine(bytes, Encoding::Gbk));
    }
    return std::nullopt;
}

std::optional<QString> DecodeUtf8OrGbk(QByteArrayView bytes) {
    std::optional<Decoded> decoded = Decode(bytes);
    if (!decoded) {
        return std::nullopt;
    }
    return std::move(decoded->text);
}

QByteArray EncodeGbk(const QString& text) {
    QStringEncoder gbk("GB18030");
    if (!gbk.isValid()) {
        return text.toUtf8();
    }
    return gbk.encode(text);
}

QString EncodingName(Encoding encoding) {
    return encoding == Encoding::Gbk ? QStringLiteral("GBK") : QStringLiteral("UTF-8");
}

}  // namespace TextCodec
