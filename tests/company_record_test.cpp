// The legacy byte width of texts, and how a record stores what it is given:
// lone surrogates, characters of every UTF-8 length, copies and comparisons.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QStringEncoder>

#include <random>
#include <vector>

#include "CompanyRecord.h"
#include "LegacyWidths.h"

namespace {

bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// Bytes the legacy encoder writes for each character of the basic plane.
std::vector<int> EncodedWidths() {
    QStringEncoder encoder("GB18030", QStringEncoder::Flag::Stateless);
    std::vector<int> widths(0x10000, 0);
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (!IsSurrogate(c)) {
            const QChar one(static_cast<char16_t>(c));
            widths[c] = static_cast<int>(QByteArray(encoder.encode(QStringView(&one, 1))).size());
        }
    }
    return widths;
}

// The table read from the legacy encoder is what it writes. Any other
// encoder (missing, refusing characters GBK lacks, or writing one or three
// bytes where GB18030 writes two) gives way to one fallback table, which never
// counts fewer bytes than the encoder writes, so a cut text always fits; it
// is exact for ASCII and for the ideographs and full-width forms.
TEST(LegacyWidths, ReadFromTheEncoderOrNeverLessThanItWrites) {
    ASSERT_TRUE(QStringEncoder("GB18030").isValid());
    const std::vector<int> encoded = EncodedWidths();
    const TLegacyWidths exact("GB18030");
    for (char32_t c = 0; c < 0x10000; ++c) {
        const int expected = IsSurrogate(c) ? 4 : encoded[c];
        ASSERT_EQ(exact.Of(static_cast<char16_t>(c)), expected)
            << std::hex << static_cast<unsigned>(c);
    }

    const TLegacyWidths missing("no such encoder");
    for (const char* name : {"no such encoder", "GBK", "ISO-8859-1", "UTF-8"}) {
        SCOPED_TRACE(name);
        const TLegacyWidths fallback(name);
        for (char32_t c = 0; c < 0x10000; ++c) {
            const auto unit = static_cast<char16_t>(c);
            ASSERT_EQ(fallback.Of(unit), missing.Of(unit)) << std::hex << static_cast<unsigned>(c);
            if (IsSurrogate(c)) {
                ASSERT_EQ(fallback.Of(unit), 4) << std::hex << static_cast<unsigned>(c);
                continue;
            }
            ASSERT_GE(fallback.Of(unit), encoded[c]) << std::hex << static_cast<unsigned>(c);
            const bool tight =
                c < 0x80 || (c >= 0x4E00 && c <= 0x9FA5) || (c >= 0xFF01 && c <= 0xFF5E);
            if (tight) {
                ASSERT_EQ(fallback.Of(unit), encoded[c]) << std::hex << static_cast<unsigned>(c);
            }
        }
        // The ideographic space and the like are two bytes the fallback
        // does not know of: the table is no copy of the encoder's.
        EXPECT_EQ(fallback.Of(u'\u3000'), 4);
    }
}

// A surrogate without its partner counts as the most a replacement takes and
// is stored as U+FFFD, as the toolkit writes it in UTF-8.
TEST(CompanyRecord, LoneSurrogatesAreCountedWideAndStoredAsReplacements) {
    const QChar high(char16_t(0xD83D));
    const QChar low(char16_t(0xDE00));
    const QString replacement(QChar(char16_t(0xFFFD)));
    struct Case {
        const char* name;
        QString text;
        int bytes;
        QString stored;
    };
    const std::vector<Case> cases = {
        {"high at the end", QStringLiteral("a") + high, 5, QStringLiteral("a") + replacement},
        {"high before a letter", high + QStringLiteral("b"), 5, replacement + QStringLiteral("b")},
        {"high before a high", QString(high) + high + low, 8, replacement + high + low},
        {"low alone", QStringLiteral("x") + low, 5, QStringLiteral("x") + replacement},
        {"a pair", QString(high) + low, 4, QString(high) + low},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LegacyByteLength(c.text), c.bytes);
        EXPECT_EQ(CutToLegacyBytes(c.text, c.bytes).toString(), c.text);
        TCompanyRecord record;
        record.SetField(CompanyField::QYMC, c.text);
        record.SetField(CompanyField::QYID, QStringLiteral("1"));
        EXPECT_EQ(record.QYMC(), c.stored);
        EXPECT_EQ(record.QYID(), "1");
    }
    // 251 letters and a lone surrogate fill 255 bytes; one more letter does not fit.
    const QString full = QString(251, QLatin1Char('a')) + high;
    EXPECT_EQ(CutToLegacyBytes(full).size(), full.size());
    EXPECT_EQ(CutToLegacyBytes(QLatin1Char('b') + full).size(), full.size());
}

