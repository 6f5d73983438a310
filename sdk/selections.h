// Sets of polygon (or other) indices held by the host.
#pragma once

#include <cstdint>

#include "host/api/host_scene_api.h"

// Created empty by Create(); a selection whose creation failed is not
// Valid() and holds nothing. Copies are independent.
class Selection {
 public:
  Selection() = default;
  Selection(const Selection& other);
  Selection(Selection&& other) noexcept;
  Selection& operator=(const Selection& other);
  Selection& operator=(Selection&& other) noexcept;
  ~Selection();

  bool Create();  // false when the host had no memory
  bool Valid() const { return handle_ != nullptr; }
  bool Select(int32_t index);
  void DeselectAll();
  bool IsSelected(int32_t index) const;
  int32_t Count() const;
  // Replaces the contents with a copy of `source` (e.g. a tag's selection).
  bool CopyFrom(const HostSelection* source);
  const HostSelection* Handle() const { return handle_; }

 private:
  HostSelection* handle_ = nullptr;
};
