// Object materials and polygon colours, and the export tag an object takes
// from itself or its ancestors.
#include "capture/materials.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "host/document.h"
#include "host/scene.h"
#include "host_fixture.h"
#include "capture/export_tags.h"
#include "shell/tag_dialog.h"

namespace {

using Rgba = std::array<int, 4>;

Rgba RgbaOf(PageColour c) {
  return {c.r, c.g, c.b, c.a};
}

class MaterialsTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    doc_ = host::NewDocument();
  }
  void TearDown() override {
    delete doc_;
    HostTest::TearDown();
  }

  HostObject& Object(const char* name, int32_t parent = host::kNoIndex) {
    return host::AddObject(doc_->scene, parent, kObjectPolygon, name);
  }
  int32_t Material(HostVector colour, double brightness = 1.0, int32_t type = kMaterialStandard) {
    HostMaterial material;
    material.type = type;
    host::SetChannel(material, kChannelColour, colour, brightness);
    return host::AddMaterial(doc_->scene, material);
  }
  HostMaterial& MaterialAt(int32_t index) { return *doc_->scene.Material(index); }

  // Fill colours of polygons 0..count-1 of `object`, after collectMaterials.
  std::vector<Rgba> Colours(const HostObject& object, int32_t count) {
    ObjectMaterials record(&object);
    EXPECT_TRUE(collectMaterials(record));
    std::vector<Rgba> colours;
    for (int32_t i = 0; i < count; ++i) {
      colours.push_back(RgbaOf(PolygonFillColour(record, i)));
    }
    return colours;
  }

  HostDocument* doc_ = nullptr;
};

constexpr Rgba kGrey{127, 127, 127, 255};
constexpr Rgba kRed{255, 0, 0, 255};
constexpr Rgba kGreen{0, 255, 0, 255};
constexpr Rgba kBlue{0, 0, 255, 255};

TEST_F(MaterialsTest, ObjectsWithoutAStandardBaseMaterialAreGrey) {
  HostObject& bare = Object("Bare");
  HostObject& foreign = Object("Foreign");
  host::AddTag(foreign, host::TextureTag(Material({1, 0, 0}, 1.0, 5704), ""));
  HostObject& empty = Object("Empty");
  host::AddTag(empty, host::TextureTag(host::kNoIndex, ""));
  for (const HostObject* object : {&bare, &foreign, &empty}) {
    EXPECT_EQ(Colours(*object, 2), (std::vector<Rgba>{kGrey, kGrey})) << object->name;
  }
}

TEST_F(MaterialsTest, ColourPlusLuminanceIsClampedAndTruncated) {
  const int32_t index = Material({1, 0.8f, 0});
  host::SetChannel(MaterialAt(index), kChannelLuminance, {0.5f, 0.5f, 0.5f}, 1.0);
  HostObject& object = Object("Lit");
  host::AddTag(object, host::TextureTag(index, ""));

  ObjectMaterials record(&object);
  ASSERT_TRUE(collectMaterials(record));
  const Colour c = combinedColor(*materialForPolygon(record, 0));
  EXPECT_FLOAT_EQ(c.r, 1.0f);
  EXPECT_FLOAT_EQ(c.g, 1.0f);
  EXPECT_FLOAT_EQ(c.b, 0.5f);
  EXPECT_EQ(Colours(object, 1)[0], (Rgba{255, 255, 127, 255}));

  // Brightness scales the colour; a disabled luminance adds nothing.
  const int32_t dim = Material({1, 1, 1}, 0.5);
  host::SetChannel(MaterialAt(dim), kChannelLuminance, {1, 0, 0}, 1.0);
  MaterialAt(dim).channels[kChannelLuminance].enabled = false;
  HostObject& dimmed = Object("Dim");
  host::AddTag(dimmed, host::TextureTag(dim, ""));
  EXPECT_EQ(Colours(dimmed, 1)[0], kGrey);
}

