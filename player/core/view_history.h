#pragma once

// One small XML file per viewing in "cache/History": who watched, from which address,
// from when to when. Nothing in the system reads them back; they must simply never be
// lost, so each record gets a name of its own and is written whole or not at all.

#include <ctime>
#include <filesystem>
#include <string>

namespace tessal::player {

inline constexpr const char* kHistoryFolder = "cache/History";
inline constexpr const char* kUnknownAddress = "127.0.0.1";

// "%i-%i-%i %i:%i:%i" of local time: year, month, day, hour, minute, second, unpadded.
std::string ViewTime(const std::tm& local);

struct ViewRecord {
    std::string uid;
    std::string ip;  // empty: kUnknownAddress
    std::string begin;
    std::string end;
};

// Writes <body><view><name/><ip/><begin/><end/><uid/></view></body> (no XML declaration)
// into `history_folder`, named "YYYYMMDDhhmmss.xml" from `now` (zero-padded, so two dates
// never share a name), or "YYYYMMDDhhmmss-2.xml", "-3", ... when that name is taken; the
// name is claimed and the file filled in one step, so two writers in the same second
// each keep their record. Nothing when the uid is empty. Returns the file written, or an
// empty path.
std::filesystem::path WriteViewRecord(const std::filesystem::path& history_folder,
                                      const ViewRecord& record, const std::tm& now);

}  // namespace tessal::player
