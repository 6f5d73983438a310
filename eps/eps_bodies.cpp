// The EPS body: the drawing's compound paths.
#include "eps/eps_bodies.h"

#include "eps/eps_paint.h"

void WriteDrawingBody(const EpsPage& page, HostFileWriter* file) {
  const Stack<DrawingPart>& parts = page.drawing.parts;
  for (int32_t i = 0; i < parts.Count(); ++i) {
    if (PageAborted(page)) return;
    WritePathGroup(page, file, parts[i].paths, parts[i].paint);
  }
}
