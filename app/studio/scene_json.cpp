#include "app/studio/scene_json.h"

#include <cmath>
#include <cstdio>
#include <map>

#include "app/studio/tag_json.h"
#include "host/api/vexmark_ids.h"
#include "host/matrix.h"

namespace app::studio {
namespace {

using host::Matrix;
using host::Vec3;

constexpr double kDegrees = 180.0 / kPi;

// The mirror of Z on both sides: host pose <-> viewer pose (see the header).
Matrix Mirrored(const Matrix& m) {
  Matrix out;
  out.v1 = {m.v1.x, m.v1.y, -m.v1.z};
  out.v2 = {m.v2.x, m.v2.y, -m.v2.z};
  out.v3 = {-m.v3.x, -m.v3.y, m.v3.z};
  out.off = {m.off.x, m.off.y, -m.off.z};
  return out;
}

// Export width over height, which the camera's picture takes.
double ExportAspect(const StudioSession& session) {
  const double width = host::GadgetInt(session.Dialog(), kGadgetWidth).value_or(1);
  const double height = host::GadgetInt(session.Dialog(), kGadgetHeight).value_or(1);
  return height > 0 ? width / height : 1.0;
}

Json CameraJson(const HostObject& camera, double aspect) {
  const host::Pose pose = host::Decompose(Mirrored(host::GlobalMatrix(camera)));
  const host::CameraParams& c = camera.camera;
  Json out = {{"id", camera.index},
              {"name", camera.name},
              {"position", {pose.position.x, pose.position.y, pose.position.z}},
              {"quaternion", {pose.rotation.x, pose.rotation.y, pose.rotation.z, pose.rotation.w}},
              {"aspect", aspect}};
  if (c.projection == kProjectionPerspective) {
    // The picture's half height on the film over the lens length.
    out["fov"] = 2.0 * std::atan(c.filmWidth / aspect / 2.0 / c.lens) * kDegrees;
  } else {
    out["fov"] = nullptr;
    out["width"] = c.zoom > 0 ? 1.0 / c.zoom : 1.0;  // a parallel camera's width in scene units
  }
  return out;
}

// "#rrggbb" of a material's colour channel; grey when it has none.
std::string MaterialColour(const HostMaterial* material) {
  HostVector rgb{0.8f, 0.8f, 0.8f};
  if (material != nullptr) {
    const host::MaterialChannel& colour = material->channels[kChannelColour];
    if (const HostVector* stored = colour.data.Find<HostVector>(kChannelColourKey))
      if (colour.enabled) rgb = *stored;
  }
  const auto byte = [](float c) {
    return static_cast<int>(std::lround(std::fmin(std::fmax(c, 0.0f), 1.0f) * 255.0));
  };
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", byte(rgb.x), byte(rgb.y), byte(rgb.z));
  return text;
}

// Each polygon's colour: the object's texture tags in order, a restricted
// one for the polygons of its selection, a later tag over an earlier one.
std::vector<std::string> PolygonColours(const HostObject& object) {
  std::vector<std::string> colours(object.polygons.size(), MaterialColour(nullptr));
  for (const HostTag& tag : object.tags) {
    if (tag.type != kTagTexture) continue;
    const std::string colour = MaterialColour(object.scene->Material(tag.material));
    const std::string* restriction = tag.data.Find<std::string>(kTextureRestriction);
    if (restriction == nullptr || restriction->empty()) {
      colours.assign(colours.size(), colour);
      continue;
    }
    for (const HostTag& selection : object.tags)
      if (selection.type == kTagPolygonSelection && selection.name == *restriction)
        for (int32_t index : selection.selection.indices)
          if (index >= 0 && static_cast<size_t>(index) < colours.size()) colours[index] = colour;
  }
  return colours;
}

// One mesh entry per colour: world positions in the viewer's convention and
// triangles wound for it (the mirror turns the winding).
void AddMeshes(const HostObject& object, Json& meshes) {
  const Matrix world = host::GlobalMatrix(object);
  Json positions = Json::array();
  for (const HostVector& p : object.points) {
    const Vec3 w = host::Transform(world, Vec3{p.x, p.y, p.z});
    positions.push_back(w.x);
    positions.push_back(w.y);
    positions.push_back(-w.z);
  }
  const std::vector<std::string> colours = PolygonColours(object);
  std::map<std::string, Json> indices;
  for (size_t k = 0; k < object.polygons.size(); ++k) {
    const HostPolygon& p = object.polygons[k];
    Json& list = indices.try_emplace(colours[k], Json::array()).first->second;
    for (const int32_t i : {p.a, p.c, p.b}) list.push_back(i);
    if (p.c != p.d)
      for (const int32_t i : {p.a, p.d, p.c}) list.push_back(i);
  }
  for (auto& [colour, list] : indices)
    meshes.push_back(Json{{"id", object.index},
                          {"colour", colour},
                          {"positions", positions},
                          {"indices", std::move(list)}});
}

// Three or four finite numbers of `json[key]`; false when it is not that.
bool ReadNumbers(const Json& json, const char* key, size_t count, double* out) {
  if (!json.contains(key) || !json[key].is_array() || json[key].size() != count) return false;
  for (size_t k = 0; k < count; ++k) {
    if (!json[key][k].is_number()) return false;
    out[k] = json[key][k].get<double>();
    if (!std::isfinite(out[k])) return false;
  }
  return true;
}

HostObject& StudioViewCamera(host::Scene& scene) {
  for (const auto& object : scene.objects)
    if (object->type == kObjectCamera && object->name == kStudioViewName) return *object;
  return host::AddObject(scene, host::kNoIndex, kObjectCamera, kStudioViewName);
}

}  // namespace

Json SceneListing(StudioSession& session) {
  const HostDocument& doc = session.Document();
  Json objects = Json::array();
  for (const auto& object : doc.scene.objects) {
    const int32_t type = object->type;
    objects.push_back(Json{{"id", object->index},
                           {"name", object->name},
                           {"parent", object->parent},
                           {"kind", type == kObjectPolygon  ? "mesh"
                                    : type == kObjectCamera ? "camera"
                                                            : "group"},
                           {"tag", TagOf(*object)}});
  }
  const HostObject* camera = doc.scene.Object(doc.scene.view.linkedCamera);
  return Json{{"scene", std::filesystem::path(session.ScenePath()).filename().string()},
              {"frames", session.FrameRange()},
              {"frame", session.Frame()},
              {"camera", camera != nullptr ? Json(camera->name) : Json(nullptr)},
              {"objects", objects}};
}

Json Geometry(StudioSession& session) {
  HostDocument& doc = session.Document();
  session.ShowFrame();
  const double aspect = ExportAspect(session);
  Json meshes = Json::array();
  Json cameras = Json::array();
  for (const auto& object : doc.scene.objects) {
    if (object->type == kObjectPolygon && !object->polygons.empty()) AddMeshes(*object, meshes);
    if (object->type == kObjectCamera) cameras.push_back(CameraJson(*object, aspect));
  }
  const HostObject* linked = doc.scene.Object(doc.scene.view.linkedCamera);
  const HostObject& exportCamera = linked != nullptr ? *linked : doc.scene.view.camera;
  return Json{
      {"meshes", meshes}, {"cameras", cameras}, {"exportCamera", CameraJson(exportCamera, aspect)}};
}

JsonAnswer UseView(StudioSession& session, const Json& view) {
  double position[3], rotation[4];
  if (!view.is_object() || !ReadNumbers(view, "position", 3, position) ||
      !ReadNumbers(view, "quaternion", 4, rotation) || !view.contains("fov") ||
      !view["fov"].is_number())
    return JsonError(400,
                     "expected {\"position\": [x, y, z], \"quaternion\": [x, y, z, w], "
                     "\"fov\": degrees}");
  const double fov = view["fov"].get<double>();
  const host::Quaternion q{rotation[0], rotation[1], rotation[2], rotation[3]};
  if (!(fov > 0 && fov < 180) || std::hypot(q.x, q.y, q.z) + std::fabs(q.w) == 0)
    return JsonError(400,
                     "fov must lie between 0 and 180 degrees and the quaternion be a rotation");
  host::Pose pose;
  pose.position = {position[0], position[1], position[2]};
  pose.rotation = host::NormalizedQuaternion(q);
  HostObject& camera = StudioViewCamera(session.Document().scene);
  camera.local = Mirrored(host::Compose(pose));
  camera.camera = host::CameraParams{};
  // The vertical field of view over the export's picture: lens from film.
  camera.camera.lens =
      camera.camera.filmWidth / ExportAspect(session) / 2.0 / std::tan(fov / kDegrees / 2.0);
  session.SceneChanged();
  return session.PutSettings(Json{{"camera", kStudioViewName}});
}

}  // namespace app::studio
