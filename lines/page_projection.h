// Placing a page's segments on the page: a perspective projection from world
// space into page units (x right, y down from the top edge), keeping the
// camera depth in z.
#pragma once

#include <cstdint>

#include "core/job.h"
#include "core/stack.h"
#include "lines/line_group.h"
#include "core/vec3.h"

// The world-to-camera transform: a point p maps to
// offset + p.x * v1 + p.y * v2 + p.z * v3.
struct CameraMatrix {
  Vec3 offset;
  Vec3 v1{1, 0, 0};
  Vec3 v2{0, 1, 0};
  Vec3 v3{0, 0, 1};
};

// Projects every segment end point of every polygon of every element in
// place. Points in front of the camera (z > 0) are divided by their depth
// and scaled by `zoom`; points at or behind it keep their unscaled x and y.
void ProjectPage(Stack<LineGroup>& elements, const CameraMatrix& camera, float zoom, int32_t width,
                 int32_t height, ExportJob* job = nullptr);

// The projection of one point (exposed for the tests and the renderer).
Vec3 ProjectPoint(const Vec3& p, const CameraMatrix& camera, float zoom, int32_t width,
                  int32_t height);
