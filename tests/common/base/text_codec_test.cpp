#include "common/base/text_codec.h"

#include <gtest/gtest.h>

#include <random>

namespace tessal {
namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

TEST(TextCodec, ChineseTravelsBetweenUtf8AndTheSiteCodePage) {
    const std::string gbk = "\xD6\xD0\xCE\xC4";  // 中文
    EXPECT_EQ(CodePageFromUtf8("中文"), gbk);
    EXPECT_EQ(Utf8FromCodePage(gbk), "中文");
    EXPECT_EQ(Utf8FromCodePage("abc" + gbk + "xyz"), "abc中文xyz");
    EXPECT_EQ(CodePageFromUtf8("您的IP是：[", "GB18030"), CodePageFromUtf8("您的IP是：["));
}

TEST(TextCodec, WideTextRoundTripsEveryPlane) {
    const std::string text = "Tessal 课程 \xF0\x9F\x98\x80 end";  // with a surrogate pair
    const std::u16string wide = WideFromUtf8(text);
    EXPECT_EQ(wide.size(), 16u);
    EXPECT_EQ(wide[10], 0xD83D);
    EXPECT_EQ(Utf8FromWide(wide), text);
    EXPECT_EQ(WideFromUtf8(""), u"");
}

TEST(TextCodec, CharactersTheCodePageLacksBecomeQuestionMarks) {
    EXPECT_EQ(CodePageFromUtf8("a\xF0\x9F\x98\x80"
                               "b"),
              "a?b");
    EXPECT_EQ(CodePageFromUtf8("\xF0\x9F\x98\x80\xF0\x9F\x98\x80"), "??");
}

TEST(TextCodec, InvalidInputIsReplacedAndTheRestKept) {
    // A stray continuation byte, a truncated sequence at the end, an overlong form.
    EXPECT_EQ(Utf8FromWide(WideFromUtf8("a\x80"
                                        "b")),
              "a" + kReplacement + "b");
    EXPECT_EQ(Utf8FromWide(WideFromUtf8("ab\xE4\xB8")), "ab" + kReplacement + kReplacement);
    EXPECT_EQ(CodePageFromUtf8("x\xC0\xAFy"), "x?y");
    // A GBK lead byte without its trail byte.
    EXPECT_EQ(Utf8FromCodePage("ok\x81"), "ok" + kReplacement);
    // A lone surrogate in wide text.
    EXPECT_EQ(Utf8FromWide(std::u16string{u'a', char16_t(0xD800), u'b'}), "a" + kReplacement + "b");
}

TEST(TextCodec, UnknownCodePageGivesEmptyText) {
    EXPECT_EQ(CodePageFromUtf8("abc", "NO-SUCH-CODEPAGE"), "");
    EXPECT_EQ(Utf8FromCodePage("abc", "NO-SUCH-CODEPAGE"), "");
}

TEST(TextCodec, RandomBytesAlwaysConvertAndEnd) {
    std::mt19937 generator(7);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 500; ++round) {
        std::string bytes(static_cast<std::size_t>(round % 64), '\0');
        for (char& c : bytes) {
            c = static_cast<char>(byte(generator));
        }
        const std::string utf8 = Utf8FromCodePage(bytes);
        EXPECT_GE(utf8.size(), bytes.empty() ? 0u : 1u);
        EXPECT_EQ(Utf8FromWide(WideFromUtf8(utf8)), utf8);  // valid UTF-8 survives intact
        CodePageFromUtf8(bytes);
        Utf8FromWide(WideFromUtf8(bytes));
    }
}

TEST(TextCodec, AsciiWideConversionIsOneToOne) {
    EXPECT_EQ(WideFromAscii("0123456789"), u"0123456789");
    EXPECT_EQ(AsciiFromWide(u"WD-12 34"), "WD-12 34");
}

}  // namespace
}  // namespace tessal
