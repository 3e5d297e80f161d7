// The INI reader and the files the programs read with it: "UserInfo.ini", "LoadList.ini",
// "PlayerList.ini" and the hand-off file "codecs/Handle.dll". The input is written as
// each file, then read by the functions the programs call.

#include "client/download/load_list.h"
#include "client/shell/user_info.h"
#include "common/settings/ini_document.h"
#include "common/settings/ini_file.h"
#include "player/core/hand_off.h"
#include "player/core/player_list.h"
#include "player/core/player_list_ini.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

using tessal::fuzz::Require;

void CheckDocument(std::string_view text) {
    // Line ends are the one thing a rewrite may change, and only where a file mixes them.
    if (text.find('\r') == std::string_view::npos)
        Require(tessal::IniDocument::Parse(text).Serialize() == text,
                "a file is written back as it was read");
    tessal::IniDocument document = tessal::IniDocument::Parse(text);
    document.Set("Login", "userid", "10001");
    Require(document.Value("Login", "userid") == "10001", "a value set reads back");
}

void CheckPlayerList(const std::filesystem::path& file) {
    const auto courses = tessal::player::LoadPlayerList(file);
    if (courses.empty())
        return;
    const auto saved = file.parent_path() / "PlayerListSaved.ini";
    tessal::player::SavePlayerList(saved, courses);
    const auto again = tessal::player::LoadPlayerList(saved);
    Require(again.size() == courses.size(), "a saved playlist reads back whole");
    for (std::size_t i = 0; i < courses.size(); ++i) {
        Require(again[i].name == courses[i].name, "a course keeps its name");
        Require(again[i].lessons.size() == courses[i].lessons.size(), "a course keeps its lessons");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = tessal::fuzz::Text(data, size);
    const auto& folder = tessal::fuzz::ScratchFolder();
    CheckDocument(text);
    tessal::player::IniIndex::Parse(text).Numbered("CourseName", 1024);

    const auto user_info = folder / tessal::client::kUserInfoFileName;
    tessal::fuzz::WriteFile(user_info, text);
    tessal::client::ReadRememberedLogin(user_info);
    Require(tessal::ReadProfileString(user_info, "Login", "Acc", "").size() < 260,
            "a read fits its buffer");

    const auto load_list = folder / tessal::client::kLoadListFile;
    tessal::fuzz::WriteFile(load_list, text);
    tessal::client::ReadSavedLists(load_list);

    const auto player_list = folder / "PlayerList.ini";
    tessal::fuzz::WriteFile(player_list, text);
    CheckPlayerList(player_list);

    const auto hand_off = folder / tessal::player::kHandOffFile;
    tessal::fuzz::WriteFile(hand_off, text);
    tessal::player::ReadHandOffName(hand_off);
    tessal::player::TakeHandOffData(hand_off);
    return 0;
}
