// Export settings: defaults, storage in the document, the packed colour.
#include "core/export_settings.h"
#include "shell/settings_storage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>


#include "host/runtime.h"
#include "host_fixture.h"

namespace {

class ExportSettingsTest : public HostTest {
 protected:
  // A new active document whose stored settings are `stored`.
  static void StoreInNewDocument(const BaseContainer& stored) {
    host::SetActiveDocument(host::NewDocument());
    BaseContainer data(0);
    data.SetContainer(kVexmarkCommandId, stored);
    SetDocumentData(GetActiveDocument(), kDocumentPluginData, data);
  }
};

TEST_F(ExportSettingsTest, NewRecordHoldsTheDefaults) {
  ExportSettings s;
  EXPECT_EQ(s.fromFrame, 0);
  EXPECT_EQ(s.toFrame, 0);
  EXPECT_EQ(s.frameRate, 12);
  EXPECT_EQ(s.width, 320);
  EXPECT_EQ(s.height, 240);
  EXPECT_EQ(s.drawingStyle, 10034);
  EXPECT_EQ(s.backFaces, 10039);
  EXPECT_TRUE(s.lines.outlineLines);
  EXPECT_TRUE(s.lines.creaseLines);
  EXPECT_FLOAT_EQ(s.lines.creaseAngle * 180.0f / 3.14159265f, 60.0f);
  EXPECT_EQ(s.lines.lineWidth, 0);
  EXPECT_FALSE(s.lines.skipCoplanarEdges);
  EXPECT_FLOAT_EQ(s.lines.lineBrightness, 1.0f);
  EXPECT_TRUE(s.fileName.Empty());
  EXPECT_TRUE(s.moreFiles.Empty());
  EXPECT_EQ(s.pngDpi, 72);
  EXPECT_EQ(s.lines.linePageColour.r + s.lines.linePageColour.g + s.lines.linePageColour.b, 0);
  EXPECT_EQ(s.lines.linePageColour.a, 255);
  EXPECT_FALSE(s.plotter.on);
  EXPECT_EQ(s.plotter.minLength, 0.5);
  EXPECT_EQ(s.plotter.simplify, 0.0);
  EXPECT_FALSE(s.paper.Active());
  EXPECT_EQ(s.paper.marginMm, 10.0);
}

TEST_F(ExportSettingsTest, ColourPacksByTruncation) {
  ExportSettings s;
  s.lines.lineColour = Colour{1.0f, 0.5f, 0.0f};
  s.lines.lineBrightness = 0.5f;
  DeriveLineColour(s.lines);
  EXPECT_EQ(s.lines.linePageColour.r, 127);
  EXPECT_EQ(s.lines.linePageColour.g, 63);
  EXPECT_EQ(s.lines.linePageColour.b, 0);
  EXPECT_EQ(s.lines.linePageColour.a, 255);
  EXPECT_FLOAT_EQ(s.lines.lineColourScaled.r, 0.5f);
}

TEST_F(ExportSettingsTest, LineWidthIsClampedToItsRange) {
  EXPECT_EQ(ClampLineWidth(35), 20);
  EXPECT_EQ(ClampLineWidth(-3), 0);
  EXPECT_EQ(ClampLineWidth(7), 7);
}

TEST_F(ExportSettingsTest, SettingsSurviveARoundTripThroughTheActiveDocument) {
  host::SetActiveDocument(host::NewDocument());
  ExportSettings saved;
  saved.fromFrame = 5;
  saved.toFrame = 25;
  saved.drawingStyle = kStyleFilled;
  saved.backFaces = kBackFacesKeep;
  saved.frameRate = 24;
  saved.width = 1920;
  saved.height = 1080;
  saved.fileName = "/tmp/scene.ai";
  saved.moreFiles = "/tmp/scene.svg\n/tmp/scene.png";
  saved.pngDpi = 300;
  saved.lines.outlineLines = 0;
  saved.lines.creaseLines = 0;
  saved.lines.creaseAngle = 0.5f;
  saved.lines.lineWidth = 3;
  saved.lines.skipCoplanarEdges = 1;
  saved.lines.lineColour = Colour{1.0f, 0.5f, 0.0f};
  saved.lines.lineBrightness = 0.5f;
  saved.plotter = PlotterOptions{true, 1.5, 0.25};
  saved.paper = PaperOptions{297.0, 420.0, 5.0};
  SaveSettings(saved);

  ExportSettings loaded;
  LoadSettings(loaded);
  EXPECT_EQ(loaded.fromFrame, 5);
  EXPECT_EQ(loaded.toFrame, 25);
  EXPECT_EQ(loaded.drawingStyle, kStyleFilled);
  EXPECT_EQ(loaded.backFaces, kBackFacesKeep);
  EXPECT_EQ(loaded.frameRate, 24);
  EXPECT_EQ(loaded.width, 1920);
  EXPECT_EQ(loaded.height, 1080);
  EXPECT_STREQ(loaded.fileName.Text(), "/tmp/scene.ai");
  EXPECT_STREQ(loaded.moreFiles.Text(), "/tmp/scene.svg\n/tmp/scene.png");
  EXPECT_EQ(loaded.pngDpi, 300);
  EXPECT_FALSE(loaded.lines.outlineLines);
  EXPECT_FALSE(loaded.lines.creaseLines);
  EXPECT_FLOAT_EQ(loaded.lines.creaseAngle, 0.5f);
  EXPECT_EQ(loaded.lines.lineWidth, 3);
  EXPECT_TRUE(loaded.lines.skipCoplanarEdges);
  EXPECT_FLOAT_EQ(loaded.lines.lineColour.g, 0.5f);
  EXPECT_FLOAT_EQ(loaded.lines.lineBrightness, 0.5f);
  EXPECT_EQ(loaded.lines.linePageColour.r, 127) << "the packed colour is derived on load";
  EXPECT_EQ(loaded.lines.linePageColour.g, 63);
  EXPECT_TRUE(loaded.plotter.on);
  EXPECT_EQ(loaded.plotter.minLength, 1.5);
  EXPECT_EQ(loaded.plotter.simplify, 0.25);
  EXPECT_EQ(loaded.paper.widthMm, 297.0);
  EXPECT_EQ(loaded.paper.heightMm, 420.0);
  EXPECT_EQ(loaded.paper.marginMm, 5.0);

  // Stored under the command's ID, marked valid.
  const BaseContainer data = GetDocumentData(GetActiveDocument(), kDocumentPluginData);
  const BaseContainer stored = data.GetContainer(kVexmarkCommandId);
  ASSERT_TRUE(stored.Valid());
  EXPECT_EQ(stored.GetInt(kSettingsValid), 1);
  EXPECT_EQ(stored.GetInt(kSettingsWidth), 1920);
}

// Settings stored before the plotter and paper keys existed load with those
// options at their defaults.
TEST_F(ExportSettingsTest, OlderStoredSettingsGetThePlotterAndPaperDefaults) {
  BaseContainer stored(kVexmarkCommandId);
  stored.SetInt(kSettingsValid, 1);
  stored.SetInt(kSettingsWidth, 640);
  StoreInNewDocument(stored);

  ExportSettings loaded;
  ASSERT_TRUE(LoadSettingsFrom(GetActiveDocument(), loaded));
  const ExportSettings defaults;
  EXPECT_EQ(loaded.width, 640);
  EXPECT_EQ(loaded.plotter.on, defaults.plotter.on);
  EXPECT_EQ(loaded.plotter.minLength, defaults.plotter.minLength);
  EXPECT_EQ(loaded.plotter.simplify, defaults.plotter.simplify);
  EXPECT_EQ(loaded.paper.widthMm, defaults.paper.widthMm);
  EXPECT_EQ(loaded.paper.heightMm, defaults.paper.heightMm);
  EXPECT_EQ(loaded.paper.marginMm, defaults.paper.marginMm);
}

TEST_F(ExportSettingsTest, SavingKeepsOtherPluginDataAndTouchesOnlyTheActiveDocument) {
  host::SetActiveDocument(host::NewDocument());
  BaseDocument* other = CopyDocument(GetActiveDocument());
  BaseContainer data(0);
  data.SetInt(42, 7);
  SetDocumentData(GetActiveDocument(), kDocumentPluginData, data);

  ExportSettings s;
  s.width = 640;
  SaveSettings(s);

  const BaseContainer after = GetDocumentData(GetActiveDocument(), kDocumentPluginData);
  EXPECT_EQ(after.GetInt(42), 7);
  EXPECT_EQ(after.GetContainer(kVexmarkCommandId).GetInt(kSettingsWidth), 640);
  ExportSettings fromOther;
  EXPECT_FALSE(LoadSettingsFrom(other, fromOther));
  FreeDocument(other);
}

TEST_F(ExportSettingsTest, InvalidStoredSettingsAreIgnoredAsAWhole) {
  BaseContainer stored(kVexmarkCommandId);
  stored.SetInt(kSettingsValid, 2);
  stored.SetInt(kSettingsWidth, 999);
  StoreInNewDocument(stored);

  ExportSettings s;
  LoadSettings(s);
  EXPECT_EQ(s.width, 320);
}

// Settings stored before there were further files and PNG pictures load
// with none and with 72 dots per inch.
TEST_F(ExportSettingsTest, OlderStoredSettingsLoadWithoutFurtherFiles) {
  BaseContainer stored(kVexmarkCommandId);
  stored.SetInt(kSettingsValid, 1);
  stored.SetInt(kSettingsWidth, 640);
  StoreInNewDocument(stored);

  ExportSettings s;
  LoadSettings(s);
  EXPECT_EQ(s.width, 640);
  EXPECT_TRUE(s.moreFiles.Empty());
  EXPECT_EQ(s.pngDpi, 72);
}

// Names one a line, empty lines skipped.
TEST_F(ExportSettingsTest, ListedFilesAreReadOneALine) {
  const String list = "a.svg\n\nb c.png\n";
  std::vector<std::string> names;
  String name;
  for (int32_t at = 0; NextListedFile(list, at, name);) names.push_back(name.Text());
  EXPECT_EQ(names, (std::vector<std::string>{"a.svg", "b c.png"}));
}

TEST_F(ExportSettingsTest, WithoutAnActiveDocumentNothingHappens) {
  ExportSettings s;
  s.width = 100;
  SaveSettings(s);
  LoadSettings(s);
  EXPECT_EQ(s.width, 100);
}

TEST_F(ExportSettingsTest, CopyHasItsOwnFileName) {
  ExportSettings a;
  a.fileName = "first.ai";
  ExportSettings b(a);
  a.fileName = "second.ai";
  EXPECT_STREQ(b.fileName.Text(), "first.ai");
}

}  // namespace
