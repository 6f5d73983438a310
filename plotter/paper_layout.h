// The picture laid out on a sheet of paper: the page becomes the sheet (in
// whole points), turned to landscape when the picture is wider than tall and
// to portrait when it is taller than wide, and the picture is scaled
// uniformly to the largest size that fits inside the margins, centred. Line
// widths stay as they are: a pen draws the same line at any scale.
#pragma once

#include "core/export_settings.h"
#include "host/api/vexmark_ids.h"
#include "lines/drawing.h"

// Does nothing when `paper` names no sheet or the drawing has no size.
// Margins that leave no room on the sheet are taken as none.
void LayOutOnPaper(Drawing& drawing, const PaperOptions& paper);
