#include "common/base/text_helpers.h"

#include <gtest/gtest.h>

#include "common/base/system_waits.h"

namespace tessal {
namespace {

TEST(TextBetween, TakesTheValueUpToTheFirstEndMarkerAfterTheStart) {
    EXPECT_EQ(TextBetween("loginname=ab&uid=7&", "loginname=", "&"), "ab");
    EXPECT_EQ(TextBetween("a=1&a=2&", "a=", "&"), "1");  // first start marker
    EXPECT_EQ(TextBetween("&x=5&", "x=", "&"), "5");     // end marker before start ignored
    EXPECT_EQ(TextBetween("x=&", "x=", "&"), "");
    EXPECT_EQ(TextBetween("<iframe src=\"http://h/p\" rel=1>", "<iframe src=\"", "\" rel="),
              "http://h/p");
}

TEST(TextBetween, MissingMarkersGiveEmptyText) {
    EXPECT_EQ(TextBetween("loginname=ab", "loginname=", "&"), "");
    EXPECT_EQ(TextBetween("uid=7&", "loginname=", "&"), "");
    EXPECT_EQ(TextBetween("", "a", "b"), "");
}

TEST(ReplaceAll, ReplacesEveryOccurrenceOnce) {
    EXPECT_EQ(ReplaceAll("  WD 1234  5 ", " ", ""), "WD12345");
    EXPECT_EQ(ReplaceAll("a=1&b=2&", "&", "#"), "a=1#b=2#");
    EXPECT_EQ(ReplaceAll("a&b", "&", "&&"), "a&&b");  // resumes after the replacement
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceAll("", "&", "#"), "");
}

}  // namespace
}  // namespace tessal

namespace tessal {
namespace {

// Only a plain whole number in range shortens the system's waits; anything else keeps them.
TEST(SystemWaits, OnlyAWholeNumberInRangeDividesWaits) {
    EXPECT_EQ(WaitDivisorOf("10"), 10);
    EXPECT_EQ(WaitDivisorOf("1000"), 1000);
    EXPECT_EQ(WaitDivisorOf("1001"), 1);
    EXPECT_EQ(WaitDivisorOf("0"), 1);
    EXPECT_EQ(WaitDivisorOf("-5"), 1);
    EXPECT_EQ(WaitDivisorOf("10ms"), 1);
    EXPECT_EQ(WaitDivisorOf(""), 1);
}

TEST(LeadingNumber, ReadsAsAtoiDoes) {
    const std::pair<const char*, int> cases[] = {
        {"10101", 10101}, {" 12", 12}, {"2x", 2},          {"-3", -3},
        {"", 0},          {"x1", 0},   {"99999999999", 0},
    };
    for (const auto& [text, number] : cases)
        EXPECT_EQ(LeadingNumber(text), number) << text;
}

}  // namespace
}  // namespace tessal
