#include "winapp/converter_dialog.h"

// After windows.h, which it needs.
#include <shellapi.h>

#include <exception>
#include <iterator>
#include <utility>

#include "core/platform/windows/unicode.h"
#include "core/text/cp950.h"
#include "winapp/resource.h"

namespace ridloe {
namespace {

std::wstring WindowText(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

HICON LoadMainIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON,
                                       GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric), LR_SHARED));
}

}  // namespace

ConverterDialog::ConverterDialog(SettingsStore& settings, FilePrompts& prompts)
    : presenter_(*this, settings, prompts) {}

ConverterDialog::~ConverterDialog() {
  if (window_) DestroyWindow(window_);
}

INT_PTR ConverterDialog::DoModal(HINSTANCE instance) {
  modal_ = true;
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_CONVERTER), nullptr, DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

HWND ConverterDialog::Create(HINSTANCE instance) {
  modal_ = false;
  return CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_CONVERTER), nullptr, DialogProc,
                            reinterpret_cast<LPARAM>(this));
}

// No exception may cross the system's code that calls this procedure: one
// that reaches it (memory running out while a file is listed) leaves the
// dialog as it was, as every failed command does.
INT_PTR CALLBACK ConverterDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    reinterpret_cast<ConverterDialog*>(lParam)->window_ = window;
  }
  auto* self = reinterpret_cast<ConverterDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  if (!self) return FALSE;
  try {
    return self->Handle(message, wParam, lParam);
  } catch (const std::exception&) {
    return FALSE;
  }
}

INT_PTR ConverterDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return TRUE;  // the system gives the focus to the first tab stop, the path field
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return TRUE;
    case WM_PAINT:
      if (!IsIconic(window_)) return FALSE;
      OnPaint();
      return TRUE;
    case WM_DRAWITEM:
      if (wParam != IDC_WAYPOINT_LIST) return FALSE;
      OnDrawLine(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(icon_);
    case WM_DESTROY:
      presenter_.DestroyWindow();
      return FALSE;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window_, DWLP_USER, 0);
      window_ = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

void ConverterDialog::OnInitDialog() {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
  icon_ = LoadMainIcon(instance, SM_CXICON, SM_CYICON);
  smallIcon_ = LoadMainIcon(instance, SM_CXSMICON, SM_CYSMICON);
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  DragAcceptFiles(window_, TRUE);
  // The list draws its own lines: one line of the dialog's font each.
  HDC dc = GetDC(window_);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window_, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(window_, dc);
  SendDlgItemMessageW(window_, IDC_WAYPOINT_LIST, LB_SETITEMHEIGHT, 0, metrics.tmHeight);
  presenter_.OnInitDialog(startFile_);
}

// Enter reaches here as IDOK unless a button has the focus (the dialog
// manager then sends that button's click); Escape and the close box as
// IDCANCEL. None of the three commands runs then.
void ConverterDialog::OnCommand(int id, int notification) {
  if (id == IDOK || id == IDCANCEL) return End(id);
  if (notification != BN_CLICKED) return;
  switch (id) {
    case IDC_LIST_WAYPOINTS: return presenter_.OnListWaypoints();
    case IDC_BROWSE_MPS: return presenter_.OnBrowseMps();
    case IDC_CONVERT_WTR: return presenter_.OnConvertToWtr();
    default: return;
  }
}

// A file dropped on the dialog is listed as a chosen one is.
void ConverterDialog::OnDropFiles(HDROP drop) {
  std::vector<std::string> files;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
    files.push_back(Utf8FromWide(name));
  }
  DragFinish(drop);
  const std::string mps = ConverterPresenter::DroppedMpsFile(files);
  if (!mps.empty()) presenter_.OnDropMps(mps);
}

// A minimised dialog shows its icon in the middle of its client area.
void ConverterDialog::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  SendMessageW(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  const int width = GetSystemMetrics(SM_CXICON);
  const int height = GetSystemMetrics(SM_CYICON);
  RECT client;
  GetClientRect(window_, &client);
  DrawIcon(dc, (client.right - client.left - width + 1) / 2, (client.bottom - client.top - height + 1) / 2, icon_);
  EndPaint(window_, &paint);
}

void ConverterDialog::End(INT_PTR code) {
  endCode_ = code;
  if (modal_) {
    ::EndDialog(window_, code);
  } else {
    DestroyWindow(window_);
  }
}

std::string ConverterDialog::PathText() const { return Utf8FromWide(WindowText(GetDlgItem(window_, IDC_MPS_PATH))); }

void ConverterDialog::SetPathText(const std::string& text) {
  SetDlgItemTextW(window_, IDC_MPS_PATH, WideFromUtf8(text).c_str());
}

void ConverterDialog::ClearList() {
  lines_.clear();
  SendDlgItemMessageW(window_, IDC_WAYPOINT_LIST, LB_RESETCONTENT, 0, 0);
}

// The list holds no text of its own, only the number of lines: what is in
// view is decoded when it is drawn, so a file of 200,000 waypoints lists at
// once.
void ConverterDialog::AppendLines(std::vector<std::string> lines) {
  if (lines_.empty()) {
    lines_ = std::move(lines);
  } else {
    lines_.insert(lines_.end(), std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
  }
  SendDlgItemMessageW(window_, IDC_WAYPOINT_LIST, LB_SETCOUNT, lines_.size(), 0);
}

std::wstring ConverterDialog::ShownLine(std::size_t index) const {
  return index < lines_.size() ? WideFromUtf8(DecodeCp950(lines_[index])) : std::wstring();
}

// One line in the list's colours: highlighted when selected, with the focus
// rectangle when it has the focus.
void ConverterDialog::OnDrawLine(const DRAWITEMSTRUCT& item) {
  const bool selected = item.itemState & ODS_SELECTED;
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (item.itemID != static_cast<UINT>(-1)) {
    const std::wstring text = ShownLine(item.itemID);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT box = item.rcItem;
    box.left += 2;
    DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &box,
              DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_NOCLIP);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}

void ConverterDialog::ShowCounts(const std::string& waypoints, const std::string& tracks) {
  SetDlgItemTextW(window_, IDC_WAYPOINT_COUNT, WideFromUtf8(waypoints).c_str());
  SetDlgItemTextW(window_, IDC_TRACK_COUNT, WideFromUtf8(tracks).c_str());
}

void ConverterDialog::EndDialog() { End(IDOK); }

}  // namespace ridloe
