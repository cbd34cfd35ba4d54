#include <gtest/gtest.h>

#include <functional>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "platform/runtime/codepage.h"
#include "platform/runtime/exceptions.h"
#include "platform/runtime/format_settings.h"
#include "platform/classes/ini_files.h"
#include "tests/platform/runtime/runtime_test_util.h"
#include "platform/runtime/streams.h"

using namespace rtl;
using rtl_test::Bytes;
using ui::TStringList;
using rtl_test::TempDir;
using namespace std::string_literals;

TEST(ProfileIni, WritesReachTheFileAtOnceAndKeepHandEdits) {
  TempDir tmp;
  const String file = tmp.File("JQHelper4.ini");
  AtomicWriteFile(file,
                  "; per-axis settings\r\n"
                  "[AXIS0]\r\n"
                  "CAPTION = \xB5\xDA" "1\xD6\xE1\r\n"
                  "PHYSICS=100\r\n"
                  "\r\n"
                  "[AXIS1]\r\n"
                  "OPENSTEPS=0x190\r\n");
  TIniFile ini(file);
  EXPECT_EQ(ini.ReadString(u"axis0", u"caption", u""), U("第1轴"));
  EXPECT_EQ(ini.ReadInteger(u"AXIS0", u"PHYSICS", 1), 100);
  EXPECT_EQ(ini.ReadInteger(u"AXIS1", u"OPENSTEPS", 6400), 400);
  EXPECT_EQ(ini.ReadInteger(u"AXIS1", u"CLOSESTEPS", 4000), 4000);
  ini.WriteString(u"Axis0", u"P_REL", u"abc");   // the shut-down writer's spelling
  ini.WriteInteger(u"AXIS0", u"PHYSICS", 200);
  ini.WriteBool(u"AXIS2", u"VISIBLE", false);
  ini.WriteFloat(u"AXIS2", u"ACC", 2.5);
  EXPECT_EQ(Bytes(file),
            "; per-axis settings\r\n"
            "[AXIS0]\r\n"
            "CAPTION = \xB5\xDA" "1\xD6\xE1\r\n"  // untouched lines stay as typed
            "PHYSICS=200\r\n"
            "P_REL=abc\r\n"
            "\r\n"
            "[AXIS1]\r\n"
            "OPENSTEPS=0x190\r\n"
            "\r\n"
            "[AXIS2]\r\n"
            "VISIBLE=0\r\n"
            "ACC=2.5\r\n");
  EXPECT_EQ(ini.ReadString(u"AXIS0", u"P_REL", u"1"), u"abc");
  EXPECT_FALSE(ini.ReadBool(u"AXIS2", u"VISIBLE", true));
  ini.DeleteKey(u"AXIS2", u"ACC");
  ini.EraseSection(u"axis1");
  TStringList sections;
  ini.ReadSections(sections);
  EXPECT_EQ(sections.CommaText(), u"AXIS0,AXIS2");
}

TEST(ProfileIni, BadValuesGiveDefaultsAndBothSeparatorsRead) {
  TempDir tmp;
  const String file = tmp.File("a.ini");
  AtomicWriteFile(file, "[S]\r\nI=12x\r\nF=1,5\r\nG=2.25\r\nB=abc\r\nQ=\"quoted \"\r\nE=\r\n");
  TIniFile ini(file);
  EXPECT_EQ(ini.ReadInteger(u"S", u"I", 7), 7);
  EXPECT_DOUBLE_EQ(ini.ReadFloat(u"S", u"F", 0), 1.5);
  EXPECT_DOUBLE_EQ(ini.ReadFloat(u"S", u"G", 0), 2.25);
  EXPECT_TRUE(ini.ReadBool(u"S", u"B", true));
  EXPECT_EQ(ini.ReadString(u"S", u"Q", u""), u"quoted ");
  EXPECT_EQ(ini.ReadString(u"S", u"E", u"def"), u"");
  EXPECT_EQ(ini.ReadString(u"S", u"missing", u"def"), u"def");
  EXPECT_EQ(TIniFile(tmp.File("none.ini")).ReadInteger(u"AXIS0", u"OPENSTEPS", 6400), 6400);
  // Floats are written with '.' and 15 digits whatever the locale says.
  const TFormatSettings old = FormatSettings();
  FormatSettings().DecimalSeparator = u',';
  ini.WriteFloat(u"S", u"F", 1.0 / 3);
  FormatSettings() = old;
  EXPECT_EQ(ini.ReadString(u"S", u"F", u""), u"0.333333333333333");
}

