#pragma once

// Tokens of a page in file order, handed from the thread that tokenizes it to the one that makes
// records of them. The texts stay views into the page, which outlives both threads; the
// attributes of all the batch's tags share one array, so a filled batch that goes round again
// allocates nothing.

#include "MarkupTokenizer.h"

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace lh {

struct MarkupTokenBatch {
    // Past either count a batch is handed on: small enough to stay in the cache between the
    // two cores, large enough that the hand-over costs little per token.
    static constexpr std::size_t kMaxTokens = 2048;
    static constexpr std::size_t kMaxAttributes = 4096;

    struct Token {
        MarkupToken::Kind kind = MarkupToken::Kind::Text;
        std::string_view name;
        std::string_view text;
        std::size_t firstAttribute = 0;
        std::size_t attributeCount = 0;
    };

    std::vector<Token> tokens;
    std::vector<MarkupAttribute> attributes;

    void Add(const MarkupToken& t) {
        tokens.push_back({t.kind, t.name, t.text, attributes.size(), t.attributes.size()});
        attributes.insert(attributes.end(), t.attributes.begin(), t.attributes.end());
    }
    std::span<const MarkupAttribute> AttributesOf(const Token& t) const noexcept {
        return std::span<const MarkupAttribute>(attributes)
            .subspan(t.firstAttribute, t.attributeCount);
    }
    bool Full() const noexcept {
        return tokens.size() >= kMaxTokens || attributes.size() >= kMaxAttributes;
    }
    void Clear() noexcept {
        tokens.clear();
        attributes.clear();
    }
};

} // namespace lh
