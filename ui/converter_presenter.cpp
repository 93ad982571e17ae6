#include "ui/converter_presenter.h"

#include <new>
#include <string_view>
#include <utility>

#include "core/document/list_sink.h"
#include "core/platform/file_access.h"
#include "core/text/ascii.h"
#include "formats/mps/mps_document.h"

namespace ridloe {
ConverterPresenter::ConverterPresenter(ConverterView& view, SettingsStore& settings, FilePrompts& prompts)
    : view_(view), settings_(settings), prompts_(prompts) {}

void ConverterPresenter::OnInitDialog(const std::optional<std::string>& startFile) {
  view_.SetPathText(startFile ? *startFile : settings_.GetProfileString(kDialogSection, kMpsFileValue, ""));
  OnListWaypoints();
}

void ConverterPresenter::OnListWaypoints() {
  const std::string path = view_.PathText();
  if (path.empty()) return;
  view_.ClearList();
  document_.reset();
  document_.reset(new (std::nothrow) MpsDocument);
  if (!document_) return;

  VectorListSink lines;
  const bool loaded = document_->Load(path, &lines, nullptr);
  // Lines read before a failure stay listed.
  view_.AppendLines(std::move(lines.lines));
  if (!loaded) {
    // The counts would otherwise describe the previous file beside this
    // file's lines.
    view_.ShowCounts("", "");
    return;
  }
  view_.ShowCounts(std::to_string(document_->waypointCount), std::to_string(document_->trackCount));
  settings_.WriteProfileString(kDialogSection, kMpsFileValue, path);
}

void ConverterPresenter::OnBrowseMps() {
  std::string chosen;
  if (!prompts_.OpenMps(view_.PathText(), chosen)) return;
  view_.SetPathText(chosen);
  OnListWaypoints();
}

void ConverterPresenter::OnConvertToWtr() {
  if (!document_ || document_->waypointCount == 0 || !document_->waypoints) return;
  std::string path;
  if (!PromptWtrPath(path)) return;
  settings_.WriteProfileString(kDialogSection, kWtrFileValue, path);
  lastConversion_ = WriteConverted(*document_, path);
  if (lastConversion_.written()) view_.EndDialog();
}

bool ConverterPresenter::PromptWtrPath(std::string& path) {
  const std::string initial = settings_.GetProfileString(kDialogSection, kWtrFileValue, "");
  std::string chosen;
  if (!prompts_.SaveWtr(initial, ProposedOutputName(view_.PathText()), chosen)) return false;
  path = std::move(chosen);
  return true;
}

void ConverterPresenter::DestroyWindow() { document_.reset(); }

std::string ConverterPresenter::DroppedMpsFile(const std::vector<std::string>& localFiles) {
  if (localFiles.size() != 1 || !EndsWithNoCase(localFiles.front(), ".mps")) return {};
  if (IsFolder(localFiles.front())) return {};
  return localFiles.front();
}

void ConverterPresenter::OnDropMps(const std::string& path) {
  view_.SetPathText(path);
  OnListWaypoints();
}

}  // namespace ridloe
