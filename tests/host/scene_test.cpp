// The scene as a module reads it through the table: the object tree,
// matrices, geometry, tags, materials, cameras, copies, selections and the
// neighbour service.
#include "host/scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>

#include "host/api/vexmark_ids.h"
#include "host/document.h"
#include "host_fixture.h"
#include "sdk/container.h"
#include "sdk/document.h"
#include "sdk/host_table.h"
#include "sdk/scene.h"
#include "sdk/selections.h"

namespace {

class HostSceneTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    doc_ = host::NewDocument();
  }
  void TearDown() override {
    delete doc_;
    HostTest::TearDown();
  }
  host::Scene& scene() { return doc_->scene; }

  HostDocument* doc_ = nullptr;
};

host::Matrix Moved(double x, double y, double z) {
  host::Matrix m;
  m.off = {x, y, z};
  return m;
}

template <class V>
void ExpectVector(const V& v, float x, float y, float z) {
  EXPECT_FLOAT_EQ(v.x, x);
  EXPECT_FLOAT_EQ(v.y, y);
  EXPECT_FLOAT_EQ(v.z, z);
}

TEST_F(HostSceneTest, SceneTableIsComplete) {
  const HostSceneApi* table = host::Table()->scene;
  ASSERT_NE(table, nullptr);
  const auto* entries = reinterpret_cast<const void* const*>(table);
  for (size_t i = 0; i < sizeof(HostSceneApi) / sizeof(void*); ++i) {
    EXPECT_NE(entries[i], nullptr) << "entry " << i;
  }
}

// Objects added in any order of parents end up in each parent's chain in
// the order they were added, also after the scene was copied (the copy
// keeps no memory of the last child) and after links were set by hand.
TEST_F(HostSceneTest, AddedObjectsFollowTheirSiblingsInOrder) {
  host::Scene& s = scene();
  std::vector<std::vector<int32_t>> expected(4);  // top level, then three groups
  for (int32_t g = 0; g < 3; ++g) {
    expected[0].push_back(host::AddObject(s, host::kNoIndex, kObjectNull, "group").index);
  }
  for (int32_t k = 0; k < 300; ++k) {
    const int32_t group = k % 4;  // 0: the top level
    const int32_t parent = group == 0 ? host::kNoIndex : expected[0][group - 1];
    expected[group].push_back(host::AddObject(s, parent, kObjectNull, "child").index);
    if (k == 150) {
      host::Scene copy = s;
      s = copy;
    }
  }
  const auto chain = [&s](int32_t first) {
    std::vector<int32_t> indices;
    for (int32_t i = first; i != host::kNoIndex; i = s.Object(i)->nextSibling) indices.push_back(i);
    return indices;
  };
  EXPECT_EQ(chain(s.firstObject), expected[0]);
  for (int32_t g = 1; g <= 3; ++g) {
    EXPECT_EQ(chain(s.Object(expected[0][g - 1])->firstChild), expected[g]);
  }
}

TEST_F(HostSceneTest, TreeWalkGivesTypesNamesVisibilityAndGlobalMatrices) {
  HostObject& group = host::AddObject(scene(), host::kNoIndex, kObjectNull, "Group");
  group.local = host::Compose({{10, 0, 0}, {0, 0, 0, 1}, {2, 2, 2}});
  HostObject& mesh = host::AddObject(scene(), group.index, kObjectPolygon, "Mesh");
  mesh.local = Moved(1, 2, 3);
  mesh.visibility = kVisibilityOff;
  host::AddObject(scene(), group.index, kObjectCamera, "Camera");
  host::AddObject(scene(), host::kNoIndex, kObjectNull, "Second");

  SceneObject* first = GetFirstObject(doc_);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(ObjectNameOf(first), "Group");
  EXPECT_EQ(ObjectType(first), kObjectNull);
  EXPECT_EQ(ObjectVisibility(first), kVisibilityUndefined);
  EXPECT_EQ(ObjectUp(first), nullptr);

  SceneObject* child = ObjectDown(first);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(ObjectNameOf(child), "Mesh");
  EXPECT_EQ(ObjectType(child), kObjectPolygon);
  EXPECT_EQ(ObjectVisibility(child), kVisibilityOff);
  EXPECT_EQ(ObjectUp(child), first);
  EXPECT_EQ(ObjectDown(child), nullptr);
  const HostMatrix global = GlobalMatrixOf(child);
  ExpectVector(global.off, 12, 4, 6);  // scaled by the parent, then moved
  ExpectVector(global.v1, 2, 0, 0);

  SceneObject* camera = ObjectNext(child);
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(ObjectType(camera), kObjectCamera);
  EXPECT_EQ(ObjectNext(camera), nullptr);
  SceneObject* second = ObjectNext(first);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(ObjectNameOf(second), "Second");
  EXPECT_EQ(ObjectNext(second), nullptr);
  EXPECT_EQ(GetFirstObject(nullptr), nullptr);
}

