// Scaling and centring the picture on the sheet.
#include "plotter/paper_layout.h"

#include <algorithm>
#include <cmath>
#include <utility>

void LayOutOnPaper(Drawing& drawing, const PaperOptions& paper) {
  if (!paper.Active() || drawing.width <= 0 || drawing.height <= 0) return;
  double sheetWidth = std::round(paper.widthMm * kPointsPerMm);
  double sheetHeight = std::round(paper.heightMm * kPointsPerMm);
  const bool wide = drawing.width > drawing.height;
  const bool tall = drawing.width < drawing.height;
  if ((wide && sheetWidth < sheetHeight) || (tall && sheetWidth > sheetHeight))
    std::swap(sheetWidth, sheetHeight);
  double margin = std::max(paper.marginMm, 0.0) * kPointsPerMm;
  if (2.0 * margin >= std::min(sheetWidth, sheetHeight)) margin = 0.0;

  const double scale = std::min((sheetWidth - 2.0 * margin) / drawing.width,
                                (sheetHeight - 2.0 * margin) / drawing.height);
  const double left = (sheetWidth - scale * drawing.width) / 2.0;
  const double top = (sheetHeight - scale * drawing.height) / 2.0;
  for (int32_t p = 0; p < drawing.parts.Count(); ++p) {
    Stack<EpsPath>& paths = drawing.parts[p].paths;
    for (int32_t i = 0; i < paths.Count(); ++i) {
      Stack<Vector3d>& points = paths[i].points;
      for (int32_t k = 0; k < points.Count(); ++k) {
        points[k].x = left + scale * points[k].x;
        points[k].y = top + scale * points[k].y;
      }
    }
  }
  drawing.width = static_cast<int32_t>(sheetWidth);
  drawing.height = static_cast<int32_t>(sheetHeight);
  drawing.onPaper = true;
}
