#include "common/settings/site_settings.h"

#include <gtest/gtest.h>

#include "common/base/atomic_write.h"
#include "tests/support/temp_folder.h"

namespace tessal {
namespace {

TEST(SiteSettings, WithoutSiteIniEveryHostHasItsBuiltInValue) {
    TempFolder folder;
    const SiteSettings settings = SiteSettings::Load(folder.path() / "Site.ini");
    EXPECT_EQ(settings.code_page(), "GBK");
    EXPECT_FALSE(settings.hotline().empty());
    for (std::size_t i = 0; i < kSiteHostCount; ++i) {
        const auto host = static_cast<SiteHost>(i);
        EXPECT_FALSE(settings.HostName(host).empty()) << SiteSettings::KeyOf(host);
        EXPECT_EQ(settings.HostUrl(host), "http://" + settings.HostName(host));
    }
    EXPECT_EQ(
        settings.HostName(SiteHost::kCodec).substr(settings.HostName(SiteHost::kCodec).size() - 3),
        ":81");
}

TEST(SiteSettings, SiteIniOverridesHostsPortsSchemeAndCodePage) {
    TempFolder folder;
    const auto file = folder.path() / "Site.ini";
    ASSERT_TRUE(WriteFileAtomically(file,
                                    "[Hosts]\n"
                                    "MainSite=127.0.0.1:18080\n"
                                    "Passport=https://passport.example.org/\n"
                                    "Download2=http://127.0.0.1:18088\n"
                                    "Codec=127.0.0.1\n"
                                    "IpLookup=\n"
                                    "[Site]\nCodePage=GB18030\nHotline=010-1234\n"
                                    "[Features]\nQuestions=1\n"));
    const SiteSettings settings = SiteSettings::Load(file);
    const SiteSettings defaults;
    EXPECT_EQ(settings.HostUrl(SiteHost::kMainSite), "http://127.0.0.1:18080");
    EXPECT_EQ(settings.HostUrl(SiteHost::kPassport), "https://passport.example.org");
    EXPECT_TRUE(settings.IsSecure(SiteHost::kPassport));
    EXPECT_EQ(settings.HostName(SiteHost::kDownload2), "127.0.0.1:18088");
    EXPECT_EQ(settings.HostName(SiteHost::kCodec), "127.0.0.1:81");
    EXPECT_EQ(settings.HostName(SiteHost::kIpLookup), defaults.HostName(SiteHost::kIpLookup));
    EXPECT_EQ(settings.HostName(SiteHost::kVideoApi), defaults.HostName(SiteHost::kVideoApi));
    EXPECT_EQ(settings.code_page(), "GB18030");
    EXPECT_EQ(settings.hotline(), "010-1234");
    EXPECT_TRUE(settings.questions());
}

TEST(SiteSettings, ACodecHostWithItsOwnPortKeepsIt) {
    TempFolder folder;
    const auto file = folder.path() / "Site.ini";
    ASSERT_TRUE(WriteFileAtomically(file, "[Hosts]\nCodec=127.0.0.1:18089\n"));
    EXPECT_EQ(SiteSettings::Load(file).HostUrl(SiteHost::kCodec), "http://127.0.0.1:18089");
}

}  // namespace
}  // namespace tessal

namespace tessal {
namespace {

// The Site.ini an installation ships must say what the programs assume without it.
TEST(SiteSettings, TheShippedSiteIniMatchesTheBuiltInValues) {
    const auto shipped = std::filesystem::path(TESSAL_SOURCE_DIR) / "data" / "Site.ini";
    ASSERT_TRUE(std::filesystem::exists(shipped));
    const SiteSettings loaded = SiteSettings::Load(shipped);
    const SiteSettings built_in;
    for (std::size_t i = 0; i < kSiteHostCount; ++i) {
        const auto host = static_cast<SiteHost>(i);
        EXPECT_EQ(loaded.HostUrl(host), built_in.HostUrl(host)) << SiteSettings::KeyOf(host);
    }
    EXPECT_EQ(loaded.code_page(), built_in.code_page());
    EXPECT_EQ(loaded.hotline(), built_in.hotline());
    EXPECT_EQ(loaded.questions(), built_in.questions());
    EXPECT_FALSE(built_in.questions());
}

}  // namespace
}  // namespace tessal
