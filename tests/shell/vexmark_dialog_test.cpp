// The main export dialog driven through the headless host the way a user
// would: gadgets, the picture sizes, the render settings, the file name
// rules, the overwrite question, and starting and stopping an export.
#include "shell/vexmark_dialog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "host/ui.h"
#include "host_fixture.h"
#include "shell/conv_thread.h"
#include "shell/frame_export.h"
#include "core/job.h"

namespace {

namespace fs = std::filesystem;

// A frame step that lasts until the export is asked to stop.
void WaitForStop(BaseDocument*, int32_t, const ExportSettings&, ExportJob& job) {
  while (!ExportCancelled(job)) std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

class VexmarkDialogTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    ASSERT_TRUE(ResourcesLoad(VEXMARK_SOURCE_DIR));
    folder_ = fs::temp_directory_path() / ("vexmark-dialog-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    HostDocument* doc = host::NewDocument();
    host::SetActiveDocument(doc);
    BaseContainer settings = GetDocumentData(doc, kDocumentSettings);
    settings.SetFilename(kDocFolder, folder_.string().c_str());
    settings.SetString(kDocName, "scene");
    SetDocumentData(doc, kDocumentSettings, settings);

    dialog_ = HostNew<VexmarkDialog>();
    ASSERT_NE(dialog_, nullptr);
    ASSERT_TRUE(dialog_->Open(false, kVexmarkCommandId));
    window_ = host::FindOpenDialog(kVexmarkCommandId);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    HostDelete(dialog_);
    ResourcesFree();
    fs::remove_all(folder_);
    HostTest::TearDown();
  }

  // Waits for the end-of-job event and lets the dialog handle it.
  void WaitForEndOfJob() {
    for (int i = 0; i < 200 && dialog_->RunningThread() != nullptr; ++i)
      host::WaitAndDeliverEvents(50);
    ASSERT_EQ(dialog_->RunningThread(), nullptr) << "the end-of-job event never came";
  }

  fs::path folder_;
  VexmarkDialog* dialog_ = nullptr;
  HostDialog* window_ = nullptr;
};

TEST_F(VexmarkDialogTest, FreshDocumentShowsTheDefaults) {
  EXPECT_EQ(host::GadgetInt(window_, kGadgetFromFrame), 0);
  EXPECT_EQ(host::GadgetInt(window_, kGadgetToFrame), 0);
  EXPECT_EQ(host::GadgetInt(window_, kGadgetFrameRate), 12);
  EXPECT_EQ(host::GadgetInt(window_, kGadgetWidth), 320);
  EXPECT_EQ(host::GadgetInt(window_, kGadgetHeight), 240);
  EXPECT_EQ(host::GadgetInt(window_, kGadgetStyle), kStyleAllEdges);
  EXPECT_EQ(host::GadgetInt(window_, kGadgetBackFaces), kBackFacesDrop);
  EXPECT_EQ(host::GadgetCheck(window_, kGadgetOutline), true);
  EXPECT_EQ(host::GadgetCheck(window_, kGadgetCrease), true);
  EXPECT_NEAR(*host::GadgetReal(window_, kGadgetCreaseAngle), 60.0, 1e-4);
  EXPECT_EQ(host::GadgetInt(window_, kGadgetLineWidth), 0);
  EXPECT_EQ(host::GadgetCheck(window_, kGadgetFlatEdges), false);
  double brightness = 0;
  const auto colour = host::GadgetColour(window_, kGadgetLineColour, &brightness);
  ASSERT_TRUE(colour.has_value());
  EXPECT_EQ(colour->x + colour->y + colour->z, 0.0f);
  EXPECT_EQ(brightness, 1.0);
  EXPECT_EQ(host::GadgetText(window_, kGadgetFileName), "");
  EXPECT_EQ(host::LayoutRequestCount(window_, kGadgetLayoutTarget, kLayoutRequest), 1);
  EXPECT_EQ(host::GroupButtons(window_, kGadgetButtonGroup), (std::vector<int32_t>{1, 2}));
}

TEST_F(VexmarkDialogTest, PictureSizesSetWidthAndHeight) {
  ASSERT_TRUE(host::UserChoose(window_, kGadgetPictureSize, 10031));
  EXPECT_EQ(host::GadgetInt(window_, kGadgetWidth), 2048);
  EXPECT_EQ(host::GadgetInt(window_, kGadgetHeight), 768);
  ASSERT_TRUE(host::UserChoose(window_, kGadgetPictureSize, 10013));
  EXPECT_EQ(host::GadgetInt(window_, kGadgetWidth), 160);

  // A value outside the list changes nothing.
  dialog_->SetInt(kGadgetPictureSize, 10032);
  dialog_->Command(kGadgetPictureSize, BaseContainer());
  EXPECT_EQ(host::GadgetInt(window_, kGadgetWidth), 160);
  EXPECT_EQ(host::GadgetInt(window_, kGadgetHeight), 120);
}

TEST_F(VexmarkDialogTest, TakesFramesSizeAndFileFromTheRenderSettings) {
  BaseContainer render = GetDocumentData(GetActiveDocument(), kDocumentRenderSettings);
  render.SetInt(kRenderFps, 25);
  render.SetTime(kRenderFrom, Time(2, 5));  // frame 10 at 25 fps
  render.SetTime(kRenderTo, Time(41, 25));  // frame 41
  render.SetInt(kRenderWidth, 800);
  render.SetInt(kRenderHeight, 600);
  render.SetFilename(kRenderFile, "/tmp/out/film.tif");
  SetDocumentData(GetActiveDocument(), kDocumentRenderSettings, render);

  ASSERT_TRUE(host::UserClick(window_, kGadgetFromRenderSettings));
  EXPECT_EQ(host::GadgetInt(window_, kGadgetFromFrame), 10);
  EXPECT_EQ(host::GadgetInt(window_, kGadgetToFrame), 41);
  EXPECT_EQ(host::GadgetInt(window_, kGadgetFrameRate), 25);
  EXPECT_EQ(host::GadgetInt(window_, kGadgetWidth), 800);
  EXPECT_EQ(host::GadgetInt(window_, kGadgetHeight), 600);
  EXPECT_EQ(host::GadgetText(window_, kGadgetFileName), "/tmp/out/film.ai");
  EXPECT_EQ(dialog_->Settings()->width, 320) << "the record waits for the next export";
}

TEST_F(VexmarkDialogTest, EmptyFileNameProposesTheDocumentNameInItsFolder) {
  std::string proposed;
  host::SetSaveSelector([&](const std::string&, const std::string& preset) {
    proposed = preset;
    return std::nullopt;  // the user cancels
  });
  ASSERT_TRUE(host::UserClick(window_, kGadgetExport));
  EXPECT_EQ(proposed, (folder_ / "scene.ai").string());
  EXPECT_EQ(dialog_->RunningThread(), nullptr) << "a cancelled selector starts nothing";
  EXPECT_EQ(dialog_->DocumentCopy(), nullptr) << "the unused document copy is released";
  EXPECT_TRUE(host::PostedEvents().empty());
}

TEST_F(VexmarkDialogTest, ExportCompletesTheNameSavesTheSettingsAndRuns) {
  ASSERT_TRUE(host::UserSetText(window_, kGadgetFileName, "drawing"));
  ASSERT_TRUE(host::UserSetInt(window_, kGadgetLineWidth, 35));
  ASSERT_TRUE(host::UserSetReal(window_, kGadgetCreaseAngle, 45.0));
  ASSERT_TRUE(host::UserClick(window_, kGadgetExport));
  WaitForEndOfJob();

  const ExportSettings& s = *dialog_->Settings();
  EXPECT_STREQ(s.fileName.Text(), (folder_ / "drawing.ai").string().c_str());
  EXPECT_EQ(s.lines.lineWidth, 20) << "a typed 35 is clamped";
  EXPECT_NEAR(s.lines.creaseAngle, 0.7853982f, 1e-6);
  ExportSettings stored;
  ASSERT_TRUE(LoadSettingsFrom(GetActiveDocument(), stored));
  EXPECT_EQ(stored.lines.lineWidth, 20);
  EXPECT_STREQ(stored.fileName.Text(), s.fileName.Text());

  ASSERT_TRUE(host::UserSetInt(window_, kGadgetLineWidth, -3));
  ASSERT_TRUE(host::UserClick(window_, kGadgetExport));
  WaitForEndOfJob();
  EXPECT_EQ(dialog_->Settings()->lines.lineWidth, 0);
}

TEST_F(VexmarkDialogTest, OverwriteQuestionNamesTheFileAndNoStartsNothing) {
  const std::string existing = (folder_ / "old.ai").string();
  std::FILE* f = std::fopen(existing.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  std::string asked;
  host::SetMessageBoxAnswer([&](const std::string& text, int32_t code) {
    asked = text;
    EXPECT_EQ(code, kMessageBoxYesNo);
    return kMessageAnswerNo;
  });
  ASSERT_TRUE(host::UserSetText(window_, kGadgetFileName, existing));
  ASSERT_TRUE(host::UserClick(window_, kGadgetExport));

  std::string expected = LoadResourceString(kOverwriteQuestionString).Text();
  expected.replace(expected.find('#'), 1, existing);
  EXPECT_EQ(asked, expected);
  EXPECT_EQ(dialog_->RunningThread(), nullptr);
  EXPECT_TRUE(host::PostedEvents().empty());
}

TEST_F(VexmarkDialogTest, StopWhileRunningKeepsTheRunningLayoutUntilTheEndEvent) {
  dialog_->SetFrameRenderer(&WaitForStop);
  ASSERT_TRUE(host::UserSetText(window_, kGadgetFileName, "long"));
  ASSERT_TRUE(host::UserClick(window_, kGadgetExport));
  ASSERT_NE(dialog_->RunningThread(), nullptr);
  EXPECT_EQ(host::GroupButtons(window_, kGadgetButtonGroup), std::vector<int32_t>{2});
  EXPECT_FALSE(host::GadgetEnabled(window_, kGadgetSettingsPart));
  EXPECT_FALSE(host::GadgetEnabled(window_, kGadgetWidth)) << "disabled with its group";
  EXPECT_FALSE(host::UserClick(window_, kGadgetExport)) << "no export button while running";
  EXPECT_FALSE(host::UserClose(window_)) << "the window refuses to close while running";

  ASSERT_TRUE(host::UserClick(window_, kGadgetCancel));
  EXPECT_TRUE(host::IsDialogOpen(window_)) << "stop does not close the window";
  WaitForEndOfJob();
  EXPECT_EQ(host::GroupButtons(window_, kGadgetButtonGroup), (std::vector<int32_t>{1, 2}));
  EXPECT_TRUE(host::GadgetEnabled(window_, kGadgetSettingsPart));
  EXPECT_EQ(host::GadgetMessages(window_, kGadgetSettingsPart),
            std::vector<int32_t>{kMessageClose});

  ASSERT_TRUE(host::UserClick(window_, kGadgetCancel));
  EXPECT_FALSE(host::IsDialogOpen(window_)) << "cancel when idle closes the window";
}

}  // namespace
