// Pass 6 of the script check: per statement, the change mark, the result variables
// the command will write (declared), and the parameters the command cannot do without.
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/case_mapping.h"
#include "core/truth.h"
#include "interpreter/expression_syntax.h"
#include "script/check_declarations.h"
#include "script/check_passes.h"

namespace velkor::script {
namespace {

constexpr std::u16string_view kChangeCommands[] = {
    u"Delete Files",    u"Copy/Move Local Files", u"Create Folder",
    u"Create Shortcut", u"Advertised Shortcut",   u"Edit INI File",
    u"Install Files",   u"Install Assembly",      u"Set Environment",
    u"Install Service", u"Install ODBC Driver",   u"Create ODBC DSN",
    u"Control Service", u"Configure Service",     u"Configure Service Failure",
    u"Write Registry",  u"Create File Type",      u"Advertised File Type",
};

constexpr std::u16string_view kVariableRequired = u"Variable required";

std::u16string NotDefined(std::u16string_view text) {
  return u"Variable not defined: " + std::u16string(text);
}

// "$NAME$": a name between two dollar signs, with no other dollar sign.
bool IsReference(std::u16string_view text) {
  return text.size() >= 3 && text.front() == u'$' && text.back() == u'$' &&
         text.substr(1, text.size() - 2).find(u'$') == std::u16string_view::npos;
}

std::u16string_view ReferencedName(std::u16string_view text) {
  return IsReference(text) ? text.substr(1, text.size() - 2) : text;
}

std::u16string_view TextBefore(std::u16string_view text, std::u16string_view separator) {
  return text.substr(0, text.find(separator));
}

// A name Windows accepts for a file: not empty, no control character, none of \/:*?"<>|.
bool IsLegalFileName(std::u16string_view name) {
  if (name.empty()) return false;
  for (const char16_t c : name) {
    if (c < 0x20 || std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos) {
      return false;
    }
  }
  return true;
}

class CommandChecker {
 public:
  CommandChecker(ScriptTables& tables, Variables& variables, const LabelSet& labels)
      : tables_(tables), variables_(variables), labels_(labels) {
    for (const ResultRule& rule : ResultVariableRules()) rules_[rule.command].push_back(&rule);
    RegisterHandlers();
  }

  CheckFailure Run() {
    std::vector<std::u16string>& marks = tables_.ChangeMarks();
    const StatementTable& statements = tables_.statements();
    for (size_t i = 0; i < statements.size(); ++i) {
      marks.emplace_back(u"SKIP");
      if (statements.IsDisabled(i)) continue;
      const std::u16string_view command = statements.Command(i);
      if (change_commands_.contains(command)) marks.back() = u"FALSE";
      if (std::optional<std::u16string> failure = CheckStatement(i, command)) {
        return FailAt(i, std::move(*failure));
      }
    }
    return std::nullopt;
  }

 private:
  using Failure = std::optional<std::u16string>;
  using Handler = Failure (CommandChecker::*)(size_t);

  void RegisterHandlers() {
    change_commands_.insert(std::begin(kChangeCommands), std::end(kChangeCommands));
    handlers_ = {
        {u"Delete Files", &CommandChecker::DeleteFiles},
        {u"Install Files", &CommandChecker::InstallFiles},
        {u"Web Media Block", &CommandChecker::WebMediaBlock},
        {u"Display Dialog", &CommandChecker::DisplayDialog},
        {u"Evaluate Expression", &CommandChecker::EvaluateExpression},
        {u"Convert Path", &CommandChecker::VariableInPlace},
        {u"Convert Case", &CommandChecker::VariableInPlace},
        {u"Extract Path", &CommandChecker::VariableInPlace},
        {u"Replace String", &CommandChecker::VariableInPlace},
        {u"If", &CommandChecker::Condition},
        {u"Else If", &CommandChecker::Condition},
        {u"While", &CommandChecker::Condition},
        {u"Until", &CommandChecker::Condition},
        {u"For Each", &CommandChecker::ForEach},
        {u"Next", &CommandChecker::Next},
        {u"GoTo Label", &CommandChecker::GoToLabel},
        {u"Parse String", &CommandChecker::ParseString},
    };
  }

  // Result variables first, so that the command's own checks see them declared.
  Failure CheckStatement(size_t i, std::u16string_view command) {
    if (const auto rules = rules_.find(command); rules != rules_.end()) {
      for (const ResultRule* rule : rules->second) {
        if (Failure failure = DeclareResult(i, *rule)) return failure;
      }
    }
    const auto handler = handlers_.find(command);
    return handler == handlers_.end() ? std::nullopt : (this->*handler->second)(i);
  }

  Failure DeclareResult(size_t i, const ResultRule& rule) {
    const std::u16string text = Param(i, rule.parameter);
    std::u16string_view name = text;
    if (rule.form == ResultNameForm::kBeforeMarker) name = TextBefore(text, kPersistMarker);
    if (rule.form == ResultNameForm::kBeforeBar) name = TextBefore(text, u"|");
    if (name.empty() && Needed(i, rule.need)) return std::u16string(kVariableRequired);
    if (!name.empty()) Declare(name);
    return std::nullopt;
  }

