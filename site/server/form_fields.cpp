#include "site/server/form_fields.h"

#include "common/net/url.h"

namespace tessal::site {

FormFields FormFields::Parse(std::string_view body, char separator) {
    FormFields form;
    while (!body.empty()) {
        const std::size_t end = body.find(separator);
        const std::string_view pair = body.substr(0, end);
        const std::size_t equals = pair.find('=');
        if (!pair.empty()) {
            form.fields_.emplace_back(std::string(pair.substr(0, equals)),
                                      equals == std::string_view::npos
                                          ? std::string()
                                          : std::string(pair.substr(equals + 1)));
        }
        if (end == std::string_view::npos)
            break;
        body.remove_prefix(end + 1);
    }
    return form;
}

bool FormFields::Has(std::string_view name) const {
    for (const auto& field : fields_) {
        if (field.first == name)
            return true;
    }
    return false;
}

std::string FormFields::Raw(std::string_view name) const {
    for (const auto& field : fields_) {
        if (field.first == name)
            return field.second;
    }
    return {};
}

std::string FormFields::Utf8(std::string_view name) const {
    return UrlDecode(Raw(name), true);
}

std::string FormFields::FromCodePage(std::string_view name, std::string_view code_page) const {
    return UrlDecode(Raw(name), false, code_page);
}

}  // namespace tessal::site
