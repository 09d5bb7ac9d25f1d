#include "CliLanguage.h"

#include "platform/Locale.h"

#include <cstdlib>

namespace lh::cli {

Language LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang,
                            Language unset) {
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (!value || !*value)
            continue;
        return std::string_view(value).substr(0, 2) == "ja" ? Language::Japanese
                                                            : Language::English;
    }
    return unset;
}

Language LanguageFromEnvironment() {
    return LanguageFromLocale(
        std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"),
        platform::UserInterfaceIsJapanese() ? Language::Japanese : Language::English);
}

MessageLanguage IoLanguage(Language language) {
    return language == Language::Japanese ? MessageLanguage::Japanese : MessageLanguage::English;
}

const char* Say(Language language, const Text& text) {
    return language == Language::Japanese ? text.japanese : text.english;
}

std::string Say(Language language, const Text& text, std::initializer_list<std::string> args) {
    const std::string_view pattern = Say(language, text);
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (pattern[i] == '%' && next >= '1' && next <= '9' &&
            static_cast<std::size_t>(next - '1') < args.size()) {
            out += *(args.begin() + (next - '1'));
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

} // namespace lh::cli
