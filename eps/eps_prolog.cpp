#include "eps/eps_prolog.h"

#include "eps/eps_line.h"

namespace {

// A compound path (*u ... *U) collects its paths and paints them together
// when it ends, so that holes follow the fill rule; a path outside one is
// painted at once. Everything lives in a dictionary of its own, so that a
// document that places the file keeps its own definitions.
constexpr const char* kProlog[] = {
    "/Vexmark_Standalone 40 dict def",
    "Vexmark_Standalone begin",
    "/Adobe_level2_AI5 2 dict dup begin /initialize {} def /terminate {} def end def",
    "/Adobe_Illustrator_AI5 2 dict dup begin /initialize {} def /terminate {} def end def",
    "/annotatepage {} def",
    "/vx_fill [0 0 0] def",
    "/vx_stroke [0 0 0] def",
    "/vx_evenodd false def",
    "/vx_compound false def",
    "/vx_paint 0 def",
    "/vx_flush {",
    "  vx_paint 1 and 0 ne {",
    "    gsave vx_fill aload pop setrgbcolor vx_evenodd { eofill } { fill } ifelse grestore",
    "  } if",
    "  vx_paint 2 and 0 ne { gsave vx_stroke aload pop setrgbcolor stroke grestore } if",
    "  newpath /vx_paint 0 def",
    "} bind def",
    "/vx_painted { vx_paint or /vx_paint exch def vx_compound not { vx_flush } if } bind def",
    "/*u { /vx_compound true def /vx_paint 0 def newpath } bind def",
    "/*U { /vx_compound false def vx_flush } bind def",
    "/XR { 1 eq /vx_evenodd exch def } bind def",
    "/d { setdash } bind def",
    "/Xa { 3 array astore /vx_fill exch def } bind def",
    "/XA { 3 array astore /vx_stroke exch def } bind def",
    "/w { setlinewidth } bind def",
    "/m { moveto } bind def",
    "/l { lineto } bind def",
    "/f { closepath 1 vx_painted } bind def",
    "/b { closepath 3 vx_painted } bind def",
    "/S { 2 vx_painted } bind def",
    "end",
};

}  // namespace

int32_t WriteStandaloneProlog(HostFileWriter* file) {
  int32_t written = 1;
  for (const char* line : kProlog) written &= WriteLine(file, line, true);
  return written;
}
