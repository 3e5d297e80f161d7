#include "site/model/demo_data.h"

#include <json/json.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

namespace tessal::site {
namespace {

bool ReadJson(const std::string& path, Json::Value& root, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot be read";
        return false;
    }
    Json::CharReaderBuilder builder;
    std::string parse_errors;
    if (!Json::parseFromStream(builder, in, &root, &parse_errors) || !root.isObject()) {
        error = path + ": not a JSON object: " + parse_errors;
        return false;
    }
    return true;
}

std::string Text(const Json::Value& object, const char* key) {
    const Json::Value& value = object[key];
    if (value.isString())
        return value.asString();
    if (value.isNumeric())
        return value.asString();
    return {};
}

Member ReadMember(const Json::Value& m) {
    Member member;
    member.account = Text(m, "account");
    member.password = Text(m, "password");
    member.uid = Text(m, "uid");
    member.loginname = Text(m, "loginname");
    member.truename = Text(m, "truename");
    member.grade = Text(m, "grade");
    member.email = Text(m, "email");
    member.hd = Text(m, "hd");
    member.dqdate = Text(m, "dqdate");
    member.head_picture = Text(m, "head_picture");
    member.refusal = Text(m, "refusal");
    return member;
}

bool ReadMembers(const std::string& folder, DemoData& data, std::string& error) {
    Json::Value root;
    if (!ReadJson(folder + "/members.json", root, error))
        return false;
    data.refusals.unknown_account = Text(root["refusals"], "unknown_account");
    data.refusals.wrong_password = Text(root["refusals"], "wrong_password");
    for (const Json::Value& m : root["members"])
        data.members.push_back(ReadMember(m));
    std::set<std::string> accounts;
    for (const Member& member : data.members) {
        if (member.account.empty() || !accounts.insert(member.account).second) {
            error = folder + "/members.json: empty or repeated account \"" + member.account + "\"";
            return false;
        }
    }
    return true;
}

Lesson ReadLesson(const Json::Value& l, const std::string& chapter, int sort) {
    Lesson lesson;
    lesson.id = l["id"].asInt();
    lesson.name = Text(l, "name");
    lesson.chapter = chapter;
    lesson.sort = sort;
    lesson.file = Text(l, "file");
    lesson.download_host = l.get("host", 1).asInt();
    lesson.clip = Text(l, "clip");
    return lesson;
}

Course ReadCourse(const Json::Value& c) {
    Course course;
    course.id = c["id"].asInt();
    course.name = Text(c, "name");
    course.type = Text(c, "type");
    course.level = Text(c, "level");
    course.complete = Text(c, "complete");
    course.likes = c["likes"].asDouble();
    course.clicks = c["clicks"].asDouble();
    course.picture = Text(c, "picture");
    int sort = 0;
    for (const Json::Value& chapter : c["chapters"]) {
        for (const Json::Value& l : chapter["lessons"]) {
            course.lessons.push_back(ReadLesson(l, Text(chapter, "name"), ++sort));
        }
    }
    return course;
}

bool CheckLesson(const DemoData& data, const Lesson& lesson, std::set<int>& ids,
                 std::string& error) {
    std::ostringstream fault;
    if (lesson.id <= 0 || !ids.insert(lesson.id).second) {
        fault << "lesson id " << lesson.id << " is not positive or repeated";
    } else if (lesson.download_host < 1 || lesson.download_host > 3) {
        fault << "lesson " << lesson.id << ": host must be 1, 2 or 3";
    } else if (data.ClipByName(lesson.clip) == nullptr) {
        fault << "lesson " << lesson.id << ": unknown clip \"" << lesson.clip << "\"";
    } else if (lesson.file.empty()) {
        fault << "lesson " << lesson.id << ": no file";
    }
    error = fault.str();
    return error.empty();
}

bool CheckCatalogue(const DemoData& data, std::string& error) {
    std::set<int> course_ids;
    std::set<int> lesson_ids;
    for (const Course& course : data.courses) {
        const auto& types = data.course_types;
        if (course.id <= 0 || !course_ids.insert(course.id).second) {
            error = "course id " + std::to_string(course.id) + " is not positive or repeated";
            return false;
        }
        if (std::find(types.begin(), types.end(), course.type) == types.end()) {
            error = "course " + std::to_string(course.id) + ": unknown type " + course.type;
            return false;
        }
        for (const Lesson& lesson : course.lessons) {
            if (!CheckLesson(data, lesson, lesson_ids, error))
                return false;
        }
    }
    return true;
}

bool ReadCatalogue(const std::string& folder, DemoData& data, std::string& error) {
    Json::Value root;
    if (!ReadJson(folder + "/catalogue.json", root, error))
        return false;
    for (const Json::Value& type : root["types"])
        data.course_types.push_back(type.asString());
    for (const Json::Value& c : root["clips"]) {
        data.clips.push_back(
            {Text(c, "name"), c["seconds"].asInt(), Text(c, "pattern"), c["tone_hz"].asInt()});
    }
    for (const Json::Value& c : root["courses"])
        data.courses.push_back(ReadCourse(c));
    if (!CheckCatalogue(data, error)) {
        error = folder + "/catalogue.json: " + error;
        return false;
    }
    return true;
}

bool ReadPushes(const std::string& folder, DemoData& data, std::string& error) {
    Json::Value root;
    if (!ReadJson(folder + "/pushes.json", root, error))
        return false;
    for (const Json::Value& p : root["pushes"]) {
        data.pushes.push_back({Text(p, "uid"), Text(p, "mode"), Text(p, "url"), Text(p, "title"),
                               Text(p, "content"), Text(p, "picture"), Text(p, "custom_url")});
    }
    return true;
}

UpdateItem ReadUpdateItem(const Json::Value& i) {
    return {Text(i, "name"), Text(i, "truename"), Text(i, "local"), Text(i, "priority"),
            Text(i, "file"), Text(i, "url"),      Text(i, "md5")};
}

bool ReadUpdates(const std::string& folder, DemoData& data, std::string& error) {
    Json::Value root;
    if (!ReadJson(folder + "/updates.json", root, error))
        return false;
    data.updates.version = Text(root, "version");
    for (const Json::Value& i : root["client"])
        data.updates.client.push_back(ReadUpdateItem(i));
    for (const Json::Value& g : root["groups"]) {
        UpdateGroup group{Text(g, "group"), {}};
        for (const Json::Value& i : g["items"])
            group.items.push_back(ReadUpdateItem(i));
        data.updates.groups.push_back(std::move(group));
    }
    return true;
}

// The first UTF-8 character: a Chinese family name.
std::string FirstCharacter(const std::string& text) {
    std::size_t length = text.empty() ? 0 : 1;
    while (length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        ++length;
    }
    return text.substr(0, length);
}

}  // namespace

