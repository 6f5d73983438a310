// Placing a page's segments on the page: a perspective or parallel
// projection from world space into page units (x right, y down from the top
// edge), keeping the camera depth in z.
#pragma once

#include <cstdint>

#include "core/geometry.h"
#include "core/job.h"
#include "core/stack.h"
#include "lines/line_group.h"

// Projects every segment end point of every polygon of every element in
// place. In perspective, points in front of the camera (z > 0) are divided
// by their depth and scaled by `zoom`; points at or behind it keep their
// unscaled x and y. In parallel projection every point is scaled by `zoom`.
void ProjectPage(Stack<LineGroup>& elements, const AffineMap& cameraFromWorld, float zoom,
                 bool perspective, int32_t width, int32_t height, ExportJob* job = nullptr);

// The projection of one point (exposed for the tests and the renderer).
Vector3d ProjectPoint(const Vector3d& p, const AffineMap& cameraFromWorld, float zoom,
                      bool perspective, int32_t width, int32_t height);
