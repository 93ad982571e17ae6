// The dialog's two file prompts as QFileDialog shows them.
#pragma once

#include <QFileDialog>
#include <QString>

#include "ui/converter_view.h"

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

// The open prompt. Only the folder must exist: a name typed in an existing
// folder is taken as it is, with no message, whether or not the file exists
// (listing a missing file then fails as any such listing does). A name in a
// folder that does not exist keeps the prompt open.
class OpenMpsPrompt final : public QFileDialog {
 public:
  OpenMpsPrompt(QWidget* owner, const QString& initial);
  void accept() override;
};

// Sets a file dialog up as the save prompt.
void SetUpSaveWtrPrompt(QFileDialog& prompt, const QString& initial, const QString& proposedName);

}  // namespace ridloe
