// The playlist as the player keeps it between runs: a list of many lessons (twenty to a
// course, every lesson file present, long Chinese paths) saved as at shutdown and loaded
// as at start-up, each run on a fresh file.
// Usage: bench_player_list [lessons]     (default 1,000; target under 200 ms for both)

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "player/core/player_list.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using tessal::player::PlaylistCourses;
constexpr int kLessonsPerCourse = 20;
constexpr int kRuns = 20;
constexpr double kTargetMs = 200;

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// The lesson files on disk, as the download center leaves them; false when one fails.
bool MakeCourses(const fs::path& folder, int lessons, PlaylistCourses& courses) {
    for (int i = 0; i < lessons; ++i) {
        if (i % kLessonsPerCourse == 0) {
            courses.push_back(
                {"会计实务精讲班第" + std::to_string(i / kLessonsPerCourse) + "期", {}});
        }
        const fs::path course = folder / "下载的课程" / "财会" / courses.back().name;
        const std::string name = "第" + std::to_string(i % kLessonsPerCourse + 1) + "讲.tessal";
        std::error_code error;
        fs::create_directories(course, error);
        if (!std::ofstream(course / name)) {
            return false;
        }
        courses.back().lessons.push_back({name, (course / name).string()});
    }
    return true;
}

int Run(const fs::path& folder, int lessons) {
    PlaylistCourses courses;
    if (!MakeCourses(folder, lessons, courses)) {
        std::fprintf(stderr, "bench_player_list: cannot make the lesson files\n");
        return 1;
    }
    const fs::path ini = folder / tessal::player::kPlayerListFile;
    std::vector<double> saves;
    std::vector<double> loads;
    for (int run = 0; run < kRuns; ++run) {
        std::error_code ignored;
        fs::remove(ini, ignored);
        const auto start = Clock::now();
        const bool saved = tessal::player::SavePlayerList(ini, courses);
        const auto middle = Clock::now();
        const PlaylistCourses loaded = tessal::player::LoadPlayerList(ini);
        const auto end = Clock::now();
        if (!saved || loaded.size() != courses.size()) {
            std::fprintf(stderr, "bench_player_list: the list did not come back\n");
            return 1;
        }
        saves.push_back(Milliseconds(middle - start));
        loads.push_back(Milliseconds(end - middle));
    }
    std::sort(saves.begin(), saves.end());
    std::sort(loads.begin(), loads.end());
    const double longest = saves.back() + loads.back();
    std::printf("lessons: %d in %zu courses; file %ju bytes\n", lessons, courses.size(),
                static_cast<std::uintmax_t>(fs::file_size(ini)));
    std::printf("save: median %.2f ms, longest %.2f ms\n", saves[saves.size() / 2], saves.back());
    std::printf("load: median %.2f ms, longest %.2f ms\n", loads[loads.size() / 2], loads.back());
    std::printf("save + load, longest of %d runs: %.2f ms (target under %.0f ms): %s\n", kRuns,
                longest, kTargetMs, longest < kTargetMs ? "met" : "NOT met");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int lessons = argc > 1 ? std::atoi(argv[1]) : 1000;
    std::string pattern = (fs::temp_directory_path() / "bench-player-list-XXXXXX").string();
    if (lessons < 1 || ::mkdtemp(pattern.data()) == nullptr) {
        std::fprintf(stderr, "usage: bench_player_list [lessons >= 1]\n");
        return 2;
    }
    const int result = Run(pattern, lessons);
    std::error_code ignored;
    fs::remove_all(pattern, ignored);
    return result;
}
