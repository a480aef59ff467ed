#include "app_options.h"

#include <optional>

#include "number_text.h"
#include "platform/settings_store.h"

OptionsRecord AppOptions;

namespace {

const NativeString kSection = NTEXT("Options");

std::optional<NativeString>& ApplicationOverride() {
  static std::optional<NativeString> name;
  return name;
}

std::optional<NativeString> Read(const NativeChar* key) {
  return platform::ReadSetting(OptionsApplicationName(), kSection, key);
}

void LoadText(const NativeChar* key, NativeString& field, const NativeString& fallback) {
  field = Read(key).value_or(fallback);
}

void LoadBoolean(const NativeChar* key, bool& field, bool fallback) {
  const auto text = Read(key);
  const auto value = text ? BooleanFromText(*text) : std::nullopt;
  field = value.value_or(fallback);
}

void LoadInteger(const NativeChar* key, std::int16_t& field, std::int16_t fallback) {
  const auto text = Read(key);
  const auto value = text ? NumericTextToInt16(*text) : std::nullopt;
  field = value.value_or(fallback);
}

NativeString BooleanText(bool value) { return value ? NTEXT("True") : NTEXT("False"); }

void Save(const NativeChar* key, const NativeString& text) {
  platform::WriteSetting(OptionsApplicationName(), kSection, key, text);
}

}  // namespace

OptionsRecord DefaultOptions() {
  OptionsRecord defaults;
  defaults.NoSpacesSeperate = 10;
  defaults.MaxWidth = 80;
  defaults.PrintListType = 2;
  defaults.PrintStyle = 2;
  return defaults;
}

NativeString OptionsApplicationName() {
  const auto& name = ApplicationOverride();
  return name ? *name : platform::ExecutableName();
}

void SetOptionsApplicationName(NativeString name) { ApplicationOverride() = std::move(name); }

void LoadOptions() {
  const OptionsRecord defaults = DefaultOptions();
  OptionsRecord& o = AppOptions;
  LoadText(NTEXT("DefaultDir"), o.DefaultDir, defaults.DefaultDir);
  LoadBoolean(NTEXT("DontBother"), o.DontBother, defaults.DontBother);
  LoadBoolean(NTEXT("PrintDateTime"), o.PrintDateTime, defaults.PrintDateTime);
  LoadBoolean(NTEXT("PrintFileSize"), o.PrintFileSize, defaults.PrintFileSize);
  LoadInteger(NTEXT("NoSpacesSeperate"), o.NoSpacesSeperate, defaults.NoSpacesSeperate);
  LoadInteger(NTEXT("MaxWidth"), o.MaxWidth, defaults.MaxWidth);
  LoadInteger(NTEXT("PrintStyle"), o.PrintStyle, defaults.PrintStyle);
  LoadInteger(NTEXT("PrintListType"), o.PrintListType, defaults.PrintListType);
  LoadBoolean(NTEXT("Registered"), o.Registered, defaults.Registered);
  LoadBoolean(NTEXT("UseDefaultDir"), o.UseDefaultDir, defaults.UseDefaultDir);
}

void SaveOptions() {
  const OptionsRecord& o = AppOptions;
  Save(NTEXT("DefaultDir"), o.DefaultDir);
  Save(NTEXT("DontBother"), BooleanText(o.DontBother));
  Save(NTEXT("PrintDateTime"), BooleanText(o.PrintDateTime));
  Save(NTEXT("PrintFileSize"), BooleanText(o.PrintFileSize));
  Save(NTEXT("NoSpacesSeperate"), platform::DecimalText(o.NoSpacesSeperate));
  Save(NTEXT("MaxWidth"), platform::DecimalText(o.MaxWidth));
  Save(NTEXT("PrintStyle"), platform::DecimalText(o.PrintStyle));
  Save(NTEXT("PrintListType"), platform::DecimalText(o.PrintListType));
  Save(NTEXT("Registered"), BooleanText(o.Registered));
  Save(NTEXT("UseDefaultDir"), BooleanText(o.UseDefaultDir));
}
