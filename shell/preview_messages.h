// The entry point's messages for a host that shows drawings instead of
// writing files (host/api/preview_messages.h): the dialog's settings stored
// in a document, and one frame drawn in memory by the frame driver's stages
// with an export's job, its stop flag set by the host (shell/preview_frame.h,
// which keeps the last frame's capture for the next).
#pragma once

#include <cstdint>

class VexmarkDialog;

// Handles message `id` with its record; 2 for an ID this module does not know.
int32_t HandleModuleMessage(intptr_t id, void* record, VexmarkDialog* dialog);

// Releases what the previews keep between messages (at the module's end).
void ReleasePreviews();
