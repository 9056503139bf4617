// The share capital: one reading of an amount for the page, the dialog, the
// company load and the write-back.
#include <gtest/gtest.h>

#include "ShareCapital.h"
#include "WriteBackSql.h"

namespace {

// Cents as NUMERIC(19,2) rounds them, on the text, however many digits; an
// amount that is refused (nullptr) is never taken for 0 except where a caller
// asks for that.
TEST(ShareCapital, EveryReaderRoundsToCentsWithinNumeric19_2) {
    const struct {
        QString text;
        const char* amount;
    } cases[] = {
        {"", "0.00"},
        {" 1234.5 ", "1234.50"},
        {" 3 ", "3.00"},
        {"007", "7.00"},
        {"0.", "0.00"},
        {".5", "0.50"},
        {"0.5", "0.50"},
        {"-0.05", "-0.05"},
        {"-0.5", "-0.50"},
        {"-3", "-3.00"},
        {" -007.1 ", "-7.10"},
        {"-000", "0.00"},
        {"-0.00", "0.00"},
        {"-0.001", "0.00"},
        {"0.005", "0.01"},
        {"-0.005", "-0.01"},
        {"0.0049999", "0.00"},
        {"1234.5678", "1234.57"},
        {"123456789012.34", "123456789012.34"},
        {"98765432109876.50", "98765432109876.50"},
        {"12345678901234567.89", "12345678901234567.89"},
        {"12345678901234567.885", "12345678901234567.89"},
        {"99999999999999999.99", "99999999999999999.99"},
        {"99999999999999999.995", nullptr},
        {"123456789012345678", nullptr},
        {"1e3", "1000.00"},
        {"1.5e+16", "15000000000000000.00"},
        {"-1.5E16", "-15000000000000000.00"},
        {"1.2345678901234567e+16", "12345678901234567.00"},
        {"0.00000000000000000001e21", "10.00"},
        {"1e-400", "0.00"},
        {"-0e+18", "0.00"},
        {"1e17", nullptr},
        {"1e+17", nullptr},
        {"-1e17", nullptr},
        {"1e400", nullptr},
        {"1e", nullptr},
        {".", nullptr},
        {"1,5", nullptr},
        {"1,000", nullptr},
        {"inf", nullptr},
        {"-inf", nullptr},
        {"nan", nullptr},
        {"abc", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const bool readable = c.amount != nullptr;
        const QString amount = readable ? QString(c.amount) : QString();
        QString typed;
        QString shown;
        QString written;
        EXPECT_EQ(ParseShareCapital(c.text, typed), readable);
        EXPECT_EQ(ReadStoredShareCapital(c.text, shown), readable);
        EXPECT_EQ(shown, readable ? amount : c.text);
        EXPECT_EQ(WriteBackSql::ShareCapital(c.text, written), readable);
        if (readable) {
            EXPECT_EQ(typed, amount);
            // "%19.2f": right-aligned in 19 characters.
            EXPECT_EQ(written, amount.rightJustified(19, ' '));
        }
    }
}

}  // namespace
