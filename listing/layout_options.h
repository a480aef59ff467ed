// The options an entry's layout reads: what a run is given of the options record, as a value,
// so that a change made meanwhile cannot mix two layouts in one file. LayoutOf
// (app_options.h) takes it from a record.
#pragma once

#include <cstdint>

struct LayoutOptions {
  bool PrintFileSize = false;
  bool PrintDateTime = false;
  std::int16_t NoSpacesSeperate = 0;
  std::int16_t MaxWidth = 0;
  std::int16_t PrintStyle = 0;
};