TEST(ProfileIni, UnwritableFileIsReportedAndUnchanged) {
  TempDir tmp;
  const String file = tmp.File("a.ini");
  AtomicWriteFile(file, "[S]\r\nK=1\r\n");
  TIniFile ini(file);
  ::signal(SIGXFSZ, SIG_IGN);
  rlimit old, lim;
  ::getrlimit(RLIMIT_FSIZE, &old);
  lim = old;
  lim.rlim_cur = 8;
  ::setrlimit(RLIMIT_FSIZE, &lim);
  EXPECT_THROW(ini.WriteString(u"S", u"K", u"a much longer value"), EIniFileException);
  ::setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(Bytes(file), "[S]\r\nK=1\r\n");
}

// A file that is there but cannot be read must not be rewritten from an
// empty reading: every other key would be lost with it.
TEST(ProfileIni, UnreadableFileIsNeitherRewrittenNorLost) {
  TempDir tmp;
  const String file = tmp.File("a.ini");
  const std::string original = "[AXIS0]\r\nP_REL=10\r\n\r\n[AXIS1]\r\nP_REL=20\r\n";
  AtomicWriteFile(file, original);
  struct Change {
    const char* name;
    std::function<void(TIniFile&)> run;
  };
  const Change changes[] = {
      {"WriteString", [](TIniFile& ini) { ini.WriteString(u"AXIS2", u"P_REL", u"30"); }},
      {"EraseSection", [](TIniFile& ini) { ini.EraseSection(u"AXIS1"); }},
      {"DeleteKey", [](TIniFile& ini) { ini.DeleteKey(u"AXIS0", u"P_REL"); }},
  };
  for (const Change& c : changes) {
    SCOPED_TRACE(c.name);
    const int rc = rtl_test::RunWithUnreadableFile(tmp.path(), tmp.path() + "/a.ini", [&] {
      TIniFile ini(file);
      try {
        c.run(ini);
      } catch (const EIniFileException&) {
        return 0;
      } catch (...) {
        return 2;
      }
      return 1;
    });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(Bytes(file), original);
  }
}

namespace {

// "第1轴" and "第2轴" in the system page (GBK) and in UTF-8.
const std::string kGbk1 = "\xB5\xDA" "1\xD6\xE1", kGbk2 = "\xB5\xDA" "2\xD6\xE1";
const std::string kUtf1 = "第1轴", kUtf2 = "第2轴";

struct HostileFile {
  const char* name;
  std::string before;
  rtl_test::FileKind kind;
  // The file after writing NEW=第2轴 into [S]; empty: the write is refused
  // and the file stays as it was.
  std::string after;
  const char16_t* probeKey;  // a key of [S] and what reading it gives
  String probeValue;
  bool deleteRestores = true;  // deleting NEW again gives `before` back
};

std::string BigFile() {
  std::string big = "[BIG]\r\n";
  big.reserve(35u << 20);
  const std::string line = "K=" + kGbk1 + " " + std::string(60, 'x') + "\r\n";
  while (big.size() < (35u << 20)) big += line;
  return big;
}

}  // namespace