// Characters of one to four UTF-8 bytes are all kept as given, in any field.
TEST(CompanyRecord, KeepsCharactersOfEveryUtf8Length) {
    const QString text =
        QString::fromUtf8("a\xC3\xA9\xD0\x96\xE2\x82\xAC\xE7\x94\xB2\xF0\x9F\x98\x80");
    TCompanyRecord record;
    record.SetField(CompanyField::HYMC, text);
    record.SetField(CompanyField::QYMC, QString::fromUtf8("\xC3\xA9"));
    EXPECT_EQ(record.Field(CompanyField::HYMC), text);
    EXPECT_EQ(record.QYMC(), QString::fromUtf8("\xC3\xA9"));
}

TEST(CompanyRecord, CopiesAndComparisonsFollowTheTexts) {
    TCompanyRecord empty;
    const TCompanyRecord emptyCopy = empty;
    EXPECT_EQ(emptyCopy, empty);
    EXPECT_EQ(emptyCopy.QYMC(), "");

    TCompanyRecord a;
    a.SetField(CompanyField::QYMC, QStringLiteral("a"));
    TCompanyRecord b;
    b.SetField(CompanyField::QYMC, QStringLiteral("b"));
    EXPECT_NE(a, b);  // blocks of the same size, other texts
    EXPECT_NE(a, empty);

    // Assigning a record to itself keeps its texts.
    TCompanyRecord& same = a;
    a = same;
    EXPECT_EQ(a.QYMC(), "a");
    // A record given an empty one is empty again.
    a = empty;
    EXPECT_EQ(a, empty);
    EXPECT_EQ(a.QYMC(), "");
}

// An empty text given in UTF-8 stays empty when a later field needs the
// texts copied (a long one is cut), and the fields around it keep theirs.
TEST(CompanyRecord, EmptyUtf8FieldsSurviveALaterCut) {
    const QByteArray id = "7";
    const QByteArray none;
    const QByteArray longName(300, 'n');
    TCompanyRecordBuilder builder;
    builder.SetUtf8(CompanyField::QYID, id);
    builder.SetUtf8(CompanyField::QYSBH, none);
    builder.SetUtf8(CompanyField::QYMC, longName);
    builder.SetUtf8(CompanyField::CZY_DM, "01");
    const TCompanyRecord built = builder.Take();
    EXPECT_EQ(built.QYID(), "7");
    EXPECT_EQ(built.QYSBH(), "");
    EXPECT_EQ(built.QYMC(), QString(kMaxFieldBytes, QLatin1Char('n')));
    EXPECT_EQ(built.Field(CompanyField::CZY_DM), "01");
}

TEST(CompanyRecord, FieldsKeepTheirOwnTextsInAnyOrder) {
    TCompanyRecord record;
    record.SetField(CompanyField::QYMC, QStringLiteral("名称"));
    record.SetField(CompanyField::QYID, QStringLiteral("15"));
    record.SetField(CompanyField::CZY_DM, QStringLiteral("0001"));
    record.SetField(CompanyField::QYSBH, QStringLiteral("9111"));
    record.SetField(CompanyField::QYMC, QStringLiteral("新名称很长"));
    record.SetField(CompanyField::QYID, QString());
    EXPECT_EQ(record.QYID(), "");
    EXPECT_EQ(record.QYSBH(), "9111");
    EXPECT_EQ(record.QYMC(), "新名称很长");
    EXPECT_EQ(record.Field(CompanyField::CZY_DM), "0001");
    EXPECT_EQ(record.Field(CompanyField::HYMC), "");
    TCompanyRecord copy = record;
    EXPECT_EQ(copy, record);
    copy.SetField(CompanyField::HYMC, QStringLiteral("x"));
    EXPECT_NE(copy, record);
}

