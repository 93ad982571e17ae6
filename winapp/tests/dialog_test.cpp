// The Windows dialog in this process, created from the same template as
// ridloe.exe: what it lists and shows, when it reads and writes the registry,
// and how Enter and Escape reach it through the system's dialog manager.
#include <gtest/gtest.h>

#include <string>

#include "core/platform/windows/unicode.h"
#include "core/version.h"
#include "testing/test_support.h"
#include "ui/tests/scripted_prompts.h"
#include "winapp/converter_dialog.h"
#include "winapp/registry_settings.h"
#include "winapp/resource.h"

namespace ridloe {
namespace {

using testing::MpsBuilder;
namespace fs = std::filesystem;

const std::string kSample = std::string(RIDLOE_SOURCE_DIR) + "/samples/sample.mps";

// Runs what is queued for the dialog as ridloe.exe's modal loop does.
void Pump(HWND dialog) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (!IsWindow(dialog) || !IsDialogMessageW(dialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

class WinDialogTest : public ::testing::Test {
 protected:
  // The test's own profile, emptied before and after.
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kProfileKey); }
  void TearDown() override {
    dialog_.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, kProfileKey);
  }
  static constexpr wchar_t kProfileKey[] = L"Software\\Torva\\Melsid\\ridloe_dialog_test";

  // Creates the dialog and lets it initialise, as at start-up.
  void Start() {
    dialog_ = std::make_unique<ConverterDialog>(store_, prompts_);
    ASSERT_NE(dialog_->Create(GetModuleHandleW(nullptr)), nullptr);
    Pump(window());
  }
  HWND window() const { return dialog_->window(); }
  HWND Control(int id) const { return GetDlgItem(window(), id); }

  std::string Text(int id) const {
    wchar_t text[1024] = {};
    GetDlgItemTextW(window(), id, text, 1024);
    return Utf8FromWide(text);
  }
  int LineCount() const { return static_cast<int>(SendMessageW(Control(IDC_WAYPOINT_LIST), LB_GETCOUNT, 0, 0)); }
  std::string Line(int index) const { return Utf8FromWide(dialog_->ShownLine(index)); }
  std::string Stored(const char* value) const { return store_.GetProfileString(kDialogSection, value, "(none)"); }

  // A key pressed with the focus on `control`, through the dialog manager.
  void Press(int control, WPARAM key) {
    SendMessageW(window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(control)), TRUE);
    PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageW(GetFocus(), WM_KEYUP, key, 0xC0000001);
    Pump(window());
  }
  void TypePath(const std::string& path) { SetDlgItemTextW(window(), IDC_MPS_PATH, WideFromUtf8(path).c_str()); }

  RegistrySettingsStore store_{"ridloe_dialog_test"};
  testing::ScriptedPrompts prompts_;
  std::unique_ptr<ConverterDialog> dialog_;
  testing::TempFolder dir_{"ridloe_windows_dialog"};
};

TEST_F(WinDialogTest, StoredPathIsListedAtStartAndWrittenBack) {
  store_.WriteProfileString(kDialogSection, kMpsFileValue, kSample);
  Start();
  EXPECT_EQ(Text(IDC_MPS_PATH), kSample);
  ASSERT_EQ(LineCount(), 12);
  EXPECT_EQ(Line(0), "玉山主峰 3952");
  EXPECT_EQ(Line(11), "TRAILHEAD 2140");
  EXPECT_EQ(Text(IDC_WAYPOINT_COUNT), "12");
  EXPECT_EQ(Text(IDC_TRACK_COUNT), "2");
  EXPECT_EQ(Stored(kMpsFileValue), kSample);
  EXPECT_EQ(GetFocus(), Control(IDC_MPS_PATH));
}

// "Open with": the file named at start is listed instead of the stored path,
// and stored once it lists.
TEST_F(WinDialogTest, StartFileIsListedInsteadOfTheStoredPath) {
  store_.WriteProfileString(kDialogSection, kMpsFileValue, "C:\\elsewhere\\old.mps");
  const std::string file = dir_.Path("start.mps");
  ASSERT_TRUE(testing::WriteBytes(fs::path(WideFromUtf8(file)), MpsBuilder().Header().Waypoint({.name = "ONE"}).End().bytes()));
  dialog_ = std::make_unique<ConverterDialog>(store_, prompts_);
  dialog_->SetStartFile(file);
  ASSERT_NE(dialog_->Create(GetModuleHandleW(nullptr)), nullptr);
  Pump(window());
  EXPECT_EQ(Text(IDC_MPS_PATH), file);
  EXPECT_EQ(LineCount(), 1);
  EXPECT_EQ(Text(IDC_WAYPOINT_COUNT), "1");
  EXPECT_EQ(Stored(kMpsFileValue), file);
}

TEST_F(WinDialogTest, NothingStoredShowsNothingAndAFailedListingKeepsTheStoredPath) {
  Start();
  EXPECT_EQ(Text(IDC_MPS_PATH), "");
  EXPECT_EQ(LineCount(), 0);
  EXPECT_EQ(Text(IDC_WAYPOINT_COUNT), "");
  EXPECT_EQ(Stored(kMpsFileValue), "(none)");

  TypePath(kSample);
  Press(IDC_LIST_WAYPOINTS, VK_RETURN);  // Enter on a focused button presses it
  EXPECT_EQ(LineCount(), 12);
  EXPECT_EQ(Stored(kMpsFileValue), kSample);
  EXPECT_EQ(dialog_->endCode(), 0);

  const std::string missing = dir_.Path("gone.mps");
  TypePath(missing);
  SendMessageW(Control(IDC_LIST_WAYPOINTS), BM_CLICK, 0, 0);
  Pump(window());
  EXPECT_EQ(LineCount(), 0);
  EXPECT_EQ(Text(IDC_WAYPOINT_COUNT), "");
  EXPECT_EQ(Stored(kMpsFileValue), kSample);
}

