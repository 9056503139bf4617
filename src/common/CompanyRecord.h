// One XT_QYXX row in memory. Fields are texts of at most 255 bytes as the
// legacy code page stores them. The fields live back to back in one string,
// so a list of a million records stays small.
#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

enum class CompanyField : std::uint8_t {
    QYID,
    QYSBH,
    QYMC,
    FDDBRMC,
    NSRSBH,
    CWFZR,
    CWFZRLXHM,
    CWFZRBGDH,
    BSY,
    BSYLXHM,
    BSYBGDH,
    XZQHDM,
    ZCDZ,
    YYDZ,
    YZBM,
    EMAIL,
    QYDHHM,
    QYCZHM,
    HYDM,
    HYMC,
    ZSID,
    CZY_DM,
};

inline constexpr int kCompanyFieldCount = static_cast<int>(CompanyField::CZY_DM) + 1;

// Column name of a field, as in XT_QYXX.
const char* CompanyFieldName(CompanyField field);

// Longest text a record field holds, in legacy (GBK) bytes.
inline constexpr int kMaxFieldBytes = 255;

// Bytes a text takes in the legacy code page as its encoder (GB18030) writes
// it: one for ASCII, two for a GBK character, four for any other character
// (one beyond the basic plane included).
int LegacyByteLength(QStringView text);
// The longest head of text within maxBytes legacy bytes; never splits a character.
QStringView CutToLegacyBytes(QStringView text, int maxBytes = kMaxFieldBytes);

class TCompanyRecord {
  public:
    TCompanyRecord() = default;

    QString Field(CompanyField field) const { return FieldView(field).toString(); }
    QStringView FieldView(CompanyField field) const;
    // Stores the value cut to 255 legacy bytes.
    void SetField(CompanyField field, QStringView value);

    QString QYID() const { return Field(CompanyField::QYID); }
    QString QYSBH() const { return Field(CompanyField::QYSBH); }
    QString QYMC() const { return Field(CompanyField::QYMC); }

    bool operator==(const TCompanyRecord& other) const = default;

  private:
    QString text_;
    // ends_[i] is where field i ends in text_; it starts where field i - 1 ends.
    std::array<std::uint16_t, kCompanyFieldCount> ends_{};
};

using TCompanyRecordArray = std::vector<TCompanyRecord>;
// Separately allocated records, as the selection dialog keeps them.
using TCompanyRecordList = std::vector<std::unique_ptr<TCompanyRecord>>;