// Rows are built from UTF-8 or from text, in field order or not: the record
// is the same, and its fields are cut alike.
TEST(CompanyRecord, BuiltFromRowsAsFromSingleFields) {
    const QString longAscii(300, QLatin1Char('a'));
    const QString cjk60 = QString(60, QChar(0x7532));    // 180 UTF-8, 120 legacy bytes
    const QString cjk130 = QString(130, QChar(0x7532));  // cut to 127 characters
    const QString emoji = QString::fromUtf8("x\xF0\x9F\x98\x80y");
    const std::vector<std::vector<std::pair<CompanyField, QString>>> rows = {
        {{CompanyField::QYID, "7"}, {CompanyField::QYSBH, "9111"}, {CompanyField::QYMC, "名称"}},
        {{CompanyField::QYID, "8"}, {CompanyField::QYMC, longAscii}, {CompanyField::CZY_DM, "01"}},
        {{CompanyField::QYSBH, cjk60}, {CompanyField::QYMC, cjk130}, {CompanyField::HYMC, emoji}},
        {{CompanyField::QYMC, "b"}, {CompanyField::QYID, "9"}, {CompanyField::QYMC, "c"}},
        {{CompanyField::QYID, ""}, {CompanyField::ZSID, ""}},
        {},
    };
    TCompanyRecordBuilder fromUtf8;
    TCompanyRecordBuilder fromText;
    for (const auto& row : rows) {
        TCompanyRecord expected;
        // The builder reads UTF-8 texts where they are, when the record is taken.
        std::vector<QByteArray> utf8;
        for (const auto& [field, text] : row) {
            expected.SetField(field, text);
            fromUtf8.SetUtf8(field, utf8.emplace_back(text.toUtf8()));
            fromText.Set(field, text);
        }
        const TCompanyRecord built = fromUtf8.Take();
        EXPECT_EQ(built, expected);
        EXPECT_EQ(fromText.Take(), expected);
        for (int i = 0; i < kCompanyFieldCount; ++i) {
            const auto field = static_cast<CompanyField>(i);
            QString text;
            for (const auto& [set, value] : row) {
                if (set == field) {
                    text = CutToLegacyBytes(value).toString();
                }
            }
            EXPECT_EQ(built.Field(field), text) << CompanyFieldName(field);
        }
    }
    EXPECT_EQ(TCompanyRecordBuilder().Take(), TCompanyRecord());
}

TEST(CompanyRecord, CutsNeverSplitACharacter) {
    EXPECT_EQ(LegacyByteLength(QStringLiteral("a甲")), 3);
    EXPECT_EQ(CutToLegacyBytes(QStringLiteral("甲乙丙"), 5).toString(), "甲乙");
    EXPECT_EQ(CutToLegacyBytes(QStringLiteral("ab甲"), 3).toString(), "ab");
    const QString emoji = QString::fromUtf8("a\xF0\x9F\x98\x80");  // a surrogate pair
    EXPECT_EQ(LegacyByteLength(emoji), 5);
    EXPECT_EQ(CutToLegacyBytes(emoji, 4).toString(), "a");
    EXPECT_EQ(CutToLegacyBytes(emoji, 5).toString(), emoji);
}

// The cut counts what the encoder writes: every cut text encodes to at most
// 255 bytes, one more character would not fit, and no pair is split.
TEST(CompanyRecord, CutsAgreeWithTheLegacyEncoder) {
    QStringEncoder encoder("GB18030", QStringEncoder::Flag::Stateless);
    ASSERT_TRUE(encoder.isValid());
    const auto encodedSize = [&encoder](QStringView text) {
        return static_cast<int>(QByteArray(encoder.encode(text)).size());
    };
    // One, two and four bytes: ASCII, GBK, characters GBK lacks in the basic
    // plane, and characters beyond it (an emoji, a CJK extension-B ideograph).
    const QString pieces[] = {
        "a",
        QString::fromUtf8("甲"),
        QString::fromUtf8("é"),
        QString::fromUtf8("€"),
        QString::fromUtf8("ä"),
        QString::fromUtf8("Ā"),
        QString::fromUtf8("\xF0\x9F\x98\x80"),
        QString::fromUtf8("\xF0\xA0\x80\x80"),
    };
    std::vector<QString> texts;
    for (const QString& first : pieces) {
        for (const QString& second : pieces) {
            for (int lead = 0; lead < 4; ++lead) {
                QString text(lead, QLatin1Char('x'));
                while (text.size() < 300) {
                    text += first + second;
                }
                texts.push_back(text);
            }
        }
    }
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::uint32_t> codePoint(0x80, 0x2FFFF);
    for (int i = 0; i < 200; ++i) {
        std::u32string points;
        while (points.size() < 200) {
            const auto c = static_cast<char32_t>(codePoint(random));
            if (QChar::isPrint(c) && !(c >= 0xD800 && c <= 0xDFFF)) {
                points.push_back(c);
            }
        }
        texts.push_back(QString::fromUcs4(points.data(), static_cast<qsizetype>(points.size())));
    }

    for (const QString& text : texts) {
        SCOPED_TRACE(text.left(8).toStdString());
        EXPECT_EQ(LegacyByteLength(text), encodedSize(text));
        const QStringView cut = CutToLegacyBytes(text);
        EXPECT_LE(encodedSize(cut), kMaxFieldBytes);
        ASSERT_LT(cut.size(), text.size());
        EXPECT_FALSE(cut.back().isHighSurrogate());
        const qsizetype next = text[cut.size()].isHighSurrogate() ? 2 : 1;
        EXPECT_GT(encodedSize(QStringView(text).left(cut.size() + next)), kMaxFieldBytes);
    }
}

}  // namespace
