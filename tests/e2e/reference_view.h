// An independent picture of a host document to hold the written drawings
// against: a brute-force ray caster. For every pixel centre it finds the
// nearest triangle along the camera ray and takes its material colour, flat,
// as a byte trunc(255 x c); it also knows where the projected edges run and
// which of their points a viewer sees. It shares nothing with the renderer
// but the host document and the camera model: the camera looks along its
// matrix's third axis, the focal scale is lens x width / film width (a
// parallel camera's picture spans 1 / zoom units across), and the page's y
// runs up.
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "export_support.h"
#include "host/document.h"
#include "host/matrix.h"

namespace e2e {

class ReferenceView {
 public:
  static constexpr Rgb kWhite{255, 255, 255};

  ReferenceView(const HostDocument& doc, int width, int height) : width_(width), height_(height) {
    const HostObject* camera = doc.scene.Object(doc.scene.view.linkedCamera);
    if (camera == nullptr || camera->type != kObjectCamera) camera = &doc.scene.view.camera;
    camera_ = host::GlobalMatrix(*camera);
    parallel_ = camera->camera.projection != kProjectionPerspective;
    focal_ = parallel_ ? camera->camera.zoom * width
                       : camera->camera.lens * width / camera->camera.filmWidth;
    CollectTriangles(doc.scene, doc.scene.firstObject, kVisibilityOn);
    BinTriangles();
    PaintPixels();
  }

  int Width() const { return width_; }
  int Height() const { return height_; }
  // The colour a viewer sees at pixel (x, y), row y from the top; white
  // where the ray meets nothing.
  Rgb Colour(int x, int y) const { return colours_[Index(x, y)]; }
  // Whether the seen colour is the same on every pixel within `reach`
  // pixels: false also where two polygons pierce each other, which no edge
  // marks.
  bool Uniform(int x, int y, int reach) const {
    for (int v = std::max(0, y - reach); v <= std::min(height_ - 1, y + reach); ++v)
      for (int u = std::max(0, x - reach); u <= std::min(width_ - 1, x + reach); ++u)
        if (colours_[Index(u, v)] != colours_[Index(x, y)]) return false;
    return true;
  }
  // Pixels from the pixel's centre to the nearest projected edge of any
  // triangle, and to the nearest point of an edge that the viewer sees.
  // The edge maps are measured on first use: scenes of very many triangles
  // are compared by colour alone.
  double EdgeDistance(int x, int y) const { return Edges().edgeDistance[Index(x, y)]; }
  double VisibleEdgeDistance(int x, int y) const {
    return Edges().visibleDistance[Index(x, y)];
  }
  // Points of edges that the viewer sees, in pixel coordinates.
  struct Sample {
    double u, v;
  };
  const std::vector<Sample>& VisibleEdgePoints() const { return Edges().visibleSamples; }
  size_t TriangleCount() const { return triangles_.size(); }

 private:
  struct Triangle {
    host::Vec3 a, b, c;  // camera space
    Rgb colour;
    // Whether each side (ab, bc, ca) is an edge of the polygon, not the
    // diagonal that splits a quadrangle.
    bool edge[3] = {true, true, true};
    // Where on the page the triangle may lie (everything when a corner is
    // not in front of the eye): lets most rays skip it at once.
    double uMin = -HUGE_VAL, uMax = HUGE_VAL, vMin = -HUGE_VAL, vMax = HUGE_VAL;
  };
  // How far around an edge the distance maps are filled.
  static constexpr int kReach = 4;
  // Rays look only at the triangles whose page box meets their bin, a square
  // of kBin pixels; the bins reach kBinMargin pixels beyond the page, and the
  // outermost ones hold everything farther out.
  static constexpr int kBin = 4;
  static constexpr int kBinMargin = 8;

  struct EdgeMaps {
    std::vector<double> edgeDistance;
    std::vector<double> visibleDistance;
    std::vector<Sample> visibleSamples;
  };

  size_t Index(int x, int y) const { return static_cast<size_t>(y) * width_ + x; }

  // World to camera space: solves p = off + x v1 + y v2 + z v3.
  host::Vec3 ToCamera(const host::Vec3& p) const {
    const host::Vec3 d = p - camera_.off;
    const host::Vec3& a = camera_.v1;
    const host::Vec3& b = camera_.v2;
    const host::Vec3& c = camera_.v3;
    const double det = host::Dot(a, host::Cross(b, c));
    return {host::Dot(d, host::Cross(b, c)) / det, host::Dot(a, host::Cross(d, c)) / det,
            host::Dot(a, host::Cross(b, d)) / det};
  }

  // The pixel position (column, row from the top) of a camera-space point.
  Sample Project(const host::Vec3& p) const {
    const double scale = parallel_ ? focal_ : focal_ / p.z;
    return {width_ / 2.0 + scale * p.x, height_ / 2.0 - scale * p.y};
  }

  static double Clamp01(double v) { return std::min(1.0, std::max(0.0, v)); }

