// Module-side base classes of dialogs: GeDialog (non-modal windows) and
// GeModalDialog. The host calls the virtual operations on the user-interface
// thread; the accessors set and read the window's gadgets.
#pragma once

#include <cstdint>

#include "host/api/host_ui_api.h"
#include "sdk/container.h"
#include "sdk/strings.h"

class GeDialog {
 public:
  GeDialog();
  virtual ~GeDialog();
  GeDialog(const GeDialog&) = delete;
  GeDialog& operator=(const GeDialog&) = delete;

  // Operations the host calls, in this order of slots.
  virtual bool CreateLayout() { return true; }
  virtual bool InitValues() { return true; }
  virtual bool CoreMessage(int32_t id, const BaseContainer& message);
  virtual bool Command(int32_t id, const BaseContainer& message);
  virtual bool AskClose() { return false; }
  virtual void Timer(const BaseContainer& message);
  virtual bool Message(const BaseContainer& message);

  // Loads a dialog layout from the module's resources.
  bool LoadDialogResource(int32_t layoutId);
  bool Open(bool modal, int32_t id, int32_t x = kDialogDefaultPlace,
            int32_t y = kDialogDefaultPlace);
  bool Close();
  bool RestoreLayout(int32_t id, void* layoutData);
  bool IsOpen() const;

  bool SetInt(int32_t gadget, int32_t value, int32_t min = -2147483647, int32_t max = 2147483647,
              int32_t step = 1);
  bool GetInt(int32_t gadget, int32_t& value) const;
  bool SetReal(int32_t gadget, double value, double min, double max, double step);
  bool GetReal(int32_t gadget, double& value) const;
  // An angle in radians, shown in degrees; the bounds and step in degrees.
  bool SetDegree(int32_t gadget, double radians, double minDegrees, double maxDegrees,
                 double stepDegrees);
  bool SetBool(int32_t gadget, bool value);
  bool GetBool(int32_t gadget, bool& value) const;
  bool SetString(int32_t gadget, const String& value);
  bool GetString(int32_t gadget, String& value) const;
  bool SetColourField(int32_t gadget, const HostVector& colour, double brightness,
                      double maxBrightness);
  bool GetColourField(int32_t gadget, HostVector& colour, double& brightness) const;
  bool Enable(int32_t gadget, bool enabled);
  bool LayoutRequest(int32_t gadget, int32_t request);
  bool LayoutFlushGroup(int32_t group);
  bool AddDlgGroup(int32_t group, int32_t buttonRow);
  bool LayoutChanged(int32_t group);
  bool SendMessage(int32_t gadget, int32_t messageId);

  HostDialog* Handle() const { return handle_; }

 private:
  static const HostDialogCallbacks kCallbacks;
  HostDialog* handle_ = nullptr;
};

// A dialog that is opened modally: Open returns once the user closed it,
// true when the user confirmed (button 1), false when cancelled (button 2).
class GeModalDialog : public GeDialog {
 public:
  bool Open(int32_t x = kDialogDefaultPlace, int32_t y = kDialogDefaultPlace) {
    return GeDialog::Open(true, 0, x, y);
  }
};
