#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "platform/runtime/exceptions.h"
#include "platform/runtime/files.h"
#include "tests/platform/runtime/runtime_test_util.h"
#include "platform/runtime/streams.h"
#include "platform/classes/string_list.h"

using namespace rtl;
using rtl_test::Bytes;
using ui::TDuplicates;
using ui::TStringList;
using rtl_test::TempDir;

namespace {

// Limits the size of files this process may write, so a write fails midway
// (root ignores permission bits, but not this limit).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    old_handler_ = ::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &old_);
    rlimit lim = old_;
    lim.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &lim);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    ::signal(SIGXFSZ, old_handler_);
  }

 private:
  rlimit old_;
  sighandler_t old_handler_;
};

}  // namespace

TEST(Paths, SplittingAndJoining) {
  EXPECT_EQ(ExtractFilePath(u"/opt/jq/JQHelper_LUNO"), u"/opt/jq/");
  EXPECT_EQ(ExtractFileDir(u"/opt/jq/JQHelper_LUNO"), u"/opt/jq");
  EXPECT_EQ(ExtractFileDir(u"/x"), u"/");
  EXPECT_EQ(ExtractFileName(u"/opt/jq/JQHelper_LUNO"), u"JQHelper_LUNO");
  EXPECT_EQ(ChangeFileExt(u"/opt/jq/JQHelper_LUNO", u".ini"), u"/opt/jq/JQHelper_LUNO.ini");
  EXPECT_EQ(ChangeFileExt(u"/opt/j.q/settings.cfg", u".ini"), u"/opt/j.q/settings.ini");
  EXPECT_EQ(ExtractFileExt(u"/opt/j.q/settings"), u"");
  EXPECT_EQ(ExpandFileName(u"/a/b/../c/./d"), u"/a/c/d");
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"/a"), u"/a/");
  EXPECT_FALSE(ProgramFileName().empty());
  EXPECT_TRUE(FileExists(ProgramFileName()));
}

TEST(Paths, ForceDirectoriesAndBesideTheProgram) {
  TempDir tmp;
  const String deep = tmp.File("a/b/c");
  EXPECT_TRUE(ForceDirectories(deep));
  EXPECT_TRUE(DirectoryExists(deep));
  // A writable program folder holds the file itself.
  EXPECT_EQ(BesideFolder(tmp.File("a"), u"JQHelper4.ini"), tmp.File("a/JQHelper4.ini"));
  // Otherwise the user's configuration folder, created on demand.
  const String xdg = tmp.File("cfg");
  ::setenv("XDG_CONFIG_HOME", ToSysPath(xdg).c_str(), 1);
  EXPECT_EQ(BesideFolder(tmp.File("missing"), u"JQHelper4.ini"), xdg + u"/JQHelper_LUNO/JQHelper4.ini");
  EXPECT_TRUE(DirectoryExists(xdg + u"/JQHelper_LUNO"));
  ::unsetenv("XDG_CONFIG_HOME");
}

TEST(AtomicWrite, FailedWriteLeavesTheOldFileWhole) {
  TempDir tmp;
  const String file = tmp.File("data.ini");
  AtomicWriteFile(file, "old content\r\n");
  ::chmod(ToSysPath(file).c_str(), 0640);
  {
    FileSizeLimit limit(64);
    EXPECT_THROW(AtomicWriteFile(file, std::string(1000, 'x')), EFCreateError);
  }
  EXPECT_EQ(Bytes(file), "old content\r\n");
  // No temporary file is left behind.
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(tmp.path())) (void)e, ++entries;
  EXPECT_EQ(entries, 1);
  // A successful write keeps the file's permissions.
  AtomicWriteFile(file, "new");
  struct stat st;
  ::stat(ToSysPath(file).c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(Bytes(file), "new");
  EXPECT_THROW(AtomicWriteFile(tmp.File("no/such/dir/x"), "x"), EFCreateError);
}

TEST(StringList, SortedDuplicatesAndLocaleOrder) {
  TStringList l;
  l.SetSorted(true);
  for (const char16_t* s : {u"COM2", u"com10", u"COM1", u"ttyS0"}) l.Add(s);
  EXPECT_EQ(l.CommaText(), u"COM1,com10,COM2,ttyS0");
  EXPECT_EQ(l.IndexOf(u"Com2"), 2);
  EXPECT_EQ(l.Add(u"com1"), 0);  // ignored duplicate returns the existing index
  EXPECT_EQ(l.Count(), 4);
  l.SetDuplicates(TDuplicates::dupError);
  EXPECT_THROW(l.Add(u"COM1"), EStringListError);
  EXPECT_THROW(l.Insert(0, u"x"), EStringListError);
  try {
    l.Strings(9);
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), u"List index out of bounds (9)");
  }
}

TEST(StringList, UpdateBatchesChangeNotices) {
  TStringList l;
  int changes = 0;
  l.OnChange = [&](ui::TObject*) { ++changes; };
  l.Add(u"a");
  EXPECT_EQ(changes, 1);
  l.BeginUpdate();
  l.Add(u"b");
  l.Add(u"c");
  l.Delete(0);
  EXPECT_EQ(changes, 1);
  l.EndUpdate();
  EXPECT_EQ(changes, 2);
  l.SetText(u"x\r\ny\nz\r");
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(l.Count(), 3);
  EXPECT_EQ(l.Text(), u"x\r\ny\r\nz\r\n");
}

