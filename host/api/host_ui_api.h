// The host's user-interface services, reached through HostApi::ui: headless
// dialogs, registration of commands and tags, and bitmaps.
//
// Dialogs are headless: a layout resource declares the gadgets, the host
// keeps their values, and whoever drives the host (the program, a test) sets
// gadget values and sends commands the way a user's clicks would. The host
// calls a dialog's callbacks on the user-interface thread.
#pragma once

#include <cstdint>

#include "host_api.h"

extern "C" {

struct HostDialog;
struct HostBitmap;

// A dialog's operations, called by the host on the user-interface thread.
// `user` is the pointer given to dlgNew. Message containers may be null.
struct HostDialogCallbacks {
  int32_t (*createLayout)(void* user);
  int32_t (*initValues)(void* user);
  int32_t (*coreMessage)(void* user, int32_t id, const HostContainer* message);
  int32_t (*command)(void* user, int32_t id, const HostContainer* message);
  int32_t (*askClose)(void* user);  // true refuses to close
  void (*timer)(void* user, const HostContainer* message);
  int32_t (*message)(void* user, int32_t id, const HostContainer* message);
};

// Registration kinds.
constexpr int32_t kRegisterCommand = 7;
constexpr int32_t kRegisterTag = 10;

// The record a command registers with.
struct HostCommandRecord {
  HostString* help;
  HostBitmap* icon;
  int32_t (*execute)(HostDocument* doc);
  int32_t (*getState)(HostDocument* doc);
  int32_t (*restoreLayout)(void* layoutData);
  void* reserved[2];
};

// The record a tag registers with. `init` fills a new tag's settings;
// `edit` lets the user edit them (true when they changed).
struct HostTagRecord {
  HostString* help;
  HostBitmap* icon;
  void* reserved0;
  int32_t visible;  // 1: the tag shows in the host's tag menus
  int32_t (*init)(HostContainer* settings);
  int32_t (*edit)(HostContainer* settings);
  void* reserved[8];
  int32_t flags;
};

// Real gadget units: plain numbers, or an angle kept in radians and shown
// in degrees.
constexpr int32_t kUnitPlain = 0;
constexpr int32_t kUnitDegrees = 1;

// Button rows a group can be given.
constexpr int32_t kButtonRowCancel = 2;           // cancel (command 2)
constexpr int32_t kButtonRowExportCancel = 3;     // export (command 1) and cancel (command 2)

// dlgOpen's x and y when the host chooses the window's place.
constexpr int32_t kDialogDefaultPlace = -1;

struct HostUiApi {
  // Dialogs. Gadget accessors return false for a gadget the layout lacks.
  HostDialog* (*dlgNew)(const HostDialogCallbacks* callbacks, void* user);
  void (*dlgFree)(HostDialog* d);
  int32_t (*dlgLoadLayout)(HostDialog* d, const HostResource* resources, int32_t layoutId);
  // Opens the window (modal or not) under `id` at x, y (kDialogDefaultPlace:
  // where the host puts it).
  // A modal window returns once closed: 1 when confirmed with button 1, 0
  // when cancelled with button 2 or closed otherwise.
  int32_t (*dlgOpen)(HostDialog* d, int32_t modal, int32_t id, int32_t x, int32_t y);
  int32_t (*dlgClose)(HostDialog* d);
  int32_t (*dlgRestore)(HostDialog* d, int32_t id, void* layoutData);
  int32_t (*dlgIsOpen)(const HostDialog* d);
  int32_t (*dlgSetInt)(HostDialog* d, int32_t gadget, int32_t value, int32_t min, int32_t max,
                       int32_t step);
  int32_t (*dlgGetInt)(const HostDialog* d, int32_t gadget, int32_t* value);
  int32_t (*dlgSetReal)(HostDialog* d, int32_t gadget, double value, double min, double max,
                        double step, int32_t unit);
  int32_t (*dlgGetReal)(const HostDialog* d, int32_t gadget, double* value);
  int32_t (*dlgSetBool)(HostDialog* d, int32_t gadget, int32_t value);
  int32_t (*dlgGetBool)(const HostDialog* d, int32_t gadget, int32_t* value);
  int32_t (*dlgSetString)(HostDialog* d, int32_t gadget, const HostString* value);
  HostString* (*dlgGetString)(const HostDialog* d, int32_t gadget);  // null for no such gadget
  int32_t (*dlgSetColour)(HostDialog* d, int32_t gadget, HostVector colour, double brightness,
                          double maxBrightness);
  int32_t (*dlgGetColour)(const HostDialog* d, int32_t gadget, HostVector* colour,
                          double* brightness);
  int32_t (*dlgEnable)(HostDialog* d, int32_t gadget, int32_t enabled);
  int32_t (*dlgLayoutRequest)(HostDialog* d, int32_t gadget, int32_t request);
  int32_t (*dlgGroupFlush)(HostDialog* d, int32_t group);
  int32_t (*dlgAddButtonRow)(HostDialog* d, int32_t group, int32_t row);
  int32_t (*dlgLayoutChanged)(HostDialog* d, int32_t group);
  // Sends a gadget a message with the given ID (delivered to the dialog's
  // message callback).
  int32_t (*dlgSendMessage)(HostDialog* d, int32_t gadget, int32_t messageId);

  // Registration: the module's interface version, the kind, the plug-in ID,
  // the name, and the record with its size. False on failure.
  int32_t (*registerPlugin)(int32_t moduleVersion, int32_t kind, int32_t id, const HostString* name,
                            const void* record, int32_t recordSize);

  // Bitmaps.
  HostBitmap* (*bmpNew)();
  void (*bmpFree)(HostBitmap* b);
  int32_t (*bmpLoad)(HostBitmap* b, const HostString* path);  // TIFF files
};

}  // extern "C"
