// The captured object record and its polygon marks.
#include "capture/bsp_poly_obj.h"

bool PolygonSelection::Create(int32_t polygonCount) {
  marks_.Clear();
  exists_ = polygonCount <= 0 || marks_.SetCount(polygonCount) == 0;
  return exists_;
}

void PolygonSelection::Select(int32_t polygon) {
  if (polygon >= 0 && polygon < marks_.Count()) marks_[polygon] = 1;
}

bool PolygonSelection::IsSelected(int32_t polygon) const {
  return polygon >= 0 && polygon < marks_.Count() && marks_[polygon] != 0;
}

BSPPolyObj::BSPPolyObj(const ExportSettings& frameOptions, const LineStyle& style,
                       const MeshInput& input)
    : options(&frameOptions), lineStyle(style), mesh(input) {}

BSPPolyObj::~BSPPolyObj() {
  ReleasePolygons();
}

void BSPPolyObj::ReleasePolygons() {
  for (int32_t i = 0; i < polygons.Count(); ++i) HostDelete(polygons[i]);
  polygons.Clear();
}
