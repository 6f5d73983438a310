// The native format's reader: every value is checked for its kind and every
// index for its range, so a damaged file is refused with the place of the
// damage instead of giving a document that breaks later.
#include <exception>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "host/api/vexmark_ids.h"
#include "host/import/json_error_place.h"
#include "host/import/native_format.h"
#include "host/runtime.h"

namespace host::import {
namespace {

// An index into a list of `count`, or kNoIndex.
int32_t ReadIndex(const json& value, size_t count, const Place& where) {
  const int32_t index = ReadInt32(value, where);
  if (index != kNoIndex && (index < 0 || static_cast<size_t>(index) >= count)) {
    throw FormatError(where.Text() + ": " + std::to_string(index) + " is not an index of the list");
  }
  return index;
}

HostTag ReadTag(const json& value, size_t materialCount, const Place& where) {
  HostTag tag;
  tag.type = ReadInt32(Member(value, "type", where), Place(where, "type"));
  tag.name = ReadText(Member(value, "name", where), Place(where, "name"));
  tag.data = ReadContainer(Member(value, "data", where), Place(where, "data"));
  tag.material =
      ReadIndex(Member(value, "material", where), materialCount, Place(where, "material"));
  tag.pluginId = ReadInt32(Member(value, "pluginId", where), Place(where, "pluginId"));
  const json& selection = ListMember(value, "selection", where);
  const Place selectionPlace(where, "selection");
  for (size_t i = 0; i < selection.size(); ++i) {
    const Place place(selectionPlace, i);
    const int32_t index = ReadInt32(selection[i], place);
    if (index < 0) throw FormatError(place.Text() + ": a negative index");
    tag.selection.indices.insert(index);
  }
  return tag;
}

Interpolation ReadInterpolation(const json& track, const Place& where) {
  const std::string name = ReadText(Member(track, "interpolation", where), where);
  if (name == "linear") return Interpolation::kLinear;
  if (name == "step") return Interpolation::kStep;
  throw FormatError(where.Text() + ": unknown interpolation '" + name + "'");
}

// The keys of a track as rows of `width` finite numbers, time first, in
// strictly ascending time.
std::vector<std::vector<double>> ReadKeyRows(const json& track, size_t width, const Place& where) {
  const json& keys = ListMember(track, "keys", where);
  const Place keysPlace(where, "keys");
  std::vector<std::vector<double>> rows;
  for (size_t i = 0; i < keys.size(); ++i) {
    const Place place(keysPlace, i);
    if (!keys[i].is_array() || keys[i].size() != width) {
      throw FormatError(place.Text() + ": expected " + std::to_string(width) + " numbers");
    }
    std::vector<double> row;
    for (const json& n : keys[i]) row.push_back(ReadFiniteReal(n, place));
    if (!rows.empty() && row[0] <= rows.back()[0]) {
      throw FormatError(place.Text() + ": key times must ascend");
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

VectorTrack ReadVectorTrack(const json& value, const Place& where) {
  VectorTrack track;
  track.interpolation = ReadInterpolation(value, where);
  for (const auto& r : ReadKeyRows(value, 4, where))
    track.keys.push_back({r[0], {r[1], r[2], r[3]}});
  return track;
}

RotationTrack ReadRotationTrack(const json& value, const Place& where) {
  RotationTrack track;
  track.interpolation = ReadInterpolation(value, where);
  for (const auto& r : ReadKeyRows(value, 5, where)) {
    track.keys.push_back({r[0], {r[1], r[2], r[3], r[4]}});
  }
  return track;
}

CameraParams ReadCamera(const json& value, const Place& where) {
  CameraParams camera;
  camera.projection = ReadInt32(Member(value, "projection", where), Place(where, "projection"));
  camera.lens = ReadFiniteReal(Member(value, "lens", where), Place(where, "lens"));
  camera.filmWidth = ReadFiniteReal(Member(value, "filmWidth", where), Place(where, "filmWidth"));
  camera.zoom = ReadFiniteReal(Member(value, "zoom", where), Place(where, "zoom"));
  if (camera.lens <= 0 || camera.filmWidth <= 0 || camera.zoom <= 0) {
    throw FormatError(where.Text() + ": lens, film width and zoom must be positive");
  }
  return camera;
}

void ReadGeometry(const json& value, HostObject& object, const Place& where) {
  const json& points = ListMember(value, "points", where);
  const Place pointsPlace(where, "points");
  if (points.size() % 3 != 0 || points.size() / 3 > std::numeric_limits<int32_t>::max()) {
    throw FormatError(pointsPlace.Text() + ": expected x, y, z for every point");
  }
  for (size_t i = 0; i < points.size(); i += 3) {
    const Place place(pointsPlace, i);
    object.points.push_back({static_cast<float>(ReadFiniteReal(points[i], place)),
                             static_cast<float>(ReadFiniteReal(points[i + 1], place)),
                             static_cast<float>(ReadFiniteReal(points[i + 2], place))});
  }
  const json& polygons = ListMember(value, "polygons", where);
  const Place polygonsPlace(where, "polygons");
  if (polygons.size() % 4 != 0) {
    throw FormatError(polygonsPlace.Text() + ": expected four point indices for every polygon");
  }
  const auto pointCount = static_cast<int32_t>(object.points.size());
  for (size_t i = 0; i < polygons.size(); i += 4) {
    int32_t corner[4];
    for (size_t k = 0; k < 4; ++k) {
      const Place place(polygonsPlace, i + k);
      corner[k] = ReadInt32(polygons[i + k], place);
      if (corner[k] < 0 || corner[k] >= pointCount) {
        throw FormatError(place.Text() + ": point " + std::to_string(corner[k]) +
                          " does not exist");
      }
    }
    object.polygons.push_back({corner[0], corner[1], corner[2], corner[3]});
  }
}

// Everything of an object but its place in the tree.
void ReadObjectBody(const json& value, size_t materialCount, HostObject& object,
                    const Place& where) {
  object.name = ReadText(Member(value, "name", where), Place(where, "name"));
  object.type = ReadInt32(Member(value, "type", where), Place(where, "type"));
  const Place visibilityPlace(where, "visibility");
  object.visibility = ReadInt32(Member(value, "visibility", where), visibilityPlace);
  if (object.visibility < kVisibilityOn || object.visibility > kVisibilityUndefined) {
    throw FormatError(visibilityPlace.Text() + ": expected 0, 1 or 2");
  }
  object.local = ReadMatrix(Member(value, "matrix", where), Place(where, "matrix"));
  ReadGeometry(value, object, where);
  const json& tags = ListMember(value, "tags", where);
  const Place tagsPlace(where, "tags");
  for (size_t i = 0; i < tags.size(); ++i) {
    AddTag(object, ReadTag(tags[i], materialCount, Place(tagsPlace, i)));
  }
  object.camera = ReadCamera(Member(value, "camera", where), Place(where, "camera"));
  const json& tracks = Member(value, "tracks", where);
  const Place tracksPlace(where, "tracks");
  object.tracks.position =
      ReadVectorTrack(Member(tracks, "position", where), Place(tracksPlace, "position"));
  object.tracks.rotation =
      ReadRotationTrack(Member(tracks, "rotation", where), Place(tracksPlace, "rotation"));
  object.tracks.scale =
      ReadVectorTrack(Member(tracks, "scale", where), Place(tracksPlace, "scale"));
}

HostMaterial ReadMaterial(const json& value, const Place& where) {
  HostMaterial material;
  material.name = ReadText(Member(value, "name", where), Place(where, "name"));
  material.type = ReadInt32(Member(value, "type", where), Place(where, "type"));
  material.data = ReadContainer(Member(value, "data", where), Place(where, "data"));
  const json& channels = ListMember(value, "channels", where);
  const Place channelsPlace(where, "channels");
  if (channels.size() != material.channels.size()) {
    throw FormatError(channelsPlace.Text() + ": expected " + std::to_string(kMaterialChannels));
  }
  for (size_t i = 0; i < channels.size(); ++i) {
    const Place place(channelsPlace, i);
    material.channels[i].enabled = ReadBool(Member(channels[i], "enabled", place), place);
    material.channels[i].data =
        ReadContainer(Member(channels[i], "data", place), Place(place, "data"));
  }
  return material;
}

// Links the objects as the file's first-child and next-sibling indices say,
// after checking that they form one tree that reaches every object once.
void LinkTree(const json& root, const json& objects, Scene& scene) {
  const size_t count = scene.objects.size();
  std::vector<int32_t> firstChild(count), nextSibling(count);
  const Place objectsPlace("objects");
  for (size_t i = 0; i < count; ++i) {
    const Place where(objectsPlace, i);
    firstChild[i] =
        ReadIndex(Member(objects[i], "firstChild", where), count, Place(where, "firstChild"));
    nextSibling[i] =
        ReadIndex(Member(objects[i], "nextSibling", where), count, Place(where, "nextSibling"));
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
        throw FormatError(Place(objectsPlace, static_cast<size_t>(index)).Text() +
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

// The whole stream, read in large blocks into a text sized to the file
// where its size is known: a stream iterator takes a file of many objects
// one character at a time, and a growing text copies it again and again.
std::string ReadWholeStream(std::ifstream& in) {
  std::string text;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size > 0) text.reserve(static_cast<size_t>(size));
  in.clear();
  std::vector<char> block(size_t{1} << 20);
  while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
    text.append(block.data(), static_cast<size_t>(in.gcount()));
  }
  return text;
}

// Reads the elements of the document's object list while the file is
// parsed and drops each from the JSON tree once read, so that a file of many
// objects never holds the tree of all of them (a few kilobytes each) at once.
// It runs as the parser's callback. The first element that is not a
// readable object is kept as its error, thrown where reading the tree would
// have thrown it; the link indices are kept as they are, for LinkTree once
// the count is known. It needs the material count first, as files written
// by this program have it; a file whose list comes before its materials is
// read as a whole tree instead. A second object or material list after the
// streamed one, which the tree would take instead of the first, asks for
// the file to be parsed again as a whole tree.
class ObjectStream {
 public:
  bool operator()(int depth, json::parse_event_t event, json& parsed) {
    if (depth == 1) return AtTopLevel(event, parsed);
    if (depth != 2 || !inList_) return true;
    if (event == json::parse_event_t::object_start || event == json::parse_event_t::array_start) {
      return true;
    }
    Take(parsed);
    return false;
  }

  bool streamed() const { return streamed_; }
  bool irregular() const { return irregular_; }

  // Moves the objects into the scene, or throws the first error found in
  // them. The links stay for LinkTree.
  void Into(Scene& scene) {
    if (error_) std::rethrow_exception(error_);
    for (std::unique_ptr<HostObject>& object : objects_) {
      object->scene = &scene;
      scene.objects.push_back(std::move(object));
    }
    objects_.clear();
  }

  const json& links() const { return links_; }

 private:
  bool AtTopLevel(json::parse_event_t event, const json& parsed) {
    if (event == json::parse_event_t::key) {
      key_ = parsed.get<std::string>();
      if ((key_ == "objects" || key_ == "materials") && streamed_) irregular_ = true;
      return true;
    }
    if (event == json::parse_event_t::array_start && key_ == "objects") {
      streamed_ = materialsKnown_;
      inList_ = streamed_;
    } else if (event == json::parse_event_t::array_end && key_ == "objects") {
      inList_ = false;
    } else if (event == json::parse_event_t::array_end && key_ == "materials") {
      materialCount_ = parsed.size();
      materialsKnown_ = true;
    }
    return true;
  }

  void Take(json& element) {
    const size_t index = links_.size();
    json link = json::object();
    if (element.is_object()) {
      for (const char* key : {"firstChild", "nextSibling"}) {
        const auto it = element.find(key);
        if (it != element.end()) link[key] = *it;
      }
    }
    links_.push_back(std::move(link));
    if (error_) return;
    if (index >= static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
      error_ = std::make_exception_ptr(FormatError("objects: too many objects"));
      return;
    }
    auto object = std::make_unique<HostObject>();
    object->index = static_cast<int32_t>(index);
    try {
      ReadObjectBody(element, materialCount_, *object, Place(objectsPlace_, index));
    } catch (const FormatError&) {
      error_ = std::current_exception();
      return;
    } catch (const json::exception&) {
      error_ = std::current_exception();
      return;
    }
    objects_.push_back(std::move(object));
  }

  const Place objectsPlace_{"objects"};
  std::string key_;
  bool streamed_ = false;
  bool inList_ = false;
  bool irregular_ = false;
  bool materialsKnown_ = false;
  size_t materialCount_ = 0;
  std::vector<std::unique_ptr<HostObject>> objects_;
  json links_ = json::array();
  std::exception_ptr error_;
};

// The document from its JSON tree; the objects from `stream` when it took
// them while the file was parsed.
std::unique_ptr<HostDocument> ReadDocument(const json& root, ObjectStream* stream) {
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
  const Place materialsPlace("materials");
  for (size_t i = 0; i < materials.size(); ++i) {
    AddMaterial(scene, ReadMaterial(materials[i], Place(materialsPlace, i)));
  }
  const json& objects = ListMember(root, "objects", "document");
  if (stream != nullptr && stream->streamed()) {
    stream->Into(scene);
    LinkTree(root, stream->links(), scene);
  } else {
    const Place objectsPlace("objects");
    if (objects.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
      throw FormatError("objects: too many objects");
    }
    for (size_t i = 0; i < objects.size(); ++i) {
      // Objects are created unlinked; LinkTree gives them their places.
      auto object = std::make_unique<HostObject>();
      object->scene = &scene;
      object->index = static_cast<int32_t>(i);
      ReadObjectBody(objects[i], scene.materials.size(), *object, Place(objectsPlace, i));
      scene.objects.push_back(std::move(object));
    }
    LinkTree(root, objects, scene);
  }

  const json& view = Member(root, "view", "document");
  scene.view.linkedCamera =
      ReadIndex(Member(view, "linkedCamera", "view"), scene.objects.size(), "view.linkedCamera");
  ReadObjectBody(Member(view, "camera", "view"), scene.materials.size(), scene.view.camera,
                 "view.camera");
  return doc;
}

}  // namespace

std::unique_ptr<HostDocument> DocumentFromJson(const json& root) {
  return ReadDocument(root, nullptr);
}

std::unique_ptr<HostDocument> LoadNativeFile(const std::string& path, std::string& reason) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    reason = "the file cannot be read";
    return nullptr;
  }
  const std::string text = ReadWholeStream(in);
  json root;
  ObjectStream stream;
  try {
    root = json::parse(text, std::ref(stream));
    if (stream.irregular()) root = json::parse(text);
  } catch (const json::parse_error& e) {
    reason = "not valid JSON (byte " + std::to_string(e.byte) + ")";
    return nullptr;
  } catch (const json::exception&) {
    // A value the parser cannot hold, such as a number beyond the range of
    // a double: said at its place, as a bad value in the tree is.
    std::string place, why;
    if (!FindParseErrorPlace(text, place, why)) why = "a value cannot be read";
    reason = place.empty() ? why : place + ": " + why;
    return nullptr;
  }
  try {
    return ReadDocument(root, stream.irregular() ? nullptr : &stream);
  } catch (const FormatError& e) {
    reason = e.what();
  } catch (const json::exception& e) {
    reason = std::string("unexpected content: ") + e.what();
  }
  return nullptr;
}

}  // namespace host::import
