// Host bitmaps: the icons of the module's command and tag.
#pragma once

#include "host/api/host_ui_api.h"
#include "sdk/strings.h"

using BaseBitmap = HostBitmap;
BaseBitmap* AllocBitmap();
void FreeBitmap(BaseBitmap* bitmap);
bool LoadBitmap(BaseBitmap* bitmap, const String& path);  // TIFF files
