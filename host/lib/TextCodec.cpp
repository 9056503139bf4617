// Telling UTF-8 from GBK in the host's data files, strictly: what is neither
// is refused rather than read as nonsense.
#include "TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace TextCodec {

std::optional<QString> DecodeUtf8OrGbk(const QByteArray& bytes) {
    // UTF-16 and binary files hold NUL bytes, which neither encoding uses in text.
    if (bytes.contains('\0')) {
        return std::nullopt;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        // Tools that add a mark without looking may have written it twice.
        qsizetype marks = 0;
        while (marks < text.size() && text[marks] == QChar(0xFEFF)) {
            ++marks;
        }
        text.remove(0, marks);
        return text;
    }
    // Stateless, so a character cut off at the end counts as an error too.
    QStringDecoder gbk("GB18030", QStringDecoder::Flag::Stateless);
    if (!gbk.isValid()) {
        return std::nullopt;
    }
    text = gbk.decode(bytes);
    if (gbk.hasError() || text.contains(QChar::ReplacementCharacter)) {
        return std::nullopt;
    }
    return text;
}

QByteArray EncodeGbk(const QString& text) {
    QStringEncoder gbk("GB18030");
    if (!gbk.isValid()) {
        return text.toUtf8();
    }
    return gbk.encode(text);
}

}  // namespace TextCodec
