// The version information of an executable (by default the running
// program) as ten texts and a few numbers, and a status pane that shows one
// of those texts after its label.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/runtime/datetime.h"
#include "components/support/panels/kit_status_pane.h"

namespace kit {

enum TKitVersionInfoField {
  vifCompanyName, vifFileDescription, vifFileVersion, vifInternalName, vifCopyright, vifTrademarks,
  vifOriginalFilename, vifProductName, vifProductVersion, vifComments
};

class TKitVersionInfoStatus;

class TKitVersionInfo : public ui::TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TKitVersionInfo(ui::TComponent* AOwner);
  ~TKitVersionInfo() override;

  const String& FilePath() const { return FFilePath; }
  void SetFilePath(const String& Value);

  bool VersionInfoAvailable() const { return FVersionInfoAvailable; }
  // The text of a field ("Value Not Available" without version information).
  String Field(TKitVersionInfoField F) const { return FVersionInfo[F]; }
  String CompanyName() const { return Field(vifCompanyName); }
  String FileDescription() const { return Field(vifFileDescription); }
  String FileVersion() const { return Field(vifFileVersion); }
  String InternalName() const { return Field(vifInternalName); }
  String Copyright() const { return Field(vifCopyright); }
  String Trademarks() const { return Field(vifTrademarks); }
  String OriginalFilename() const { return Field(vifOriginalFilename); }
  String ProductName() const { return Field(vifProductName); }
  String ProductVersion() const { return Field(vifProductVersion); }
  String Comments() const { return Field(vifComments); }
  std::uint16_t MajorVersion() const { return FVersionNumbers[0]; }
  std::uint16_t MinorVersion() const { return FVersionNumbers[1]; }
  std::uint16_t Release() const { return FVersionNumbers[2]; }
  std::uint16_t Build() const { return FVersionNumbers[3]; }
  bool DebugBuild() const { return FModuleAttributes[0]; }
  bool PreRelease() const { return FModuleAttributes[1]; }
  bool PrivateBuild() const { return FModuleAttributes[2]; }
  bool SpecialBuild() const { return FModuleAttributes[3]; }
  // Last change of the program file; 0 when it cannot be read.
  rtl::TDateTime FileDateTime() const;

  void LoadVersionFields();
  // Any string entry of the version information, or "Value Not Available".
  String GetCustomKeyValue(const String& Key) const;
  void AddStatus(TKitVersionInfoStatus* Pane);
  void RemoveStatus(TKitVersionInfoStatus* Pane);

 protected:
  void Loaded() override;

 private:
  void RefreshPanes();
  bool Designing() const { return ComponentState().Contains(ui::csDesigning); }

  String FFilePath;
  std::array<String, 10> FVersionInfo;
  bool FVersionInfoAvailable = false;
  std::vector<TKitVersionInfoStatus*> FStatusList;
  std::array<std::uint16_t, 4> FVersionNumbers{};
  std::array<bool, 4> FModuleAttributes{};
};

class TKitVersionInfoStatus : public TKitCustomFieldStatus {
  JQ_UI_CLASSINFO
 public:
  explicit TKitVersionInfoStatus(ui::TComponent* AOwner);
  ~TKitVersionInfoStatus() override;

  TKitVersionInfo* VersionInfo() const { return FVersionInfo; }
  void SetVersionInfo(TKitVersionInfo* Value);
  TKitVersionInfoField Field() const { return FField; }
  void SetField(TKitVersionInfoField Value);
  void RefreshVersionPane();

 protected:
  void Notification(ui::TComponent* AComponent, ui::TOperation Operation) override;

 private:
  TKitVersionInfo* FVersionInfo = nullptr;
  TKitVersionInfoField FField = vifProductVersion;
};

}  // namespace kit
