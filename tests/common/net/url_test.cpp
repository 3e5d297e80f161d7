#include "common/net/url.h"

#include <gtest/gtest.h>

#include <string>

namespace tessal {
namespace {

struct UrlParts {
    const char* url;
    const char* host;
    const char* path;
};

TEST(UrlParts, HostAndPathOfTheUrlsTheProgramsUse) {
    const UrlParts cases[] = {
        {"http://www.example.com/login/index.php?a=1&b=2", "www.example.com",
         "/login/index.php?a=1&b=2"},
        {"https://www.example.com", "www.example.com", "/"},
        {"http://127.0.0.1:8080/x", "127.0.0.1:8080", "/x"},
        {"http://codec.example.com:81", "codec.example.com:81", "/"},
        {"HTTPS://Upper.Example.com/A?B", "Upper.Example.com", "/A?B"},
        {"HtTp://mixed/", "mixed", "/"},
        // A URL carried in the query is not the address.
        {"https://a.example/go?next=http://b.example/x", "a.example",
         "/go?next=http://b.example/x"},
        {"http://a.example/go?next=https://b.example/x", "a.example",
         "/go?next=https://b.example/x"},
        {"no-scheme", "no-scheme", "/"},
    };
    for (const UrlParts& parts : cases) {
        SCOPED_TRACE(parts.url);
        EXPECT_EQ(HostOfUrl(parts.url), parts.host);
        EXPECT_EQ(PathOfUrl(parts.url), parts.path);
    }
}

TEST(UrlParts, OnlyLowerCaseHttpsIsSecureAndDecidesTheScheme) {
    EXPECT_TRUE(IsSecureUrl("https://a.example/"));
    EXPECT_FALSE(IsSecureUrl("HTTPS://a.example/"));
    EXPECT_FALSE(IsSecureUrl("Https://a.example/"));
    EXPECT_FALSE(IsSecureUrl("http://a.example/"));
    EXPECT_FALSE(IsSecureUrl("http"));

    EXPECT_EQ(RequestUrl("HTTPS://a.example/x?y=1"), "http://a.example/x?y=1");
    EXPECT_EQ(RequestUrl("https://a.example:8443"), "https://a.example:8443/");
    EXPECT_EQ(RequestUrl("http://127.0.0.1:5000/p"), "http://127.0.0.1:5000/p");
    EXPECT_EQ(RequestUrl("http://h?x=1"), "http://h/?x=1");
    EXPECT_EQ(RequestUrl("example.com/a/b"), "http://example.com/a/b");
}

struct EscapeCase {
    std::string text;
    std::string escaped;
};

TEST(EscapeUrlText, EscapesWhatAUrlCannotCarryAndNothingElse) {
    const EscapeCase cases[] = {
        {"/files/Update Note.txt", "/files/Update%20Note.txt"},
        {"/a?x=1&y=a b#top", "/a?x=1&y=a%20b#top"},
        {"/:@!$&'()*+,;=?/[]~-._AZaz09", "/:@!$&'()*+,;=?/[]~-._AZaz09"},
        {"/\"<>\\^`{|}", "/%22%3C%3E%5C%5E%60%7B%7C%7D"},
        {"/中", "/%E4%B8%AD"},
        {std::string("/\t\r\n\x7f\0", 6), "/%09%0D%0A%7F%00"},
        // Escapes already there stay as written, either case.
        {"/p?q=%E4%b8%Ad&r=%20", "/p?q=%E4%b8%Ad&r=%20"},
        // A "%" that starts no escape is a byte of its own.
        {"/100%", "/100%25"},
        {"/%4", "/%254"},
        {"/%zz", "/%25zz"},
        {"/%%41", "/%25%41"},
        {"", ""},
    };
    for (const EscapeCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(EscapeUrlText(c.text), c.escaped);
    }
}

TEST(EscapeUrlText, EscapingTwiceChangesNothingMore) {
    std::string all_bytes;
    for (int byte = 0; byte < 256; ++byte) {
        all_bytes.push_back(static_cast<char>(byte));
    }
    const std::string once = EscapeUrlText(all_bytes);
    EXPECT_EQ(EscapeUrlText(once), once);
    EXPECT_EQ(UrlDecode(once, true), all_bytes);
}

TEST(EscapeUrlText, RequestAndReferrerEscapeOnlyWhatFollowsTheHost) {
    EXPECT_EQ(RequestUrl("http://h:81/TessalClient/codecs/a b.dll"),
              "http://h:81/TessalClient/codecs/a%20b.dll");
    EXPECT_EQ(RequestUrl("http://h?x=a b"), "http://h/?x=a%20b");
    EXPECT_EQ(RequestUrl("http://h/a?next=http://i/b c"), "http://h/a?next=http://i/b%20c");
    EXPECT_EQ(EscapedUrl("HTTPS://h/a b?c=%41"), "HTTPS://h/a%20b?c=%41");
    EXPECT_EQ(EscapedUrl("http://h"), "http://h");
    EXPECT_EQ(EscapedUrl("no scheme"), "no scheme");
}

TEST(UrlEncode, KeepsOnlyLettersDigitsAndFiveMarks) {
    EXPECT_EQ(UrlEncode("AZaz09-./:_", true), "AZaz09-./:_");
    EXPECT_EQ(UrlEncode(" ", true), "%20");
    EXPECT_EQ(UrlEncode("~", true), "%7E");
    EXPECT_EQ(UrlEncode("&=+*", true), "%26%3D%2B%2A");
    EXPECT_EQ(UrlEncode("", false), "");
}

TEST(UrlEncode, ChineseTextAsUtf8OrInTheSiteCodePage) {
    EXPECT_EQ(UrlEncode("中", true), "%E4%B8%AD");
    EXPECT_EQ(UrlEncode("中文 a", false), "%D6%D0%CE%C4%20a");
    EXPECT_EQ(UrlEncode("中", false, "UTF-8"), "%E4%B8%AD");
}

TEST(UrlDecode, PercentEscapesOfEitherCase) {
    EXPECT_EQ(UrlDecode("%e4%B8%aD", true), "中");
    EXPECT_EQ(UrlDecode("%D6%D0%CE%C4", false), "中文");
    EXPECT_EQ(UrlDecode("a%20b", false), "a b");
}

TEST(UrlDecode, PlusAndBrokenEscapesAreCopied) {
    EXPECT_EQ(UrlDecode("a+b", true), "a+b");
    EXPECT_EQ(UrlDecode("100%", true), "100%");
    EXPECT_EQ(UrlDecode("%4", true), "%4");
    EXPECT_EQ(UrlDecode("%zz1", true), "%zz1");
    EXPECT_EQ(UrlDecode("%4g", true), "%4g");
    // The stray "%" is copied and scanning resumes right after it.
    EXPECT_EQ(UrlDecode("%%41", true), "%A");
}

TEST(UrlRoundTrip, EveryByteSurvivesEncodingAndDecoding) {
    std::string all_bytes;
    for (int byte = 0; byte < 256; ++byte) {
        all_bytes.push_back(static_cast<char>(byte));
    }
    std::string encoded = UrlEncode(all_bytes, true);
    EXPECT_EQ(encoded.size(), 67 + 189 * 3u);
    EXPECT_EQ(UrlDecode(encoded, true), all_bytes);
}

TEST(UrlRoundTrip, FormTextThroughTheSiteCodePage) {
    const std::string text = "课程 A&B=1+2~《职业》";
    EXPECT_EQ(UrlDecode(UrlEncode(text, false), false), text);
    EXPECT_EQ(UrlDecode(UrlEncode(text, true), true), text);
}

}  // namespace
}  // namespace tessal
