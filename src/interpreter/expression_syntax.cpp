#include "interpreter/expression_syntax.h"

#include <string>
#include <vector>

namespace velkor::interpreter {
namespace {

enum class Connective { kNone, kAnd, kOr };

// One open parenthesis level: the value so far and the connective waiting for a term.
struct Level {
  std::optional<bool> value;
  Connective pending = Connective::kNone;

  void Combine(bool term) {
    if (!value) {
      value = term;
    } else {
      value = pending == Connective::kAnd ? (*value && term) : (*value || term);
    }
    pending = Connective::kNone;
  }
};

std::optional<ComparisonOperator> OperatorOf(std::u16string_view word) {
  if (word == u"=") return ComparisonOperator::kEqual;
  if (word == u"<>") return ComparisonOperator::kNotEqual;
  if (word == u"<") return ComparisonOperator::kLess;
  if (word == u"<=") return ComparisonOperator::kLessEqual;
  if (word == u">") return ComparisonOperator::kGreater;
  if (word == u">=") return ComparisonOperator::kGreaterEqual;
  return std::nullopt;
}

class ExpressionReader {
 public:
  ExpressionReader(std::u16string_view text, const ComparisonFunction& compare)
      : text_(text), compare_(compare) {}

  std::optional<bool> Read() {
    levels_.emplace_back();
    while (true) {
      if (!ReadTerm()) return std::nullopt;
      const std::optional<bool> closed = CloseLevels();
      if (!closed) return std::nullopt;
      if (*closed) return Finish();
      if (!ReadConnective()) return std::nullopt;
    }
  }

 private:
  void SkipBlanks() {
    while (at_ < text_.size() && text_[at_] == u' ') ++at_;
  }

  // The characters up to the next double quote or space.
  std::u16string_view Word() {
    const size_t start = at_;
    while (at_ < text_.size() && text_[at_] != u'"' && text_[at_] != u' ') ++at_;
    return text_.substr(start, at_ - start);
  }

  std::optional<std::u16string_view> Quoted() {
    if (at_ >= text_.size() || text_[at_] != u'"') return std::nullopt;
    const size_t close = text_.find(u'"', at_ + 1);
    if (close == std::u16string_view::npos) return std::nullopt;
    const std::u16string_view inner = text_.substr(at_ + 1, close - at_ - 1);
    at_ = close + 1;
    return inner;
  }

  // Opens any parentheses, then reads one comparison into the innermost level.
  bool ReadTerm() {
    SkipBlanks();
    while (at_ < text_.size() && text_[at_] == u'(') {
      ++at_;
      levels_.emplace_back();
      SkipBlanks();
    }
    const std::optional<std::u16string_view> left = Quoted();
    if (!left) return false;
    SkipBlanks();
    const std::optional<ComparisonOperator> op = OperatorOf(Word());
    if (!op) return false;
    SkipBlanks();
    const std::optional<std::u16string_view> right = Quoted();
    if (!right) return false;
    levels_.back().Combine(compare_(ExpressionComparison{*left, *op, *right}));
    return true;
  }

  // Closes the parentheses that follow the term. True when the outermost expression
  // has ended, false when a connective must follow; nullopt when malformed.
  std::optional<bool> CloseLevels() {
    while (true) {
      SkipBlanks();
      const bool at_end = at_ >= text_.size();
      if (!at_end && text_[at_] != u')') return false;
      if (levels_.size() == 1) return true;
      if (at_end) return std::nullopt;  // a parenthesis left open
      ++at_;
      const bool value = *levels_.back().value;
      levels_.pop_back();
      levels_.back().Combine(value);
    }
  }

  bool ReadConnective() {
    const std::u16string_view word = Word();
    if (word == u"and") {
      levels_.back().pending = Connective::kAnd;
    } else if (word == u"or") {
      levels_.back().pending = Connective::kOr;
    } else {
      return false;
    }
    return true;
  }

  std::optional<bool> Finish() {
    if (at_ != text_.size()) return std::nullopt;  // left over, e.g. an extra ")"
    return levels_.back().value;
  }

  std::u16string_view text_;
  const ComparisonFunction& compare_;
  size_t at_ = 0;
  std::vector<Level> levels_;
};

}  // namespace

std::optional<bool> ReadExpression(std::u16string_view expression,
                                   const ComparisonFunction& compare) {
  std::u16string wrapped;
  wrapped.reserve(expression.size() + 2);
  wrapped.append(u"(").append(expression).append(u")");
  return ExpressionReader(wrapped, compare).Read();
}

bool IsValidExpressionSyntax(std::u16string_view expression) {
  return ReadExpression(expression, [](const ExpressionComparison&) { return false; }).has_value();
}

}  // namespace velkor::interpreter
