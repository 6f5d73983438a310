// The EPS file of one page as a whole: the fixed header with the comment
// block and the setup, the body with the drawing's compound paths, and the
// trailer. Its name and the file it goes to are the output stage's
// (output/frame_file.h).
#pragma once

#include <cstdint>

#include "eps/eps_page.h"
#include "sdk/files.h"
#include "sdk/strings.h"

// Writes the EPS file of one page into `file`: header (with `title`), the
// drawing's compound paths, trailer. A stop request ends the body early and
// the file is still framed; the output stage then does not put it in place.
void WriteEpsDocument(const EpsPage& page, HostFileWriter* file, const String& title);

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
