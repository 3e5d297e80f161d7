#pragma once

// The demo data set of the reference site: members, the course catalogue, push messages
// and update lists, read from the readable JSON files of data/demo/. The site answers
// from it and the builders make the installation's databases and media from it.

#include <map>
#include <string>
#include <vector>

namespace tessal::site {

struct Member {
    std::string account;
    std::string password;
    std::string uid;
    std::string loginname;
    std::string truename;
    std::string grade;
    std::string email;
    std::string hd;
    std::string dqdate;
    std::string head_picture;
    std::string refusal;
};

struct Refusals {
    std::string unknown_account;
    std::string wrong_password;
};

struct MediaClip {
    std::string name;
    int seconds = 0;
    std::string pattern;  // an ffmpeg lavfi video source
    int tone_hz = 0;
};

struct Lesson {
    int id = 0;
    std::string name;
    std::string chapter;
    int sort = 0;           // chapter and lesson order inside the course
    std::string file;       // last part of the download URL
    int download_host = 1;  // 1, 2 or 3
    std::string clip;
};

struct Course {
    int id = 0;
    std::string name;
    std::string type;
    std::string level;
    std::string complete;
    double likes = 0;
    double clicks = 0;
    std::string picture;
    std::vector<Lesson> lessons;  // in chapter order, then lesson order
};

struct PushMessage {
    std::string uid;
    std::string mode;
    std::string url;  // may hold "{HostKey}" placeholders
    std::string title;
    std::string content;
    std::string picture;
    std::string custom_url;
};

struct UpdateItem {
    std::string name;
    std::string truename;
    std::string local;
    std::string priority;
    std::string file;  // under updates/ of the data folder
    std::string url;   // empty: the site's own address of `file`
    std::string md5;   // empty: the digest of `file`
};

struct UpdateGroup {
    std::string group;  // "Progarm", "layout", "dll" or "image"
    std::vector<UpdateItem> items;
};

struct UpdateLists {
    std::string version;
    std::vector<UpdateItem> client;
    std::vector<UpdateGroup> groups;
};

struct DemoData {
    std::string folder;
    Refusals refusals;
    std::vector<Member> members;
    std::vector<std::string> course_types;
    std::vector<MediaClip> clips;
    std::vector<Course> courses;
    std::vector<PushMessage> pushes;
    UpdateLists updates;

    const Member* MemberByAccount(const std::string& account) const;
    const Member* MemberByUid(const std::string& uid) const;
    const Course* CourseById(int id) const;
    const Course* CourseOfLesson(int lesson_id) const;
    const Lesson* LessonById(int id) const;
    const MediaClip* ClipByName(const std::string& name) const;
    // Every picture the site serves: course, head and push pictures.
    std::vector<std::string> PictureNames() const;
    // What each picture shows: the course name, the member's family name, the push title.
    std::map<std::string, std::string> PictureLabels() const;
};

// Reads members.json, catalogue.json, pushes.json and updates.json of `folder`. On a
// missing file, bad JSON or an inconsistent catalogue (a lesson naming an unknown clip,
// a course of an unknown type, a download host other than 1 to 3, a repeated id) it
// returns false and says which file and what in `error`.
bool LoadDemoData(const std::string& folder, DemoData& data, std::string& error);

}  // namespace tessal::site