// Every byte the write does not concern survives it, whatever the file
// holds; or the write is refused and nothing changes.
TEST(ProfileIni, HostileFilesKeepEveryUntouchedByte) {
  const std::string big = BigFile();
  const String first = U("第1轴");
  const HostileFile cases[] = {
      {"bytes foreign to the page", "[S]\r\nNAME=caf\xE9\r\nCAPTION=" + kGbk1 + "\r\n", rtl_test::FileKind::Regular,
       "[S]\r\nNAME=caf\xE9\r\nCAPTION=" + kGbk1 + "\r\nNEW=" + kGbk2 + "\r\n", u"CAPTION", first},
      {"a stray byte after UTF-8 marked", "\xEF\xBB\xBF[S]\nCAPTION=" + kUtf1 + "\nUNIT=毫米\nNOTE=x\xFFy\n",
       rtl_test::FileKind::Regular,
       "\xEF\xBB\xBF[S]\nCAPTION=" + kUtf1 + "\nUNIT=毫米\nNOTE=x\xFFy\nNEW=" + kUtf2 + "\n", u"CAPTION", first},
      // GBK bytes that are also well-formed UTF-8 ("Z位", 5A CE BB) stay GBK,
      // and the new line is written in GBK as well.
      {"GBK that reads as UTF-8 too", "[S]\r\nCAPTION=Z\xCE\xBB\r\n", rtl_test::FileKind::Regular,
       "[S]\r\nCAPTION=Z\xCE\xBB\r\nNEW=" + kGbk2 + "\r\n", u"CAPTION", u"Z位"},
      {"UTF-8 with its mark", "\xEF\xBB\xBF[S]\r\nCAPTION=" + kUtf1 + "\r\n", rtl_test::FileKind::Regular,
       "\xEF\xBB\xBF[S]\r\nCAPTION=" + kUtf1 + "\r\nNEW=" + kUtf2 + "\r\n", u"CAPTION", first},
      {"UTF-16 with its mark", rtl_test::Utf16Le(u"\uFEFF[S]\r\nCAPTION=" + first + u"\r\n"), rtl_test::FileKind::Regular,
       rtl_test::Utf16Le(u"\uFEFF[S]\r\nCAPTION=" + first + u"\r\nNEW=" + U("第2轴") + u"\r\n"), u"CAPTION", first},
      {"CR-only line ends", "[S]\rA=1\r\r[T]\rB=2\r", rtl_test::FileKind::Regular,
       "[S]\rA=1\rNEW=" + kGbk2 + "\r\r[T]\rB=2\r", u"A", u"1"},
      {"LF line ends, section added", "[T]\nB=2\n", rtl_test::FileKind::Regular,
       "[T]\nB=2\n\n[S]\nNEW=" + kGbk2 + "\n", u"B", u"def", false},
      {"NUL bytes", "[S]\r\nA=x\0y\r\n\0\0\r\nNEW=old\r\n"s, rtl_test::FileKind::Regular,
       "[S]\r\nA=x\0y\r\n\0\0\r\nNEW="s + kGbk2 + "\r\n", u"A", String(u"x\0y", 3), false},
      {"no end on the last line", "[S]\r\nA=1", rtl_test::FileKind::Regular,
       "[S]\r\nA=1\r\nNEW=" + kGbk2 + "\r\n", u"A", u"1", false},
      {"35 MB", "[S]\r\nA=1\r\n" + big, rtl_test::FileKind::Regular,
       "[S]\r\nA=1\r\nNEW=" + kGbk2 + "\r\n" + big, u"A", u"1"},
      {"read-only", "[S]\r\nA=1\r\n", rtl_test::FileKind::ReadOnly, "", u"A", u"1"},
      {"FIFO", "", rtl_test::FileKind::Fifo, "", u"A", u"def"},
      {"folder", "", rtl_test::FileKind::Folder, "", u"A", u"def"},
      {"UTF-16 ending in an odd byte", rtl_test::Utf16Le(u"\uFEFF[S]\r\nA=1") + "\x41", rtl_test::FileKind::Regular, "",
       u"A", U("1\uFFFD")},
  };
  for (const HostileFile& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir tmp;
    const std::string path = tmp.path() + "/hostile.ini";
    rtl_test::PlaceFile(path, c.before, c.kind);
    const std::string was = rtl_test::Snapshot(path);
    TIniFile ini(Utf8ToString(path));
    EXPECT_EQ(ini.ReadString(u"S", c.probeKey, u"def"), c.probeValue);
    if (c.after.empty()) {
      EXPECT_THROW(ini.WriteString(u"S", u"NEW", U("第2轴")), EIniFileException);
      if (c.kind != rtl_test::FileKind::Regular) {
        EXPECT_THROW(ini.DeleteKey(u"S", u"A"), EIniFileException);
      }
      EXPECT_EQ(rtl_test::Snapshot(path), was);
      continue;
    }
    ini.WriteString(u"S", u"NEW", U("第2轴"));
    EXPECT_TRUE(rtl_test::Bytes(Utf8ToString(path)) == c.after);  // no 35 MB dump on failure
    EXPECT_EQ(ini.ReadString(u"S", u"NEW", u""), U("第2轴"));
    // Taking the line out again gives the file back.
    ini.DeleteKey(u"S", u"NEW");
    if (c.deleteRestores) {
      EXPECT_TRUE(rtl_test::Bytes(Utf8ToString(path)) == c.before);
    }
  }
}

