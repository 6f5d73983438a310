#include "host/import/assimp_import.h"

#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
#include <filesystem>
#include <limits>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "host/api/vexmark_ids.h"
#include "host/exact_time.h"
#include "host/file_names.h"
#include "host/import/animation_import.h"
#include "host/import/camera_import.h"
#include "host/import/guarded_files.h"
#include "host/import/handedness.h"
#include "host/import/material_import.h"
#include "host/import/mesh_import.h"
#include "host/import/triangle_budget.h"
#include "host/runtime.h"

namespace host::import {
namespace {

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  if (from.empty()) return;
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// Assimp's reason for refusing a file, as the rest of one error line that
// already names the file: on one line, without the path.
std::string FailureReason(const std::string& path, std::string message) {
  const std::string kind = "not a valid ." + Suffix(path) + " file";
  if (message.empty() || message.rfind("No suitable reader found", 0) == 0) {
    return kind + " (it may be damaged or cut short)";
  }
  for (char& c : message) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  ReplaceAll(message, "\"" + path + "\"", "the file");
  ReplaceAll(message, path, "the file");
  while (!message.empty() && (message.back() == ' ' || message.back() == '.')) message.pop_back();
  return kind + ": " + message;
}

double PictureAspect(const HostDocument& doc) {
  const int64_t* width = doc.renderSettings.Find<int64_t>(kRenderWidth);
  const int64_t* height = doc.renderSettings.Find<int64_t>(kRenderHeight);
  if (width == nullptr || height == nullptr || *width <= 0 || *height <= 0) return 4.0 / 3.0;
  return static_cast<double>(*width) / static_cast<double>(*height);
}

bool IsIdentity(const aiMatrix4x4& m) {
  return m.IsIdentity();
}

// Walks Assimp's node tree and builds the objects.
class NodeConverter {
 public:
  NodeConverter(const aiScene& source, HostDocument& doc, const GltfDetails* gltf,
                const std::string& scenePath, ImportReport& report)
      : source_(source),
        doc_(doc),
        gltf_(gltf),
        report_(report),
        materials_(source, doc.scene, scenePath, report) {
    for (unsigned i = 0; source.mCameras != nullptr && i < source.mNumCameras; ++i) {
      if (source.mCameras[i] != nullptr)
        cameraOfNode_.emplace(source.mCameras[i]->mName.C_Str(), i);
    }
  }

  // False when the file must be refused (the reason is in the report).
  bool Convert() {
    const aiNode* root = source_.mRootNode;
    std::vector<std::pair<const aiNode*, int32_t>> pending;  // node, parent object
    // A root that only groups the file's nodes adds nothing: its children
    // become the top-level objects.
    if (root->mNumMeshes == 0 && !IsCamera(*root) && IsIdentity(root->mTransformation)) {
      PushChildren(*root, kNoIndex, pending);
    } else {
      pending.emplace_back(root, kNoIndex);
    }
    while (!pending.empty()) {
      const auto [node, parent] = pending.back();
      pending.pop_back();
      const int32_t object = AddNode(*node, parent);
      if (object == kNoIndex) return false;
      PushChildren(*node, object, pending);
    }
    ReportDrops();
    LinkFirstCamera();
    return true;
  }

  const std::map<std::string, int32_t>& ObjectOfNode() const { return objectOfNode_; }

 private:
  bool IsCamera(const aiNode& node) const { return cameraOfNode_.count(node.mName.C_Str()) != 0; }

  static void PushChildren(const aiNode& node, int32_t parent,
                           std::vector<std::pair<const aiNode*, int32_t>>& pending) {
    if (node.mChildren == nullptr) return;
    for (unsigned i = node.mNumChildren; i > 0; --i) {
      if (node.mChildren[i - 1] != nullptr) pending.emplace_back(node.mChildren[i - 1], parent);
    }
  }