  // The colour of the material that covers the object: its own texture tag
  // or its nearest ancestor's, colour plus luminance, each component held to
  // 0..1; grey without a material. Restricted materials are not modelled.
  static Rgb ObjectColour(const host::Scene& scene, const HostObject& object) {
    for (const HostObject* o = &object; o != nullptr; o = scene.Object(o->parent)) {
      for (auto tag = o->tags.rbegin(); tag != o->tags.rend(); ++tag) {
        if (tag->type != kTagTexture) continue;
        const std::string* restriction = tag->data.Find<std::string>(kTextureRestriction);
        EXPECT_TRUE(restriction == nullptr || restriction->empty())
            << "the reference knows one material per object";
        const HostMaterial* material = scene.Material(tag->material);
        if (material == nullptr) continue;
        double rgb[3] = {0, 0, 0};
        for (int32_t channel : {kChannelColour, kChannelLuminance}) {
          const host::MaterialChannel& c = material->channels[channel];
          if (!c.enabled) continue;
          const HostVector* colour = c.data.Find<HostVector>(kChannelColourKey);
          const double* brightness = c.data.Find<double>(kChannelBrightnessKey);
          if (colour == nullptr) continue;
          const double scale = brightness != nullptr ? *brightness : 1.0;
          rgb[0] += colour->x * scale;
          rgb[1] += colour->y * scale;
          rgb[2] += colour->z * scale;
        }
        Rgb bytes;
        for (int k = 0; k < 3; ++k) bytes[k] = static_cast<int>(255.0 * Clamp01(rgb[k]));
        return bytes;
      }
    }
    return {127, 127, 127};
  }

  // Every polygon object that is switched on, or undefined below one that
  // is, as triangles in camera space.
  void CollectTriangles(const host::Scene& scene, int32_t first, int32_t inherited) {
    for (const HostObject* o = scene.Object(first); o != nullptr;
         o = scene.Object(o->nextSibling)) {
      const int32_t state = o->visibility == kVisibilityUndefined ? inherited : o->visibility;
      if (state == kVisibilityOn && o->type == kObjectPolygon) {
        const host::Matrix global = host::GlobalMatrix(*o);
        const Rgb colour = ObjectColour(scene, *o);
        std::vector<host::Vec3> points;
        for (const HostVector& p : o->points)
          points.push_back(ToCamera(host::Transform(global, {p.x, p.y, p.z})));
        for (const HostPolygon& p : o->polygons) {
          const bool quadrangle = p.d != p.c;
          AddTriangle({points[p.a], points[p.b], points[p.c], colour, {true, true, !quadrangle}});
          if (quadrangle)
            AddTriangle({points[p.a], points[p.c], points[p.d], colour, {false, true, true}});
        }
      }
      CollectTriangles(scene, o->firstChild, state);
    }
  }

  void AddTriangle(Triangle t) {
    if (t.a.z > 0 && t.b.z > 0 && t.c.z > 0) {
      const Sample corners[3] = {Project(t.a), Project(t.b), Project(t.c)};
      t.uMin = t.vMin = HUGE_VAL;
      t.uMax = t.vMax = -HUGE_VAL;
      for (const Sample& s : corners) {
        t.uMin = std::min(t.uMin, s.u - 1e-6);
        t.uMax = std::max(t.uMax, s.u + 1e-6);
        t.vMin = std::min(t.vMin, s.v - 1e-6);
        t.vMax = std::max(t.vMax, s.v + 1e-6);
      }
    }
    triangles_.push_back(t);
  }

  // The depth of the nearest triangle that the ray from the eye through the
  // pixel position (u, v) meets, and that triangle; infinity and null when
  // none. The ray's direction has depth 1, so the distance along it is the
  // depth. A parallel camera's rays start on the camera plane and run along z.
  double Nearest(double u, double v, const Triangle** hit) const {
    const host::Vec3 across{(u - width_ / 2.0) / focal_, (height_ / 2.0 - v) / focal_, 0.0};
    const host::Vec3 origin = parallel_ ? across : host::Vec3{};
    const host::Vec3 d = parallel_ ? host::Vec3{0, 0, 1} : across + host::Vec3{0, 0, 1};
    double nearest = std::numeric_limits<double>::infinity();
    *hit = nullptr;
    for (const size_t index : bins_[BinIndex(BinColumn(u), BinRow(v))]) {
      const Triangle& t = triangles_[index];
      if (u < t.uMin || u > t.uMax || v < t.vMin || v > t.vMax) continue;
      const host::Vec3 e1 = t.b - t.a;
      const host::Vec3 e2 = t.c - t.a;
      const host::Vec3 p = host::Cross(d, e2);
      const double det = host::Dot(e1, p);
      if (std::fabs(det) < 1e-15) continue;
      const host::Vec3 s = origin - t.a;
      const double a = host::Dot(s, p) / det;
      if (a < 0 || a > 1) continue;
      const host::Vec3 q = host::Cross(s, e1);
      const double b = host::Dot(d, q) / det;
      if (b < 0 || a + b > 1) continue;
      const double depth = host::Dot(e2, q) / det;
      if (depth > 1e-9 && depth < nearest) {
        nearest = depth;
        *hit = &t;
      }
    }
    return nearest;
  }