TEST_F(MaterialsTest, RestrictedMaterialsApplyToTheirSelectionsAndTheLaterOneWins) {
  HostObject& object = Object("Mesh");
  host::AddTag(object, host::TextureTag(Material({1, 0, 0}), ""));
  host::AddTag(object, host::SelectionTag("Left", {1, 2}));
  host::AddTag(object, host::SelectionTag("Right", {2, 3}));
  host::AddTag(object, host::TextureTag(Material({0, 1, 0}), "Left"));
  host::AddTag(object, host::TextureTag(Material({0, 0, 1}), "Right"));
  host::AddTag(object, host::TextureTag(Material({1, 1, 1}), "Nowhere"));  // no such selection
  EXPECT_EQ(Colours(object, 5), (std::vector<Rgba>{kRed, kGreen, kBlue, kBlue, kRed}));
}

TEST_F(MaterialsTest, RestrictedTagsWithoutAStandardMaterialAreReportedAndIgnored) {
  HostObject& object = Object("Mesh");
  host::AddTag(object, host::SelectionTag("All", {0, 1}));
  host::AddTag(object, host::TextureTag(Material({0, 1, 0}), "All"));
  host::AddTag(object, host::TextureTag(host::kNoIndex, "All"));
  host::AddTag(object, host::TextureTag(Material({1, 0, 0}, 1.0, 5704), "All"));
  host::AddTag(object, host::TextureTag(host::kNoIndex, "Nowhere"));

  host::ConsoleCapture console;
  ObjectMaterials record(&object);
  EXPECT_TRUE(collectMaterials(record));
  EXPECT_EQ(console.Lines(), (std::vector<std::string>{"mat==NULL", "mat!=Mmaterial"}))
      << "a restriction that names no selection is ignored without a message";
  EXPECT_EQ(record.materials.Count(), 2) << "the grey default and the green material";
  EXPECT_EQ(RgbaOf(PolygonFillColour(record, 1)), kGreen);
}

TEST_F(MaterialsTest, TheBaseMaterialIsTheLastUnrestrictedTagOfTheObjectOrItsNearestAncestor) {
  HostObject& grandparent = host::AddObject(doc_->scene, host::kNoIndex, kObjectNull, "Top");
  host::AddTag(grandparent, host::TextureTag(Material({1, 0, 0}), ""));
  HostObject& parent = host::AddObject(doc_->scene, grandparent.index, kObjectNull, "Middle");
  host::AddTag(parent, host::TextureTag(Material({0, 1, 0}), ""));
  host::AddTag(parent, host::TextureTag(Material({0, 0, 1}), ""));
  host::AddTag(parent, host::TextureTag(Material({1, 1, 1}), "Restricted"));
  HostObject& child = Object("Child", parent.index);
  HostObject& sibling = Object("Sibling", grandparent.index);

  EXPECT_EQ(Colours(child, 1)[0], kBlue) << "the parent's later unrestricted tag";
  EXPECT_EQ(Colours(sibling, 1)[0], kRed) << "the grandparent's tag";
  EXPECT_EQ(findBaseTextureTag(nullptr), nullptr);
}

TEST_F(MaterialsTest, SelectionTagNamesFollowTheHostVersion) {
  HostObject& object = Object("Mesh");
  HostTag tag = host::SelectionTag("OwnName", {0});
  tag.data.Set(kSelectionNameKey, std::string("SettingsName"));
  host::AddTag(object, tag);
  struct Case {
    int32_t version;
    const char* found;
    const char* missed;
  };
  for (const Case& c :
       {Case{7799, "SettingsName", "OwnName"}, Case{7800, "OwnName", "SettingsName"}}) {
    host::SetApiVersion(c.version);
    HostBind(host::Table());
    ObjectMaterials record(&object);
    EXPECT_NE(findSelectionTag(record, c.found), nullptr) << c.version;
    EXPECT_EQ(findSelectionTag(record, c.missed), nullptr) << c.version;
  }
}

