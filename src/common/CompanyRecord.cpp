#include "CompanyRecord.h"

#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

#include "TableColumns.h"

namespace {

// A record holds the leading columns of XT_QYXX, in the table's order.
constexpr std::array<const char*, kCompanyFieldCount> LeadingCompanyColumns() {
    std::array<const char*, kCompanyFieldCount> names{};
    for (int i = 0; i < kCompanyFieldCount; ++i) {
        names[static_cast<std::size_t>(i)] = TableColumns::kCompany[i].name.data();
    }
    return names;
}
constexpr auto kFieldNames = LeadingCompanyColumns();
static_assert(std::size(TableColumns::kCompany) >= kCompanyFieldCount);
static_assert(TableColumns::kCompany[static_cast<int>(CompanyField::QYSBH)].name == "QYSBH");
static_assert(TableColumns::kCompany[static_cast<int>(CompanyField::CZY_DM)].name == "CZY_DM");

int Index(CompanyField field) {
    return static_cast<int>(field);
}

// Bytes each character of the basic plane takes in the legacy code page's
// full form, GB18030 (GBK plus four-byte sequences for everything GBK lacks),
// read once from the toolkit's own encoder so that counting and encoding can
// never disagree.
class TLegacyWidths {
  public:
    TLegacyWidths() {
        widths_.fill(4);
        if (!ReadFromEncoder()) {
            Guess();
        }
    }
    int Of(char16_t c) const { return widths_[c]; }

  private:
    static bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

    bool ReadFromEncoder() {
        QStringEncoder encoder("GB18030", QStringEncoder::Flag::Stateless);
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

    // Without the encoder: never less than the encoder would write. ASCII
    // takes one byte, the unified ideographs and the full-width forms GBK
    // holds take two, anything else may take four.
    void Guess() {
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

    // Surrogates keep four: a pair is counted as one character, and a lone
    // one is counted as the most a replacement could take.
    std::array<std::uint8_t, 0x10000> widths_;
};

const TLegacyWidths& LegacyWidths() {
    static const TLegacyWidths widths;
    return widths;
}

// Bytes of the character that starts at i, and how many units it spans.
int CharBytes(QStringView text, qsizetype i, qsizetype& units) {
    const QChar c = text[i];
    units = 1;
    if (c.unicode() < 0x80) {
        return 1;
    }
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        units = 2;
        return 4;  // every character beyond the basic plane is a four-byte sequence
    }
    return LegacyWidths().Of(c.unicode());
}

}  // namespace

const char* CompanyFieldName(CompanyField field) {
    return kFieldNames[Index(field)];
}

int LegacyByteLength(QStringView text) {
    qsizetype bytes = 0;
    qsizetype units = 1;
    for (qsizetype i = 0; i < text.size(); i += units) {
        bytes += CharBytes(text, i, units);
    }
    return static_cast<int>(std::min<qsizetype>(bytes, std::numeric_limits<int>::max()));
}

QStringView CutToLegacyBytes(QStringView text, int maxBytes) {
    // No unit takes more than four bytes: short texts need no count.
    if (text.size() <= maxBytes / 4) {
        return text;
    }
    qsizetype bytes = 0;
    qsizetype units = 1;
    for (qsizetype i = 0; i < text.size(); i += units) {
        bytes += CharBytes(text, i, units);
        if (bytes > maxBytes) {
            return text.left(i);
        }
    }
    return text;
}

QStringView TCompanyRecord::FieldView(CompanyField field) const {
    const int i = Index(field);
    const int start = i == 0 ? 0 : ends_[i - 1];
    return QStringView(text_).mid(start, ends_[i] - start);
}

void TCompanyRecord::SetField(CompanyField field, QStringView value) {
    const QStringView cut = CutToLegacyBytes(value);
    const int i = Index(field);
    const int start = i == 0 ? 0 : ends_[i - 1];
    const int oldLength = ends_[i] - start;
    const int delta = static_cast<int>(cut.size()) - oldLength;
    if (ends_.back() == ends_[i]) {
        // No later field holds text: filling fields in order only appends.
        text_.truncate(start);
        text_.append(cut);
    } else {
        text_.replace(start, oldLength, cut.toString());
    }
    for (int j = i; j < kCompanyFieldCount; ++j) {
        ends_[j] = static_cast<std::uint16_t>(ends_[j] + delta);
    }
}
