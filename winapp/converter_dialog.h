// The converter dialog on Windows: the template IDD_CONVERTER run by the
// system's dialog manager, whose window procedure forwards the three buttons
// to ConverterPresenter and shows what it is told.
#pragma once

#include "winapp/windows_api.h"

#include <optional>
#include <string>
#include <vector>

#include "ui/converter_presenter.h"
#include "ui/converter_view.h"

namespace ridloe {

class ConverterDialog final : public ConverterView {
 public:
  ConverterDialog(SettingsStore& settings, FilePrompts& prompts);
  ~ConverterDialog() override;
  ConverterDialog(const ConverterDialog&) = delete;
  ConverterDialog& operator=(const ConverterDialog&) = delete;

  // Runs the dialog from the template in `instance` until it ends; IDOK
  // after a conversion or Enter, IDCANCEL after Escape or the close box, -1
  // when the dialog cannot be created.
  INT_PTR DoModal(HINSTANCE instance);
  // The same dialog without a modal loop of its own, for a caller that runs
  // the messages (the tests); null when it cannot be created.
  HWND Create(HINSTANCE instance);

  // A file to list at start instead of the stored path (what "Open with"
  // names); set before the dialog is created.
  void SetStartFile(std::string path) { startFile_ = std::move(path); }

  HWND window() const { return window_; }
  // How the dialog ended (IDOK or IDCANCEL), or 0 while it runs.
  INT_PTR endCode() const { return endCode_; }
  // The list's line at `index` as it is shown: decoded from code page 950.
  std::wstring ShownLine(std::size_t index) const;

  // ConverterView.
  std::string PathText() const override;
  void SetPathText(const std::string& text) override;
  void ClearList() override;
  void AppendLines(std::vector<std::string> lines) override;
  void ShowCounts(const std::string& waypoints, const std::string& tracks) override;
  void EndDialog() override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog();
  void OnCommand(int id, int notification);
  void OnDropFiles(HDROP drop);
  void OnPaint();
  void OnDrawLine(const DRAWITEMSTRUCT& item);
  void End(INT_PTR code);

  HWND window_ = nullptr;
  bool modal_ = false;
  INT_PTR endCode_ = 0;
  HICON icon_ = nullptr;
  HICON smallIcon_ = nullptr;
  std::vector<std::string> lines_;  // the list's lines, as the document holds them
  std::optional<std::string> startFile_;
  ConverterPresenter presenter_;
};

}  // namespace ridloe
