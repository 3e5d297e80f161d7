#pragma once

// The programs post plain "name=value&name=value" forms whose values are percent-encoded
// UTF-8 or site-code-page bytes, and which may carry raw blanks; the site takes them
// apart itself rather than trust a generic form decoder with "+" and code pages.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessal::site {

class FormFields {
public:
    FormFields() = default;
    // Splits on `separator` ("&", or "#" for a form carried inside another field).
    static FormFields Parse(std::string_view body, char separator = '&');

    bool Has(std::string_view name) const;
    // The value as sent, still percent-encoded; empty when missing.
    std::string Raw(std::string_view name) const;
    // Percent-decoded bytes taken as UTF-8.
    std::string Utf8(std::string_view name) const;
    // Percent-decoded bytes taken as `code_page` text, returned as UTF-8.
    std::string FromCodePage(std::string_view name, std::string_view code_page) const;

    const std::vector<std::pair<std::string, std::string>>& fields() const { return fields_; }

private:
    std::vector<std::pair<std::string, std::string>> fields_;
};

}  // namespace tessal::site
