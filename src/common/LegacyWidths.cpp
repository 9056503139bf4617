#include "LegacyWidths.h"

#include <QString>
#include <QStringEncoder>

#include <utility>

namespace {

bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

}  // namespace

TLegacyWidths::TLegacyWidths(const char* encoderName) {
    widths_.fill(4);
    if (!ReadFromEncoder(encoderName)) {
        Guess();
    }
}

bool TLegacyWidths::ReadFromEncoder(const char* encoderName) {
    QStringEncoder encoder(encoderName, QStringEncoder::Flag::Stateless);
    if (!encoder.isValid()) {
        return false;
    }
    QString all;
    all.reserve(0x10000);
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (!IsSurrogate(c)) {
            all.append(QChar(static_cast<char16_t>(c)));
        }
    }
    const QByteArray bytes = encoder.encode(all);
    if (encoder.hasError()) {
        return false;
    }
    // Each character is one sequence: a byte below 0x80, or a lead byte
    // followed by a second byte that is a digit for the four-byte form.
    qsizetype at = 0;
    for (const QChar c : std::as_const(all)) {
        if (at >= bytes.size()) {
            return false;
        }
        int width = 1;
        if (static_cast<unsigned char>(bytes[at]) >= 0x80) {
            const bool digit =
                at + 1 < bytes.size() && bytes[at + 1] >= '0' && bytes[at + 1] <= '9';
            width = digit ? 4 : 2;
        }
        widths_[c.unicode()] = static_cast<std::uint8_t>(width);
        at += width;
    }
    return at == bytes.size();
}

// Without the encoder: never less than the encoder would write. ASCII takes
// one byte, the unified ideographs and the full-width forms GBK holds take
// two, anything else may take four.
void TLegacyWidths::Guess() {
    for (char32_t c = 0; c < 0x10000; ++c) {
        int width = 4;
        if (c < 0x80) {
            width = 1;
        } else if ((c >= 0x4E00 && c <= 0x9FA5) || (c >= 0xFF01 && c <= 0xFF5E)) {
            width = 2;
        }
        widths_[c] = static_cast<std::uint8_t>(width);
    }
}
