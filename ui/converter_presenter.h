// The converter dialog's commands, free of any toolkit: what listing,
// browsing and converting do, when each setting is read and written, and
// what the count fields show. A view forwards its clicks here and shows what
// it is told.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "convert/conversion_service.h"
#include "formats/wtr/wtr_document.h"
#include "ui/converter_view.h"

namespace ridloe {

class ConverterPresenter {
 public:
  ConverterPresenter(ConverterView& view, SettingsStore& settings, FilePrompts& prompts);

  // Puts the stored MPS path into the path field and lists it; or, when the
  // program was started on a file (a file manager's "Open with"), that file
  // instead, stored as any listing stores it.
  void OnInitDialog(const std::optional<std::string>& startFile = std::nullopt);
  // The three commands.
  void OnListWaypoints();
  void OnBrowseMps();
  void OnConvertToWtr();
  // The WTR save prompt; on true `path` holds the chosen path.
  bool PromptWtrPath(std::string& path);
  // Deletes the document; runs whenever the dialog ends.
  void DestroyWindow();

  // The one local .mps file among dropped files, which the view accepts, or
  // an empty string when the drop is to be refused.
  static std::string DroppedMpsFile(const std::vector<std::string>& localFiles);
  // A dropped file, accepted: into the path field and listed, as a confirmed
  // browse does.
  void OnDropMps(const std::string& path);

  // The current document, if any.
  const WtrDocument* document() const { return document_.get(); }
  // What the last convert command came to. The dialog shows nothing of it.
  const ConvertResult& lastConversion() const { return lastConversion_; }

 private:
  ConverterView& view_;
  SettingsStore& settings_;
  FilePrompts& prompts_;
  std::unique_ptr<WtrDocument> document_;
  ConvertResult lastConversion_;
};

}  // namespace ridloe
