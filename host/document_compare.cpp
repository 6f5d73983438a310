#include "host/document_compare.h"

#include <cmath>
#include <type_traits>

namespace host {
namespace {

bool SameReal(double a, double b) {
  return a == b || (std::isnan(a) && std::isnan(b));
}

bool SameVector(const HostVector& a, const HostVector& b) {
  return SameReal(a.x, b.x) && SameReal(a.y, b.y) && SameReal(a.z, b.z);
}

bool SameVec3(const Vec3& a, const Vec3& b) {
  return SameReal(a.x, b.x) && SameReal(a.y, b.y) && SameReal(a.z, b.z);
}

bool SameValue(const ContainerValue& a, const ContainerValue& b) {
  if (a.index() != b.index()) return false;
  if (const auto* x = std::get_if<double>(&a)) return SameReal(*x, std::get<double>(b));
  if (const auto* x = std::get_if<HostVector>(&a)) return SameVector(*x, std::get<HostVector>(b));
  if (const auto* x = std::get_if<FileName>(&a)) return x->path == std::get<FileName>(b).path;
  if (const auto* x = std::get_if<HostTime>(&a)) {
    const HostTime& y = std::get<HostTime>(b);
    return x->num == y.num && x->den == y.den;
  }
  if (const auto* x = std::get_if<NestedContainer>(&a)) {
    return ContainerDifference(x->Get(), std::get<NestedContainer>(b).Get()).empty();
  }
  if (const auto* x = std::get_if<int64_t>(&a)) return *x == std::get<int64_t>(b);
  if (const auto* x = std::get_if<bool>(&a)) return *x == std::get<bool>(b);
  return std::get<std::string>(a) == std::get<std::string>(b);
}

template <class Key>
bool SameKeys(const std::vector<Key>& a, const std::vector<Key>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (!SameReal(a[i].time, b[i].time)) return false;
    const auto& p = a[i].value;
    const auto& q = b[i].value;
    if constexpr (std::is_same_v<Key, RotationKey>) {
      if (!SameReal(p.x, q.x) || !SameReal(p.y, q.y) || !SameReal(p.z, q.z) || !SameReal(p.w, q.w))
        return false;
    } else {
      if (!SameVec3(p, q)) return false;
    }
  }
  return true;
}

bool SameTracks(const ObjectTracks& a, const ObjectTracks& b) {
  return a.position.interpolation == b.position.interpolation &&
         a.rotation.interpolation == b.rotation.interpolation &&
         a.scale.interpolation == b.scale.interpolation &&
         SameKeys(a.position.keys, b.position.keys) && SameKeys(a.rotation.keys, b.rotation.keys) &&
         SameKeys(a.scale.keys, b.scale.keys);
}

std::string TagDifference(const HostTag& a, const HostTag& b, const std::string& where) {
  if (a.type != b.type) return where + ".type";
  if (a.name != b.name) return where + ".name";
  if (a.material != b.material) return where + ".material";
  if (a.selection.indices != b.selection.indices) return where + ".selection";
  if (a.pluginId != b.pluginId) return where + ".pluginId";
  const std::string data = ContainerDifference(a.data, b.data);
  return data.empty() ? "" : where + ".data" + data;
}

bool SameMatrix(const Matrix& a, const Matrix& b) {
  return SameVec3(a.off, b.off) && SameVec3(a.v1, b.v1) && SameVec3(a.v2, b.v2) &&
         SameVec3(a.v3, b.v3);
}

std::string ObjectDifference(const HostObject& a, const HostObject& b, const std::string& where) {
  if (a.parent != b.parent || a.firstChild != b.firstChild || a.nextSibling != b.nextSibling)
    return where + " (place in the tree)";
  if (a.type != b.type) return where + ".type";
  if (a.name != b.name) return where + ".name";
  if (a.visibility != b.visibility) return where + ".visibility";
  if (!SameMatrix(a.local, b.local)) return where + ".matrix";
  if (a.points.size() != b.points.size()) return where + ".points";
  for (size_t i = 0; i < a.points.size(); ++i) {
    if (!SameVector(a.points[i], b.points[i])) return where + ".points[" + std::to_string(i) + "]";
  }
  if (a.polygons.size() != b.polygons.size()) return where + ".polygons";
  for (size_t i = 0; i < a.polygons.size(); ++i) {
    const HostPolygon& p = a.polygons[i];
    const HostPolygon& q = b.polygons[i];
    if (p.a != q.a || p.b != q.b || p.c != q.c || p.d != q.d)
      return where + ".polygons[" + std::to_string(i) + "]";
  }
  if (a.tags.size() != b.tags.size()) return where + ".tags";
  for (size_t i = 0; i < a.tags.size(); ++i) {
    const std::string tag =
        TagDifference(a.tags[i], b.tags[i], where + ".tags[" + std::to_string(i) + "]");
    if (!tag.empty()) return tag;
  }
  const CameraParams& c = a.camera;
  const CameraParams& d = b.camera;
  if (c.projection != d.projection || !SameReal(c.lens, d.lens) ||
      !SameReal(c.filmWidth, d.filmWidth) || !SameReal(c.zoom, d.zoom))
    return where + ".camera";
  if (!SameTracks(a.tracks, b.tracks)) return where + ".tracks";
  return "";
}

std::string MaterialDifference(const HostMaterial& a, const HostMaterial& b,
                               const std::string& where) {
  if (a.type != b.type) return where + ".type";
  if (a.name != b.name) return where + ".name";
  if (!ContainerDifference(a.data, b.data).empty()) return where + ".data";
  for (size_t i = 0; i < a.channels.size(); ++i) {
    if (a.channels[i].enabled != b.channels[i].enabled ||
        !ContainerDifference(a.channels[i].data, b.channels[i].data).empty())
      return where + ".channels[" + std::to_string(i) + "]";
  }
  return "";
}

}  // namespace

std::string ContainerDifference(const HostContainer& a, const HostContainer& b) {
  if (a.id != b.id) return " (id)";
  if (a.values.size() != b.values.size()) return " (keys)";
  for (auto i = a.values.begin(), j = b.values.begin(); i != a.values.end(); ++i, ++j) {
    if (i->first != j->first) return " (keys)";
    if (!SameValue(i->second, j->second)) return "[" + std::to_string(i->first) + "]";
  }
  return "";
}

std::string DocumentDifference(const HostDocument& a, const HostDocument& b) {
  std::string d;
  if (!(d = ContainerDifference(a.settings, b.settings)).empty()) return "settings" + d;
  if (!(d = ContainerDifference(a.pluginData, b.pluginData)).empty()) return "pluginData" + d;
  if (!(d = ContainerDifference(a.renderSettings, b.renderSettings)).empty())
    return "renderSettings" + d;
  const Scene& s = a.scene;
  const Scene& t = b.scene;
  if (s.materials.size() != t.materials.size()) return "materials";
  for (size_t i = 0; i < s.materials.size(); ++i) {
    d = MaterialDifference(*s.materials[i], *t.materials[i],
                           "materials[" + std::to_string(i) + "]");
    if (!d.empty()) return d;
  }
  if (s.firstObject != t.firstObject) return "firstObject";
  if (s.objects.size() != t.objects.size()) return "objects";
  for (size_t i = 0; i < s.objects.size(); ++i) {
    d = ObjectDifference(*s.objects[i], *t.objects[i], "objects[" + std::to_string(i) + "]");
    if (!d.empty()) return d;
  }
  if (s.view.linkedCamera != t.view.linkedCamera) return "view.linkedCamera";
  return ObjectDifference(s.view.camera, t.view.camera, "view.camera");
}

}  // namespace host
