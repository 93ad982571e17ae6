// The dialog's two file prompts as QFileDialog shows them.
#pragma once

#include <QString>

#include "ui/converter_view.h"

class QFileDialog;
class QWidget;

namespace ridloe {

inline constexpr char kMpsFilter[] = "Garmin MPS Files (*.mps)";
inline constexpr char kWtrFilter[] = "Garmin WTR Files (*.wtr)";
inline constexpr char kWtrSuffix[] = "wtr";

class QtFilePrompts final : public FilePrompts {
 public:
  // The prompts are owned by `owner`, which may be set later.
  explicit QtFilePrompts(QWidget* owner = nullptr) : owner_(owner) {}
  void SetOwner(QWidget* owner) { owner_ = owner; }

  bool OpenMps(const std::string& initial, std::string& chosen) override;
  bool SaveWtr(const std::string& initial, const std::string& proposedName, std::string& chosen) override;

 private:
  QWidget* owner_;
};

// The folder a prompt opens for an initial value: the value itself when it
// is a folder, the folder that holds it when it names a file (present or
// not), and nothing (the prompt's own choice) when it is empty.
QString InitialFolder(const QString& initial);

// Set a file dialog up as the open or the save prompt.
void SetUpOpenMpsPrompt(QFileDialog& prompt, const QString& initial);
void SetUpSaveWtrPrompt(QFileDialog& prompt, const QString& initial, const QString& proposedName);

}  // namespace ridloe