// Far from the origin the double-precision matrix keeps what single
// precision loses; a module bound to an older host, whose table ends before
// that entry, gets the single-precision matrix widened.
TEST_F(HostSceneTest, GlobalMatricesComeInDoublePrecisionWhereTheHostHasThem) {
  HostObject& group = host::AddObject(scene(), host::kNoIndex, kObjectNull, "Group");
  group.local = Moved(1e6, 0, 0);
  HostObject& mesh = host::AddObject(scene(), group.index, kObjectPolygon, "Mesh");
  mesh.local = Moved(0.01, 2, 3);
  SceneObject* child = ObjectDown(GetFirstObject(doc_));
  ASSERT_NE(child, nullptr);
  const HostMatrixPrecise precise = ObjectGlobalMatrixPrecise(child);
  EXPECT_EQ(precise.off.x, 1e6 + 0.01);
  EXPECT_EQ(precise.off.y, 2.0);
  EXPECT_EQ(precise.v1.x, 1.0);

  HostApi older = *host::Table();
  older.size = static_cast<int32_t>(offsetof(HostApi, objGlobalMatrixPrecise));
  HostBind(&older);
  const HostMatrixPrecise widened = ObjectGlobalMatrixPrecise(child);
  HostBind(host::Table());
  EXPECT_EQ(widened.off.x, static_cast<double>(static_cast<float>(1e6 + 0.01)));
  EXPECT_NE(widened.off.x, precise.off.x);
}

TEST_F(HostSceneTest, PolygonObjectsGiveTheirPointsAndPolygons) {
  HostObject& mesh = host::AddObject(scene(), host::kNoIndex, kObjectPolygon, "Mesh");
  mesh.points = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  mesh.polygons = {{0, 1, 2, 3}, {0, 2, 3, 3}};
  SceneObject* object = GetFirstObject(doc_);
  ASSERT_EQ(ObjectPointCount(object), 4);
  ASSERT_EQ(ObjectPolygonCount(object), 2);
  EXPECT_FLOAT_EQ(ObjectPoints(object)[2].y, 1.0f);
  const HostPolygon triangle = ObjectPolygons(object)[1];
  EXPECT_EQ(triangle.c, triangle.d) << "a triangle repeats its third corner";

  HostObject& group = host::AddObject(scene(), host::kNoIndex, kObjectNull, "Group");
  EXPECT_EQ(ObjectPointCount(&group), 0);
  EXPECT_EQ(ObjectPoints(&group), nullptr);
  EXPECT_EQ(ObjectPolygons(&group), nullptr);
}

TEST_F(HostSceneTest, TagsComeInOrderWithWhatEachKindCarries) {
  HostMaterial red;
  red.name = "Red";
  host::SetChannel(red, kChannelColour, {1, 0, 0}, 0.5);
  const int32_t material = host::AddMaterial(scene(), red);
  HostObject& mesh = host::AddObject(scene(), host::kNoIndex, kObjectPolygon, "Mesh");
  host::AddTag(mesh, host::TextureTag(material, ""));
  host::AddTag(mesh, host::SelectionTag("Top", {1, 3}));
  host::AddTag(mesh, host::TextureTag(host::kNoIndex, "Top"));
  HostContainer settings(kExportTagId);
  settings.Set(kTagLineWidth, int64_t{4});
  host::AddTag(mesh, host::PluginTag(kExportTagId, settings));

  SceneObject* object = GetFirstObject(doc_);
  ASSERT_EQ(ObjectTagCount(object), 4);
  EXPECT_EQ(ObjectTag(object, 4), nullptr);
  EXPECT_EQ(ObjectTag(object, -1), nullptr);

  SceneTag* texture = ObjectTag(object, 0);
  EXPECT_EQ(TagType(texture), kTagTexture);
  EXPECT_EQ(TagData(texture).GetString(kTextureRestriction, "unset"), "");
  SceneMaterial* mat = TagMaterial(texture);
  ASSERT_NE(mat, nullptr);
  EXPECT_EQ(MaterialNameOf(mat), "Red");
  EXPECT_EQ(TagSelection(texture), nullptr);
  EXPECT_EQ(TagPluginId(texture), 0);

  SceneTag* selection = ObjectTag(object, 1);
  EXPECT_EQ(TagType(selection), kTagPolygonSelection);
  EXPECT_EQ(TagName(selection), "Top");
  EXPECT_EQ(TagData(selection).GetString(kSelectionNameKey), "Top");
  Selection copy;
  ASSERT_TRUE(copy.Create());
  ASSERT_TRUE(copy.CopyFrom(TagSelection(selection)));
  EXPECT_TRUE(copy.IsSelected(3));
  EXPECT_FALSE(copy.IsSelected(2));

  SceneTag* restricted = ObjectTag(object, 2);
  EXPECT_EQ(TagData(restricted).GetString(kTextureRestriction), "Top");
  EXPECT_EQ(TagMaterial(restricted), nullptr) << "a texture tag without material";

  SceneTag* plugin = ObjectTag(object, 3);
  EXPECT_EQ(TagType(plugin), kTagPlugin);
  EXPECT_EQ(TagPluginId(plugin), kExportTagId);
  BaseContainer data = TagData(plugin);
  EXPECT_EQ(data.GetInt(kTagLineWidth), 4);
  data.SetInt(kTagLineWidth, 7);
  EXPECT_EQ(TagData(plugin).GetInt(kTagLineWidth), 4) << "tag data is handed out as a copy";
  ASSERT_TRUE(Host().scene->tagSetData(plugin, data.Handle()));
  EXPECT_EQ(TagData(plugin).GetInt(kTagLineWidth), 7);
}