  int BinColumns() const { return (width_ + 2 * kBinMargin) / kBin + 1; }
  int BinRows() const { return (height_ + 2 * kBinMargin) / kBin + 1; }
  int BinOf(double at, int count) const {
    const double bin = std::floor((at + kBinMargin) / kBin);
    return static_cast<int>(std::min<double>(count - 1, std::max(0.0, bin)));
  }
  int BinColumn(double u) const { return BinOf(u, BinColumns()); }
  int BinRow(double v) const { return BinOf(v, BinRows()); }
  size_t BinIndex(int column, int row) const {
    return static_cast<size_t>(row) * BinColumns() + column;
  }

  void BinTriangles() {
    bins_.assign(static_cast<size_t>(BinColumns()) * BinRows(), {});
    for (size_t i = 0; i < triangles_.size(); ++i) {
      const Triangle& t = triangles_[i];
      for (int row = BinRow(t.vMin); row <= BinRow(t.vMax); ++row)
        for (int column = BinColumn(t.uMin); column <= BinColumn(t.uMax); ++column)
          bins_[BinIndex(column, row)].push_back(i);
    }
  }

  void PaintPixels() {
    colours_.assign(static_cast<size_t>(width_) * height_, kWhite);
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        const Triangle* hit = nullptr;
        Nearest(x + 0.5, y + 0.5, &hit);
        if (hit != nullptr) colours_[Index(x, y)] = hit->colour;
      }
    }
  }

  // Lowers the distances around pixel position s to the distance from s.
  void Near(std::vector<double>& map, const Sample& s) const {
    const int x0 = std::max(0, static_cast<int>(std::floor(s.u)) - kReach);
    const int x1 = std::min(width_ - 1, static_cast<int>(std::floor(s.u)) + kReach);
    const int y0 = std::max(0, static_cast<int>(std::floor(s.v)) - kReach);
    const int y1 = std::min(height_ - 1, static_cast<int>(std::floor(s.v)) + kReach);
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        double& d = map[Index(x, y)];
        d = std::min(d, std::hypot(x + 0.5 - s.u, y + 0.5 - s.v));
      }
    }
  }

  // Walks every polygon edge, cut to the part in front of the eye, in steps of at
  // most 1/8 pixel on the page, and fills both distance maps; a point is
  // seen when no triangle lies nearer along its ray.
  const EdgeMaps& Edges() const {
    if (edges_.edgeDistance.empty()) MeasureEdges(edges_);
    return edges_;
  }

  void MeasureEdges(EdgeMaps& maps) const {
    const double far = std::numeric_limits<double>::infinity();
    maps.edgeDistance.assign(static_cast<size_t>(width_) * height_, far);
    maps.visibleDistance.assign(static_cast<size_t>(width_) * height_, far);
    constexpr double kNearDepth = 1e-3;
    for (const Triangle& t : triangles_) {
      const host::Vec3 corners[3] = {t.a, t.b, t.c};
      for (int k = 0; k < 3; ++k) {
        if (!t.edge[k]) continue;
        host::Vec3 p = corners[k];
        host::Vec3 q = corners[(k + 1) % 3];
        if (p.z < kNearDepth && q.z < kNearDepth) continue;
        if (p.z < kNearDepth) std::swap(p, q);
        if (q.z < kNearDepth) q = p + (q - p) * ((p.z - kNearDepth) / (p.z - q.z));
        const Sample a = Project(p);
        const Sample b = Project(q);
        const double length = std::hypot(b.u - a.u, b.v - a.v);
        const int steps = std::min(100000, static_cast<int>(std::ceil(length * 8)) + 1);
        for (int i = 0; i <= steps; ++i) {
          // Even steps along the edge in space; perspective bunches them
          // towards the far end, which only adds points.
          const host::Vec3 point = p + (q - p) * (static_cast<double>(i) / steps);
          const Sample s = Project(point);
          if (s.u < -kReach || s.v < -kReach || s.u > width_ + kReach || s.v > height_ + kReach)
            continue;
          Near(maps.edgeDistance, s);
          const Triangle* hit = nullptr;
          const double depth = Nearest(s.u, s.v, &hit);
          if (depth < point.z * (1 - 1e-6)) continue;
          Near(maps.visibleDistance, s);
          if (s.u >= 0 && s.v >= 0 && s.u <= width_ && s.v <= height_)
            maps.visibleSamples.push_back(s);
        }
      }
    }
  }

  int width_;
  int height_;
  host::Matrix camera_;
  bool parallel_ = false;
  double focal_ = 0;  // pixels per unit: at unit depth, or everywhere when parallel
  std::vector<Triangle> triangles_;
  std::vector<std::vector<size_t>> bins_;  // triangle numbers per bin
  std::vector<Rgb> colours_;
  mutable EdgeMaps edges_;
};

}  // namespace e2e
