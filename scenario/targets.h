#pragma once
// What a script's names stand for in one running simulator: its controls,
// level controls, firmware variables, configuration bytes and ports, and how
// each is read.

#include <functional>
#include <string>
#include <vector>

#include "scenario/script.h"
#include "windows/levelcontrol.h"

class Machine;
class TForm;

namespace scenario {

struct LevelRef {
  TShape* box;
  TShape* fill;
  LevelKind kind;
};

using Reader = std::function<Value()>;

class Panel {
 public:
  explicit Panel(Machine& simulation);

  // The named control; unknown or ambiguous names throw ScriptError.
  TControl& Control(const std::string& form, const std::string& name) const;
  TForm& Form(const std::string& name) const;
  // Every named control of both windows, as FORM.NAME or as NAME alone.
  std::vector<std::string> ControlNames(bool qualified) const;
  // The level whose box or fill bar this is; null for any other control.
  const LevelRef* LevelOf(const TControl& control) const;
  const std::vector<LevelRef>& Levels() const { return levels_; }
  // Resolves the target once; the reader gives its present value.
  Reader ReaderOf(const Target& target) const;

 private:
  Reader BetweenPasses(Reader read) const;
  Reader ControlReader(const Target& target) const;
  Reader AttributeReader(const TControl& control, const Target& target) const;

  Machine& simulation_;
  std::vector<LevelRef> levels_;
};

}  // namespace scenario
