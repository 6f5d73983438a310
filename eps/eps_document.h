// The EPS file of one frame as a whole: its name, the fixed header with the
// comment block and the setup, the body chosen by the drawing style, and
// the trailer.
#pragma once

#include <cstdint>

#include "eps/eps_page.h"
#include "sdk/host_sdk.h"

// The file that frame `frame` (counted from 0 within the range) goes to: the
// chosen name for a one-frame range; otherwise the chosen name without its
// suffix with "-", the frame index and ".ai" appended.
String EpsFileName(const EpsPage& page, int32_t frame);

// Writes the file of one frame: header, the body of `style` (10034 to 10037;
// any other value writes none), trailer. Returns true when the file was
// written completely: false when the file could not be opened (nothing is
// written) or when a write or the close failed (the file is incomplete). A
// user abort or a memory failure ends the body early, but the file is still
// framed.
bool WriteEpsFile(EpsPage& page, int32_t style, int32_t frame);

// Everything from the first line to "%%EndSetup". Returns 1.
int32_t WriteHeader(const EpsPage& page, HostFileWriter* file, const String& title);
// The comment block of the header, up to "%%EndComments".
int32_t WriteComments(const EpsPage& page, HostFileWriter* file, const String& title);
// The prolog section is empty: writes nothing, returns 1.
int32_t WriteProlog(const EpsPage& page, HostFileWriter* file);
// The six trailer lines. Returns 1.
int32_t WriteTrailer(const EpsPage& page, HostFileWriter* file);