  int32_t AddNode(const aiNode& node, int32_t parent) {
    const std::string name = node.mName.C_Str();
    const Matrix local = Mirrored(node.mTransformation);
    if (!IsFinite(local)) {
      report_.Fail("node '" + name + "' has a transform that is not made of finite numbers");
      return kNoIndex;
    }
    const auto camera = cameraOfNode_.find(name);
    std::optional<ImportedCamera> imported;
    if (camera != cameraOfNode_.end()) imported = ConvertCameraOf(camera->second, node);

    int32_t type = kObjectNull;
    if (node.mNumMeshes > 0) {
      type = kObjectPolygon;
    } else if (imported && imported->frameIsNodeFrame) {
      type = kObjectCamera;
    }
    HostObject& object = AddObject(doc_.scene, parent, type, name);
    object.local = local;
    const int32_t index = object.index;
    objectOfNode_.emplace(name, index);

    if (type == kObjectPolygon && !AddGeometry(node, index)) return kNoIndex;
    if (imported) {
      if (type == kObjectCamera) {
        object.camera = imported->params;
        cameraObjects_.emplace(camera->second, index);
      } else {
        // The camera sits elsewhere than its node, or the node is a mesh:
        // the camera becomes a child at its own place.
        HostObject& child = AddObject(doc_.scene, index, kObjectCamera, name);
        child.local = imported->frame;
        child.camera = imported->params;
        cameraObjects_.emplace(camera->second, child.index);
      }
    }
    return index;
  }

  ImportedCamera ConvertCameraOf(unsigned cameraIndex, const aiNode& node) {
    const GltfCamera* gltf = gltf_ != nullptr && cameraIndex < gltf_->cameras.size()
                                 ? &gltf_->cameras[cameraIndex]
                                 : nullptr;
    const aiMatrix4x4& m = node.mTransformation;
    return ConvertCamera(*source_.mCameras[cameraIndex], gltf, aiVector3D(m.a4, m.b4, m.c4),
                         PictureAspect(doc_), report_);
  }

  bool AddGeometry(const aiNode& node, int32_t index) {
    NodeGeometry geometry;
    if (!ConvertNodeMeshes(source_, node, geometry, drops_)) {
      report_.Fail("node '" + std::string(node.mName.C_Str()) +
                   "' holds more points or polygons than an object can");
      return false;
    }
    HostObject& object = *doc_.scene.Object(index);
    object.points = std::move(geometry.points);
    object.polygons = std::move(geometry.polygons);
    materials_.AddTags(object, geometry.polygonMaterials);
    return true;
  }

  void ReportDrops() {
    if (drops_.nonFinitePolygons > 0) {
      report_.Warn("dropped " + std::to_string(drops_.nonFinitePolygons) +
                   " polygons with coordinates that are not finite numbers");
    }
    if (drops_.missingCornerPolygons > 0) {
      report_.Warn("dropped " + std::to_string(drops_.missingCornerPolygons) +
                   " polygons with corners that the mesh does not have");
    }
    if (drops_.degeneratePolygons > 0) {
      report_.Warn("dropped " + std::to_string(drops_.degeneratePolygons) +
                   " polygons with fewer than three distinct corners");
    }
    if (drops_.pointsAndLines > 0) {
      report_.Warn("left out " + std::to_string(drops_.pointsAndLines) +
                   " points and lines; only polygons are drawn");
    }
  }

  void LinkFirstCamera() {
    if (!cameraObjects_.empty()) doc_.scene.view.linkedCamera = cameraObjects_.begin()->second;
  }