// "WTRFile" is read when the save prompt opens and written as soon as it is
// confirmed, so a write that fails keeps it; a write that succeeds ends the
// dialog as OK does.
TEST_F(WinDialogTest, ConvertStoresTheChosenPathBeforeWriting) {
  store_.WriteProfileString(kDialogSection, kWtrFileValue, "C:\\earlier\\old.wtr");
  store_.WriteProfileString(kDialogSection, kMpsFileValue, kSample);
  Start();
  const std::string nowhere = dir_.Path("no-such-folder/out.wtr");
  prompts_.saveAnswer = nowhere;
  SendMessageW(Control(IDC_CONVERT_WTR), BM_CLICK, 0, 0);
  Pump(window());
  EXPECT_EQ(prompts_.saveInitial, "C:\\earlier\\old.wtr");
  EXPECT_EQ(prompts_.saveProposed, "sample");
  EXPECT_EQ(Stored(kWtrFileValue), nowhere);
  EXPECT_EQ(dialog_->endCode(), 0);

  const std::string out = dir_.Path("out.wtr");
  prompts_.saveAnswer = out;
  Press(IDC_CONVERT_WTR, VK_RETURN);
  EXPECT_EQ(prompts_.saveInitial, nowhere);
  EXPECT_EQ(Stored(kWtrFileValue), out);
  EXPECT_EQ(testing::ReadBytes(out).size(), 48u + 64u * 12u);
  EXPECT_EQ(dialog_->endCode(), IDOK);
}

TEST_F(WinDialogTest, EnterOutsideTheButtonsAndEscapeEndTheDialogWithoutACommand) {
  Start();
  TypePath(kSample);
  Press(IDC_MPS_PATH, VK_RETURN);
  EXPECT_EQ(dialog_->endCode(), IDOK);
  EXPECT_EQ(Stored(kMpsFileValue), "(none)");  // nothing was listed

  Start();
  Press(IDC_WAYPOINT_LIST, VK_ESCAPE);
  EXPECT_EQ(dialog_->endCode(), IDCANCEL);
}

TEST_F(WinDialogTest, ListsTwoHundredThousandWaypoints) {
  constexpr int kWaypoints = 200000;
  MpsBuilder b;
  b.Header();
  const std::string name = testing::Cp950FromUtf8("航點");
  for (int i = 0; i < kWaypoints; ++i) b.Waypoint({.name = name + std::to_string(i), .altitude = double(i % 4000)});
  const std::string path = dir_.Path("large.mps");
  ASSERT_TRUE(testing::WriteBytes(path, b.End().bytes()));
  Start();
  TypePath(path);
  SendMessageW(Control(IDC_LIST_WAYPOINTS), BM_CLICK, 0, 0);
  ASSERT_EQ(LineCount(), kWaypoints);
  EXPECT_EQ(Line(kWaypoints - 1), "航點199999 3999");
  // Scrolled to its end, the list draws the last lines.
  SendMessageW(Control(IDC_WAYPOINT_LIST), LB_SETTOPINDEX, kWaypoints - 1, 0);
  UpdateWindow(Control(IDC_WAYPOINT_LIST));
  EXPECT_GT(SendMessageW(Control(IDC_WAYPOINT_LIST), LB_GETTOPINDEX, 0, 0), kWaypoints - 20);
  EXPECT_EQ(Text(IDC_WAYPOINT_COUNT), "200000");
}

// The icon group IDI_MAIN: 32, 48 and 64 pixels, 8 bits per pixel.
TEST(WinDialogResources, IconAndVersion) {
#pragma pack(push, 2)
  struct GroupEntry {
    BYTE width, height, colors, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
  };
#pragma pack(pop)
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(IDI_MAIN), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  ASSERT_NE(found, nullptr);
  const auto* group = static_cast<const BYTE*>(LockResource(LoadResource(self, found)));
  const WORD count = *reinterpret_cast<const WORD*>(group + 4);
  ASSERT_EQ(count, 3);
  const auto* entries = reinterpret_cast<const GroupEntry*>(group + 6);
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(entries[i].width, 32 + 16 * i);
    EXPECT_EQ(entries[i].height, 32 + 16 * i);
    EXPECT_EQ(entries[i].bitCount, 8);
  }

  found = FindResourceW(self, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));  // RT_VERSION
  ASSERT_NE(found, nullptr);
  const auto* block = static_cast<const BYTE*>(LockResource(LoadResource(self, found)));
  // The fixed part follows the block's header and its name, L"VS_VERSION_INFO".
  const auto* fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(block + 40);
  ASSERT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  // The project's version: 1.0.0 is 0x00010000, 0x00000000.
  const DWORD ms = (RIDLOE_VERSION_MAJOR << 16) | RIDLOE_VERSION_MINOR, ls = RIDLOE_VERSION_PATCH << 16;
  EXPECT_EQ(fixed->dwFileVersionMS, ms);
  EXPECT_EQ(fixed->dwFileVersionLS, ls);
  EXPECT_EQ(fixed->dwProductVersionMS, ms);
  EXPECT_EQ(fixed->dwProductVersionLS, ls);
}

}  // namespace
}  // namespace ridloe