TEST_F(HostSceneTest, MaterialsGiveTheirChannelsAndSettings) {
  HostMaterial standard;
  host::SetChannel(standard, kChannelColour, {1, 0.8f, 0}, 1.0);
  host::SetChannel(standard, 9, {0, 0, 1}, 0.25);
  standard.data.Set(1016, 0.75);
  HostMaterial other;
  other.type = 5704;
  host::SetChannel(other, kChannelColour, {1, 1, 1}, 1.0);
  SceneMaterial* mat = scene().Material(host::AddMaterial(scene(), standard));
  SceneMaterial* foreign = scene().Material(host::AddMaterial(scene(), other));

  EXPECT_EQ(MaterialType(mat), kMaterialStandard);
  EXPECT_TRUE(MaterialChannelEnabled(mat, kChannelColour));
  EXPECT_FALSE(MaterialChannelEnabled(mat, kChannelLuminance));
  const BaseContainer colour = MaterialChannelData(mat, kChannelColour);
  ExpectVector(colour.GetVector(kChannelColourKey), 1, 0.8f, 0);
  EXPECT_DOUBLE_EQ(colour.GetReal(kChannelBrightnessKey), 1.0);
  EXPECT_DOUBLE_EQ(MaterialChannelData(mat, 9).GetReal(kChannelBrightnessKey), 0.25);
  EXPECT_DOUBLE_EQ(MaterialData(mat).GetReal(1016), 0.75);
  EXPECT_FALSE(MaterialChannelData(mat, kMaterialChannels).Valid());

  EXPECT_EQ(MaterialType(foreign), 5704);
  EXPECT_FALSE(MaterialChannelEnabled(foreign, kChannelColour));
  EXPECT_FALSE(MaterialChannelData(foreign, kChannelColour).Valid())
      << "only standard materials have channels";
}

TEST_F(HostSceneTest, ViewHasItsOwnCameraAndMayLinkASceneCamera) {
  EXPECT_EQ(ViewLinkedCamera(doc_), nullptr);
  SceneObject* own = ViewCamera(doc_);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(ObjectType(own), kObjectCamera);
  EXPECT_EQ(CameraProjection(own), kProjectionPerspective);
  EXPECT_DOUBLE_EQ(CameraFilmWidth(own), 36.0);

  HostObject& camera = host::AddObject(scene(), host::kNoIndex, kObjectCamera, "Shot");
  camera.camera = {kProjectionParallel, 50.0, 24.0, 0.5};
  camera.local = Moved(0, 0, -10);
  HostObject& mesh = host::AddObject(scene(), host::kNoIndex, kObjectPolygon, "Mesh");
  scene().view.linkedCamera = mesh.index;
  EXPECT_EQ(ViewLinkedCamera(doc_), nullptr) << "only a camera object can be linked";

  scene().view.linkedCamera = camera.index;
  SceneObject* linked = ViewLinkedCamera(doc_);
  ASSERT_EQ(linked, &camera);
  EXPECT_EQ(CameraProjection(linked), kProjectionParallel);
  EXPECT_DOUBLE_EQ(CameraLens(linked), 50.0);
  EXPECT_DOUBLE_EQ(CameraFilmWidth(linked), 24.0);
  EXPECT_DOUBLE_EQ(CameraZoom(linked), 0.5);
  ExpectVector(GlobalMatrixOf(linked).off, 0, 0, -10);
}