  const aiScene& source_;
  HostDocument& doc_;
  const GltfDetails* gltf_;
  ImportReport& report_;
  MaterialImporter materials_;
  GeometryDrops drops_;
  std::map<std::string, unsigned> cameraOfNode_;  // node name to Assimp camera
  std::map<unsigned, int32_t> cameraObjects_;     // Assimp camera to its object
  std::map<std::string, int32_t> objectOfNode_;
};

void ApplyTiming(const AnimationTiming& timing, HostDocument& doc) {
  const int64_t fps = timing.fps;
  const HostTime start = ReduceTime({timing.firstFrame, fps});
  doc.settings.Set(kDocFps, fps);
  doc.settings.Set(kDocStartTime, start);
  doc.settings.Set(kDocTime, start);
  doc.renderSettings.Set(kRenderFrom, start);
  doc.renderSettings.Set(kRenderTo, ReduceTime({timing.lastFrame, fps}));
  doc.renderSettings.Set(kRenderFps, fps);
}

}  // namespace

bool AssimpReadsSuffix(const std::string& path) {
  const std::string suffix = Suffix(path);
  return !suffix.empty() && Assimp::Importer().IsExtensionSupported("." + suffix);
}

std::unique_ptr<HostDocument> ImportWithAssimp(const std::string& path, int64_t maxTriangles,
                                               ImportReport& report) {
  Assimp::Importer importer;
  // FBX pivots would otherwise become helper nodes that carry the animation.
  importer.SetPropertyBool(AI_CONFIG_IMPORT_FBX_PRESERVE_PIVOTS, false);
  FileAccessRecord access;
  importer.SetIOHandler(new GuardedFiles(access, path));
  // No post-processing: polygons stay as the file has them, and the
  // conversion checks every index itself rather than letting Assimp's
  // validation refuse files with harmless gaps (a mesh of points only).
  std::optional<GltfDetails> gltf;
  if (IsGltfFile(path)) {
    gltf = ReadGltfDetails(path);
    const std::string extension = gltf ? UnsupportedRequiredExtension(*gltf) : "";
    if (!extension.empty()) {
      report.Fail("the file requires the glTF extension " + extension +
                  ", which Vexmark cannot read");
      return nullptr;
    }
    if (gltf && gltf->nodeDepth > kMaxNodeDepth) {
      report.Fail("the node hierarchy is " + std::to_string(gltf->nodeDepth) +
                  " levels deep; Vexmark reads at most " + std::to_string(kMaxNodeDepth));
      return nullptr;
    }
  }
  const aiScene* source = importer.ReadFile(path, 0);
  // A companion refused fails the import, whatever the library made of its
  // absence: it may have been a buffer of the geometry.
  if (!access.outsideFiles.empty()) {
    report.Fail("the file refers to '" + access.outsideFiles.front() +
                "', which lies outside the scene's folder (scenes read only "
                "files in their own folder)");
    return nullptr;
  }
  if (!access.refusedFile.empty()) {
    report.Fail("the file refers to '" +
                std::filesystem::path(access.refusedFile).filename().string() +
                "', which is not a regular file");
    return nullptr;
  }
  if (access.overBudget) {
    report.Fail("the file seems damaged: the importer kept reading it over and over");
    return nullptr;
  }
  if (source == nullptr) {
    const std::string message = importer.GetErrorString();
    // The importer turns its own allocation failures into this text.
    if (message.find("bad_alloc") != std::string::npos) {
      report.FailForMemory();
    } else {
      report.Fail(FailureReason(path, message));
    }
    return nullptr;
  }
  // A scene Assimp marks incomplete may still hold meshes; whether it holds
  // polygons is checked with every other file.
  if (source->mRootNode == nullptr) {
    report.Fail("the file holds no scene");
    return nullptr;
  }
  const int64_t triangles = ExpandedTriangles(*source, maxTriangles);
  if (triangles > maxTriangles) {
    // The count stopped at the limit; the whole count says how far off the
    // scene is, and costs only a walk over the nodes.
    report.Fail(TooManyTriangles(
        ExpandedTriangles(*source, std::numeric_limits<int64_t>::max() / 2), maxTriangles));
    return nullptr;
  }

  if (IsGltfFile(path) && !gltf) {
    report.Warn("the glTF camera and interpolation details could not be read");
  }
  std::unique_ptr<HostDocument> doc(NewDocument());
  NodeConverter nodes(*source, *doc, gltf ? &*gltf : nullptr, path, report);
  if (!nodes.Convert()) return nullptr;

  const AnimationTiming timing =
      ImportAnimations(*source, nodes.ObjectOfNode(), gltf ? &*gltf : nullptr, doc->scene, report);
  if (timing.animated) ApplyTiming(timing, *doc);
  return doc;
}

}  // namespace host::import
