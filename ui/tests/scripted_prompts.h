// File prompts that answer from a script and remember what they were given,
// for the presenter's tests and the dialog's.
#pragma once

#include <optional>
#include <string>

#include "ui/converter_view.h"

namespace ridloe::testing {

class ScriptedPrompts final : public FilePrompts {
 public:
  bool OpenMps(const std::string& initial, std::string& chosen) override {
    ++openCalls;
    openInitial = initial;
    if (!openAnswer) return false;
    chosen = *openAnswer;
    return true;
  }
  bool SaveWtr(const std::string& initial, const std::string& proposedName, std::string& chosen) override {
    ++saveCalls;
    saveInitial = initial;
    saveProposed = proposedName;
    if (!saveAnswer) return false;
    chosen = *saveAnswer;
    return true;
  }

  std::optional<std::string> openAnswer;  // nullopt: the user cancels
  std::optional<std::string> saveAnswer;
  int openCalls = 0;
  int saveCalls = 0;
  std::string openInitial, saveInitial, saveProposed;
};

}  // namespace ridloe::testing
