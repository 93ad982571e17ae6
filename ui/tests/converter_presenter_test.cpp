// The dialog's commands step by step, without a toolkit: a view that records
// what it is told, settings kept in memory, prompts that answer from a script,
// and real files in a temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>

#include "testing/test_support.h"
#include "ui/converter_presenter.h"
#include "ui/tests/scripted_prompts.h"

namespace ridloe {
namespace {

using testing::MpsBuilder;
using testing::ScriptedPrompts;
using Lines = std::vector<std::string>;
using Symbols = std::vector<std::uint16_t>;

class RecordingView final : public ConverterView {
 public:
  std::string PathText() const override { return path; }
  void SetPathText(const std::string& text) override { path = text; }
  void ClearList() override { lines.clear(); }
  void AppendLines(std::vector<std::string> more) override { lines.insert(lines.end(), more.begin(), more.end()); }
  void ShowCounts(const std::string& w, const std::string& t) override {
    waypoints = w;
    tracks = t;
  }
  void EndDialog() override { ended = true; }

  std::string path, waypoints, tracks;
  Lines lines;
  bool ended = false;
};

class MemorySettings final : public SettingsStore {
 public:
  std::string GetProfileString(const std::string& section, const std::string& entry,
                               const std::string& defaultValue) const override {
    const auto found = values.find(section + '/' + entry);
    return found == values.end() ? defaultValue : found->second;
  }
  void WriteProfileString(const std::string& section, const std::string& entry, const std::string& text) override {
    values[section + '/' + entry] = text;
    ++writes;
  }
  std::optional<std::string> Stored(const char* entry) const {
    const auto found = values.find(std::string(kDialogSection) + '/' + entry);
    if (found == values.end()) return std::nullopt;
    return found->second;
  }

  std::map<std::string, std::string> values;
  int writes = 0;
};

Symbols WtrSymbols(const std::string& path) {
  WtrDocument wtr;
  if (!wtr.Load(path, nullptr, nullptr)) return {};
  Symbols symbols;
  for (std::int32_t i = 0; i < wtr.waypointCount; ++i) symbols.push_back(wtr.waypoints[i].symbol);
  return symbols;
}

class PresenterTest : public ::testing::Test {
 protected:
  PresenterTest() {
    MpsBuilder trip;
    trip.Header()
        .Waypoint({.name = "\xA5\xC9\xA4\x73", .altitude = 3952.4, .symbol = 106})  // 玉山
        .Waypoint({.name = "WATER", .altitude = 12.6, .symbol = 48})
        .Waypoint({.name = "CAMP", .altitude = -3.6, .symbol = 5})
        .Track({.name = "DAY1", .points = {{.latitude = 1}, {.latitude = 2}}})
        .End();
    trip_ = Write("trip.mps", trip);
    other_ = Write("other.mps", MpsBuilder().Header().Waypoint({.name = "A1", .altitude = 100, .symbol = 48}).End());
    // Two waypoints, then a track record whose name never ends.
    broken_ = Write("broken.mps", MpsBuilder()
                                      .Header()
                                      .Waypoint({.name = "P1", .altitude = 1, .symbol = 106})
                                      .Waypoint({.name = "P2", .altitude = 2})
                                      .Record('T', {'A', 'B'}));
  }

  std::string Write(const std::string& name, const MpsBuilder& b) {
    const std::string path = dir_.Path(name);
    EXPECT_TRUE(testing::WriteBytes(path, b.bytes()));
    return path;
  }
  void List(const std::string& path) {
    view_.path = path;
    presenter_.OnListWaypoints();
  }