// Names are refused when the file could not give them back; the file is
// then unchanged. Either kind of ini file follows the same rules.
TEST(IniFiles, NamesThatCannotBeReadBackAreRefused) {
  struct Name {
    const char16_t* section;
    String key;
    bool stored;
  } const names[] = {
      {u"S", u";k", false},     {u"S", u"a=b", false},     {u"S", u" k", false},   {u"S", u"k\t", false},
      {u"S", u"[k", false},     {u"S", u"a\nb", false},    {u" S", u"k", false},   {u"S\r", u"k", false},
      {u"S", u"#k", true},      {u"S", u"k;x[y]", true},   {u"S", U("键 名"), true}, {u"a]b", u"k]", true},
      {u"S", u"", true},
  };
  TempDir tmp;
  const String profile = tmp.File("p.ini"), memory = tmp.File("m.ini");
  AtomicWriteFile(profile, "[S]\r\nA=1\r\n");
  AtomicWriteFile(memory, "[S]\r\nA=1\r\n\r\n");
  for (const Name& n : names) {
    SCOPED_TRACE(StringToUtf8(n.key));
    TIniFile ini(profile);
    TMemIniFile mem(memory);
    mem.SetAutoUpdate(true);
    if (!n.stored) {
      const std::string p = Bytes(profile), m = Bytes(memory);
      EXPECT_THROW(ini.WriteString(n.section, n.key, u"v"), EIniFileException);
      EXPECT_THROW(mem.WriteString(n.section, n.key, u"v"), EIniFileException);
      EXPECT_EQ(Bytes(profile), p);
      EXPECT_EQ(Bytes(memory), m);
      EXPECT_FALSE(mem.ValueExists(n.section, n.key));
      continue;
    }
    ini.WriteString(n.section, n.key, u"v");
    mem.WriteString(n.section, n.key, u"v");
    EXPECT_EQ(TIniFile(profile).ReadString(n.section, n.key, u"def"), u"v");
    EXPECT_EQ(TMemIniFile(memory).ReadString(n.section, n.key, u"def"), u"v");
  }
}

TEST(MemIni, ReadOnlyFileAndFifoAreRefused) {
  TempDir tmp;
  const std::string ro = tmp.path() + "/ro.ini", fifo = tmp.path() + "/fifo.ini";
  rtl_test::PlaceFile(ro, "[S]\r\nA=1\r\n\r\n", rtl_test::FileKind::ReadOnly);
  rtl_test::PlaceFile(fifo, "", rtl_test::FileKind::Fifo);
  const std::string roWas = rtl_test::Snapshot(ro), fifoWas = rtl_test::Snapshot(fifo);
  TMemIniFile ini(Utf8ToString(ro));
  EXPECT_EQ(ini.ReadString(u"S", u"A", u""), u"1");
  ini.WriteString(u"S", u"B", u"2");
  EXPECT_THROW(ini.UpdateFile(), EFCreateError);
  EXPECT_EQ(ini.ReadString(u"S", u"B", u""), u"2");  // still held
  EXPECT_THROW(TMemIniFile{Utf8ToString(fifo)}, EFOpenError);  // at once, no wait for a writer
  ini.Rename(Utf8ToString(fifo), false);
  EXPECT_THROW(ini.UpdateFile(), EFCreateError);
  EXPECT_EQ(rtl_test::Snapshot(ro), roWas);
  EXPECT_EQ(rtl_test::Snapshot(fifo), fifoWas);
}

