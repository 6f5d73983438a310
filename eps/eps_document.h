// The EPS file of one frame as a whole: its name, the fixed header with the
// comment block and the setup, the body with the drawing's compound paths, and
// the trailer.
#pragma once

#include <cstdint>

#include "eps/eps_page.h"
#include "sdk/files.h"
#include "sdk/strings.h"

// The suffix of the kind of file that the chosen name asks for: "eps" (in
// any case) for a standalone EPS file that any PostScript interpreter draws;
// "svg", "pdf" or "png" (in any case) for the formats the host draws
// (eps/drawing_file.h); else "ai", the Illustrator-flavoured file that needs
// the application's own procedure sets.
String DrawingSuffix(const String& fileName);

// The file that frame `frame` (counted from 0 within the range) goes to: the
// chosen name for a one-frame range; otherwise the chosen name without its
// suffix with "-", the frame index and "." plus DrawingSuffix appended.
String EpsFileName(const EpsPage& page, int32_t frame);

// Writes the file of one frame: header, the drawing's compound paths,
// trailer. The file is written under a temporary name and put in place only
// when complete. Returns true when it was: false when the file could not be
// opened, a write or the close failed, or a user abort or a memory failure
// cut the writing short; no drawing is left behind then, and an older file
// of the same name is kept.
bool WriteEpsFile(const EpsPage& page, int32_t frame);

// Writes the contents of the file `fileName` (the final name, not the
// temporary one); `context` is what the caller of WritePageFile passed on.
using PageBody = void (*)(const EpsPage& page, HostFileWriter* file, const String& fileName,
                          const void* context);

// Writes the file of one frame (EpsFileName) through `body` under a
// temporary name, and puts it in place only when complete, as WriteEpsFile
// does.
bool WritePageFile(const EpsPage& page, int32_t frame, PageBody body,
                   const void* context = nullptr);

// Everything from the first line to "%%EndSetup". Returns 1.
int32_t WriteHeader(const EpsPage& page, HostFileWriter* file, const String& title);
// The comment block of the header, up to "%%EndComments".
int32_t WriteComments(const EpsPage& page, HostFileWriter* file, const String& title);
// The prolog section: empty for ".ai" files; a standalone file defines the
// operators of its body there. Returns 1.
int32_t WriteProlog(const EpsPage& page, HostFileWriter* file);
// The six trailer lines (seven in a standalone file, which closes its
// dictionary). Returns 1.
int32_t WriteTrailer(const EpsPage& page, HostFileWriter* file);
