#include "interpreter/statement.h"

#include <array>

#include "core/case_mapping.h"
#include "interpreter/interpreter.h"

namespace velkor::interpreter {
namespace {

struct TranslatedParameter {
  std::u16string_view command;
  int32_t parameter;
  int32_t ordinal;
};

// The parameters that carry user-visible text, with the order in which the build tool
// writes their translations under the statement's key.
constexpr std::array kTranslatedParameters = {
    TranslatedParameter{u"If", 1, 1},
    TranslatedParameter{u"If", 3, 2},
    TranslatedParameter{u"Else If", 1, 1},
    TranslatedParameter{u"Else If", 3, 2},
    TranslatedParameter{u"While", 1, 1},
    TranslatedParameter{u"While", 3, 2},
    TranslatedParameter{u"Until", 1, 1},
    TranslatedParameter{u"Until", 3, 2},
    TranslatedParameter{u"Set Variable", 2, 1},
    TranslatedParameter{u"Localization Variable", 2, 1},
    TranslatedParameter{u"MessageBox", 1, 1},
    TranslatedParameter{u"MessageBox", 2, 2},
    TranslatedParameter{u"MessageBalloon", 1, 1},
    TranslatedParameter{u"MessageBalloon", 2, 2},
    TranslatedParameter{u"Create Shortcut", 2, 1},
    TranslatedParameter{u"Create Shortcut", 4, 2},
    TranslatedParameter{u"Advertised Shortcut", 2, 1},
    TranslatedParameter{u"Advertised Shortcut", 4, 2},
    TranslatedParameter{u"Create File Type", 1, 1},
    TranslatedParameter{u"Create File Type", 3, 2},
    TranslatedParameter{u"Advertised File Type", 1, 1},
    TranslatedParameter{u"Advertised File Type", 3, 2},
    TranslatedParameter{u"Install Service", 4, 1},
    TranslatedParameter{u"Install Service", 5, 2},
    TranslatedParameter{u"Install Service", 6, 3},
    TranslatedParameter{u"Install Service", 9, 4},
    TranslatedParameter{u"Install Service", 10, 5},
    TranslatedParameter{u"Control Service", 1, 1},
    TranslatedParameter{u"Configure Service", 1, 1},
    TranslatedParameter{u"Schedule Task", 1, 1},
    TranslatedParameter{u"Delete Scheduled Task", 1, 1},
    TranslatedParameter{u"Delete Share", 1, 1},
    TranslatedParameter{u"Create IIS Site", 1, 1},
    TranslatedParameter{u"Get IIS Site Index", 1, 1},
    TranslatedParameter{u"Configure Service Failure", 1, 1},
    TranslatedParameter{u"Configure Service Failure", 9, 9},
    TranslatedParameter{u"Configure Service Failure", 10, 10},
    TranslatedParameter{u"Configure Service Failure", 11, 11},
    TranslatedParameter{u"Create Group", 2, 1},
    TranslatedParameter{u"Create User", 2, 1},
    TranslatedParameter{u"Create User", 3, 2},
    TranslatedParameter{u"Create User", 9, 3},
    TranslatedParameter{u"Create Share", 2, 1},
    TranslatedParameter{u"Create Share", 3, 2},
    TranslatedParameter{u"Set Access Control", 1, 1},
    TranslatedParameter{u"Set Access Control", 6, 2},
    TranslatedParameter{u"Create Media Center", 5, 1},
    TranslatedParameter{u"System Restore", 4, 1},
    TranslatedParameter{u"Create Virtual Folder", 1, 1},
    TranslatedParameter{u"Create Virtual Folder", 12, 2},
    TranslatedParameter{u"Create Virtual Folder", 13, 3},
    TranslatedParameter{u"Get Component Space", 1, 1},
    TranslatedParameter{u"Get Component State", 1, 1},
    TranslatedParameter{u"Set Component State", 1, 1},
    TranslatedParameter{u"Set Component Space", 1, 1},
    TranslatedParameter{u"Set Component Choice", 1, 1},
    TranslatedParameter{u"Set Component Visibility", 1, 1},
    TranslatedParameter{u"Delete Component", 1, 1},
    TranslatedParameter{u"Define Component", 1, 1},
    TranslatedParameter{u"Define Component", 3, 2},
};

int32_t TranslationOrdinal(std::u16string_view command, int32_t parameter) {
  for (const TranslatedParameter& entry : kTranslatedParameters) {
    if (entry.command == command && entry.parameter == parameter) return entry.ordinal;
  }
  return 0;
}

}  // namespace

std::u16string VariableNameOf(std::u16string_view parameter) {
  if (parameter.size() >= 2 && parameter.front() == u'$' && parameter.back() == u'$') {
    return std::u16string(parameter.substr(1, parameter.size() - 2));
  }
  return std::u16string(parameter);
}

Statement::Statement(Interpreter& run, size_t index)
    : run_(run), index_(index), command_(run.statements().Command(index)) {}

std::u16string Statement::Param(int32_t n) const {
  return run_.script().StatementParam(index_, n);
}

std::u16string Statement::Localized(int32_t n) const {
  const int32_t ordinal = TranslationOrdinal(command_, n);
  std::u16string text = Param(n);
  if (ordinal == 0) return text;
  return run_.Translate(text, index_, ordinal);
}

std::u16string Statement::Expanded(int32_t n) const {
  return run_.variables().ExpandVariables(Param(n));
}

std::u16string Statement::LocalizedExpanded(int32_t n) const {
  return run_.variables().ExpandVariables(Localized(n));
}

std::u16string Statement::WriterTag() const {
  return std::u16string(command_) + u" Action";
}

void Statement::SetResult(std::u16string_view variable, std::u16string_view value,
                          std::u16string_view tag) const {
  const std::u16string name = core::Upper(VariableNameOf(variable));
  if (name.empty()) return;
  const std::u16string writer = tag.empty() ? WriterTag() : std::u16string(tag);
  script::Variables& variables = run_.variables();
  if (!variables.VariableExists(name)) variables.DefineVariable(name, u"", writer);
  variables.SetVariable(name, value, writer);
}

}  // namespace velkor::interpreter
