// Whether the current-company object holds a company: ids are compared as
// numbers, and anything that is no number holds none.
#include <gtest/gtest.h>

#include "ContextValues.h"
#include "f_DataVO.h"

namespace {

TEST(ContextValues, CompanyIdsAreComparedAsNumbers) {
    struct Case {
        const char* held;  // null: no company object
        const char* given;
        bool same;
    };
    const Case cases[] = {
        {"15", "15", true},  {"15", " 0015 ", true}, {" 1", "0001", true},
        {"15", "16", false}, {"15", "15a", false},   {"15", "", false},
        {"x", "1", false},   {"", "", false},        {nullptr, "1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.held ? c.held : "(none)") + " / " + c.given);
        TDataVO company;
        if (c.held != nullptr) {
            company.SetStrValue("QYID", QString::fromUtf8(c.held));
        }
        const TDataVO* object = c.held != nullptr ? &company : nullptr;
        EXPECT_EQ(ContextValues::IsCompany(object, QString::fromUtf8(c.given)), c.same);
        EXPECT_EQ(ContextValues::Text(object, "QYID"), QString::fromUtf8(c.held ? c.held : ""));
    }
}

}  // namespace