TEST_F(HostSceneTest, CopiesAndPolygonisedCopiesAreDeepAndSelfContained) {
  HostMaterial blue;
  host::SetChannel(blue, kChannelColour, {0, 0, 1}, 1.0);
  const int32_t material = host::AddMaterial(scene(), blue);
  HostObject& group = host::AddObject(scene(), host::kNoIndex, kObjectNull, "Group");
  HostObject& mesh = host::AddObject(scene(), group.index, kObjectPolygon, "Mesh");
  mesh.points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  mesh.polygons = {{0, 1, 2, 2}};
  host::AddTag(mesh, host::TextureTag(material, ""));

  BaseDocument* copy = CopyDocument(doc_);
  BaseDocument* polygons = PolygonizeDocument(doc_);
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(polygons, nullptr);
  for (BaseDocument* other : {copy, polygons}) {
    SceneObject* copiedMesh = ObjectDown(GetFirstObject(other));
    ASSERT_NE(copiedMesh, nullptr);
    EXPECT_NE(copiedMesh, &mesh);
    EXPECT_EQ(ObjectUp(copiedMesh), GetFirstObject(other)) << "links resolve inside the copy";
    SceneMaterial* copiedMaterial = TagMaterial(ObjectTag(copiedMesh, 0));
    ASSERT_NE(copiedMaterial, nullptr);
    EXPECT_NE(copiedMaterial, scene().Material(material));
    EXPECT_EQ(ObjectPointCount(copiedMesh), 3);
  }

  mesh.points[0].x = 5;
  group.local = Moved(1, 0, 0);
  SceneObject* copiedMesh = ObjectDown(GetFirstObject(copy));
  EXPECT_FLOAT_EQ(ObjectPoints(copiedMesh)[0].x, 0.0f);
  ExpectVector(GlobalMatrixOf(copiedMesh).off, 0, 0, 0);
  FreeDocument(copy);
  FreeDocument(polygons);
}

TEST_F(HostSceneTest, SelectionsHoldDistinctNonNegativeIndicesAndAreFreed) {
  const host::LiveHandles before = host::GetLiveHandles();
  {
    Selection selection;
    EXPECT_FALSE(selection.Valid());
    EXPECT_FALSE(selection.Select(1)) << "nothing to select into before Create";
    ASSERT_TRUE(selection.Create());
    EXPECT_TRUE(selection.Select(4));
    EXPECT_TRUE(selection.Select(4));
    EXPECT_TRUE(selection.Select(0));
    EXPECT_FALSE(selection.Select(-1));
    EXPECT_EQ(selection.Count(), 2);

    Selection copy(selection);
    selection.DeselectAll();
    EXPECT_FALSE(selection.IsSelected(4));
    EXPECT_TRUE(copy.IsSelected(4)) << "copies are independent";
    copy.DeselectAll();
    EXPECT_EQ(copy.Count(), 0);
    EXPECT_EQ(host::GetLiveHandles().selections - before.selections, 2);
  }
  EXPECT_EQ(host::GetLiveHandles().selections, before.selections);
}

TEST_F(HostSceneTest, NeighbourServiceFindsThePolygonsOfAnEdge) {
  // A quad 0-1-2-3 and two triangles on its right edge: edge 1-2 has three
  // polygons, of which the first two are reported.
  const HostPolygon polygons[] = {
      {0, 1, 2, 3}, {1, 4, 2, 2}, {2, 1, 5, 5}, {3, 3, 0, 0} /* a == b: no edges */};
  const HostSceneApi& scene = *Host().scene;
  HostNeighbours* neighbours = scene.nbrNew(6, polygons, 4);
  ASSERT_NE(neighbours, nullptr);
  struct Case {
    int32_t a, b, first, second;
  };
  const Case cases[] = {
      {1, 2, 0, 1},  {2, 1, 0, 1},   {0, 1, 0, -1},  {3, 0, 0, -1},
      {2, 4, 1, -1}, {0, 2, -1, -1}, {3, 3, -1, -1}, {7, 8, -1, -1},
  };
  for (const Case& c : cases) {
    int32_t first = 0;
    int32_t second = 0;
    scene.nbrEdgePolygons(neighbours, c.a, c.b, &first, &second);
    EXPECT_EQ(first, c.first) << c.a << "-" << c.b;
    EXPECT_EQ(second, c.second) << c.a << "-" << c.b;
  }
  scene.nbrFree(neighbours);

  const HostPolygon outside[] = {{0, 1, 9, 9}};
  EXPECT_EQ(scene.nbrNew(6, outside, 1), nullptr) << "an index beyond the points";
}

}  // namespace
