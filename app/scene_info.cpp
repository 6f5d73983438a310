// `vexmark info SCENE`: what a scene holds, as the exporter sees it.
#include <algorithm>
#include <cmath>
#include <iomanip>
#include <utility>
#include <vector>

#include "app/printable.h"
#include "app/scene_setup.h"
#include "host/api/vexmark_ids.h"

namespace app {
namespace {


const char* TypeName(int32_t type) {
  switch (type) {
    case kObjectPolygon:
      return "mesh";
    case kObjectCamera:
      return "camera";
    case kObjectNull:
      return "group";
    default:
      return "object";
  }
}

std::string TagText(const host::Scene& scene, const HostTag& tag) {
  switch (tag.type) {
    case kTagTexture: {
      const HostMaterial* material = scene.Material(tag.material);
      const std::string* restriction = tag.data.Find<std::string>(kTextureRestriction);
      std::string text = "material " + (material ? "'" + material->name + "'" : "(none)");
      if (restriction != nullptr && !restriction->empty()) text += " on '" + *restriction + "'";
      return text;
    }
    case kTagPolygonSelection:
      return "selection '" + tag.name + "' (" + std::to_string(tag.selection.indices.size()) +
             " polygons)";
    case kTagPlugin:
      return tag.pluginId == kExportTagId ? "export tag"
                                          : "plug-in tag " + std::to_string(tag.pluginId);
    default:
      return "tag " + std::to_string(tag.type);
  }
}

// Indentation shows the hierarchy up to this depth; deeper objects carry
// their depth as a number instead, so that the output of a deep chain grows
// with the object count, not with its square.
constexpr int kMaxIndentDepth = 16;

void PrintObject(const host::Scene& scene, const HostObject& object, int depth, std::ostream& out) {
  const int indent = std::min(depth, kMaxIndentDepth);
  out << std::string(2 * indent + 2, ' ');
  if (depth > kMaxIndentDepth) out << "[" << depth << "] ";
  out << Printable(object.name) << " (" << TypeName(object.type);
  if (object.type == kObjectPolygon)
    out << ", " << object.points.size() << " points, " << object.polygons.size() << " polygons";
  if (object.visibility == kVisibilityOff) out << ", hidden";
  out << ")\n";
  for (const HostTag& tag : object.tags)
    out << std::string(2 * indent + 6, ' ') << Printable(TagText(scene, tag)) << "\n";
}

// Every object of the tree in depth-first order (an object, its children,
// then its next sibling), with a list of its own instead of recursion, so
// that a deep hierarchy cannot exhaust the stack. The walk is bounded by
// the object count, so a damaged tree cannot loop.
void PrintObjects(const host::Scene& scene, std::ostream& out) {
  std::vector<std::pair<int32_t, int>> pending{{scene.firstObject, 0}};  // object, depth
  size_t printed = 0;
  while (!pending.empty() && printed < scene.objects.size()) {
    const auto [index, depth] = pending.back();
    pending.pop_back();
    const HostObject* object = scene.Object(index);
    if (object == nullptr) continue;
    PrintObject(scene, *object, depth, out);
    ++printed;
    pending.emplace_back(object->nextSibling, depth);
    pending.emplace_back(object->firstChild, depth + 1);
  }
}

int64_t FrameOf(const HostTime* time, int64_t fps) {
  if (time == nullptr || time->den == 0) return 0;
  return static_cast<int64_t>(std::floor(static_cast<double>(time->num) * fps / time->den));
}

}  // namespace

int PrintSceneInfo(const Options& options, std::ostream& out, std::ostream& err) {
  const std::string& path = options.scene;
  std::string error;
  int status = 0;
  HostDocument* doc = LoadSceneFile(path, options, error, status, err);
  if (doc == nullptr) {
    err << "vexmark: " << Printable(error) << "\n";
    return status;
  }
  const host::Scene& scene = doc->scene;
  out << Printable(path) << "\n";
  out << "objects:\n";
  PrintObjects(scene, out);
  out << "cameras:\n";
  for (const auto& object : scene.objects) {
    if (object->type != kObjectCamera) continue;
    const host::CameraParams& c = object->camera;
    out << "  " << Printable(object->name) << ": ";
    if (c.projection == kProjectionPerspective) {
      const double fov = 2.0 * std::atan(c.filmWidth / 2.0 / c.lens) * 180.0 / kPi;
      out << "perspective, lens " << c.lens << " mm, film " << c.filmWidth << " mm (" << std::fixed
          << std::setprecision(1) << fov << " degrees across)" << std::defaultfloat
          << std::setprecision(6);
    } else {
      // A parallel camera shows a fixed width of the scene, whatever its lens.
      out << "parallel, " << 1.0 / c.zoom << " units across";
    }
    out << (scene.view.linkedCamera == object->index ? ", looked through" : "") << "\n";
  }
  out << "materials:\n";
  for (const auto& material : scene.materials) {
    out << "  " << Printable(material->name);
    const host::MaterialChannel& colour = material->channels[kChannelColour];
    const HostVector* rgb = colour.data.Find<HostVector>(kChannelColourKey);
    if (colour.enabled && rgb != nullptr)
      out << ": colour " << rgb->x << " " << rgb->y << " " << rgb->z;
    out << "\n";
  }
  const int64_t fps =
      doc->settings.Find<int64_t>(kDocFps) ? *doc->settings.Find<int64_t>(kDocFps)
                                           : kDefaultDocumentFps;
  const int64_t renderFps = doc->renderSettings.Find<int64_t>(kRenderFps)
                                ? *doc->renderSettings.Find<int64_t>(kRenderFps)
                                : fps;
  out << "frames: " << FrameOf(doc->renderSettings.Find<HostTime>(kRenderFrom), renderFps) << " to "
      << FrameOf(doc->renderSettings.Find<HostTime>(kRenderTo), renderFps) << " at " << fps
      << " fps\n";
  delete doc;
  return 0;
}

}  // namespace app
