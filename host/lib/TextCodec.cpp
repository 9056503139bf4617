#include "TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace TextCodec {

QString DecodeUtf8OrGbk(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF))) {
            text.remove(0, 1);
        }
        return text;
    }
    QStringDecoder gbk("GB18030");
    if (gbk.isValid()) {
        return gbk.decode(bytes);
    }
    return QString::fromLatin1(bytes);
}

QByteArray EncodeGbk(const QString& text) {
    QStringEncoder gbk("GB18030");
    if (!gbk.isValid()) {
        return text.toUtf8();
    }
    return gbk.encode(text);
}

}  // namespace TextCodec
