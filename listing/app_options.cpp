#include "app_options.h"

#include <optional>
#include <variant>

#include "number_text.h"
#include "platform/settings_store.h"

OptionsRecord AppOptions;

namespace {

const NativeString kSection = NTEXT("Options");

std::optional<NativeString>& ApplicationOverride() {
  static std::optional<NativeString> name;
  return name;
}

// The ten keys, each with the field it stores, in the order they are loaded and saved.
struct OptionKey {
  const NativeChar* name;
  std::variant<NativeString OptionsRecord::*, bool OptionsRecord::*, std::int16_t OptionsRecord::*>
      field;
};
constexpr OptionKey kKeys[] = {
    {NTEXT("DefaultDir"), &OptionsRecord::DefaultDir},
    {NTEXT("DontBother"), &OptionsRecord::DontBother},
    {NTEXT("PrintDateTime"), &OptionsRecord::PrintDateTime},
    {NTEXT("PrintFileSize"), &OptionsRecord::PrintFileSize},
    {NTEXT("NoSpacesSeperate"), &OptionsRecord::NoSpacesSeperate},
    {NTEXT("MaxWidth"), &OptionsRecord::MaxWidth},
    {NTEXT("PrintStyle"), &OptionsRecord::PrintStyle},
    {NTEXT("PrintListType"), &OptionsRecord::PrintListType},
    {NTEXT("Registered"), &OptionsRecord::Registered},
    {NTEXT("UseDefaultDir"), &OptionsRecord::UseDefaultDir},
};

// A stored text converted to the field's type; nothing when it does not convert.
std::optional<NativeString> FromText(const NativeString& text, NativeString OptionsRecord::*) {
  return text;
}
std::optional<bool> FromText(const NativeString& text, bool OptionsRecord::*) {
  return BooleanFromText(text);
}
std::optional<std::int16_t> FromText(const NativeString& text, std::int16_t OptionsRecord::*) {
  return NumericTextToInt16(text);
}

NativeString ToText(const NativeString& value) { return value; }
NativeString ToText(bool value) { return value ? NTEXT("True") : NTEXT("False"); }
NativeString ToText(std::int16_t value) { return platform::DecimalText(value); }

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
  for (const OptionKey& key : kKeys) {
    std::visit(
        [&](auto field) {
          const auto text = platform::ReadSetting(OptionsApplicationName(), kSection, key.name);
          const auto value = text ? FromText(*text, field) : std::nullopt;
          AppOptions.*field = value.value_or(defaults.*field);
        },
        key.field);
  }
}

void SaveOptions() {
  for (const OptionKey& key : kKeys) {
    std::visit(
        [&](auto field) {
          platform::WriteSetting(OptionsApplicationName(), kSection, key.name,
                                 ToText(AppOptions.*field));
        },
        key.field);
  }
}

LayoutOptions LayoutOf(const OptionsRecord& record) {
  LayoutOptions layout;
  layout.PrintFileSize = record.PrintFileSize;
  layout.PrintDateTime = record.PrintDateTime;
  layout.NoSpacesSeperate = record.NoSpacesSeperate;
  layout.MaxWidth = record.MaxWidth;
  layout.PrintStyle = record.PrintStyle;
  return layout;
}
