#include "ui/about_texts.h"

namespace vexa {

std::string formatWithName(const std::string& format, const std::string& name) {
    constexpr std::size_t kMaxLength = 255;
    std::string result;
    for (std::size_t i = 0; i < format.size() && result.size() < kMaxLength; ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            if (format[i + 1] == 's') {
                result += name;
                ++i;
                continue;
            }
            if (format[i + 1] == '%') {
                result += '%';
                ++i;
                continue;
            }
        }
        result += format[i];
    }
    if (result.size() > kMaxLength) result.resize(kMaxLength);
    return result;
}

std::string nameAndVersion(const std::string& name, const std::string& versionText) {
    return name + " v" + versionText;
}

std::string describeBuild(const std::string& description) {
    return description + "\nBuilt on " + kBuildDate;
}

std::string noticeText(const std::string& licence, const std::string& disclaimer) {
    return licence + "\n" + disclaimer;
}

std::string toDisplayLineEnds(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        result += text[i];
    }
    return result;
}

}  // namespace vexa
