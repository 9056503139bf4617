#include "CompanyRecord.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <utility>

#include "LegacyWidths.h"
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

const TLegacyWidths& LegacyWidths() {
    static const TLegacyWidths widths("GB18030");
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

namespace {

// Appends text in UTF-8; a lone surrogate becomes U+FFFD, as Qt writes it.
void AppendUtf8(std::string& out, QStringView text) {
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        char32_t c = text[i].unicode();
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < size && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(static_cast<char16_t>(c), text[++i].unicode());
        } else if (QChar::isSurrogate(c)) {
            c = 0xFFFD;
        }
        if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        }
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

constexpr std::size_t kEndsBytes = sizeof(std::uint16_t) * kCompanyFieldCount;

int Start(const std::array<std::uint16_t, kCompanyFieldCount>& ends, int i) {
    return i == 0 ? 0 : ends[i - 1];
}

// Puts value in place of field i of text, moving the later fields.
void Splice(std::array<std::uint16_t, kCompanyFieldCount>& ends, std::string& text, int i,
            QStringView value) {
    const QStringView cut = CutToLegacyBytes(value);
    const int start = Start(ends, i);
    const int oldLength = ends[i] - start;
    std::size_t newLength = 0;
    if (ends.back() == ends[i]) {
        // No later field holds text: filling fields in order only appends.
        text.resize(static_cast<std::size_t>(start));
        AppendUtf8(text, cut);
        newLength = text.size() - static_cast<std::size_t>(start);
    } else {
        std::string encoded;
        AppendUtf8(encoded, cut);
        text.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(oldLength), encoded);
        newLength = encoded.size();
    }
    const int delta = static_cast<int>(newLength) - oldLength;
    for (int j = i; j < kCompanyFieldCount; ++j) {
        ends[j] = static_cast<std::uint16_t>(ends[j] + delta);
    }
}

}  // namespace

TCompanyRecord::TCompanyRecord(const Ends& ends, const std::string& text) {
    if (text.empty()) {
        return;
    }
    block_ = std::make_unique_for_overwrite<char[]>(kEndsBytes + text.size());
    std::memcpy(block_.get(), ends.data(), kEndsBytes);
    std::memcpy(block_.get() + kEndsBytes, text.data(), text.size());
}

TCompanyRecord::TCompanyRecord(const TCompanyRecord& other) {
    *this = other;
}

TCompanyRecord& TCompanyRecord::operator=(const TCompanyRecord& other) {
    if (this != &other) {
        const std::size_t size = other.BlockSize();
        std::unique_ptr<char[]> copy;
        if (size > 0) {
            copy = std::make_unique_for_overwrite<char[]>(size);
            std::memcpy(copy.get(), other.block_.get(), size);
        }
        block_ = std::move(copy);
    }
    return *this;
}

TCompanyRecord::Ends TCompanyRecord::ReadEnds() const {
    Ends ends{};
    if (block_ != nullptr) {
        std::memcpy(ends.data(), block_.get(), kEndsBytes);
    }
    return ends;
}

std::size_t TCompanyRecord::BlockSize() const {
    return block_ == nullptr ? 0 : kEndsBytes + ReadEnds().back();
}

QString TCompanyRecord::Field(CompanyField field) const {
    return block_ == nullptr ? QString() : QString::fromUtf8(FieldUtf8(field));
}

QByteArrayView TCompanyRecord::FieldUtf8(CompanyField field) const {
    if (block_ == nullptr) {
        return QByteArrayView();
    }
    const Ends ends = ReadEnds();
    const int i = Index(field);
    const int start = Start(ends, i);
    return QByteArrayView(block_.get() + kEndsBytes + start, ends[i] - start);
}

void TCompanyRecord::SetField(CompanyField field, QStringView value) {
    Ends ends = ReadEnds();
    std::string text;
    if (block_ != nullptr) {
        text.assign(block_.get() + kEndsBytes, ends.back());
    }
    Splice(ends, text, Index(field), value);
    *this = TCompanyRecord(ends, text);
}

bool TCompanyRecord::operator==(const TCompanyRecord& other) const {
    const std::size_t size = BlockSize();
    return size == other.BlockSize() &&
           (size == 0 || std::memcmp(block_.get(), other.block_.get(), size) == 0);
}

void TCompanyRecordBuilder::ToText() {
    if (!viewing_) {
        return;
    }
    viewing_ = false;
    text_.clear();
    for (int i = 0; i < kCompanyFieldCount; ++i) {
        if ((given_ & (1u << i)) && sizes_[i] > 0) {
            text_.append(data_[i], sizes_[i]);
        }
        ends_[i] = static_cast<std::uint16_t>(text_.size());
    }
}

void TCompanyRecordBuilder::Set(CompanyField field, QStringView value) {
    ToText();
    Splice(ends_, text_, Index(field), value);
}

void TCompanyRecordBuilder::SetUtf8(CompanyField field, QByteArrayView value) {
    // A character never takes more legacy bytes than twice its UTF-8 bytes.
    if (value.size() > kMaxFieldBytes / 2 || !viewing_) {
        Set(field, QString::fromUtf8(value));
        return;
    }
    const int i = Index(field);
    data_[i] = value.data();
    sizes_[i] = static_cast<std::size_t>(value.size());
    given_ |= 1u << i;
    static_assert(kCompanyFieldCount <= 32);
}

TCompanyRecord TCompanyRecordBuilder::Take() {
    TCompanyRecord record;
    if (viewing_) {
        // Straight from the caller's texts into the record's block. Only the
        // fields given are read, one at a time.
        std::size_t size = 0;
        for (std::uint32_t left = given_; left != 0; left &= left - 1) {
            size += sizes_[std::countr_zero(left)];
        }
        if (size > 0) {
            record.block_ = std::make_unique_for_overwrite<char[]>(kEndsBytes + size);
            char* text = record.block_.get() + kEndsBytes;
            std::size_t end = 0;
            for (int i = 0; i < kCompanyFieldCount; ++i) {
                if ((given_ & (1u << i)) && sizes_[i] > 0) {
                    std::memcpy(text + end, data_[i], sizes_[i]);
                    end += sizes_[i];
                }
                ends_[i] = static_cast<std::uint16_t>(end);
            }
            std::memcpy(record.block_.get(), ends_.data(), kEndsBytes);
        }
    } else {
        record = TCompanyRecord(ends_, text_);
    }
    given_ = 0;
    viewing_ = true;
    text_.clear();
    return record;
}