TEST(MemIni, RememberedStateFileByteForByte) {
  TempDir tmp;
  const String file = tmp.File("JQHelper_LUNO.ini");
  {
    TMemIniFile ini(file);
    ini.SetAutoUpdate(true);
    ini.WriteString(u"BoardPortFrm_Properties", u"cbb_Port.Text", u"/dev/ttyUSB0");
    ini.WriteString(u"BoardPortFrm_Properties", u"IP_Address.Text", u"192.168.0.10");
    ini.WriteFloat(u"BoardPortFrm_Properties", u"edt_Port.Value", 8888);
    ini.WriteString(u"BoardPortFrm_Properties", u"rb_Net.Checked", u"True");
    ini.WriteInteger(u"CalcFrm_Properties", u"cbb_Encoder.ItemIndex", 2);
    ini.WriteString(u"CalcFrm_Properties", u"edt_Line_Pitch.Text", U("5 毫米 "));
    // A later write replaces in place, found without regard to case.
    ini.WriteString(u"boardportfrm_properties", u"CBB_PORT.TEXT", u"/dev/ttyS0");
  }
  const std::string expected =
      "[BoardPortFrm_Properties]\r\n"
      "cbb_Port.Text=/dev/ttyS0\r\n"
      "IP_Address.Text=192.168.0.10\r\n"
      "edt_Port.Value=8888\r\n"
      "rb_Net.Checked=True\r\n"
      "\r\n"
      "[CalcFrm_Properties]\r\n"
      "cbb_Encoder.ItemIndex=2\r\n"
      "edt_Line_Pitch.Text=5 \xBA\xC1\xC3\xD7 \r\n"
      "\r\n";
  EXPECT_EQ(Bytes(file), expected);
  TMemIniFile back(file);
  EXPECT_EQ(back.ReadString(u"CalcFrm_Properties", u"edt_Line_Pitch.Text", u""), U("5 毫米 "));
  EXPECT_DOUBLE_EQ(back.ReadFloat(u"BoardPortFrm_Properties", u"edt_Port.Value", 0), 8888);
  TStringList values;
  back.ReadSectionValues(u"BoardPortFrm_Properties", values);
  EXPECT_EQ(values.Count(), 4);
  EXPECT_EQ(values.Values(u"rb_Net.Checked"), u"True");
  back.DeleteKey(u"CalcFrm_Properties", u"cbb_Encoder.ItemIndex");
  back.EraseSection(u"BoardPortFrm_Properties");
  EXPECT_EQ(Bytes(file), expected);  // no automatic update: nothing written yet
  back.UpdateFile();
  EXPECT_EQ(Bytes(file), "[CalcFrm_Properties]\r\nedt_Line_Pitch.Text=5 \xBA\xC1\xC3\xD7 \r\n\r\n");
}

TEST(MemIni, EncodingsSniffedOnReadAndChosenOnWrite) {
  TempDir tmp;
  const String file = tmp.File("e.ini");
  struct Case {
    std::string bytes;
  } cases[] = {
      {"[S]\r\nK=\xCC\xE1\xCA\xBE\r\n"},                           // system page
      {"\xEF\xBB\xBF[S]\r\nK=\xE6\x8F\x90\xE7\xA4\xBA\r\n"},       // UTF-8 with mark
      {std::string("\xFF\xFE[\0S\0]\0\r\0\n\0K\0=\0\xD0\x63\x3A\x79", 20)},  // UTF-16LE
  };
  for (const auto& c : cases) {
    AtomicWriteFile(file, c.bytes);
    TMemIniFile ini(file);
    EXPECT_EQ(ini.ReadString(u"s", u"k", u""), U("提示"));
  }
  TMemIniFile ini(file, TIniEncoding::UTF8);
  ini.UpdateFile();
  EXPECT_EQ(Bytes(file), "\xEF\xBB\xBF[S]\r\nK=\xE6\x8F\x90\xE7\xA4\xBA\r\n\r\n");
  ini.SetEncoding(TIniEncoding::Unicode);
  ini.UpdateFile();
  EXPECT_EQ(Bytes(file).substr(0, 4), std::string("\xFF\xFE[\0", 4));
}

