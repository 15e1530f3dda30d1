// The one exception type of script runtime errors: raised by a statement (or by the
// script tables on its behalf) and caught by the interpreter, which reports the message
// with the statement's source position. It never crosses a thread.
#pragma once

#include <exception>
#include <string>

namespace velkor::script {

class ScriptError : public std::exception {
 public:
  explicit ScriptError(std::u16string message);

  const std::u16string& message() const { return message_; }
  // The message in UTF-8, for logs and test output.
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  std::u16string message_;
  std::string utf8_;
};

}  // namespace velkor::script
