#include "TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace {

using TextCodec::Encoding;

// Strict: what the encoding cannot read is no text rather than nonsense.
std::optional<QString> DecodeAs(QByteArrayView bytes, Encoding encoding) {
    // UTF-16 and binary files hold NUL bytes, which neither encoding uses in text.
    if (bytes.contains('\0')) {
        return std::nullopt;
    }
    // Stateless, so a character cut off at the end counts as an error too.
    QStringDecoder decoder =
        encoding == Encoding::Utf8
            ? QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless)
            : QStringDecoder("GB18030", QStringDecoder::Flag::Stateless);
    if (!decoder.isValid()) {
        return std::nullopt;
    }
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    // GBK text holding the replacement mark lost characters before it came.
    if (encoding == Encoding::Gbk && text.contains(QChar::ReplacementCharacter)) {
        return std::nullopt;
    }
    return text;
}

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

std::optional<Decoded> Decode(QByteArrayView bytes, int* badLine) {
    if (std::optional<QString> text = DecodeAs(bytes, Encoding::Utf8)) {
        // Tools that add a mark without looking may have written it twice.
        const auto marks =
            std::find_if(text->cbegin(), text->cend(), [](QChar c) { return c != QChar(0xFEFF); }) -
            text->cbegin();
        text->remove(0, marks);
        return Decoded{*text, Encoding::Utf8};
    }
    if (std::optional<QString> text = DecodeAs(bytes, Encoding::Gbk)) {
        return Decoded{*text, Encoding::Gbk};
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
