#include "CompanyRecord.h"

namespace {

constexpr const char* kFieldNames[kCompanyFieldCount] = {
    "QYID",   "QYSBH",   "QYMC",    "FDDBRMC", "NSRSBH", "CWFZR",  "CWFZRLXHM", "CWFZRBGDH",
    "BSY",    "BSYLXHM", "BSYBGDH", "XZQHDM",  "ZCDZ",   "YYDZ",   "YZBM",      "EMAIL",
    "QYDHHM", "QYCZHM",  "HYDM",    "HYMC",    "ZSID",   "CZY_DM",
};

int Index(CompanyField field) {
    return static_cast<int>(field);
}

int CharBytes(QChar c) {
    return c.unicode() < 0x80 ? 1 : 2;
}

}  // namespace

const char* CompanyFieldName(CompanyField field) {
    return kFieldNames[Index(field)];
}

int LegacyByteLength(QStringView text) {
    int bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A surrogate pair is one character, stored as two bytes at most.
        if (text[i].isLowSurrogate()) {
            continue;
        }
        bytes += CharBytes(text[i]);
    }
    return bytes;
}

QStringView CutToLegacyBytes(QStringView text, int maxBytes) {
    int bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isLowSurrogate()) {
            continue;
        }
        bytes += CharBytes(text[i]);
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