  bool Needed(size_t i, ResultNeed need) {
    switch (need) {
      case ResultNeed::kRequired:
        return true;
      case ResultNeed::kOptional:
        return false;
      case ResultNeed::kRequiredUnlessSeeding: {
        const std::u16string operation = Param(i, 3);
        return operation != u"13" && operation != u"14";
      }
      case ResultNeed::kRequiredWhenFirstTrue:
        return core::TruthOf(Param(i, 1));
    }
    return true;
  }

  Failure DeleteFiles(size_t i) {
    if (core::TruthOf(Param(i, 3)) || core::TruthOf(Param(i, 4))) return std::nullopt;
    return u"At least one delete mode must be selected";
  }

  Failure InstallFiles(size_t i) {
    if (!Param(i, 3).empty()) return std::nullopt;
    return u"A target folder must be specified for files that are being installed.\r"
           u"The value $TARGETDIR$ represents the destination folder chosen by the user.";
  }

  Failure WebMediaBlock(size_t i) {
    const std::u16string name = Param(i, 1);
    if (!name.empty() && Param(i, 2).empty()) {
      return u"Web Media Block must have at least one download URL";
    }
    if (!IsLegalFileName(name)) return u"Web Media Block name must be a legal file name";
    return std::nullopt;
  }

  Failure DisplayDialog(size_t i) {
    if (Param(i, 1).empty()) return u"Dialog name not specified";
    const std::u16string variable = Param(i, 4);
    if (!variable.empty() && !ExistsAsWritten(variable)) return NotDefined(variable);
    return std::nullopt;
  }

  Failure EvaluateExpression(size_t i) {
    const std::u16string expression = variables_.ExpandVariablesQuoted(Param(i, 1));
    if (interpreter::IsValidExpressionSyntax(expression)) return std::nullopt;
    return u"Syntax error in expression. Please review the help topic \"Evaluate Expression\" "
           u"for the correct syntax.";
  }

  // Commands that change a variable in place: it must exist by now.
  Failure VariableInPlace(size_t i) {
    const std::u16string name = Param(i, 1);
    if (variables_.VariableExists(name)) return std::nullopt;
    return NotDefined(name);
  }

  // "If", "Else If", "While", "Until": the tested variable and, unless the operator is
  // "5", the variables the comparison reads.
  Failure Condition(size_t i) {
    const std::u16string tested = Param(i, 1);
    if (tested.empty()) return std::u16string(kVariableRequired);
    if (Param(i, 2) == u"5") return std::nullopt;
    if (!ExistsAsWritten(tested)) return NotDefined(tested);
    const std::u16string compared = Param(i, 3);
    if (IsReference(compared) && !ExistsAsWritten(compared)) return NotDefined(compared);
    return std::nullopt;
  }

  // The loop variable exists only between its "For Each" and its "Next".
  Failure ForEach(size_t i) {
    const std::u16string variable = Param(i, 1);
    if (variable.empty()) return std::u16string(kVariableRequired);
    std::u16string upper = core::Upper(variable);
    if (variables_.VariableExists(upper)) {
      return u"FOR EACH variable previously defined outside FOR EACH loop";
    }
    Declare(upper);
    loop_variables_.push_back(std::move(upper));
    return std::nullopt;
  }

  Failure Next(size_t) {
    if (loop_variables_.empty()) return std::nullopt;
    variables_.RemoveVariable(loop_variables_.back());
    loop_variables_.pop_back();
    return std::nullopt;
  }

  Failure GoToLabel(size_t i) {
    const std::u16string label = Param(i, 1);
    if (labels_.contains(core::Upper(label))) return std::nullopt;
    return u"LABEL undefined: " + label;
  }

  Failure ParseString(size_t i) {
    if (Param(i, 3).empty() && Param(i, 4).empty()) return std::u16string(kVariableRequired);
    return std::nullopt;
  }

  std::u16string Param(size_t i, int32_t n) const { return tables_.StatementParam(i, n); }

  // Written plain or between two dollar signs.
  bool ExistsAsWritten(std::u16string_view text) const {
    return variables_.VariableExists(ReferencedName(text));
  }

  void Declare(std::u16string_view name) {
    variables_.DefineVariable(core::Upper(name), u"", kCompilationTag);
  }

  ScriptTables& tables_;
  Variables& variables_;
  const LabelSet& labels_;
  std::unordered_map<std::u16string_view, std::vector<const ResultRule*>> rules_;
  std::unordered_map<std::u16string_view, Handler> handlers_;
  std::unordered_set<std::u16string_view> change_commands_;
  std::vector<std::u16string> loop_variables_;  // upper-cased, innermost last
};

}  // namespace

CheckFailure CheckCommands(ScriptTables& tables, Variables& variables, const LabelSet& labels) {
  return CommandChecker(tables, variables, labels).Run();
}

}  // namespace velkor::script
