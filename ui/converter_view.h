// What the converter dialog's presenter needs from a toolkit: the dialog's
// controls, its two file prompts and the per-user settings store. Text is
// UTF-8 throughout; paths are the file system's names for the files.
#pragma once

#include <string>
#include <vector>

namespace ridloe {

class ConverterView {
 public:
  virtual ~ConverterView() = default;
  // The whole text of the path field.
  virtual std::string PathText() const = 0;
  virtual void SetPathText(const std::string& text) = 0;
  // Empties the waypoint list, or adds lines at its end. Lines are code page
  // 950 bytes, as the document holds its names; the view decodes what it shows.
  virtual void ClearList() = 0;
  virtual void AppendLines(std::vector<std::string> lines) = 0;
  // The texts of the two count fields; empty blanks a field.
  virtual void ShowCounts(const std::string& waypoints, const std::string& tracks) = 0;
  // Ends the dialog as its OK command does.
  virtual void EndDialog() = 0;
};

class FilePrompts {
 public:
  virtual ~FilePrompts() = default;
  // The open prompt for an MPS file, starting from `initial`. True with the
  // chosen path in `chosen` when the user confirms; false, with `chosen`
  // untouched, otherwise.
  virtual bool OpenMps(const std::string& initial, std::string& chosen) = 0;
  // The save prompt for a WTR file, starting from `initial` with
  // `proposedName` filled in.
  virtual bool SaveWtr(const std::string& initial, const std::string& proposedName, std::string& chosen) = 0;
};

// Settings store "Torva\Melsid": per user, string values in sections.
inline constexpr char kDialogSection[] = "Dialog";
inline constexpr char kMpsFileValue[] = "MPSFile";
inline constexpr char kWtrFileValue[] = "WTRFile";

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The stored text, or `defaultValue` when there is none.
  virtual std::string GetProfileString(const std::string& section, const std::string& entry,
                                       const std::string& defaultValue) const = 0;
  // Stores the text; a write that fails goes unnoticed.
  virtual void WriteProfileString(const std::string& section, const std::string& entry, const std::string& text) = 0;
};

}  // namespace ridloe
