// The process-wide options record and its persistence in the per-user settings store.
#pragma once

#include <cstdint>

#include "layout_options.h"
#include "platform/native_text.h"

struct OptionsRecord {
  bool UseDefaultDir = false;
  NativeString DefaultDir;
  bool PrintFileSize = false;
  bool PrintDateTime = false;
  std::int16_t NoSpacesSeperate = 0;
  std::int16_t MaxWidth = 0;
  std::int16_t PrintListType = 0;
  std::int16_t PrintStyle = 0;
  bool Registered = false;
  bool DontBother = false;
};

// Zero, False and empty at process start; the defaults come in through LoadOptions.
extern OptionsRecord AppOptions;

// The record as a first start with an empty store sees it.
OptionsRecord DefaultOptions();

// The fields of `record` that an entry's layout reads.
LayoutOptions LayoutOf(const OptionsRecord& record);

// Fills every field from the store. A key that is absent, or whose text does not convert to
// the field's type, gives the field's default: loading never fails.
void LoadOptions();

// Writes every field to the store. Throws platform::SystemError when the store refuses.
void SaveOptions();

// The settings store's application name: the executable's name without extension. Tests may
// point it elsewhere.
NativeString OptionsApplicationName();
void SetOptionsApplicationName(NativeString name);
