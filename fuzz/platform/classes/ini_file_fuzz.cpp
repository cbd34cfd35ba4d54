// Ini files through both ini classes: the profile kind, which reads the file
// at every call and rewrites single lines, and the in-memory kind, which
// loads and saves the whole file. Whatever the file holds, every read ends,
// and a value written reads back.
#include <algorithm>
#include <utility>
#include <cstddef>
#include <cstdint>

#include "fuzz/support/fuzz_support.h"
#include "platform/classes/ini_files.h"
#include "platform/runtime/exceptions.h"
#include "platform/runtime/files.h"
#include "platform/runtime/streams.h"

namespace {

// A value already read, served to the typed reads. They all read through
// ReadString and convert what it gives; the profile kind reads the whole file
// for each, so its value is read from the file once and converted from here.
class TOneValue : public rtl::TCustomIniFile {
 public:
  explicit TOneValue(rtl::String value) : rtl::TCustomIniFile(rtl::String()), value_(std::move(value)) {}
  rtl::String ReadString(const rtl::String&, const rtl::String&, const rtl::String&) override { return value_; }
  void WriteString(const rtl::String&, const rtl::String&, const rtl::String&) override {}
  void ReadSection(const rtl::String&, ui::TStrings&) override {}
  void ReadSections(ui::TStrings&) override {}
  void ReadSectionValues(const rtl::String&, ui::TStrings&) override {}
  void EraseSection(const rtl::String&) override {}
  void DeleteKey(const rtl::String&, const rtl::String&) override {}
  void UpdateFile() override {}

 private:
  rtl::String value_;
};

void TypedReads(rtl::TCustomIniFile& ini, const rtl::String& section, const rtl::String& key) {
  ini.ReadInteger(section, key, 0);
  ini.ReadBool(section, key, false);
  ini.ReadFloat(section, key, 0);
  ini.ReadDate(section, key, 0);
  ini.ReadTime(section, key, 0);
  ini.ReadDateTime(section, key, 0);
  rtl::TMemoryStream binary;
  ini.ReadBinaryStream(section, key, binary);
}

// Every read the classes offer, over the first `limit` sections and keys of
// each the file names. The profile kind reads the whole file again for every
// call, so it is given fewer (the file is read whole each time anyway), and
// its typed reads convert the one value it read (`oneRead`).
void ReadEverything(rtl::TCustomIniFile& ini, rtl::String& someSection, int limit, bool oneRead) {
  ui::TStringList sections;
  ini.ReadSections(sections);
  for (int s = 0; s < sections.Count() && s < limit; ++s) {
    const rtl::String section = sections[s];
    if (someSection.empty()) someSection = section;
    ui::TStringList keys, values;
    ini.ReadSection(section, keys);
    ini.ReadSectionValues(section, values);
    ini.SectionExists(section);
    for (int k = 0; k < keys.Count() && k < limit; ++k) {
      const rtl::String key = keys[k];
      try {
        ini.ValueExists(section, key);
        // The typed reads pass an empty default, as here.
        const rtl::String value = ini.ReadString(section, key, u"");
        if (oneRead) {
          TOneValue one(value);
          TypedReads(one, section, key);
        } else {
          TypedReads(ini, section, key);
        }
      } catch (const rtl::Exception&) {
        // A name the classes refuse (a key read back with outer blanks).
      }
    }
  }
}

// ASCII only: a non-ASCII value written in the system page into a file without
// a mark may form UTF-8 sequences and read back as UTF-8, an open question of
// encodings this target leaves out.
void CheckWriteReadsBack(rtl::TCustomIniFile& ini, const rtl::String& section) {
  const rtl::String value = u"fuzz =;[]";
  try {
    ini.WriteString(section, u"FuzzKey", value);
  } catch (const rtl::Exception&) {
    return;  // a refused name or an unwritable file: nothing changed
  }
  if (ini.ReadString(section, u"fuzzkey", u"") != value) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const rtl::String file = rtl::FromSysPath(fuzz::WriteRunFile("fuzz.ini", bytes));
  rtl::String section;
  {
    rtl::TIniFile profile(file);
    ReadEverything(profile, section, 4, true);
    if (section.empty()) section = u"Fuzz";
    CheckWriteReadsBack(profile, section);
  }
  fuzz::WriteRunFile("fuzz.ini", bytes);
  try {
    rtl::TMemIniFile memory(file);
    rtl::String unused;
    ReadEverything(memory, unused, 16, false);
    CheckWriteReadsBack(memory, section);
    memory.UpdateFile();
    rtl::TMemIniFile again(file);
    // Only names the system page carries for sure: the in-memory kind writes
    // what its encoding can hold, so a UTF-16 file's other names come back as
    // '?' when saved in the system page.
    const bool plain =
        std::all_of(section.begin(), section.end(), [](char16_t c) { return c >= 0x20 && c < 0x7F; });
    if (plain && memory.ValueExists(section, u"FuzzKey") &&
        again.ReadString(section, u"FuzzKey", u"") != memory.ReadString(section, u"FuzzKey", u""))
      __builtin_trap();
  } catch (const rtl::Exception&) {
    // A load or save the class refuses with its exception.
  }
  return 0;
}
