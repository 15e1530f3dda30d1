#include "platform/sandbox/wildcard.h"

#include <vector>

#include "core/case_mapping.h"

namespace velkor::platform::sandbox {
namespace {

// The pattern after the rewrite into the file system's matching tokens.
enum class TokenKind { kChar, kStar, kDosStar, kDosQuestion, kDosDot };

struct Token {
  TokenKind kind;
  char16_t c = 0;
};

std::vector<Token> Tokenize(std::u16string_view pattern) {
  if (pattern == u"*.*") pattern = u"*";
  std::vector<Token> tokens;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char16_t c = pattern[i];
    const char16_t next = i + 1 < pattern.size() ? pattern[i + 1] : 0;
    if (c == u'?') {
      tokens.push_back({TokenKind::kDosQuestion});
    } else if (c == u'*') {
      tokens.push_back({next == u'.' ? TokenKind::kDosStar : TokenKind::kStar});
    } else if (c == u'.' && (next == 0 || next == u'?' || next == u'*')) {
      tokens.push_back({TokenKind::kDosDot});
    } else {
      tokens.push_back({TokenKind::kChar, core::LowerChar(c)});
    }
  }
  return tokens;
}

class Matcher {
 public:
  Matcher(std::vector<Token> tokens, std::u16string_view name)
      : tokens_(std::move(tokens)),
        name_(core::Lower(name)),
        last_dot_(name_.rfind(u'.')),
        memo_((tokens_.size() + 1) * (name_.size() + 1), kUnknown) {}

  bool Match(size_t t, size_t n) {
    signed char& known = memo_[t * (name_.size() + 1) + n];
    if (known == kUnknown) known = Compute(t, n) ? 1 : 0;
    return known == 1;
  }

 private:
  static constexpr signed char kUnknown = -1;

  bool Compute(size_t t, size_t n) {
    const bool at_end = n == name_.size();
    if (t == tokens_.size()) return at_end;
    const Token& token = tokens_[t];
    switch (token.kind) {
      case TokenKind::kChar:
        return !at_end && name_[n] == token.c && Match(t + 1, n + 1);
      case TokenKind::kStar:
        return Match(t + 1, n) || (!at_end && Match(t, n + 1));
      case TokenKind::kDosStar:
        return Match(t + 1, n) || (!at_end && n != last_dot_ && Match(t, n + 1));
      case TokenKind::kDosQuestion:
        if (at_end || name_[n] == u'.') return Match(SkipQuestions(t), n);
        return Match(t + 1, n + 1);
      case TokenKind::kDosDot:
        if (at_end) return Match(t + 1, n);
        return name_[n] == u'.' && Match(t + 1, n + 1);
    }
    return false;
  }

  size_t SkipQuestions(size_t t) const {
    while (t < tokens_.size() && tokens_[t].kind == TokenKind::kDosQuestion) ++t;
    return t;
  }

  std::vector<Token> tokens_;
  std::u16string name_;
  size_t last_dot_;
  std::vector<signed char> memo_;
};

}  // namespace

bool MatchesWildcard(std::u16string_view pattern, std::u16string_view name) {
  Matcher matcher(Tokenize(pattern), name);
  return matcher.Match(0, 0);
}

}  // namespace velkor::platform::sandbox
