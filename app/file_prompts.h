// The two file prompts of the dialog, behind an interface that tests replace.
#pragma once

#include <QString>

class QFileDialog;
class QWidget;

namespace ridloe {

inline constexpr char kMpsFilter[] = "Garmin MPS Files (*.mps)";
inline constexpr char kWtrFilter[] = "Garmin WTR Files (*.wtr)";
inline constexpr char kWtrSuffix[] = "wtr";

class FilePrompts {
 public:
  virtual ~FilePrompts() = default;

  // The open prompt for an MPS file. True with the chosen path in `chosen`
  // when the user confirms; false, with `chosen` untouched, otherwise.
  virtual bool OpenMps(QWidget* owner, const QString& initial, QString& chosen) = 0;

  // The save prompt for a WTR file, starting in `initial` with
  // `proposedName` filled in.
  virtual bool SaveWtr(QWidget* owner, const QString& initial, const QString& proposedName, QString& chosen) = 0;
};

// The prompts as QFileDialog shows them.
class QtFilePrompts final : public FilePrompts {
 public:
  bool OpenMps(QWidget* owner, const QString& initial, QString& chosen) override;
  bool SaveWtr(QWidget* owner, const QString& initial, const QString& proposedName, QString& chosen) override;
};

// The folder a prompt opens for an initial value: the value itself when it
// is a folder, the folder that holds it when it names a file (present or
// not), and nothing (the prompt's own choice) when it is empty.
QString InitialFolder(const QString& initial);

// Set a file dialog up as the open or the save prompt.
void SetUpOpenMpsPrompt(QFileDialog& prompt, const QString& initial);
void SetUpSaveWtrPrompt(QFileDialog& prompt, const QString& initial, const QString& proposedName);

}  // namespace ridloe
