#include "client/shell/login_service.h"

#include "client/shell/user_info.h"
#include "client/shell/user_profile.h"
#include "common/net/http_client.h"

namespace tessal::client {

LoginService::LoginService(LoginContext context, Session& session, SessionReporter& reporter)
    : context_(std::move(context)), session_(session), reporter_(reporter) {}

std::string LoginService::Login(const std::string& account, const std::string& password,
                                int channel) {
    const LoginForm form{account,
                         password,
                         context_.machine_identifier ? context_.machine_identifier() : "",
                         context_.os_name,
                         context_.screen_height,
                         context_.screen_width};
    const HttpPost post = LoginPost(context_.site, channel, LoginFormText(form));
    HttpTimeouts timeouts;
    // The client's end does not wait out a login nobody will see.
    if (context_.stop != nullptr)
        timeouts.abandon = &context_.stop->flag();
    const std::string raw = SendRequest(post.url, post.body, "", HttpMethod::kPost, timeouts);
    if (context_.stop != nullptr && context_.stop->raised())
        return {};
    if (!IsLoginReply(raw)) {
        if (context_.log != nullptr)
            context_.log->Write("loginCheck:" + raw);
        return {};
    }
    const LoginReply reply = ParseLoginReply(raw);
    if (reply.msg != kLoginSuccess)
        return reply.msg;
    // A uid that would add fields to the reports or cut TessalUpdata's argument is none.
    if (!IsPlainToken(reply.uid))
        return kUidMissing;
    // Once the client has begun to end, its logout is on its way with the session it had:
    // a session taken now would stay open on the site.
    std::string result;
    if (context_.stop == nullptr)
        result = Claim(reply, form);
    else if (!context_.stop->RunUnlessRaised([&] { result = Claim(reply, form); }))
        return {};
    if (result == kLoginSuccess)
        FetchProfile(form.account, reply.uid);
    return result;
}

// Right after the member folder was made, but outside the claim: the end of the client
// waits for a claim in progress, and must not wait for this request too.
void LoginService::FetchProfile(const std::string& account, const std::string& uid) {
    UserProfileFetch fetch;
    fetch.site = &context_.site;
    fetch.member_folder = MemberFolder(context_.program_folder, account);
    fetch.uid = uid;
    fetch.log = context_.log;
    if (context_.stop != nullptr)
        fetch.abandon = &context_.stop->flag();
    FetchUserInformation(fetch);
}

// A second client of the same account is refused before this one reports anything: the
// running client's session stays the only one.
std::string LoginService::Claim(const LoginReply& reply, const LoginForm& form) {
    if (context_.claim_account && !context_.claim_account(form.account))
        return kAlreadyLoggedIn;
    return Accept(reply, form);
}

std::string LoginService::Accept(const LoginReply& reply, const LoginForm& form) {
    const std::string& account = form.account;
    SessionRecord record{account,     form.password, reply.loginname, reply.truename, reply.grade,
                         reply.email, reply.uid,     reply.hd,        reply.dqdate,   {}};
    if (record.hd.empty())
        record.hd = form.machine_id;
    if (record.dqdate.empty())
        record.dqdate = "00000000";
    session_.Fill(record);
    WriteUserId(context_.program_folder / kUserInfoFileName, reply.uid);
    if (!record.hd.empty() && !reply.grade.empty() && !reply.dqdate.empty())
        reporter_.Start(reply.uid);
    std::error_code ignored;
    std::filesystem::create_directories(MemberFolder(context_.program_folder, account), ignored);
    return kLoginSuccess;
}

}  // namespace tessal::client