// Text in the system page may begin with the bytes of a mark: GBK's "锘"
// followed by a character led by 0xBF is EF BB BF. Saved as it stands, the
// file would read back as UTF-8 (every Chinese value lost, lines regrouped);
// it stays in the system page and reads back the same.
TEST(MemIni, SystemPageTextThatStartsLikeAMarkReadsBackTheSame) {
  TempDir tmp;
  const String file = tmp.File("m.ini");
  const struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"a line before the sections", "\r\n\xEF\xBB\xBF[x=1\r\n[S]\r\nK=\xCC\xE1\r\n[S\xB9]\r\nL=2\r\n"},
      {"a mark in a section name", "\r\n[\xEF\xBB\xBF[]\r\nK=\xCC\xE1\r\n"},
      {"bare CRs first", "\r\r\r\r\xEF\xBB\xBF[=\xCC\xE1\r\n[s]\r\n[s\xB9]\r\n_sup\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AtomicWriteFile(file, c.bytes);
    TMemIniFile ini(file);
    ini.WriteString(u"s", u"FuzzKey", U("值"));
    const String before = ini.Text();
    ini.UpdateFile();
    EXPECT_EQ(DetectFileEncoding(Bytes(file)), TextEncoding::System);
    TMemIniFile again(file);
    EXPECT_EQ(again.Text(), before);
    EXPECT_EQ(again.ReadString(u"s", u"FuzzKey", u""), U("值"));
  }
}

TEST(MemIni, FailuresKeepTheDataHeld) {
  TempDir tmp;
  const String file = tmp.File("m.ini");
  TMemIniFile ini(file);
  ini.WriteString(u"S", u"K", u"v");
  // Saving into a folder that does not exist fails; the data stays.
  ini.Rename(tmp.File("no/dir/m.ini"), false);
  EXPECT_THROW(ini.UpdateFile(), EFCreateError);
  EXPECT_EQ(ini.ReadString(u"S", u"K", u""), u"v");
  // A reload that cannot read keeps the data and the name.
  ini.Rename(file, false);
  ::mkdir(ToSysPath(tmp.File("dir.ini")).c_str(), 0777);
  EXPECT_THROW(ini.Rename(tmp.File("dir.ini"), true), EFOpenError);
  EXPECT_EQ(ini.FileName(), file);
  EXPECT_EQ(ini.ReadString(u"S", u"K", u""), u"v");
  ini.UpdateFile();
  EXPECT_EQ(Bytes(file), "[S]\r\nK=v\r\n\r\n");
}

TEST(MemIni, BinaryValuesAndTypedDefaults) {
  TempDir tmp;
  TMemIniFile ini(tmp.File("b.ini"));
  TMemoryStream in;
  in.WriteBuffer("\x01\xAB\xFF", 3);
  in.SetPosition(0);
  ini.WriteBinaryStream(u"S", u"Bin", in);
  EXPECT_EQ(ini.ReadString(u"S", u"Bin", u""), u"01ABFF");
  TMemoryStream out;
  EXPECT_EQ(ini.ReadBinaryStream(u"S", u"Bin", out), 3);
  EXPECT_EQ(out.ToBytes(), "\x01\xAB\xFF");
  ini.WriteString(u"S", u"Hex", u"0x10");
  EXPECT_EQ(ini.ReadInteger(u"S", u"Hex", 0), 16);
  EXPECT_EQ(ini.ReadInteger(u"S", u"Bin", -1), -1);
  EXPECT_TRUE(ini.ValueExists(u"s", u"HEX"));
  EXPECT_FALSE(ini.SectionExists(u"T"));
}
