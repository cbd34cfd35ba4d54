#include "components/support/panels/kit_version_info.h"

#include <algorithm>
#include <cstring>

#include "platform/runtime/files.h"
#include "platform/runtime/version_info.h"

namespace kit {
namespace {

constexpr const char16_t* kNotAvailable = u"Value Not Available";
constexpr const char16_t* kKeys[10] = {u"CompanyName",      u"FileDescription", u"FileVersion", u"InternalName",
                                       u"LegalCopyright",   u"LegalTrademarks", u"OriginalFilename",
                                       u"ProductName",      u"ProductVersion",  u"Comments"};
constexpr const char16_t* kTokens[10] = {u"{CompanyName}",      u"{FileDescription}", u"{FileVersion}",
                                         u"{InternalName}",     u"{Copyright}",       u"{Trademarks}",
                                         u"{OriginalFilename}", u"{ProductName}",     u"{ProductVersion}",
                                         u"{Comments}"};

String Hex4(std::uint16_t v) { return rtl::LowerCase(rtl::IntToHex(v, 4)); }

// The version block of a file, empty when it has none.
std::string ReadBlock(const String& path) {
  std::uint32_t handle = 0;
  std::uint32_t size = rtl::GetFileVersionInfoSize(path, &handle);
  if (size == 0) return {};
  std::string block(size, '\0');
  if (!rtl::GetFileVersionInfo(path, handle, size, block.data())) return {};
  return block;
}

// "StringFileInfo\<language><code page>\" from the first translation entry;
// false when the block has no translation table.
bool KeyPrefix(const std::string& block, String& prefix) {
  const void* buf = nullptr;
  std::uint32_t len = 0;
  if (!rtl::VerQueryValue(block.data(), static_cast<std::uint32_t>(block.size()), u"\\VarFileInfo\\Translation",
                          &buf, &len) ||
      len < 4)
    return false;
  std::uint32_t entry = 0;
  std::memcpy(&entry, buf, 4);
  prefix = u"StringFileInfo\\" + Hex4(static_cast<std::uint16_t>(entry & 0xFFFF)) +
           Hex4(static_cast<std::uint16_t>(entry >> 16)) + u"\\";
  return true;
}

bool QueryText(const std::string& block, const String& key, String& value) {
  const void* buf = nullptr;
  std::uint32_t len = 0;
  if (!rtl::VerQueryValue(block.data(), static_cast<std::uint32_t>(block.size()), key, &buf, &len) || !buf)
    return false;
  // The value may sit at any byte offset of the block: copy, do not cast.
  String text(len, u'\0');
  if (len > 0) std::memcpy(text.data(), buf, len * sizeof(char16_t));
  if (auto nul = text.find(u'\0'); nul != String::npos) text.resize(nul);
  value = text;
  return true;
}

}  // namespace

const ui::TClassInfo& TKitVersionInfo::StaticClassInfo() {
  static const ui::TClassInfo info = ui::TClassBuilder<TKitVersionInfo>("TKitVersionInfo", &ui::TComponent::StaticClassInfo())
                                         .Str("FilePath", &TKitVersionInfo::FilePath, &TKitVersionInfo::SetFilePath)
                                         .Build();
  return info;
}

TKitVersionInfo::TKitVersionInfo(ui::TComponent* AOwner) : ui::TComponent(AOwner) {
  if (!Designing()) LoadVersionFields();
}

TKitVersionInfo::~TKitVersionInfo() {
  BeginDestroy();
  FStatusList.clear();
}

void TKitVersionInfo::Loaded() {
  ui::TComponent::Loaded();
  if (Designing()) return;
  LoadVersionFields();
  RefreshPanes();
}

void TKitVersionInfo::SetFilePath(const String& Value) {
  if (Value == FFilePath) return;
  FFilePath = Value;
  if (!Designing() && !IsLoading()) {
    LoadVersionFields();
    RefreshPanes();
  }
}

void TKitVersionInfo::LoadVersionFields() {
  if (FFilePath.empty()) FFilePath = rtl::ProgramFileName();
  std::string block = ReadBlock(FFilePath);
  FVersionInfoAvailable = !block.empty();
  std::array<String, 10> texts;
  FVersionNumbers = {};
  FModuleAttributes = {};
  if (FVersionInfoAvailable) {
    String prefix;
    if (KeyPrefix(block, prefix)) {
      for (int i = 0; i < 10; ++i) QueryText(block, prefix + kKeys[i], texts[i]);
    }
    const void* buf = nullptr;
    std::uint32_t len = 0;
    if (rtl::VerQueryValue(block.data(), static_cast<std::uint32_t>(block.size()), u"\\", &buf, &len) &&
        len >= sizeof(rtl::VS_FIXEDFILEINFO)) {
      rtl::VS_FIXEDFILEINFO fixed;
      std::memcpy(&fixed, buf, sizeof fixed);
      FVersionNumbers = {static_cast<std::uint16_t>(fixed.dwFileVersionMS >> 16),
                         static_cast<std::uint16_t>(fixed.dwFileVersionMS & 0xFFFF),
                         static_cast<std::uint16_t>(fixed.dwFileVersionLS >> 16),
                         static_cast<std::uint16_t>(fixed.dwFileVersionLS & 0xFFFF)};
      FModuleAttributes = {(fixed.dwFileFlags & rtl::VS_FF_DEBUG) != 0,
                           (fixed.dwFileFlags & rtl::VS_FF_PRERELEASE) != 0,
                           (fixed.dwFileFlags & rtl::VS_FF_PRIVATEBUILD) != 0,
                           (fixed.dwFileFlags & rtl::VS_FF_SPECIALBUILD) != 0};
    }
  } else {
    texts.fill(kNotAvailable);
  }
  FVersionInfo = texts;
}

String TKitVersionInfo::GetCustomKeyValue(const String& Key) const {
  std::string block = ReadBlock(FFilePath.empty() ? rtl::ProgramFileName() : FFilePath);
  String prefix, value;
  if (block.empty() || !KeyPrefix(block, prefix) || !QueryText(block, prefix + Key, value)) return kNotAvailable;
  return value;
}

rtl::TDateTime TKitVersionInfo::FileDateTime() const {
  rtl::TDateTime when = 0;
  return rtl::FileAge(rtl::ProgramFileName(), when) ? when : 0;
}

void TKitVersionInfo::AddStatus(TKitVersionInfoStatus* Pane) {
  if (Pane && std::find(FStatusList.begin(), FStatusList.end(), Pane) == FStatusList.end())
    FStatusList.push_back(Pane);
}

void TKitVersionInfo::RemoveStatus(TKitVersionInfoStatus* Pane) { std::erase(FStatusList, Pane); }

void TKitVersionInfo::RefreshPanes() {
  for (TKitVersionInfoStatus* pane : std::vector<TKitVersionInfoStatus*>(FStatusList)) pane->RefreshVersionPane();
}

// --- TKitVersionInfoStatus ------------------------------------------------------------------

const ui::TClassInfo& TKitVersionInfoStatus::StaticClassInfo() {
  using C = TKitVersionInfoStatus;
  static const ui::TClassInfo info =
      ui::TClassBuilder<C>("TKitVersionInfoStatus", &TKitCustomFieldStatus::StaticClassInfo())
          .Object("VersionInfo", "TKitVersionInfo", &C::VersionInfo, &C::SetVersionInfo)
          .Enum("Field", "TKitVersionInfoField",
                {"vifCompanyName", "vifFileDescription", "vifFileVersion", "vifInternalName", "vifCopyright",
                 "vifTrademarks", "vifOriginalFilename", "vifProductName", "vifProductVersion", "vifComments"},
                &C::Field, &C::SetField)
          .Build();
  return info;
}

TKitVersionInfoStatus::TKitVersionInfoStatus(ui::TComponent* AOwner) : TKitCustomFieldStatus(AOwner) {}

TKitVersionInfoStatus::~TKitVersionInfoStatus() {
  BeginDestroy();
  if (FVersionInfo) {
    FVersionInfo->RemoveStatus(this);
    FVersionInfo->RemoveFreeNotification(this);
    FVersionInfo = nullptr;
  }
}

void TKitVersionInfoStatus::SetVersionInfo(TKitVersionInfo* Value) {
  if (Value == FVersionInfo) return;
  if (FVersionInfo) {
    FVersionInfo->RemoveStatus(this);
    FVersionInfo->RemoveFreeNotification(this);
  }
  FVersionInfo = Value;
  if (Value) {
    Value->AddStatus(this);
    Value->FreeNotification(this);
    RefreshVersionPane();
  }
}

void TKitVersionInfoStatus::SetField(TKitVersionInfoField Value) {
  FField = Value;
  RefreshVersionPane();
}

void TKitVersionInfoStatus::RefreshVersionPane() {
  if (ComponentState().Contains(ui::csDesigning)) {
    SetText(kTokens[FField]);
    return;
  }
  if (FVersionInfo) SetText(FVersionInfo->Field(FField));
}

void TKitVersionInfoStatus::Notification(ui::TComponent* AComponent, ui::TOperation Operation) {
  TKitCustomFieldStatus::Notification(AComponent, Operation);
  // The pane keeps its last caption.
  if (Operation == ui::opRemove && AComponent == FVersionInfo) FVersionInfo = nullptr;
}

}  // namespace kit
