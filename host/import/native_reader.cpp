// The native format's reader: every value is checked for its kind and every
// index for its range, so a damaged file is refused with the place of the
// damage instead of giving a document that breaks later.
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

#include "host/api/vexmark_ids.h"
#include "host/import/native_format.h"
#include "host/runtime.h"

namespace host::import {
namespace {

std::string At(const std::string& where, size_t index) {
  return where + "[" + std::to_string(index) + "]";
}

// An index into a list of `count`, or kNoIndex.
int32_t ReadIndex(const json& value, size_t count, const std::string& where) {
  const int32_t index = ReadInt32(value, where);
  if (index != kNoIndex && (index < 0 || static_cast<size_t>(index) >= count)) {
    throw FormatError(where + ": " + std::to_string(index) + " is not an index of the list");
  }
  return index;
}

HostTag ReadTag(const json& value, size_t materialCount, const std::string& where) {
  HostTag tag;
  tag.type = ReadInt32(Member(value, "type", where), where + ".type");
  tag.name = ReadText(Member(value, "name", where), where + ".name");
  tag.data = ReadContainer(Member(value, "data", where), where + ".data");
  tag.material = ReadIndex(Member(value, "material", where), materialCount, where + ".material");
  tag.pluginId = ReadInt32(Member(value, "pluginId", where), where + ".pluginId");
  const json& selection = ListMember(value, "selection", where);
  for (size_t i = 0; i < selection.size(); ++i) {
    const int32_t index = ReadInt32(selection[i], At(where + ".selection", i));
    if (index < 0) throw FormatError(At(where + ".selection", i) + ": a negative index");
    tag.selection.indices.insert(index);
  }
  return tag;
}

Interpolation ReadInterpolation(const json& track, const std::string& where) {
  const std::string name = ReadText(Member(track, "interpolation", where), where);
  if (name == "linear") return Interpolation::kLinear;
  if (name == "step") return Interpolation::kStep;
  throw FormatError(where + ": unknown interpolation '" + name + "'");
}

// The keys of a track as rows of `width` finite numbers, time first, in
// strictly ascending time.
std::vector<std::vector<double>> ReadKeyRows(const json& track, size_t width,
                                             const std::string& where) {
  const json& keys = ListMember(track, "keys", where);
  std::vector<std::vector<double>> rows;
  for (size_t i = 0; i < keys.size(); ++i) {
    const std::string place = At(where + ".keys", i);
    if (!keys[i].is_array() || keys[i].size() != width) {
      throw FormatError(place + ": expected " + std::to_string(width) + " numbers");
    }
    std::vector<double> row;
    for (const json& n : keys[i]) row.push_back(ReadFiniteReal(n, place));
    if (!rows.empty() && row[0] <= rows.back()[0]) {
      throw FormatError(place + ": key times must ascend");
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

VectorTrack ReadVectorTrack(const json& value, const std::string& where) {
  VectorTrack track;
  track.interpolation = ReadInterpolation(value, where);
  for (const auto& r : ReadKeyRows(value, 4, where))
    track.keys.push_back({r[0], {r[1], r[2], r[3]}});
  return track;
}

RotationTrack ReadRotationTrack(const json& value, const std::string& where) {
  RotationTrack track;
  track.interpolation = ReadInterpolation(value, where);
  for (const auto& r : ReadKeyRows(value, 5, where)) {
    track.keys.push_back({r[0], {r[1], r[2], r[3], r[4]}});
  }
  return track;
}

CameraParams ReadCamera(const json& value, const std::string& where) {
  CameraParams camera;
  camera.projection = ReadInt32(Member(value, "projection", where), where + ".projection");
  camera.lens = ReadFiniteReal(Member(value, "lens", where), where + ".lens");
  camera.filmWidth = ReadFiniteReal(Member(value, "filmWidth", where), where + ".filmWidth");
  camera.zoom = ReadFiniteReal(Member(value, "zoom", where), where + ".zoom");
  if (camera.lens <= 0 || camera.filmWidth <= 0 || camera.zoom <= 0) {
    throw FormatError(where + ": lens, film width and zoom must be positive");
  }
  return camera;
}

void ReadGeometry(const json& value, HostObject& object, const std::string& where) {
  const json& points = ListMember(value, "points", where);
  if (points.size() % 3 != 0 || points.size() / 3 > std::numeric_limits<int32_t>::max()) {
    throw FormatError(where + ".points: expected x, y, z for every point");
  }
  for (size_t i = 0; i < points.size(); i += 3) {
    const std::string place = At(where + ".points", i);
    object.points.push_back({static_cast<float>(ReadFiniteReal(points[i], place)),
                             static_cast<float>(ReadFiniteReal(points[i + 1], place)),
                             static_cast<float>(ReadFiniteReal(points[i + 2], place))});
  }
  const json& polygons = ListMember(value, "polygons", where);
  if (polygons.size() % 4 != 0) {
    throw FormatError(where + ".polygons: expected four point indices for every polygon");
  }
  const auto pointCount = static_cast<int32_t>(object.points.size());
  for (size_t i = 0; i < polygons.size(); i += 4) {
    int32_t corner[4];
    for (size_t k = 0; k < 4; ++k) {
      const std::string place = At(where + ".polygons", i + k);
      corner[k] = ReadInt32(polygons[i + k], place);
      if (corner[k] < 0 || corner[k] >= pointCount) {
        throw FormatError(place + ": point " + std::to_string(corner[k]) + " does not exist");
      }
    }
    object.polygons.push_back({corner[0], corner[1], corner[2], corner[3]});
  }
}

// Everything of an object but its place in the tree.
void ReadObjectBody(const json& value, size_t materialCount, HostObject& object,
                    const std::string& where) {
  object.name = ReadText(Member(value, "name", where), where + ".name");
  object.type = ReadInt32(Member(value, "type", where), where + ".type");
  object.visibility = ReadInt32(Member(value, "visibility", where), where + ".visibility");
  if (object.visibility < kVisibilityOn || object.visibility > kVisibilityUndefined) {
    throw FormatError(where + ".visibility: expected 0, 1 or 2");
  }
  object.local = ReadMatrix(Member(value, "matrix", where), where + ".matrix");
  ReadGeometry(value, object, where);
  const json& tags = ListMember(value, "tags", where);
  for (size_t i = 0; i < tags.size(); ++i) {
    AddTag(object, ReadTag(tags[i], materialCount, At(where + ".tags", i)));
  }
  object.camera = ReadCamera(Member(value, "camera", where), where + ".camera");
  const json& tracks = Member(value, "tracks", where);
  object.tracks.position =
      ReadVectorTrack(Member(tracks, "position", where), where + ".tracks.position");
  object.tracks.rotation =
      ReadRotationTrack(Member(tracks, "rotation", where), where + ".tracks.rotation");
  object.tracks.scale = ReadVectorTrack(Member(tracks, "scale", where), where + ".tracks.scale");
}

HostMaterial ReadMaterial(const json& value, const std::string& where) {
  HostMaterial material;
  material.name = ReadText(Member(value, "name", where), where + ".name");
  material.type = ReadInt32(Member(value, "type", where), where + ".type");
  material.data = ReadContainer(Member(value, "data", where), where + ".data");
  const json& channels = ListMember(value, "channels", where);
  if (channels.size() != material.channels.size()) {
    throw FormatError(where + ".channels: expected " + std::to_string(kMaterialChannels));
  }
  for (size_t i = 0; i < channels.size(); ++i) {
    const std::string place = At(where + ".channels", i);
    material.channels[i].enabled = ReadBool(Member(channels[i], "enabled", place), place);
    material.channels[i].data = ReadContainer(Member(channels[i], "data", place), place + ".data");
  }
  return material;
}

// Links the objects as the file's first-child and next-sibling indices say,
// after checking that they form one tree that reaches every object once.
void LinkTree(const json& root, const json& objects, Scene& scene) {
  const size_t count = scene.objects.size();
  std::vector<int32_t> firstChild(count), nextSibling(count);
  for (size_t i = 0; i < count; ++i) {
    const std::string where = At("objects", i);
    firstChild[i] =
        ReadIndex(Member(objects[i], "firstChild", where), count, where + ".firstChild");
    nextSibling[i] =
        ReadIndex(Member(objects[i], "nextSibling", where), count, where + ".nextSibling");
  }
  const int32_t first = ReadIndex(Member(root, "firstObject", "document"), count, "firstObject");

  std::vector<bool> reached(count, false);
  std::vector<std::pair<int32_t, int32_t>> pending;  // first of a sibling chain, its parent
  if (first != kNoIndex) pending.emplace_back(first, kNoIndex);
  size_t linked = 0;
  while (!pending.empty()) {
    auto [index, parent] = pending.back();
    pending.pop_back();
    for (; index != kNoIndex; index = nextSibling[static_cast<size_t>(index)]) {
      if (reached[static_cast<size_t>(index)]) {
        throw FormatError(At("objects", static_cast<size_t>(index)) +
                          ": the object is linked into the tree twice");
      }
      reached[static_cast<size_t>(index)] = true;
      ++linked;
      HostObject& object = *scene.objects[static_cast<size_t>(index)];
      object.parent = parent;
      object.firstChild = firstChild[static_cast<size_t>(index)];
      object.nextSibling = nextSibling[static_cast<size_t>(index)];
      if (object.firstChild != kNoIndex) pending.emplace_back(object.firstChild, index);
    }
  }
  if (linked != count) throw FormatError("objects: some objects are not linked into the tree");
  scene.firstObject = first;
}

// An integer setting under `key`, checked against lo..hi when present.
void CheckStoredInt(const HostContainer& settings, int32_t key, int64_t lo, int64_t hi,
                    const std::string& what) {
  const int64_t* value = settings.Find<int64_t>(key);
  if (value != nullptr && (*value < lo || *value > hi)) {
    throw FormatError(what + " " + std::to_string(*value) + " is not between " +
                      std::to_string(lo) + " and " + std::to_string(hi));
  }
}

// The stored export settings and render settings hold only values an
// export can use: a known drawing style and picture sizes in range.
void CheckStoredSettings(const HostDocument& doc) {
  const auto* stored = doc.pluginData.Find<NestedContainer>(kVexmarkCommandId);
  if (stored != nullptr) {
    const HostContainer& settings = stored->Get();
    CheckStoredInt(settings, kSettingsDrawingStyle, kStyleAllEdges, kStyleFilled,
                   "pluginData: the drawing style");
    CheckStoredInt(settings, kSettingsWidth, 1, kMaxPictureSize, "pluginData: the picture width");
    CheckStoredInt(settings, kSettingsHeight, 1, kMaxPictureSize, "pluginData: the picture height");
  }
  CheckStoredInt(doc.renderSettings, kRenderWidth, 1, kMaxPictureSize,
                 "renderSettings: the picture width");
  CheckStoredInt(doc.renderSettings, kRenderHeight, 1, kMaxPictureSize,
                 "renderSettings: the picture height");
}

}  // namespace

std::unique_ptr<HostDocument> DocumentFromJson(const json& root) {
  if (!root.is_object() || root.value("format", json()) != kNativeFormatName) {
    throw FormatError("not a Vexmark document");
  }
  const int64_t version = ReadInt64(Member(root, "version", "document"), "version");
  if (version > kNativeFormatVersion) {
    throw FormatError("written by a newer Vexmark (format version " + std::to_string(version) +
                      ")");
  }

  std::unique_ptr<HostDocument> doc(NewDocument());
  doc->settings = ReadContainer(Member(root, "settings", "document"), "settings");
  doc->pluginData = ReadContainer(Member(root, "pluginData", "document"), "pluginData");
  doc->renderSettings = ReadContainer(Member(root, "renderSettings", "document"), "renderSettings");
  CheckStoredSettings(*doc);

  Scene& scene = doc->scene;
  const json& materials = ListMember(root, "materials", "document");
  for (size_t i = 0; i < materials.size(); ++i) {
    AddMaterial(scene, ReadMaterial(materials[i], At("materials", i)));
  }
  const json& objects = ListMember(root, "objects", "document");
  if (objects.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    throw FormatError("objects: too many objects");
  }
  for (size_t i = 0; i < objects.size(); ++i) {
    // Objects are created unlinked; LinkTree gives them their places.
    auto object = std::make_unique<HostObject>();
    object->scene = &scene;
    object->index = static_cast<int32_t>(i);
    ReadObjectBody(objects[i], scene.materials.size(), *object, At("objects", i));
    scene.objects.push_back(std::move(object));
  }
  LinkTree(root, objects, scene);

  const json& view = Member(root, "view", "document");
  scene.view.linkedCamera =
      ReadIndex(Member(view, "linkedCamera", "view"), scene.objects.size(), "view.linkedCamera");
  ReadObjectBody(Member(view, "camera", "view"), scene.materials.size(), scene.view.camera,
                 "view.camera");
  return doc;
}

std::unique_ptr<HostDocument> LoadNativeFile(const std::string& path, std::string& reason) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    reason = "the file cannot be read";
    return nullptr;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  json root;
  try {
    root = json::parse(text);
  } catch (const json::parse_error& e) {
    reason = "not valid JSON (byte " + std::to_string(e.byte) + ")";
    return nullptr;
  }
  try {
    return DocumentFromJson(root);
  } catch (const FormatError& e) {
    reason = e.what();
  } catch (const json::exception& e) {
    reason = std::string("unexpected content: ") + e.what();
  }
  return nullptr;
}

}  // namespace host::import
