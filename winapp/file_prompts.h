// The system's own open and save prompts.
#pragma once

#include <string>

#include "ui/converter_view.h"

namespace ridloe {

inline constexpr wchar_t kMpsFilter[] = L"Garmin MPS Files (*.mps)\0*.mps\0";
inline constexpr wchar_t kWtrFilter[] = L"Garmin WTR Files (*.wtr)\0*.wtr\0";
inline constexpr wchar_t kWtrExtension[] = L"wtr";

// The folder a prompt opens in for `initial`: the folder itself, or the folder
// that holds the file it names; empty leaves the choice to the system.
std::string InitialFolder(const std::string& initial);

// Both prompts belong to the window that is active when they open (the
// dialog), so that it waits for them.
class Win32FilePrompts final : public FilePrompts {
 public:
  bool OpenMps(const std::string& initial, std::string& chosen) override;
  // No question when the chosen file exists: it is replaced.
  bool SaveWtr(const std::string& initial, const std::string& proposedName, std::string& chosen) override;
};

}  // namespace ridloe
