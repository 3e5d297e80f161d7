#pragma once

// An initialised engine and a reference site serving one lesson of random bytes.

#include <gtest/gtest.h>

#include <random>

#include "common/files/md5.h"
#include "site/server/reference_site.h"
#include "tests/engines/download/engine_library.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace tessal::xldl::test {

using namespace std::chrono_literals;

inline constexpr const char* kLessonPath = "/lessons/900/kj900-01.tessal";
inline constexpr std::size_t kLessonBytes = 6 * 1024 * 1024;

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(Library().module, nullptr) << ::dlerror();
        std::mt19937_64 random(42);
        std::string bytes(kLessonBytes, '\0');
        for (auto& byte : bytes)
            byte = static_cast<char>(random());
        lesson_ = served_.Write("lesson.tessal", bytes);
        lesson_md5_ = FileMd5(lesson_);
        site::SiteOptions options = site::DefaultSiteOptions();
        options.base_port = 0;
        options.extra_files[kLessonPath] = lesson_;
        site_ = std::make_unique<site::ReferenceSite>(options);
        std::string error;
        ASSERT_TRUE(site_->Start(error)) << error;
        ASSERT_EQ(Library().init(), 1);
    }

    void TearDown() override {
        Library().uninit();
        if (site_)
            site_->Stop();
    }

    std::string LessonUrl() const {
        return site_->urls().HostUrl(SiteHost::kDownload1) + kLessonPath;
    }
    std::filesystem::path Saved() const { return folder_.path() / "kj900-01.tessal"; }
    std::filesystem::path ControlFile() const { return folder_.path() / "kj900-01.tessal.aria2"; }

    XlTaskHandle StartTask(const std::string& url) {
        const auto param = TaskParam(url, "kj900-01.tessal", folder_.path());
        XlTaskHandle task = Library().create(param.get());
        EXPECT_NE(task, nullptr);
        Library().start(task);
        return task;
    }

    // A rule for the next `times` replies of the lesson (-1: all).
    static site::FaultRule LessonRule(int times) {
        site::FaultRule rule;
        rule.host = "Download1";
        rule.path = kLessonPath;
        rule.times = times;
        return rule;
    }

    void Throttle(std::int64_t bytes_per_second, int times) {
        site::FaultRule rule = LessonRule(times);
        rule.rate_bytes_per_second = bytes_per_second;
        site_->faults().Add(rule);
    }

    // A reply of the lesson with another status.
    void AnswerWith(int status, int times) {
        site::FaultRule rule = LessonRule(times);
        rule.status = status;
        site_->faults().Add(rule);
    }

    // A partial lesson and its control file, as a paused download leaves them. The
    // engine is restarted, so that aria2 has written both by the time this returns.
    void LeavePartialLesson() {
        Throttle(512 * 1024, 1);
        XlTaskHandle task = StartTask(LessonUrl());
        PollUntil(
            task, [](const XlTaskInfo& info) { return info.downloaded_size > 300000; }, 10s);
        Library().stop(task);
        Library().remove(task);
        Library().uninit();
        ASSERT_EQ(Library().init(), 1);
        ASSERT_TRUE(std::filesystem::exists(ControlFile()));
        ASSERT_GT(std::filesystem::file_size(Saved()), 300000U);
        site_->faults().Clear();
    }

    TempFolder served_;
    TempFolder folder_;
    std::filesystem::path lesson_;
    std::string lesson_md5_;
    std::unique_ptr<site::ReferenceSite> site_;
};

// The engine gives up on an outage after 5 s instead of 5 minutes (the test-only wait
// divisor, which XL_Init reads).
class ShortOutageTest : public EngineTest {
protected:
    void SetUp() override {
        environment_.Set("TESSAL_TEST_WAIT_DIVISOR", "60");
        EngineTest::SetUp();
    }
    ScopedEnvironment environment_;
};

}  // namespace tessal::xldl::test
