// The scene of a host document: an object tree (polygon objects, cameras,
// groups) with local matrices, points, polygons, tags and keyframe tracks;
// the document's materials; and the view with its own camera and the scene
// camera linked to it.
//
// Objects live in one vector and refer to each other by index (parent, first
// child, next sibling), so a scene copies deeply with a plain copy. Objects
// and tags keep a back reference to their scene (for the tree walk and a
// texture tag's material); the scene's copy and move rebind them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/animation.h"
#include "host/api/host_scene_api.h"
#include "host/container.h"
#include "host/matrix.h"

struct HostSelection {
  std::set<int32_t> indices;
};

namespace host {

struct Scene;

inline constexpr int32_t kNoIndex = -1;
inline constexpr double kDefaultFilmWidth = 36.0;  // millimetres
inline constexpr double kDefaultLens = 36.0;

struct CameraParams {
  int32_t projection = kProjectionPerspective;
  double lens = kDefaultLens;
  double filmWidth = kDefaultFilmWidth;
  double zoom = 1.0;
};

struct MaterialChannel {
  bool enabled = false;
  HostContainer data;  // colour 1000, brightness 1001, ...
};

}  // namespace host

struct HostMaterial {
  int32_t type = kMaterialStandard;
  std::string name;
  HostContainer data;  // the material's own settings
  std::array<host::MaterialChannel, kMaterialChannels> channels;
};

struct HostTag {
  const HostObject* owner = nullptr;  // the object holding the tag
  int32_t type = 0;
  std::string name;
  HostContainer data;                 // the tag's settings
  int32_t material = host::kNoIndex;  // texture tags: index into the scene's materials
  HostSelection selection;            // polygon-selection tags
  int32_t pluginId = 0;               // plug-in tags
};

struct HostObject {
  host::Scene* scene = nullptr;
  int32_t index = host::kNoIndex;  // position in the scene's objects
  int32_t parent = host::kNoIndex;
  int32_t firstChild = host::kNoIndex;
  int32_t nextSibling = host::kNoIndex;

  int32_t type = kObjectNull;
  std::string name;
  int32_t visibility = kVisibilityUndefined;
  host::Matrix local;  // relative to the parent
  std::vector<HostVector> points;
  std::vector<HostPolygon> polygons;
  std::vector<HostTag> tags;
  host::CameraParams camera;  // camera objects
  host::ObjectTracks tracks;  // animation of `local`
};

namespace host {

// The editor view of a document: its own camera, and the scene camera
// linked to it (an object index) when there is one.
struct View {
  View() { camera.type = kObjectCamera; }
  int32_t linkedCamera = kNoIndex;
  HostObject camera;
};

struct Scene {
  std::vector<std::unique_ptr<HostObject>> objects;
  std::vector<std::unique_ptr<HostMaterial>> materials;
  int32_t firstObject = kNoIndex;
  View view;
  // Per parent (kNoIndex: the top level), the child AddObject appended last,
  // so that appending many siblings does not walk their chain each time.
  // Only a hint: checked before use, and not copied.
  std::unordered_map<int32_t, int32_t> lastChildHint;

  Scene();
  Scene(const Scene& other);
  Scene& operator=(const Scene& other);
  Scene(Scene&& other) noexcept;
  Scene& operator=(Scene&& other) noexcept;
  ~Scene();

  HostObject* Object(int32_t index) const;  // null out of range
  HostMaterial* Material(int32_t index) const;

 private:
  void Rebind();
};

// Appends an object as the last child of `parent` (kNoIndex: the last
// object at the top level).
HostObject& AddObject(Scene& scene, int32_t parent, int32_t type, std::string name);
int32_t AddMaterial(Scene& scene, HostMaterial material);  // returns its index
HostTag& AddTag(HostObject& object, HostTag tag);

HostTag TextureTag(int32_t material, const std::string& restriction);
// The selection's name is both the tag's name and its settings string 1000,
// so that hosts of every API version find it.
HostTag SelectionTag(const std::string& name, std::set<int32_t> polygons);
HostTag PluginTag(int32_t pluginId, HostContainer settings);
// Enables a channel with a colour and a brightness.
void SetChannel(HostMaterial& material, int32_t channel, HostVector colour, double brightness);

// The object's matrix in world space.
Matrix GlobalMatrix(const HostObject& object);
// Sets every animated object's local matrix to its tracks at `seconds`.
void AnimateScene(Scene& scene, double seconds);

}  // namespace host
