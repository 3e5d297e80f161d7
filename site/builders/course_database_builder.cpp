#include "site/builders/course_database_builder.h"

#include <vector>

#include "site/builders/database_file.h"

namespace tessal::site {
namespace {

// The client's queries name these tables and columns, "t_lesontype" included.
constexpr const char* kSchema =
    "CREATE TABLE t_course (FCourseid INTEGER, Fcoursename TEXT, Fcourseimg TEXT, "
    "Ftype TEXT, Fiscomplete TEXT, Flevel TEXT, Fnumoflikes REAL, Fnumofclick REAL);"
    "CREATE TABLE t_lesson (Fid INTEGER, Fname TEXT, Fcoursename TEXT, FCourseid INTEGER, "
    "Fdownurl TEXT, Fchapter TEXT, Fsort INTEGER);"
    "CREATE TABLE t_lesontype (Fname TEXT);";

constexpr const char* kInsertCourse =
    "INSERT INTO t_course (FCourseid, Fcoursename, Fcourseimg, Ftype, Fiscomplete, Flevel, "
    "Fnumoflikes, Fnumofclick) VALUES (?, ?, ?, ?, ?, ?, ?, ?)";
constexpr const char* kInsertLesson =
    "INSERT INTO t_lesson (Fid, Fname, Fcoursename, FCourseid, Fdownurl, Fchapter, Fsort) "
    "VALUES (?, ?, ?, ?, ?, ?, ?)";
constexpr const char* kInsertType = "INSERT INTO t_lesontype (Fname) VALUES (?)";

std::vector<SqlRow> CourseRows(const DemoData& data, const SiteUrls& urls) {
    std::vector<SqlRow> rows;
    for (const Course& course : data.courses) {
        rows.push_back({std::int64_t{course.id}, course.name, urls.CoursePictureUrl(course),
                        course.type, course.complete, course.level, course.likes, course.clicks});
    }
    return rows;
}

std::vector<SqlRow> LessonRows(const DemoData& data, const SiteUrls& urls) {
    std::vector<SqlRow> rows;
    for (const Course& course : data.courses) {
        for (const Lesson& lesson : course.lessons) {
            rows.push_back({std::int64_t{lesson.id}, lesson.name, course.name,
                            std::int64_t{course.id}, urls.LessonUrl(course, lesson), lesson.chapter,
                            std::int64_t{lesson.sort}});
        }
    }
    return rows;
}

std::vector<SqlRow> TypeRows(const DemoData& data) {
    std::vector<SqlRow> rows;
    for (const std::string& type : data.course_types) {
        rows.push_back({type});
    }
    return rows;
}

}  // namespace

bool BuildCourseDatabase(const DemoData& data, const SiteUrls& urls,
                         const std::filesystem::path& file, std::string& error) {
    DatabaseFile database(file);
    const bool built = database.Execute(kSchema) &&
                       database.InsertRows(kInsertCourse, CourseRows(data, urls)) &&
                       database.InsertRows(kInsertLesson, LessonRows(data, urls)) &&
                       database.InsertRows(kInsertType, TypeRows(data)) && database.Commit();
    if (!built) {
        error = database.error();
    }
    return built;
}

bool BuildEmptyCourseDatabase(const std::filesystem::path& file, std::string& error) {
    DatabaseFile database(file);
    const bool built = database.Execute(kSchema) && database.Commit();
    if (!built) {
        error = database.error();
    }
    return built;
}

}  // namespace tessal::site
