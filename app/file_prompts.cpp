#include "app/file_prompts.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace ridloe {
namespace {

bool RunPrompt(QFileDialog& prompt, std::string& chosen) {
  if (prompt.exec() != QDialog::Accepted) return false;
  const QStringList files = prompt.selectedFiles();
  if (files.isEmpty() || files.first().isEmpty()) return false;
  chosen = QDir::toNativeSeparators(files.first()).toStdString();
  return true;
}

// Qt's own prompt rather than the desktop's, so that it speaks the dialog's
// language whatever the desktop's.
void UseOwnPrompt(QFileDialog& prompt) { prompt.setOption(QFileDialog::DontUseNativeDialog, true); }

}  // namespace

QString InitialFolder(const QString& initial) {
  if (initial.isEmpty()) return {};
  const QFileInfo info(initial);
  if (info.isDir()) return info.absoluteFilePath();
  return info.absolutePath();
}

OpenMpsPrompt::OpenMpsPrompt(QWidget* owner, const QString& initial) : QFileDialog(owner) {
  UseOwnPrompt(*this);
  setAcceptMode(QFileDialog::AcceptOpen);
  setFileMode(QFileDialog::AnyFile);
  setNameFilter(QString::fromLatin1(kMpsFilter));
  const QString folder = InitialFolder(initial);
  if (!folder.isEmpty()) setDirectory(folder);
}

void OpenMpsPrompt::accept() {
  const QStringList files = selectedFiles();
  if (!files.isEmpty() && !QFileInfo(files.first()).absoluteDir().exists()) return;
  QFileDialog::accept();
}

void SetUpSaveWtrPrompt(QFileDialog& prompt, const QString& initial, const QString& proposedName) {
  UseOwnPrompt(prompt);
  prompt.setAcceptMode(QFileDialog::AcceptSave);
  prompt.setFileMode(QFileDialog::AnyFile);
  prompt.setNameFilter(QString::fromLatin1(kWtrFilter));
  prompt.setDefaultSuffix(QString::fromLatin1(kWtrSuffix));
  // Choosing an existing file replaces it without a question.
  prompt.setOption(QFileDialog::DontConfirmOverwrite, true);
  const QString folder = InitialFolder(initial);
  if (!folder.isEmpty()) prompt.setDirectory(folder);
  if (!proposedName.isEmpty()) prompt.selectFile(proposedName);
}

bool QtFilePrompts::OpenMps(const std::string& initial, std::string& chosen) {
  OpenMpsPrompt prompt(owner_, QString::fromStdString(initial));
  return RunPrompt(prompt, chosen);
}

bool QtFilePrompts::SaveWtr(const std::string& initial, const std::string& proposedName, std::string& chosen) {
  QFileDialog prompt(owner_);
  SetUpSaveWtrPrompt(prompt, QString::fromStdString(initial), QString::fromStdString(proposedName));
  return RunPrompt(prompt, chosen);
}

}  // namespace ridloe