  testing::TempFolder dir_{"presenter"};
  RecordingView view_;
  MemorySettings settings_;
  ScriptedPrompts prompts_;
  ConverterPresenter presenter_{view_, settings_, prompts_};
  std::string trip_, other_, broken_;
  const Lines kTripLines = {"\xA5\xC9\xA4\x73 3952", "WATER  13", "CAMP  -4"};
};

TEST_F(PresenterTest, FirstRunListsNothingAndConvertAsksNothing) {
  presenter_.OnInitDialog();
  EXPECT_EQ(view_.path, "");
  EXPECT_TRUE(view_.lines.empty());
  EXPECT_EQ(presenter_.document(), nullptr);
  EXPECT_EQ(settings_.writes, 0);
  prompts_.saveAnswer = dir_.Path("out.wtr");
  presenter_.OnConvertToWtr();
  EXPECT_EQ(prompts_.saveCalls, 0);
  EXPECT_FALSE(std::filesystem::exists(dir_.Path("out.wtr")));
}

TEST_F(PresenterTest, StoredPathIsListedAtStartAndWrittenBack) {
  settings_.values["Dialog/MPSFile"] = trip_;
  presenter_.OnInitDialog();
  EXPECT_EQ(view_.path, trip_);
  EXPECT_EQ(view_.lines, kTripLines);
  EXPECT_EQ(view_.waypoints, "3");
  EXPECT_EQ(view_.tracks, "1");
  EXPECT_EQ(settings_.writes, 1);
  EXPECT_EQ(settings_.Stored("MPSFile"), trip_);
}

// A program started on a file lists that file instead of the stored path, and
// stores it as any listing that succeeds does; one that fails stores nothing.
TEST_F(PresenterTest, StartFileIsListedInsteadOfTheStoredPath) {
  settings_.values["Dialog/MPSFile"] = other_;
  presenter_.OnInitDialog(trip_);
  EXPECT_EQ(view_.path, trip_);
  EXPECT_EQ(view_.lines, kTripLines);
  EXPECT_EQ(settings_.Stored("MPSFile"), trip_);

  RecordingView fresh;
  ConverterPresenter again(fresh, settings_, prompts_);
  again.OnInitDialog(dir_.Path("gone.mps"));
  EXPECT_EQ(fresh.path, dir_.Path("gone.mps"));
  EXPECT_TRUE(fresh.lines.empty());
  EXPECT_EQ(settings_.Stored("MPSFile"), trip_);
}

TEST_F(PresenterTest, ListingAgainShowsEachLineOnceAndStoresTheNewPath) {
  List(trip_);
  List(trip_);
  EXPECT_EQ(view_.lines, kTripLines);
  List(other_);
  EXPECT_EQ(view_.lines, (Lines{"A1 100"}));
  EXPECT_EQ(view_.waypoints, "1");
  EXPECT_EQ(view_.tracks, "0");
  EXPECT_EQ(settings_.Stored("MPSFile"), other_);
}

// A file that fails once its waypoints are read lists them, blanks both counts
// rather than leaving the previous file's, keeps "MPSFile", and converts.
TEST_F(PresenterTest, FailedListingBlanksCountsKeepsLinesAndStillConverts) {
  List(trip_);
  // A file cut short inside its last record fails as any other.
  testing::Bytes cut = testing::ReadBytes(trip_);
  cut.resize(cut.size() - 3);
  List(Write("cut.mps", MpsBuilder().Raw(cut)));
  EXPECT_EQ(view_.lines, kTripLines);
  EXPECT_EQ(view_.tracks, "");
  List(broken_);
  EXPECT_EQ(view_.lines, (Lines{"P1   1", "P2   2"}));
  EXPECT_EQ(view_.waypoints, "");
  EXPECT_EQ(view_.tracks, "");
  EXPECT_EQ(settings_.Stored("MPSFile"), trip_);
  prompts_.saveAnswer = dir_.Path("broken.wtr");
  presenter_.OnConvertToWtr();
  EXPECT_EQ(WtrSymbols(dir_.Path("broken.wtr")), (Symbols{8246, 18}));
  EXPECT_TRUE(view_.ended);

  // A stored path that no longer loads stays stored; nothing converts.
  RecordingView fresh;
  ConverterPresenter again(fresh, settings_, prompts_);
  settings_.values["Dialog/MPSFile"] = dir_.Path("gone.mps");
  again.OnInitDialog();
  EXPECT_EQ(fresh.path, dir_.Path("gone.mps"));
  EXPECT_TRUE(fresh.lines.empty());
  EXPECT_EQ(settings_.Stored("MPSFile"), dir_.Path("gone.mps"));
  const int asked = prompts_.saveCalls;
  again.OnConvertToWtr();
  EXPECT_EQ(prompts_.saveCalls, asked);
}

TEST_F(PresenterTest, EmptyPathChangesNothingButSpacesReplaceTheDocument) {
  List(trip_);
  const WtrDocument* before = presenter_.document();
  List("");
  EXPECT_EQ(presenter_.document(), before);
  EXPECT_EQ(view_.lines, kTripLines);
  EXPECT_EQ(view_.waypoints, "3");
  // The document listed before still converts; an empty field proposes no name.
  prompts_.saveAnswer = dir_.Path("kept.wtr");
  presenter_.OnConvertToWtr();
  EXPECT_EQ(prompts_.saveProposed, "");
  EXPECT_EQ(WtrSymbols(dir_.Path("kept.wtr")), (Symbols{8246, 161, 18}));

  List("   ");
  ASSERT_NE(presenter_.document(), nullptr);  // a fresh one, which loaded nothing
  EXPECT_EQ(presenter_.document()->waypointCount, 0);
  EXPECT_TRUE(view_.lines.empty());
  EXPECT_EQ(view_.waypoints, "");
  const int asked = prompts_.saveCalls;
  presenter_.OnConvertToWtr();
  EXPECT_EQ(prompts_.saveCalls, asked);
}

TEST_F(PresenterTest, FileWithoutWaypointsShowsZeroAndCannotConvert) {
  List(Write("empty.mps", MpsBuilder().Header().End()));
  EXPECT_EQ(view_.waypoints, "0");
  EXPECT_EQ(view_.tracks, "0");
  prompts_.saveAnswer = dir_.Path("none.wtr");
  presenter_.OnConvertToWtr();
  EXPECT_EQ(prompts_.saveCalls, 0);
  EXPECT_FALSE(settings_.Stored("WTRFile"));
}

TEST_F(PresenterTest, ConvertStoresThePathWritesAndEnds) {
  settings_.values["Dialog/WTRFile"] = "/earlier/choice.wtr";
  List(trip_);
  presenter_.OnConvertToWtr();  // cancelled: nothing changes
  EXPECT_EQ(prompts_.saveInitial, "/earlier/choice.wtr");
  EXPECT_EQ(prompts_.saveProposed, "trip");
  EXPECT_EQ(settings_.Stored("WTRFile"), "/earlier/choice.wtr");
  EXPECT_EQ(presenter_.document()->waypoints[0].symbol, 106);
  EXPECT_FALSE(view_.ended);

  const std::string out = dir_.Path("out.wtr");
  prompts_.saveAnswer = out;
  presenter_.OnConvertToWtr();
  EXPECT_EQ(settings_.Stored("WTRFile"), out);
  EXPECT_EQ(WtrSymbols(out), (Symbols{8246, 161, 18}));
  EXPECT_TRUE(view_.ended);
  presenter_.DestroyWindow();
  EXPECT_EQ(presenter_.document(), nullptr);
}

// "WTRFile" is stored before the write, so a write that fails keeps it; the
// dialog stays open and keeps why; a second try writes the codes as loaded
// translate, not a translation of the translation.
TEST_F(PresenterTest, FailedWriteKeepsPathAndReasonAndRetryTranslatesLoadedCodes) {
  List(trip_);
  const std::string nowhere = dir_.Path("no-such-folder/out.wtr");
  prompts_.saveAnswer = nowhere;
  presenter_.OnConvertToWtr();
  EXPECT_EQ(settings_.Stored("WTRFile"), nowhere);
  EXPECT_FALSE(view_.ended);
  EXPECT_EQ(presenter_.lastConversion().error.step, Step::kNoFolder);
  EXPECT_EQ(presenter_.lastConversion().error.reason, testing::SystemReasonFor(nowhere));
  EXPECT_EQ(presenter_.document()->waypoints[0].symbol, 8246);
  // Nor is source data replaced: the MPS file just listed, chosen by mistake.
  const std::string listed = testing::ReadText(trip_);
  prompts_.saveAnswer = trip_;
  presenter_.OnConvertToWtr();
  EXPECT_FALSE(view_.ended);
  EXPECT_EQ(presenter_.lastConversion().error.step, Step::kKept);
  EXPECT_EQ(testing::ReadText(trip_), listed);

  const std::string out = dir_.Path("retry.wtr");
  prompts_.saveAnswer = out;
  presenter_.OnConvertToWtr();
  EXPECT_EQ(prompts_.saveInitial, trip_);
  EXPECT_EQ(WtrSymbols(out), (Symbols{8246, 161, 18}));
  EXPECT_TRUE(view_.ended);

  // A new document with as many waypoints is translated from its own codes.
  const std::string second = Write("second.mps", MpsBuilder()
                                                     .Header()
                                                     .Waypoint({.name = "X", .symbol = 48})
                                                     .Waypoint({.name = "Y", .symbol = 48})
                                                     .Waypoint({.name = "Z", .symbol = 106})
                                                     .End());
  List(second);
  prompts_.saveAnswer = dir_.Path("second.wtr");
  presenter_.OnConvertToWtr();
  EXPECT_EQ(WtrSymbols(dir_.Path("second.wtr")), (Symbols{161, 161, 8246}));
}

// The name comes from the field at the moment of the command, split at this
// system's separators, while the document listed earlier is what is written.
TEST_F(PresenterTest, ProposedNameFollowsTheFieldAsItStands) {
  List(trip_);
  const std::pair<std::string, std::string> cases[] = {
      {"trip.mps", "trip"},
      {"a.b.mps", "a.b"},
      {"/home/u/gps/day 2.mps", "day 2"},
      {"/home/u/v1.0/trip", "trip"},
      {"/資料/玉山.mps", "玉山"},
      {"/gps/", ""},
#ifdef _WIN32
      {"C:\\gps\\trip.mps", "trip"},
      {"C:\\gps\\", ""},
#else
      {"C:\\gps\\trip.mps", "C:\\gps\\trip"},  // one file name on this system
#endif
  };
  for (const auto& [field, proposed] : cases) {
    view_.path = field;
    presenter_.OnConvertToWtr();
    EXPECT_EQ(prompts_.saveProposed, proposed) << field;
  }
  view_.path = "/gps/renamed.mps";
  prompts_.saveAnswer = dir_.Path("renamed.wtr");
  presenter_.OnConvertToWtr();
  EXPECT_EQ(WtrSymbols(dir_.Path("renamed.wtr")).size(), 3u);
}

TEST_F(PresenterTest, BrowseCancelledChangesNothingAndConfirmedLists) {
  List(trip_);
  view_.path = other_;  // typed, not listed
  presenter_.OnBrowseMps();
  EXPECT_EQ(prompts_.openInitial, other_);
  EXPECT_EQ(view_.path, other_);
  EXPECT_EQ(view_.lines, kTripLines);
  EXPECT_EQ(settings_.Stored("MPSFile"), trip_);

  prompts_.openAnswer = other_;
  presenter_.OnBrowseMps();
  EXPECT_EQ(view_.path, other_);
  EXPECT_EQ(view_.lines, (Lines{"A1 100"}));
  EXPECT_EQ(settings_.Stored("MPSFile"), other_);
}

TEST_F(PresenterTest, OnlyOneLocalMpsFileIsDropped) {
  EXPECT_EQ(ConverterPresenter::DroppedMpsFile({trip_}), trip_);
  EXPECT_EQ(ConverterPresenter::DroppedMpsFile({dir_.Path("TRIP.MPS")}), dir_.Path("TRIP.MPS"));
  EXPECT_EQ(ConverterPresenter::DroppedMpsFile({trip_, other_}), "");
  EXPECT_EQ(ConverterPresenter::DroppedMpsFile({dir_.Path("trip.txt")}), "");
  EXPECT_EQ(ConverterPresenter::DroppedMpsFile({}), "");
  std::filesystem::create_directory(dir_.Path("folder.mps"));
  EXPECT_EQ(ConverterPresenter::DroppedMpsFile({dir_.Path("folder.mps")}), "");
  presenter_.OnDropMps(trip_);
  EXPECT_EQ(view_.path, trip_);
  EXPECT_EQ(view_.lines, kTripLines);
}

}  // namespace
}  // namespace ridloe
