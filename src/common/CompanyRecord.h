// One XT_QYXX row in memory. Fields are texts of at most 255 bytes as the
// legacy code page stores them. The fields live back to back in one block
// in UTF-8, so a list of a million records stays small.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
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

class TCompanyRecordBuilder;

class TCompanyRecord {
  public:
    TCompanyRecord() = default;
    TCompanyRecord(const TCompanyRecord& other);
    TCompanyRecord& operator=(const TCompanyRecord& other);
    TCompanyRecord(TCompanyRecord&&) noexcept = default;
    TCompanyRecord& operator=(TCompanyRecord&&) noexcept = default;

    QString Field(CompanyField field) const;
    // The field's UTF-8 text in place, valid while the record is unchanged.
    QByteArrayView FieldUtf8(CompanyField field) const;
    // Stores the value cut to 255 legacy bytes.
    void SetField(CompanyField field, QStringView value);

    QString QYID() const { return Field(CompanyField::QYID); }
    QString QYSBH() const { return Field(CompanyField::QYSBH); }
    QString QYMC() const { return Field(CompanyField::QYMC); }

    bool operator==(const TCompanyRecord& other) const;

  private:
    friend class TCompanyRecordBuilder;
    using Ends = std::array<std::uint16_t, kCompanyFieldCount>;

    TCompanyRecord(const Ends& ends, const std::string& text);
    Ends ReadEnds() const;
    std::size_t BlockSize() const;

    // One block per record, exactly as large as needed: where each field
    // ends (field i starts where field i - 1 ends), then the texts in UTF-8
    // back to back. A record without texts has no block.
    std::unique_ptr<char[]> block_;
};

// Makes records from rows: each record is allocated once, at its final size,
// and texts given in UTF-8 are copied once, from the caller's memory into it.
class TCompanyRecordBuilder {
  public:
    // Sets a field of the record being built, cut to 255 legacy bytes.
    void Set(CompanyField field, QStringView value);
    // The same for a text in UTF-8. One short enough that it cannot exceed
    // the cut is neither decoded nor copied here: its bytes must stay as
    // they are until Take().
    void SetUtf8(CompanyField field, QByteArrayView value);
    // The record built so far; the builder starts an empty one.
    TCompanyRecord Take();

  private:
    // Copies the texts given so far into text_, to be spliced there.
    void ToText();

    // While only short UTF-8 texts were given: where they are.
    bool viewing_ = true;
    std::uint32_t given_ = 0;  // bit i: field i was given
    std::array<const char*, kCompanyFieldCount> data_{};
    std::array<std::size_t, kCompanyFieldCount> sizes_{};
    // Otherwise the texts, as a record's block holds them.
    TCompanyRecord::Ends ends_{};
    std::string text_;
};

using TCompanyRecordArray = std::vector<TCompanyRecord>;
// Separately allocated records, as the selection dialog keeps them.
using TCompanyRecordList = std::vector<std::unique_ptr<TCompanyRecord>>;
