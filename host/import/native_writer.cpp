// The native format's writer.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "host/import/native_format.h"
#include "host/runtime.h"
#include "host/temporary_files.h"

namespace host::import {
namespace {

json Finite(double value, const std::string& what) {
  if (!std::isfinite(value)) throw FormatError(what + " is not a finite number");
  return value;
}

json FiniteMatrix(const Matrix& m, const std::string& what) {
  if (!IsFinite(m)) throw FormatError(what + " is not made of finite numbers");
  return MatrixToJson(m);
}

json TagToJson(const HostTag& tag) {
  json selection = json::array();
  for (const int32_t index : tag.selection.indices) selection.push_back(index);
  return {{"type", tag.type},         {"name", tag.name},       {"data", ContainerToJson(tag.data)},
          {"material", tag.material}, {"selection", selection}, {"pluginId", tag.pluginId}};
}

const char* InterpolationName(Interpolation i) {
  return i == Interpolation::kStep ? "step" : "linear";
}

json VectorTrackToJson(const VectorTrack& track, const std::string& what) {
  json keys = json::array();
  for (const VectorKey& k : track.keys) {
    keys.push_back({Finite(k.time, what), Finite(k.value.x, what), Finite(k.value.y, what),
                    Finite(k.value.z, what)});
  }
  return {{"interpolation", InterpolationName(track.interpolation)}, {"keys", keys}};
}

json RotationTrackToJson(const RotationTrack& track, const std::string& what) {
  json keys = json::array();
  for (const RotationKey& k : track.keys) {
    keys.push_back({Finite(k.time, what), Finite(k.value.x, what), Finite(k.value.y, what),
                    Finite(k.value.z, what), Finite(k.value.w, what)});
  }
  return {{"interpolation", InterpolationName(track.interpolation)}, {"keys", keys}};
}

json ObjectToJson(const HostObject& object) {
  const std::string what = "object '" + object.name + "': ";
  json points = json::array();
  for (const HostVector& p : object.points) {
    points.push_back(Finite(p.x, what + "a point"));
    points.push_back(Finite(p.y, what + "a point"));
    points.push_back(Finite(p.z, what + "a point"));
  }
  json polygons = json::array();
  for (const HostPolygon& p : object.polygons) {
    for (const int32_t i : {p.a, p.b, p.c, p.d}) polygons.push_back(i);
  }
  json tags = json::array();
  for (const HostTag& tag : object.tags) tags.push_back(TagToJson(tag));
  const CameraParams& c = object.camera;
  const std::string cameraWhat = what + "the camera";
  return {
      {"name", object.name},
      {"type", object.type},
      {"visibility", object.visibility},
      {"firstChild", object.firstChild},
      {"nextSibling", object.nextSibling},
      {"matrix", FiniteMatrix(object.local, what + "the matrix")},
      {"points", std::move(points)},
      {"polygons", std::move(polygons)},
      {"tags", std::move(tags)},
      {"camera",
       {{"projection", c.projection},
        {"lens", Finite(c.lens, cameraWhat)},
        {"filmWidth", Finite(c.filmWidth, cameraWhat)},
        {"zoom", Finite(c.zoom, cameraWhat)}}},
      {"tracks",
       {{"position", VectorTrackToJson(object.tracks.position, what + "an animation key")},
        {"rotation", RotationTrackToJson(object.tracks.rotation, what + "an animation key")},
        {"scale", VectorTrackToJson(object.tracks.scale, what + "an animation key")}}},
  };
}

json MaterialToJson(const HostMaterial& material) {
  json channels = json::array();
  for (const MaterialChannel& channel : material.channels) {
    channels.push_back({{"enabled", channel.enabled}, {"data", ContainerToJson(channel.data)}});
  }
  return {{"name", material.name},
          {"type", material.type},
          {"data", ContainerToJson(material.data)},
          {"channels", std::move(channels)}};
}

}  // namespace

json DocumentToJson(const HostDocument& doc) {
  json objects = json::array();
  for (const auto& object : doc.scene.objects) objects.push_back(ObjectToJson(*object));
  json materials = json::array();
  for (const auto& material : doc.scene.materials) materials.push_back(MaterialToJson(*material));
  return {
      {"format", kNativeFormatName},
      {"version", kNativeFormatVersion},
      {"settings", ContainerToJson(doc.settings)},
      {"pluginData", ContainerToJson(doc.pluginData)},
      {"renderSettings", ContainerToJson(doc.renderSettings)},
      {"materials", std::move(materials)},
      {"objects", std::move(objects)},
      {"firstObject", doc.scene.firstObject},
      {"view",
       {{"linkedCamera", doc.scene.view.linkedCamera},
        {"camera", ObjectToJson(doc.scene.view.camera)}}},
  };
}

bool SaveNativeFile(const HostDocument& doc, const std::string& path, std::string& reason) {
  std::string text;
  try {
    text = DocumentToJson(doc).dump(1);
  } catch (const FormatError& e) {
    reason = e.what();
    return false;
  } catch (const json::exception&) {
    reason = "a name or text in the document is not valid UTF-8";
    return false;
  }

  // A new temporary file beside the target, renamed over it only when
  // complete; it never writes through an existing file or link.
  std::string partial;
  const int fd = CreateTemporaryFile(path, partial);
  if (fd < 0) {
    reason = "the file cannot be written: " + FileErrorText(errno);
    return false;
  }
  int error = 0;
  for (size_t done = 0; done < text.size() && error == 0;) {
    const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
    if (wrote > 0)
      done += static_cast<size_t>(wrote);
    else if (wrote < 0 && errno != EINTR)
      error = errno;
  }
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && !CommitTemporaryFile(partial, path)) error = errno;
  if (error != 0) {
    DiscardTemporaryFile(partial);
    reason = "the file cannot be written: " + FileErrorText(error);
    return false;
  }
  return true;
}

}  // namespace host::import
