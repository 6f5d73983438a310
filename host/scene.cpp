#include "host/scene.h"

#include <utility>

namespace host {
namespace {

template <class T>
std::vector<std::unique_ptr<T>> DeepCopy(const std::vector<std::unique_ptr<T>>& items) {
  std::vector<std::unique_ptr<T>> copy;
  copy.reserve(items.size());
  for (const auto& item : items) copy.push_back(std::make_unique<T>(*item));
  return copy;
}

void BindObject(HostObject& object, Scene* scene) {
  object.scene = scene;
  for (HostTag& tag : object.tags) tag.owner = &object;
}

}  // namespace

Scene::Scene() {
  Rebind();
}

Scene::Scene(const Scene& other)
    : objects(DeepCopy(other.objects)),
      materials(DeepCopy(other.materials)),
      firstObject(other.firstObject),
      view(other.view) {
  Rebind();
}

Scene& Scene::operator=(const Scene& other) {
  if (this != &other) {
    objects = DeepCopy(other.objects);
    materials = DeepCopy(other.materials);
    firstObject = other.firstObject;
    view = other.view;
    Rebind();
  }
  return *this;
}

Scene::Scene(Scene&& other) noexcept
    : objects(std::move(other.objects)),
      materials(std::move(other.materials)),
      firstObject(other.firstObject),
      view(std::move(other.view)) {
  Rebind();
}

Scene& Scene::operator=(Scene&& other) noexcept {
  if (this != &other) {
    objects = std::move(other.objects);
    materials = std::move(other.materials);
    firstObject = other.firstObject;
    view = std::move(other.view);
    Rebind();
  }
  return *this;
}

Scene::~Scene() = default;

void Scene::Rebind() {
  for (auto& object : objects) BindObject(*object, this);
  BindObject(view.camera, this);
}

HostObject* Scene::Object(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= objects.size()) return nullptr;
  return objects[static_cast<size_t>(index)].get();
}

HostMaterial* Scene::Material(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= materials.size()) return nullptr;
  return materials[static_cast<size_t>(index)].get();
}

HostObject& AddObject(Scene& scene, int32_t parent, int32_t type, std::string name) {
  auto object = std::make_unique<HostObject>();
  object->scene = &scene;
  object->index = static_cast<int32_t>(scene.objects.size());
  object->parent = scene.Object(parent) != nullptr ? parent : kNoIndex;
  object->type = type;
  object->name = std::move(name);

  int32_t* link =
      object->parent == kNoIndex ? &scene.firstObject : &scene.Object(object->parent)->firstChild;
  // The child appended last is still the last one when it has the same
  // parent and nothing after it: the chain ends at the one child without a
  // next sibling.
  const auto hint = scene.lastChildHint.find(object->parent);
  if (hint != scene.lastChildHint.end()) {
    HostObject* last = scene.Object(hint->second);
    if (last != nullptr && last->parent == object->parent && last->nextSibling == kNoIndex)
      link = &last->nextSibling;
  }
  while (*link != kNoIndex) link = &scene.Object(*link)->nextSibling;
  *link = object->index;
  scene.lastChildHint[object->parent] = object->index;

  scene.objects.push_back(std::move(object));
  return *scene.objects.back();
}

int32_t AddMaterial(Scene& scene, HostMaterial material) {
  scene.materials.push_back(std::make_unique<HostMaterial>(std::move(material)));
  return static_cast<int32_t>(scene.materials.size()) - 1;
}

HostTag& AddTag(HostObject& object, HostTag tag) {
  object.tags.push_back(std::move(tag));
  // Growing the vector moved the earlier tags; their owner stays the object.
  for (HostTag& t : object.tags) t.owner = &object;
  return object.tags.back();
}

HostTag TextureTag(int32_t material, const std::string& restriction) {
  HostTag tag;
  tag.type = kTagTexture;
  tag.material = material;
  tag.data.Set(kTextureRestriction, restriction);
  return tag;
}

HostTag SelectionTag(const std::string& name, std::set<int32_t> polygons) {
  HostTag tag;
  tag.type = kTagPolygonSelection;
  tag.name = name;
  tag.data.Set(kSelectionNameKey, name);
  tag.selection.indices = std::move(polygons);
  return tag;
}

HostTag PluginTag(int32_t pluginId, HostContainer settings) {
  HostTag tag;
  tag.type = kTagPlugin;
  tag.pluginId = pluginId;
  tag.data = std::move(settings);
  return tag;
}

void SetChannel(HostMaterial& material, int32_t channel, HostVector colour, double brightness) {
  if (channel < 0 || channel >= kMaterialChannels) return;
  MaterialChannel& target = material.channels[static_cast<size_t>(channel)];
  target.enabled = true;
  target.data.Set(kChannelColourKey, colour);
  target.data.Set(kChannelBrightnessKey, brightness);
}

Matrix GlobalMatrix(const HostObject& object) {
  Matrix global = object.local;
  const Scene* scene = object.scene;
  if (scene == nullptr) return global;
  // The walk is bounded by the object count, so a damaged parent chain
  // cannot loop.
  const HostObject* parent = scene->Object(object.parent);
  for (size_t steps = 0; parent != nullptr && steps < scene->objects.size(); ++steps) {
    global = parent->local * global;
    parent = scene->Object(parent->parent);
  }
  return global;
}

void AnimateScene(Scene& scene, double seconds) {
  for (auto& object : scene.objects) {
    if (!object->tracks.Empty()) {
      object->local = AnimatedMatrix(object->tracks, object->local, seconds);
    }
  }
}

}  // namespace host