TEST_F(MaterialsTest, EveryFailedAllocationKeepsWhatWasBuiltAndLeaksNothing) {
  HostObject& object = Object("Mesh");
  host::AddTag(object, host::TextureTag(Material({1, 0, 0}), ""));
  host::AddTag(object, host::SelectionTag("Some", {1}));
  host::AddTag(object, host::TextureTag(Material({0, 1, 0}), "Some"));
  host::AddTag(object, host::TextureTag(Material({0, 0, 1}), "Some"));

  const host::MemoryStats before = host::GetMemoryStats();
  const host::LiveHandles handles = host::GetLiveHandles();
  bool sawFailure = false;
  for (int64_t n = 0; n < 20; ++n) {
    host::FailAllocationsAfter(n);
    {
      ObjectMaterials record(&object);
      const bool complete = collectMaterials(record);
      host::ClearAllocationFaults();
      EXPECT_EQ(complete, record.materials.Count() == 3) << n;
      sawFailure = sawFailure || !complete;
      if (!record.materials.Empty()) {
        EXPECT_NE(materialForPolygon(record, 0), nullptr) << n;
      }
    }
    EXPECT_EQ(host::GetMemoryStats().liveBlocks, before.liveBlocks) << n;
    EXPECT_EQ(host::GetLiveHandles().selections, handles.selections) << n;
    EXPECT_EQ(host::GetLiveHandles().strings, handles.strings) << n;
  }
  EXPECT_TRUE(sawFailure);
}

class ExportTagsTest : public MaterialsTest {
 protected:
  static HostTag ExportTag(int64_t width, HostVector colour, std::optional<double> brightness) {
    HostContainer settings(kExportTagId);
    settings.Set(kTagOutline, false);
    settings.Set(kTagCrease, true);
    settings.Set(kTagCreaseAngle, 0.5);
    settings.Set(kTagLineWidth, width);
    settings.Set(kTagFlatEdges, true);
    settings.Set(kTagLineColour, colour);
    if (brightness) settings.Set(kTagLineBrightness, *brightness);
    return host::PluginTag(kExportTagId, settings);
  }
};

TEST_F(ExportTagsTest, AnObjectTakesTheFirstExportTagOfItselfOrItsNearestAncestor) {
  HostObject& top = host::AddObject(doc_->scene, host::kNoIndex, kObjectNull, "Top");
  host::AddTag(top, host::PluginTag(4242, HostContainer(4242)));
  host::AddTag(top, ExportTag(3, {1, 0.5f, 0}, 0.5));
  host::AddTag(top, ExportTag(9, {0, 0, 1}, 1.0));
  HostObject& child = Object("Child", top.index);
  HostObject& own = Object("Own", top.index);
  host::AddTag(own, ExportTag(35, {1, 1, 1}, std::nullopt));
  HostObject& untagged = Object("Untagged");

  LineStyle inherited;
  ASSERT_TRUE(readExportTags(inherited, &child));
  EXPECT_FALSE(inherited.outlineLines);
  EXPECT_TRUE(inherited.creaseLines);
  EXPECT_FLOAT_EQ(inherited.creaseAngle, 0.5f);
  EXPECT_EQ(inherited.lineWidth, 3) << "the first export tag of the ancestor";
  EXPECT_TRUE(inherited.skipCoplanarEdges);
  EXPECT_EQ(RgbaOf(inherited.linePageColour), (Rgba{127, 63, 0, 255}));

  LineStyle tagged;
  ASSERT_TRUE(readExportTags(tagged, &own));
  EXPECT_EQ(tagged.lineWidth, 20) << "widths are held to 0..20";
  EXPECT_EQ(RgbaOf(tagged.linePageColour), (Rgba{0, 0, 0, 255}))
      << "a tag without brightness draws black whatever its colour";

  LineStyle defaults;
  defaults.lineWidth = 7;
  EXPECT_FALSE(readExportTags(defaults, &untagged));
  EXPECT_EQ(defaults.lineWidth, 7) << "an object without an export tag keeps its settings";
}

}  // namespace
