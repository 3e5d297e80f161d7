// Questions asked from the lesson window: a form in the site code page, "1" when every
// field came, "0" otherwise. Every question is kept, answered or not.

#include "site/server/endpoints.h"

namespace tessal::site {

void AddQuestionEndpoint(Routes& routes, SiteContext& site) {
    routes.Add(
        SiteHost::kClientData, Method::kPost, "/DiscuzPost.php",
        [&site](const SiteRequest& request) {
            const FormFields& form = request.form;
            const auto text = [&](const char* name) {
                return form.FromCodePage(name, site.code_page);
            };
            Question question{text("acc"), text("pwd"), text("tit"), text("con"), text("course")};
            const bool complete = form.Raw("mode") == "1" && !question.account.empty() &&
                                  !question.password.empty() && !question.title.empty() &&
                                  !question.content.empty() && !question.course.empty();
            site.state.AddQuestion(std::move(question));
            return Reply::Text(complete ? "1" : "0");
        });
}

}  // namespace tessal::site