TEST(StringList, DelimitedTextQuoting) {
  struct Case {
    const char16_t* text;
    std::vector<String> items;
    const char16_t* back;  // written form
  } cases[] = {
      {u"a,b,c", {u"a", u"b", u"c"}, u"a,b,c"},
      {u"\"a b\",\"say \"\"hi\"\"\",", {u"a b", u"say \"hi\"", u""}, u"\"a b\",\"say \"\"hi\"\"\",\"\""},
      {u" a , b ", {u"a", u"b"}, u"a,b"},
      {u"a b", {u"a", u"b"}, u"a,b"},
      {u"1,Rel,\"第1轴\",10.5", {u"1", u"Rel", U("第1轴"), u"10.5"}, u"1,Rel,第1轴,10.5"},
  };
  for (const auto& c : cases) {
    TStringList l;
    l.SetCommaText(c.text);
    ASSERT_EQ(static_cast<std::size_t>(l.Count()), c.items.size()) << StringToUtf8(c.text);
    for (int i = 0; i < l.Count(); ++i) EXPECT_EQ(l[i], c.items[i]);
    EXPECT_EQ(l.CommaText(), c.back);
  }
  TStringList strict;
  strict.StrictDelimiter = true;
  strict.Delimiter = u';';
  strict.SetDelimitedText(u" a b ;c");
  ASSERT_EQ(strict.Count(), 2);
  EXPECT_EQ(strict[0], u" a b ");
  EXPECT_EQ(strict.DelimitedText(), u" a b ;c");
}

TEST(StringList, FilesAreEightBitWithCrLf) {
  TempDir tmp;
  const String file = tmp.File("script.txt");
  TStringList l;
  l.Add(U("第1轴,Rel"));
  l.Add(u"end");
  l.SaveToFile(file);
  EXPECT_EQ(Bytes(file), "\xB5\xDA" "1\xD6\xE1,Rel\r\nend\r\n");
  TStringList back;
  back.LoadFromFile(file);
  EXPECT_EQ(back.Text(), l.Text());
  // UTF-8 needs its mark; without one the bytes are GBK.
  AtomicWriteFile(file, "\xEF\xBB\xBF\xE6\x8F\x90\xE7\xA4\xBA\nx");
  back.LoadFromFile(file);
  EXPECT_EQ(back[0], U("提示"));
  EXPECT_THROW(back.LoadFromFile(tmp.File("missing.txt")), EFOpenError);
  EXPECT_EQ(back.Count(), 2);  // a failed load keeps what the list held
}

TEST(Streams, MemoryAndFileStreams) {
  TMemoryStream m;
  m.WriteBuffer("hello", 5);
  EXPECT_EQ(m.Size(), 5);
  m.Seek(-2, TSeekOrigin::soEnd);
  char buf[8] = {};
  EXPECT_EQ(m.Read(buf, 8), 2);
  EXPECT_STREQ(buf, "lo");
  EXPECT_THROW(m.ReadBuffer(buf, 1), EReadError);
  m.SetSize(2);
  EXPECT_EQ(m.ToBytes(), "he");
  TempDir tmp;
  {
    TFileStream f(tmp.File("s.bin"), fmCreate);
    m.SetPosition(0);
    EXPECT_EQ(f.CopyFrom(m, 0), 2);
    f.WriteBuffer("y", 1);
    EXPECT_EQ(f.Size(), 3);
  }
  TFileStream r(tmp.File("s.bin"), fmOpenRead);
  TMemoryStream copy;
  copy.CopyFrom(r, 0);
  EXPECT_EQ(copy.ToBytes(), "hey");
  EXPECT_THROW(TFileStream(tmp.File("none"), fmOpenRead), EFOpenError);
}

// A lock another holder keeps is waited for only so long; a folder lock
// creates nothing, a lock file is created on demand.
TEST(FileLock, WaitsWithATimeOutAndKeepsHoldersApart) {
  TempDir tmp;
  const String folder = tmp.File(""), lockFile = tmp.File("store.lock");
  {
    TFileLock first(folder, true);
    ASSERT_TRUE(first.Held());
    TFileLock second(folder, true, 50);
    EXPECT_FALSE(second.Held());
    EXPECT_TRUE(second.TimedOut());
    EXPECT_EQ(GetLastError(), 1460u);
    TFileLock reader(folder, false, 50);  // a shared lock waits for the writer too
    EXPECT_TRUE(reader.TimedOut());
  }
  TFileLock again(folder, true, 50);
  EXPECT_TRUE(again.Held());
  {
    TFileLock a(lockFile, false), b(lockFile, false, 50);  // readers share
    EXPECT_TRUE(a.Held());
    EXPECT_TRUE(b.Held());
  }
  EXPECT_TRUE(FileExists(lockFile));
  // A folder that is not there is not made into a file.
  TFileLock missing(tmp.File("no/"), true, 50);
  EXPECT_FALSE(missing.Held());
  EXPECT_FALSE(missing.TimedOut());
  EXPECT_FALSE(FileExists(tmp.File("no")));
}