const Member* DemoData::MemberByAccount(const std::string& account) const {
    for (const Member& member : members) {
        if (member.account == account)
            return &member;
    }
    return nullptr;
}

const Member* DemoData::MemberByUid(const std::string& uid) const {
    for (const Member& member : members) {
        if (!uid.empty() && member.uid == uid)
            return &member;
    }
    return nullptr;
}

const Course* DemoData::CourseById(int id) const {
    for (const Course& course : courses) {
        if (course.id == id)
            return &course;
    }
    return nullptr;
}

const Course* DemoData::CourseOfLesson(int lesson_id) const {
    for (const Course& course : courses) {
        for (const Lesson& lesson : course.lessons) {
            if (lesson.id == lesson_id)
                return &course;
        }
    }
    return nullptr;
}

const Lesson* DemoData::LessonById(int id) const {
    const Course* course = CourseOfLesson(id);
    if (course == nullptr)
        return nullptr;
    for (const Lesson& lesson : course->lessons) {
        if (lesson.id == id)
            return &lesson;
    }
    return nullptr;
}

const MediaClip* DemoData::ClipByName(const std::string& name) const {
    for (const MediaClip& clip : clips) {
        if (clip.name == name)
            return &clip;
    }
    return nullptr;
}

std::vector<std::string> DemoData::PictureNames() const {
    std::vector<std::string> names;
    for (const auto& picture : PictureLabels())
        names.push_back(picture.first);
    return names;
}

std::map<std::string, std::string> DemoData::PictureLabels() const {
    std::map<std::string, std::string> labels;
    for (const Course& course : courses)
        labels.emplace(course.picture, course.name);
    for (const Member& member : members) {
        labels.emplace(member.head_picture, FirstCharacter(member.truename));
    }
    for (const PushMessage& push : pushes)
        labels.emplace(push.picture, push.title);
    labels.erase(std::string());
    return labels;
}

bool LoadDemoData(const std::string& folder, DemoData& data, std::string& error) {
    data = DemoData{};
    data.folder = folder;
    using Reader = bool (*)(const std::string&, DemoData&, std::string&);
    const std::pair<const char*, Reader> files[] = {{"members.json", ReadMembers},
                                                    {"catalogue.json", ReadCatalogue},
                                                    {"pushes.json", ReadPushes},
                                                    {"updates.json", ReadUpdates}};
    for (const auto& [file, read] : files) {
        try {
            if (!read(folder, data, error))
                return false;
        } catch (const Json::Exception& e) {
            // A member of the wrong type (a text where a number belongs, ...).
            error = folder + "/" + file + ": " + e.what();
            return false;
        }
    }
    return true;
}

}  // namespace tessal::site
