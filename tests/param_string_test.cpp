#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ParamString.h"

using namespace ParamString;

namespace {

struct SetCase {
    const char* input;
    const char* name;
    const char* value;
    const char* expected;
};

class SetParamValueCases : public ::testing::TestWithParam<SetCase> {};

TEST_P(SetParamValueCases, WritesExpectedString) {
    const SetCase& c = GetParam();
    EXPECT_EQ(SetParamValue(c.input, c.name, c.value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Writing, SetParamValueCases,
    ::testing::Values(
        SetCase{"", "QYID", "15", "QYID=15"},
        SetCase{"CZY_DM=0001;CZY_LB=0", "QYID", "15", "CZY_DM=0001;CZY_LB=0;QYID=15"},
        SetCase{"CZY_DM=0001;CZY_LB=0;", "QYID", "15", "CZY_DM=0001;CZY_LB=0;QYID=15"},
        SetCase{"CZY_DM=0001;CZY_LB=0;QYID=15", "QYID", "16", "CZY_DM=0001;CZY_LB=0;QYID=16;"},
        SetCase{"CZY_DM=0001;QYID=15", "QYID", "", "CZY_DM=0001;"},
        SetCase{"CZY_DM=0001", "QYSBH", "", "CZY_DM=0001;QYSBH="},
        SetCase{"A=1", "ResultMsgStr", "a=b;c", "A=1;ResultMsgStr=a&eq%b&lim%c"},
        // A piece without a mark is kept as it stood; empty pieces are dropped.
        SetCase{"junk;A=1;;B=2;", "A", "3", "junk;A=3;B=2;"},
        SetCase{"A=1;qyid=2", "QYID", "3", "A=1;qyid=2;QYID=3"}));

struct GetCase {
    const char* input;
    const char* name;
    const char* expected;
};

class GetParamValueCases : public ::testing::TestWithParam<GetCase> {};

TEST_P(GetParamValueCases, ReadsExpectedValue) {
    const GetCase& c = GetParam();
    EXPECT_EQ(GetParamValue(c.input, c.name), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Reading, GetParamValueCases,
    ::testing::Values(GetCase{"CZY_DM=0001;CZY_LB=0", "CZY_LB", "0"},
                      GetCase{"CZY_DM=0001;CZY_LB=0", "czy_lb", ""},
                      GetCase{"QYID=;QYID=7", "QYID", "7"}, GetCase{"QYID=", "QYID", ""},
                      GetCase{"QYMC=A=B", "QYMC", "A=B"},
                      GetCase{"ResultMsgStr=a&eq%b&lim%c", "ResultMsgStr", "a=b;c"},
                      GetCase{"ResultMsgStr=a&eq%b&lim%c;X=1", "ResultMsgStr", "a=b;c"},
                      GetCase{"QYID", "QYID", ""}, GetCase{"=5", "", "5"},
                      GetCase{"", "QYID", ""}));

TEST(ParamStringCodec, EscapedValuesRoundTripWherever_the_pair_stands) {
    for (const char* start : {"", "A=1", "A=1;", "A=1;B=2"}) {
        std::string text = SetParamValue(start, "ResultMsgStr", "a=b;c");
        EXPECT_EQ(GetParamValue(text, "ResultMsgStr"), "a=b;c") << start;
        text = SetParamValue(text, "Z", "9");
        EXPECT_EQ(GetParamValue(text, "ResultMsgStr"), "a=b;c") << start;
    }
    // No escape for "&" or "%": a value holding an escape sequence reads back decoded.
    EXPECT_EQ(DecodeParamValue(EncodeParamValue("x&eq%y")), "x=y");
    EXPECT_EQ(EncodeParamValue("=;="), "&eq%&lim%&eq%");
}

TEST(ParamStringCodec, RepeatedRebuildsNeitherGrowNorLosePairs) {
    std::string text = "junk;CZY_DM=0001;;CZY_LB=0;QYMC=中文=名;";
    const std::size_t firstLength = SetParamValue(text, "QYID", "1").size();
    for (int i = 0; i < 50; ++i) {
        text = SetParamValue(text, "QYID", std::to_string(i % 3 + 1));
    }
    EXPECT_LE(text.size(), firstLength + 1);
    EXPECT_EQ(GetParamValue(text, "CZY_DM"), "0001");
    EXPECT_EQ(GetParamValue(text, "CZY_LB"), "0");
    EXPECT_EQ(GetParamValue(text, "QYMC"), "中文=名");
    EXPECT_EQ(GetParamValue(text, "QYID"), "2");
    EXPECT_NE(text.find("junk;"), std::string::npos);
}

// Pieces are walked in place: sixteen million empty ones cost no more than
// the string itself.
TEST(ParamStringCodec, HugeStringsOfEmptyPiecesStayUsable) {
    const std::string separators(16 << 20, ';');
    const std::string text = "A=1" + separators + "B=2" + separators;
    EXPECT_EQ(GetParamValue(text, "B"), "2");
    EXPECT_EQ(GetParamValue(text, "C"), "");
    EXPECT_EQ(SetParamValue(text, "A", "3"), "A=3;B=2;");
    EXPECT_EQ(SetParamValue(text, "B", ""), "A=1;");
    const std::string appended = SetParamValue(text, "C", "4");
    EXPECT_EQ(appended.size(), text.size() + 3);
    EXPECT_EQ(appended.substr(appended.size() - 5), ";;C=4");
}

TEST(ParamStringSplit, KeepsEmptyPiecesAndTheRest) {
    std::vector<std::string> list{"before"};
    SplitParamString("a;;b;", ";", list);
    EXPECT_EQ(list, (std::vector<std::string>{"before", "a", "", "b", ""}));
    list.clear();
    SplitParamString("a<>b", "<>", list);
    EXPECT_EQ(list, (std::vector<std::string>{"a", "b"}));
    list.clear();
    SplitParamString("", ";", list);
    EXPECT_EQ(list, (std::vector<std::string>{""}));
    // Without a separator the text stays one piece.
    list.clear();
    SplitParamString("a;b", "", list);
    EXPECT_EQ(list, (std::vector<std::string>{"a;b"}));
}

struct ReplaceCase {
    const char* source;
    const char* pattern;
    const char* replacement;
    bool caseSensitive;
    const char* expected;
};

class ReplaceAllCases : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceAllCases, ReplacesEveryOccurrenceOnce) {
    const ReplaceCase& c = GetParam();
    EXPECT_EQ(ReplaceAll(c.source, c.pattern, c.replacement, c.caseSensitive), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Replacing, ReplaceAllCases,
                         ::testing::Values(ReplaceCase{"aaa", "aa", "b", true, "ba"},
                                           ReplaceCase{"", "a", "b", true, ""},
                                           ReplaceCase{"abc", "abcd", "x", true, "abc"},
                                           ReplaceCase{"abc", "", "x", true, "abc"},
                                           ReplaceCase{"xabcabcx", "abc", "", true, "xx"},
                                           ReplaceCase{"a=b", "=", "&eq%", true, "a&eq%b"},
                                           ReplaceCase{"&eq%&eq%", "&eq%", "=", true, "=="},
                                           ReplaceCase{"AbCabc", "abc", "-", false, "--"},
                                           ReplaceCase{"AbCabc", "abc", "-", true, "AbC-"},
                                           ReplaceCase{"O'Hara's", "'", "''", false, "O''Hara''s"},
                                           ReplaceCase{"单位'名称'", "'", "''", false,
                                                       "单位''名称''"},
                                           // Replaced text is never scanned again.
                                           ReplaceCase{"aa", "a", "aa", true, "aaaa"},
                                           ReplaceCase{"abababx", "abx", "Y", true, "ababY"}));

TEST(ParamStringBuffer, CopyBackFitsTheAssumedCapacity) {
    const std::string incoming = "CZY_DM=0001;CZY_LB=0";
    EXPECT_EQ(AssumedCapacity(incoming.c_str()), kHostBufferSize);
    const std::string big(700, 'x');
    EXPECT_EQ(AssumedCapacity(big.c_str()), 701u);
    EXPECT_EQ(AssumedCapacity(nullptr), 0u);
}

// The buffer is exactly as large as the capacity, so a write past it is
// caught by the address sanitizer.
TEST(ParamStringBuffer, OverlongStringKeepsWholePairsInsideTheBuffer) {
    const std::size_t capacity = 32;
    auto buffer = std::make_unique<char[]>(capacity);
    const std::string text = "CZY_DM=0001;CZY_LB=0;QYID=15;QYSBH=123456789012345678";
    const std::size_t written = CopyToBuffer(text, buffer.get(), capacity);
    EXPECT_STREQ(buffer.get(), "CZY_DM=0001;CZY_LB=0;QYID=15");
    EXPECT_EQ(written, std::strlen(buffer.get()));

    const std::string fits(capacity - 1, 'a');
    EXPECT_EQ(CopyToBuffer(fits, buffer.get(), capacity), capacity - 1);
    EXPECT_EQ(std::string(buffer.get()), fits);

    const std::string onePair = "QYMC=" + std::string(100, 'n');
    EXPECT_EQ(CopyToBuffer(onePair, buffer.get(), capacity), 0u);
    EXPECT_STREQ(buffer.get(), "");
}

TEST(ParamStringBuffer, HostBuffersAreZeroFilledAndFreedByAddress) {
    char* buffer = nullptr;
    ASSERT_TRUE(AllocHostBuffer(500, buffer));
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(HostBufferSize(buffer), 500u);
    for (std::size_t i = 0; i < 500; ++i) {
        ASSERT_EQ(buffer[i], '\0');
    }
    buffer[499] = 'x';
    FreeHostBuffer(buffer);

    char* none = reinterpret_cast<char*>(1);
    EXPECT_TRUE(AllocHostBuffer(0, none));
    EXPECT_EQ(none, nullptr);
    FreeHostBuffer(nullptr);

    HostBuffer owned(20);
    owned.Assign("A=1;B=2;C=3;D=4;E=5;F=6");
    EXPECT_EQ(owned.Text(), "A=1;B=2;C=3;D=4;E=5");

    // A size no header can be added to is refused, not wrapped around.
    char* huge = reinterpret_cast<char*>(1);
    EXPECT_FALSE(AllocHostBuffer(static_cast<std::size_t>(-1), huge));
    EXPECT_EQ(huge, nullptr);
    EXPECT_EQ(HostBufferSize(nullptr), 0u);
    // An empty buffer takes nothing and gives nothing back.
    HostBuffer empty(0);
    EXPECT_TRUE(empty.IsValid());
    empty.Assign("A=1");
    EXPECT_EQ(empty.Text(), "");
    EXPECT_EQ(CopyToBuffer("A=1", nullptr, 10), 0u);
}

// A buffer that cannot be had is reported as such, never handed out as an
// empty one, and nothing is written to a buffer of no capacity.
TEST(ParamStringBuffer, RefusedBuffersAreNotValid) {
    HostBuffer refused(static_cast<std::size_t>(-1));
    EXPECT_FALSE(refused.IsValid());
    EXPECT_EQ(refused.Data(), nullptr);
    EXPECT_EQ(refused.Size(), 0u);
    refused.Assign("A=1");
    EXPECT_EQ(refused.Text(), "");

    char kept[] = "xyz";
    EXPECT_EQ(CopyToBuffer("A=1", kept, 0), 0u);
    EXPECT_STREQ(kept, "xyz");
}

// A size that passes the header check but no memory holds.
TEST(ParamStringBuffer, SizesNoMemoryHoldsAreRefused) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer stops the process on such a request";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "the address sanitizer stops the process on such a request";
#endif
#endif
    const std::size_t tooLarge = static_cast<std::size_t>(-1) / 2;
    char* buffer = reinterpret_cast<char*>(1);
    EXPECT_FALSE(AllocHostBuffer(tooLarge, buffer));
    EXPECT_EQ(buffer, nullptr);
    EXPECT_FALSE(HostBuffer(tooLarge).IsValid());
}

}  // namespace
