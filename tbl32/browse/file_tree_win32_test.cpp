#include "zt_tbl32/file_tree.h"

#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "browse_platform.h"
#include "browse_test_support.h"
#include "buff_pool_test_support.h"
#include "zt_tbl32/file_type.h"

namespace {

using zt_test::BoxRecorder;
using zt_test::LogCapture;
using zt_test::ScratchTree;

constexpr unsigned kNone = 0xFFFFFFFFu;

// The orders written out plainly, character by character, as the check of the
// tree's quicker ones.
unsigned char Upper(char c) {
  return static_cast<unsigned char>(reinterpret_cast<UINT_PTR>(
      CharUpperA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<unsigned char>(c))))));
}
int PlainCompare(const char* a, unsigned aLength, const char* b, unsigned bLength) {
  for (unsigned i = 0; i < aLength && i < bLength; ++i)
    if (Upper(a[i]) != Upper(b[i])) return Upper(a[i]) < Upper(b[i]) ? -1 : 1;
  return aLength < bLength ? -1 : aLength > bLength ? 1 : 0;
}
int PlainNameCompare(const SFileEntry& a, const SFileEntry& b) {
  const char* x = a.szPath + a.uNameOffset;
  const char* y = b.szPath + b.uNameOffset;
  const unsigned n = static_cast<unsigned>(std::min(strlen(x), strlen(y))) + 1;
  return PlainCompare(x, n, y, n);
}
bool PlainFileBefore(const SFileEntry& a, const SFileEntry& b, bool descending) {
  if (a.bAccepted != b.bAccepted) return a.bAccepted;
  if (a.uDir != b.uDir) return a.uDir < b.uDir;
  return descending ? PlainNameCompare(a, b) > 0 : PlainNameCompare(a, b) < 0;
}

std::string Name(const SFileEntry& f) { return f.szPath + f.uNameOffset; }
std::string Dir(const SDirEntry& d) { return d.szPath; }

// Everything the tables promise: directories by path under their parents,
// files in order under their directories, and every count equal to a count of
// the table itself (accepted files only after a reorg).
void ExpectTablesHold(const CZTFileTree& tree, bool acceptedOnly, bool descending = false) {
  ASSERT_GT(tree.m_uDirCount, 0u);
  EXPECT_EQ(tree.m_pDirs[0].uParent, kNone);
  for (unsigned d = 0; d < tree.m_uDirCount; ++d) {
    const SDirEntry& dir = tree.m_pDirs[d];
    ASSERT_EQ(dir.uPathLength, strlen(dir.szPath)) << d;
    if (d == 0) continue;
    ASSERT_LT(dir.uParent, d) << dir.szPath;
    const SDirEntry& parent = tree.m_pDirs[dir.uParent];
    if (dir.uParent > 0 || parent.szPath[parent.uPathLength - 1] == '\\') {
      EXPECT_EQ(dir.uNameOffset, parent.uPathLength) << dir.szPath;
      EXPECT_EQ(strncmp(dir.szPath, parent.szPath, parent.uPathLength), 0) << dir.szPath;
    }
    EXPECT_EQ(dir.szPath[dir.uPathLength - 1], '\\');
    if (d > 1) {
      const SDirEntry& before = tree.m_pDirs[d - 1];
      EXPECT_LT(PlainCompare(before.szPath, before.uPathLength, dir.szPath, dir.uPathLength), 0) << dir.szPath;
    }
  }
  std::vector<unsigned> files(tree.m_uDirCount, 0);
  for (unsigned i = 0; i < tree.m_uFileCount; ++i) {
    const SFileEntry& f = tree.m_pFiles[i];
    ASSERT_EQ(f.bAccepted != 0, i < tree.m_uAccepted) << f.szPath;
    ASSERT_LT(f.uDir, tree.m_uDirCount);
    const SDirEntry& dir = tree.m_pDirs[f.uDir];
    EXPECT_EQ(f.uNameOffset, dir.uPathLength) << f.szPath;
    EXPECT_EQ(strncmp(f.szPath, dir.szPath, dir.uPathLength), 0) << f.szPath;
    EXPECT_EQ(f.uPathLength, strlen(f.szPath));
    EXPECT_GT(f.uPathLength, f.uNameOffset) << "an empty record at " << i;
    if (i > 0) {
      EXPECT_FALSE(PlainFileBefore(f, tree.m_pFiles[i - 1], descending)) << f.szPath;
    }
    if (!acceptedOnly || f.bAccepted) ++files[f.uDir];
  }
  for (unsigned d = 0; d < tree.m_uDirCount; ++d) {
    unsigned subtree = 0;
    for (unsigned e = 0; e < tree.m_uDirCount; ++e)
      for (unsigned up = e; up != kNone; up = tree.m_pDirs[up].uParent)
        if (up == d) subtree += files[e];
    EXPECT_EQ(tree.m_pDirs[d].uFiles, files[d]) << tree.m_pDirs[d].szPath;
    EXPECT_EQ(tree.m_pDirs[d].uSubtreeFiles, subtree) << tree.m_pDirs[d].szPath;
  }
}

// The relative paths of the files in the table.
std::multiset<std::string> TableFiles(const CZTFileTree& tree, const std::string& root, bool acceptedOnly) {
  std::multiset<std::string> files;
  const unsigned count = acceptedOnly ? tree.m_uAccepted : tree.m_uFileCount;
  for (unsigned i = 0; i < count; ++i) files.insert(std::string(tree.m_pFiles[i].szPath).substr(root.size() + 1));
  return files;
}

// A tree of nested folders with names whose order ignoring case differs from
// their byte order ("a_b" against "ab", "Alpha" against "alpha beta").
void BuildNestedTree(ScratchTree& t, unsigned seed) {
  const char* dirs[] = {
      "Alpha", "alpha beta", "Alpha\\Sub1", "Alpha\\Sub1\\Deep",        "Alpha\\Sub2", "Zeta", "Empty",
      "a_b",   "ab",         "ab\\x",       "Alpha\\Sub1\\Deep\\deeper"};
  for (const char* d : dirs) ASSERT_TRUE(t.Dir(d)) << d;
  std::mt19937 random(seed);
  const char* stems[] = {"report", "Report", "data", "IMG", "zz", "a", "b_c", "bc"};
  const char* suffixes[] = {".txt", ".CFG", ".cfg", ".dat", ""};
  std::set<std::string> made;
  for (unsigned i = 0; i < 400; ++i) {
    const char* dir = random() % 5 == 0 ? "" : dirs[random() % 11];
    if (!strcmp(dir, "Empty")) continue;
    std::string name = std::string(stems[random() % 8]) + std::to_string(random() % 60) + suffixes[random() % 5];
    std::string rel = *dir ? std::string(dir) + "\\" + name : name;
    std::string key = rel;
    std::transform(key.begin(), key.end(), key.begin(), ::toupper);
    if (!made.insert(key).second) continue;  // names that differ in case only are one file on Windows
    ASSERT_TRUE(t.File(rel, random() % 3 == 0 ? 1000 + i : 0)) << rel;
  }
}

TEST(FileTree, ScanRecordsEveryFileAndCountsEachSubtree) {
  ScratchTree t("scan");
  BuildNestedTree(t, 17);
  LogCapture log("file_tree_test.log");
  CZTFileTree tree;
  const std::string root = t.Root();
  ASSERT_EQ(tree.BrowseDrive(root.c_str(), nullptr), TRUE);
  EXPECT_EQ(tree.m_pszDrivePath, root.c_str());
  // The root gets its "\", no parent and no name offset.
  EXPECT_EQ(Dir(tree.m_pDirs[0]), root + "\\");
  EXPECT_EQ(tree.m_pDirs[0].uNameOffset, 0u);
  EXPECT_EQ(tree.m_pDirs[0].uScanIndex, 0u);
  ASSERT_EQ(tree.m_uDirCount, t.Dirs().size() + 1);
  ExpectTablesHold(tree, false);
  // Every file once, all accepted without a filter.
  EXPECT_EQ(tree.m_uFileCount, t.Files().size());
  EXPECT_EQ(tree.m_uAccepted, tree.m_uFileCount);
  EXPECT_EQ(TableFiles(tree, root, false), std::multiset<std::string>(t.Files().begin(), t.Files().end()));
  // Counts against the tree as made: files directly in a folder and below it.
  for (unsigned d = 0; d < tree.m_uDirCount; ++d) {
    const std::string rel = d == 0 ? "" : Dir(tree.m_pDirs[d]).substr(root.size() + 1);
    unsigned direct = 0, below = 0;
    for (const auto& f : t.Files()) {
      const size_t slash = f.rfind('\\');
      const std::string fileDir = slash == std::string::npos ? "" : f.substr(0, slash + 1);
      if (fileDir == rel) ++direct;
      if (fileDir.compare(0, rel.size(), rel) == 0) ++below;
    }
    EXPECT_EQ(tree.m_pDirs[d].uFiles, direct) << rel;
    EXPECT_EQ(tree.m_pDirs[d].uSubtreeFiles, below) << rel;
  }
  // Sizes and times come from the directory search.
  for (unsigned i = 0; i < tree.m_uFileCount; ++i) {
    const SFileEntry& f = tree.m_pFiles[i];
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(f.szPath, GetFileExInfoStandard, &data));
    EXPECT_EQ(f.ullSize, data.nFileSizeLow) << f.szPath;
    EXPECT_EQ(f.ftLastWrite.dwLowDateTime, data.ftLastWriteTime.dwLowDateTime) << f.szPath;
  }
  const std::string all = log.All();
  EXPECT_NE(all.find("5 CZTFileTree: BrowseDrive for " + root + "\n"), std::string::npos);
  EXPECT_NE(all.find("5 CZTFileTree: Search directory 0 of 1, path = " + root + "\\\n"), std::string::npos);
  EXPECT_NE(all.find("5 CZTFileTree: iDir = 1 in 0, dir found: " + root + "\\"), std::string::npos);

  // A second scan replaces the tables; a root with its "\" is taken as it is.
  const std::string withSlash = root + "\\Alpha\\";
  ASSERT_EQ(tree.BrowseDrive(withSlash.c_str(), nullptr), TRUE);
  EXPECT_EQ(Dir(tree.m_pDirs[0]), withSlash);
  EXPECT_EQ(tree.m_uDirCount, 5u);
  ExpectTablesHold(tree, false);
}

TEST(FileTree, FilterRecordsKnownSuffixesAndAcceptsSelectedOnes) {
  ScratchTree t("filter");
  for (const char* f : {"lower.cfg", "UPPER.CFG", "notes.txt", "short.cf", "other.dat", "noext", "x.cfgx"})
    ASSERT_TRUE(t.File(f));
  SZTFileTypeEntry entries[] = {{0, 1, 0, 0, ".CFG"}, {0, 2, 1, 0, ".TXT"}, {0, 3, 1, 0, ".CF"}};
  CZTFileType filter = {3, entries};
  CZTFileTree tree;
  ASSERT_EQ(tree.BrowseDrive(t.Root().c_str(), &filter), TRUE);
  ExpectTablesHold(tree, false);
  // .cfg in either case is recorded but not accepted; .CF is not .CFG.
  EXPECT_EQ(TableFiles(tree, t.Root(), true), (std::multiset<std::string>{"notes.txt", "short.cf"}));
  EXPECT_EQ(TableFiles(tree, t.Root(), false),
            (std::multiset<std::string>{"lower.cfg", "UPPER.CFG", "notes.txt", "short.cf"}));
  EXPECT_EQ(tree.m_pDirs[0].uFiles, 4u);  // the scan counts every recorded file
  tree.reorg();
  EXPECT_EQ(tree.m_pDirs[0].uFiles, 2u);  // reorg the accepted ones
  entries[0].bSelected = 1;
  ASSERT_EQ(tree.BrowseDrive(t.Root().c_str(), &filter), TRUE);
  EXPECT_EQ(tree.m_uAccepted, 4u);
  EXPECT_EQ(tree.findFile((t.Root() + "\\lower.cfg").c_str()), 0u);
}

TEST(FileTree, NamesAtThe260CharacterLimit) {
  ScratchTree t("limit");
  // A folder whose path (with its "\\") is 200 characters long, made of nested folders.
  const size_t relLength = 200 - t.Root().size() - 2;
  std::string rel;
  while (relLength - rel.size() > 60) {
    rel += std::string(59, 'd');
    ASSERT_TRUE(t.Dir(rel));
    rel += "\\";
  }
  rel += std::string(relLength - rel.size(), 'e');
  ASSERT_TRUE(t.Dir(rel));
  const std::string dir = t.Path(rel) + "\\";
  ASSERT_EQ(dir.size(), 200u);
  // Paths of 259 characters fit (with their terminator); 260 and more do not.
  ASSERT_TRUE(t.File(rel + "\\a" + std::string(58, 'x')));  // 259
  ASSERT_TRUE(t.File(rel + "\\b" + std::string(59, 'x')));  // 260
  ASSERT_TRUE(t.File(rel + "\\c" + std::string(70, 'x')));  // 271
  ASSERT_TRUE(t.File(rel + "\\zlast.txt"));
  ASSERT_TRUE(t.Dir(rel + "\\f" + std::string(50, 'x')));
  ASSERT_TRUE(t.File(rel + "\\f" + std::string(50, 'x') + "\\h"));
  ASSERT_TRUE(t.Dir(rel + "\\g" + std::string(57, 'x')));  // 259 with its "\\": kept
  ASSERT_TRUE(t.Dir(rel + "\\k" + std::string(58, 'x')));  // 260 with its "\\": too long

  LogCapture log("file_tree_test.log");
  CZTFileTree tree;
  ASSERT_EQ(tree.BrowseDrive(t.Root().c_str(), nullptr), TRUE);
  ExpectTablesHold(tree, false);
  const std::multiset<std::string> expected = {rel + "\\a" + std::string(58, 'x'), rel + "\\zlast.txt",
                                               rel + "\\f" + std::string(50, 'x') + "\\h"};
  EXPECT_EQ(TableFiles(tree, t.Root(), false), expected);
  EXPECT_EQ(tree.m_uFileCount, 3u);
  unsigned found = 0;
  for (unsigned d = 0; d < tree.m_uDirCount; ++d) {
    EXPECT_LT(tree.m_pDirs[d].uPathLength, 260u);
    if (Dir(tree.m_pDirs[d]) == dir) {
      EXPECT_EQ(tree.m_pDirs[d].uFiles, 2u);
      EXPECT_EQ(tree.m_pDirs[d].uSubtreeFiles, 3u);
      ++found;
    }
  }
  EXPECT_EQ(found, 1u);
  EXPECT_EQ(tree.m_pDirs[0].uSubtreeFiles, 3u);
  EXPECT_EQ(tree.findFile((dir + "a" + std::string(58, 'x')).c_str()),
            tree.findFile((dir + "A" + std::string(58, 'X')).c_str()));
  const std::string all = log.All();
  EXPECT_NE(all.find("1 CZTFileTree: Filename exceeds buffer size\n"), std::string::npos);
  EXPECT_NE(all.find("1 CZTFileTree: Size of name exceeds name buffer: 200 + 59 to 260\n"), std::string::npos);
}

TEST(FileTree, DirectoryLinksAreFollowedButNeverIntoALoop) {
  ScratchTree t("links");
  ASSERT_TRUE(t.Dir("a") && t.Dir("a\\b") && t.Dir("d"));
  ASSERT_TRUE(t.File("a\\one.txt") && t.File("a\\b\\two.txt") && t.File("d\\three.txt"));
  // a\b\up leads back to a (a loop, twice over with a\b\top to the root);
  // a\side leads to d, which is no loop and is scanned through the link too.
  const std::string unixRoot = zt_test::UnixPath(t.Root());
  if (!zt_test::MakeDirLink(t.Path("a\\b\\up"), "..\\..\\a", unixRoot + "/a"))
    GTEST_SKIP() << "no directory links here";
  ASSERT_TRUE(zt_test::MakeDirLink(t.Path("a\\b\\top"), "..\\..", unixRoot));
  ASSERT_TRUE(zt_test::MakeDirLink(t.Path("a\\side"), "..\\d", unixRoot + "/d"));

  LogCapture log("file_tree_test.log");
  CZTFileTree tree;
  ASSERT_EQ(tree.BrowseDrive(t.Root().c_str(), nullptr), TRUE);
  ExpectTablesHold(tree, false);
  std::set<std::string> dirs;
  for (unsigned d = 0; d < tree.m_uDirCount; ++d) dirs.insert(Dir(tree.m_pDirs[d]).substr(t.Root().size()));
  EXPECT_EQ(dirs, (std::set<std::string>{"\\", "\\a\\", "\\a\\b\\", "\\a\\side\\", "\\d\\"}));
  EXPECT_EQ(TableFiles(tree, t.Root(), false),
            (std::multiset<std::string>{"a\\one.txt", "a\\b\\two.txt", "a\\side\\three.txt", "d\\three.txt"}));
  const std::string all = log.All();
  EXPECT_NE(all.find("1 CZTFileTree: Directory link not followed (a loop or no target): " + t.Root() + "\\a\\b\\up\\"),
            std::string::npos);
  EXPECT_NE(all.find("not followed (a loop or no target): " + t.Root() + "\\a\\b\\top\\"), std::string::npos);
}

// A tree for the lookups and edits: three folders, files accepted (.txt) and
// recorded but not accepted (.dat).
class EditTree {
 public:
  ScratchTree t{"edit"};
  SZTFileTypeEntry entries[2] = {{0, 1, 1, 0, ".TXT"}, {0, 2, 0, 0, ".DAT"}};
  CZTFileType filter = {2, entries};
  CZTFileTree tree;

  void Build() {
    ASSERT_TRUE(t.Dir("A") && t.Dir("A\\B") && t.Dir("C") && t.Dir("E"));
    for (const char* f : {"top.txt", "A\\f1.txt", "A\\F2.TXT", "A\\f3.txt", "A\\skip.dat", "A\\B\\deep.txt",
                          "A\\B\\Deeper.txt", "C\\c1.txt", "C\\c2.dat", "C\\C3.txt", "E\\e.dat"})
      ASSERT_TRUE(t.File(f));
    ASSERT_EQ(tree.BrowseDrive(t.Root().c_str(), &filter), TRUE);
  }
  std::string P(const std::string& rel) const { return t.Path(rel); }
  unsigned Dir(const std::string& rel) const {
    for (unsigned d = 0; d < tree.m_uDirCount; ++d)
      if (::Dir(tree.m_pDirs[d]) == (rel.empty() ? t.Root() + "\\" : P(rel) + "\\")) return d;
    return kNone;
  }
  // Every accepted file is found where it stands.
  void ExpectAllFound() const {
    for (unsigned i = 0; i < tree.m_uAccepted; ++i) {
      EXPECT_EQ(tree.findFile(tree.m_pFiles[i].szPath), i) << tree.m_pFiles[i].szPath;
      std::string upper = tree.m_pFiles[i].szPath;
      CharUpperA(&upper[0]);
      EXPECT_EQ(tree.findFile(upper.c_str()), i) << upper;
    }
  }
};

TEST(FileTree, FindFileByPathAndByPattern) {
  EditTree e;
  e.Build();
  const CZTFileTree& tree = e.tree;
  ExpectTablesHold(tree, false);
  ASSERT_EQ(tree.m_uAccepted, 8u);
  e.ExpectAllFound();
  EXPECT_EQ(tree.findFile(e.P("A\\skip.dat").c_str()), kNone);  // recorded, not accepted
  EXPECT_EQ(tree.findFile(e.P("A\\f4.txt").c_str()), kNone);
  EXPECT_EQ(tree.findFile(e.P("A\\f1.txt2").c_str()), kNone);
  EXPECT_EQ(tree.findFile(e.P("A\\f1.tx").c_str()), kNone);
  EXPECT_EQ(tree.findFile(e.P("A\\B").c_str()), kNone);
  EXPECT_EQ(tree.findFile(e.P("Q\\f1.txt").c_str()), kNone);
  EXPECT_EQ(tree.findFile("f1.txt"), kNone);
  EXPECT_EQ(tree.findFile(""), kNone);
  EXPECT_EQ(tree.findFile(nullptr), kNone);

  const unsigned deep = tree.findFile(e.P("A\\B\\deep.txt").c_str());
  EXPECT_EQ(tree.findfile("DEEP*"), deep);
  EXPECT_EQ(tree.findfile("d??p.txt"), deep);
  EXPECT_EQ(tree.findfile("*.TXT"), 0u);
  EXPECT_EQ(tree.findfile("c#.txt"), tree.findFile(e.P("C\\c1.txt").c_str()));
  EXPECT_EQ(tree.findfile("*3*"), tree.findFile(e.P("A\\f3.txt").c_str()));
  EXPECT_EQ(tree.findfile("skip.dat"), kNone);  // only accepted files
  EXPECT_EQ(tree.findfile("f"), kNone);         // the whole name must match
  EXPECT_EQ(tree.findfile(""), kNone);
  EXPECT_EQ(tree.findfile(nullptr), kNone);
}

TEST(FileTree, TablesFollowDeletesRenamesMovesAndCopies) {
  EditTree e;
  e.Build();
  CZTFileTree& tree = e.tree;
  LogCapture log("file_tree_test.log");
  std::multiset<std::string> accepted = TableFiles(tree, e.t.Root(), true);
  auto expectModel = [&](bool acceptedOnly) {
    ExpectTablesHold(tree, acceptedOnly);
    EXPECT_EQ(TableFiles(tree, e.t.Root(), true), accepted);
    e.ExpectAllFound();
  };
  const unsigned a = e.Dir("A"), root = e.Dir("");

  // delfile: the file leaves its folder's counts and its ancestors' (the
  // counts of a scan cover every recorded file).
  const unsigned filesA = tree.m_pDirs[a].uFiles, belowRoot = tree.m_pDirs[root].uSubtreeFiles;
  const unsigned count = tree.m_uFileCount;
  tree.delfile(tree.findFile(e.P("A\\F2.TXT").c_str()));
  accepted.erase("A\\F2.TXT");
  EXPECT_EQ(tree.m_pDirs[a].uFiles, filesA - 1);
  EXPECT_EQ(tree.m_pDirs[root].uSubtreeFiles, belowRoot - 1);
  EXPECT_EQ(tree.m_uFileCount, count - 1);
  expectModel(false);
  tree.delfile(tree.m_uAccepted);  // not an accepted file: nothing happens
  EXPECT_EQ(tree.m_uFileCount, count - 1);

  // renfile within the folder moves the file to its place among the others.
  unsigned pos = tree.renfile(tree.findFile(e.P("A\\f1.txt").c_str()), e.P("A\\zz.txt").c_str());
  accepted.erase("A\\f1.txt");
  accepted.insert("A\\zz.txt");
  EXPECT_EQ(pos, tree.findFile(e.P("A\\zz.txt").c_str()));
  EXPECT_EQ(Name(tree.m_pFiles[pos]), "zz.txt");
  expectModel(false);
  pos = tree.renfile(pos, e.P("A\\0first.txt").c_str());
  accepted.erase("A\\zz.txt");
  accepted.insert("A\\0first.txt");
  expectModel(false);
  // Into another folder, or past the length limit: refused, the file stays.
  EXPECT_EQ(tree.renfile(pos, e.P("C\\moved.txt").c_str()), pos);
  EXPECT_EQ(tree.renfile(pos, (e.P("A\\") + std::string(300, 'n')).c_str()), pos);
  EXPECT_EQ(tree.renfile(tree.m_uAccepted, e.P("A\\x.txt").c_str()), tree.m_uAccepted);
  expectModel(false);

  // movefile inside the tree: placed in its new folder, counts of accepted files.
  pos = tree.movefile(tree.findFile(e.P("A\\f3.txt").c_str()), e.P("C\\f3.txt").c_str());
  accepted.erase("A\\f3.txt");
  accepted.insert("C\\f3.txt");
  EXPECT_EQ(pos, tree.findFile(e.P("C\\f3.txt").c_str()));
  EXPECT_EQ(tree.m_pFiles[pos].uDir, e.Dir("C"));
  expectModel(true);
  // ... and out of it: removed, 0xFFFFFFFF.
  EXPECT_EQ(tree.movefile(tree.findFile(e.P("top.txt").c_str()), "Q:\\elsewhere\\top.txt"), kNone);
  accepted.erase("top.txt");
  expectModel(true);
  EXPECT_EQ(tree.movefile(0, ""), kNone);
  EXPECT_EQ(tree.movefile(tree.m_uAccepted, e.P("C\\x.txt").c_str()), kNone);

  // copyfile: the copy is accepted like its source, without size or time;
  // many copies grow the table.
  const unsigned source = tree.findFile(e.P("C\\c1.txt").c_str());
  pos = tree.copyfile(source, e.P("A\\B\\copy.txt").c_str());
  accepted.insert("A\\B\\copy.txt");
  ASSERT_NE(pos, kNone);
  EXPECT_EQ(tree.m_pFiles[pos].ullSize, 0u);
  EXPECT_EQ(tree.m_pFiles[pos].uDir, e.Dir("A\\B"));
  expectModel(true);
  for (unsigned i = 0; i < 40; ++i) {
    const std::string rel = "E\\copy" + std::to_string(i) + ".txt";
    ASSERT_NE(tree.copyfile(tree.findFile(e.P("C\\C3.txt").c_str()), e.P(rel).c_str()), kNone);
    accepted.insert(rel);
  }
  expectModel(true);
  EXPECT_EQ(tree.copyfile(0, "Q:\\elsewhere\\x.txt"), kNone);
  EXPECT_EQ(tree.copyfile(0, e.P("A\\").c_str()), kNone);
  EXPECT_EQ(tree.copyfile(tree.m_uAccepted, e.P("A\\x.txt").c_str()), kNone);
  expectModel(true);
  EXPECT_EQ(TableFiles(tree, e.t.Root(), false).count("A\\skip.dat"), 1u);  // the others stay
  EXPECT_NE(log.All().find("1 CZTFileTree: New name "), std::string::npos);
}

TEST(FileTree, MarksAndNameOrder) {
  EditTree e;
  e.Build();
  CZTFileTree& tree = e.tree;
  const unsigned accepted = tree.m_uAccepted;
  auto marked = [&] {
    std::vector<unsigned> m;
    for (unsigned i = 0; i < tree.m_uFileCount; ++i)
      if (tree.m_pFiles[i].bMarked) m.push_back(i);
    return m;
  };
  EXPECT_EQ(tree.MarkOnlyRange(5, 2), TRUE);
  EXPECT_EQ(marked(), (std::vector<unsigned>{2, 3, 4, 5}));
  EXPECT_EQ(tree.MarkOnlyRange(accepted, accepted + 3), FALSE);
  EXPECT_EQ(marked(), (std::vector<unsigned>{2, 3, 4, 5}));
  EXPECT_EQ(tree.MarkOnlyRange(accepted - 2, 1000), TRUE);  // cut to the accepted files
  EXPECT_EQ(marked(), (std::vector<unsigned>{accepted - 2, accepted - 1}));
  EXPECT_EQ(tree.MarkOnlyItem(accepted), FALSE);
  EXPECT_EQ(tree.MarkOnlyItem(3), TRUE);
  EXPECT_EQ(marked(), std::vector<unsigned>{3});
  tree.UnmarkAllItems();
  EXPECT_TRUE(marked().empty());

  tree.SortFileItems(ZT_SORT_BY_NAME, 1);
  ExpectTablesHold(tree, false, true);
  EXPECT_EQ(Name(tree.m_pFiles[tree.findFile(e.P("A\\f3.txt").c_str()) + 1]), "F2.TXT");
  e.ExpectAllFound();  // still found in the reversed order
  const std::string before = tree.m_pFiles[0].szPath;
  tree.SortFileItems(7, 0);  // other keys do nothing
  EXPECT_EQ(before, tree.m_pFiles[0].szPath);
  tree.reorg();  // back to ascending names
  ExpectTablesHold(tree, true);
  e.ExpectAllFound();
}

TEST(FileTree, TreeViewItemsAndFirstFilesOfFolders) {
  EditTree e;
  e.Build();
  CZTFileTree& tree = e.tree;
  LogCapture log("file_tree_test.log");
  INITCOMMONCONTROLSEX init = {sizeof(init), ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&init);
  HWND view = CreateWindowA(WC_TREEVIEWA, "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(view, nullptr);
  std::vector<HTREEITEM> items(tree.m_uDirCount);
  for (unsigned d = 0; d < tree.m_uDirCount; ++d) {
    TVINSERTSTRUCTA insert = {};
    insert.hParent = d == 0 ? TVI_ROOT : items[tree.m_pDirs[d].uParent];
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = tree.m_pDirs[d].szPath + tree.m_pDirs[d].uNameOffset;
    items[d] = reinterpret_cast<HTREEITEM>(SendMessageA(view, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    ASSERT_EQ(tree.setHTVItem(d, items[d]), TRUE);
  }
  const unsigned root = e.Dir(""), a = e.Dir("A"), b = e.Dir("A\\B"), c = e.Dir("C"), ee = e.Dir("E");
  EXPECT_EQ(tree.m_pDirs[root].hFirstChild, items[a]);
  EXPECT_EQ(tree.m_pDirs[root].hLastChild, items[ee]);
  EXPECT_EQ(tree.m_pDirs[a].hFirstChild, items[b]);
  EXPECT_EQ(tree.m_pDirs[b].hFirstChild, nullptr);
  for (unsigned d = 0; d < tree.m_uDirCount; ++d) EXPECT_EQ(tree.getDirItem(items[d]), d);
  EXPECT_EQ(tree.getDirItem(reinterpret_cast<HTREEITEM>(0x1234)), kNone);
  EXPECT_EQ(tree.setHTVItem(tree.m_uDirCount, items[0]), FALSE);
  EXPECT_NE(log.All().find("1 CZTFileTree: Set tree view item of not existing directory record"), std::string::npos);
  DestroyWindow(view);

  // The root's own file is the first accepted one: position 0, as for a folder
  // without any.
  EXPECT_EQ(tree.getFirstDirFile(root, 0), 0u);
  EXPECT_EQ(Name(tree.m_pFiles[0]), "top.txt");
  EXPECT_EQ(tree.getFirstDirFile(c, 0), tree.findFile(e.P("C\\c1.txt").c_str()));
  EXPECT_EQ(tree.getFirstDirFile(b, 1), tree.findFile(e.P("A\\B\\deep.txt").c_str()));
  EXPECT_EQ(tree.getFirstDirFile(ee, 1), 0u);  // E holds only a .dat file
  EXPECT_EQ(tree.getFirstDirFile(tree.m_uDirCount, 1), 0u);
  // A folder without files of its own, with and without its subfolders.
  for (const char* f : {"A\\f1.txt", "A\\F2.TXT", "A\\f3.txt"}) tree.delfile(tree.findFile(e.P(f).c_str()));
  EXPECT_EQ(tree.getFirstDirFile(a, 0), 0u);
  EXPECT_EQ(tree.getFirstDirFile(a, 1), tree.findFile(e.P("A\\B\\deep.txt").c_str()));
  EXPECT_EQ(tree.getFirstDirFile(a, 1), 1u);
  // The root without its own file: 0 again, and 0 as the first file below it.
  tree.delfile(tree.findFile(e.P("top.txt").c_str()));
  EXPECT_EQ(tree.getFirstDirFile(root, 0), 0u);
  EXPECT_EQ(tree.getFirstDirFile(root, 1), 0u);
}

TEST(FileTree, FailedScansLeaveTheTables) {
  EditTree e;
  e.Build();
  CZTFileTree& tree = e.tree;
  LogCapture log("file_tree_test.log");
  BoxRecorder boxes;
  const SFileEntry* files = tree.m_pFiles;
  const unsigned count = tree.m_uFileCount, dirs = tree.m_uDirCount;
  EXPECT_EQ(tree.BrowseDrive((std::string("C:\\") + std::string(260, 'r')).c_str(), nullptr), FALSE);
  EXPECT_EQ(tree.BrowseDrive(nullptr, nullptr), FALSE);
  // Memory running out for the first directory record, a later one, or a file record.
  ScratchTree wide("wide");
  for (int d = 0; d < 70; ++d) ASSERT_TRUE(wide.Dir("d" + std::to_string(d)));
  for (int f = 0; f < 70; ++f) ASSERT_TRUE(wide.File("d1\\f" + std::to_string(f)));
  for (unsigned calls : {0u, 3u, 6u}) {
    zt_test::FailingPoolHeap heap(calls);
    EXPECT_EQ(tree.BrowseDrive(wide.Root().c_str(), nullptr), FALSE) << calls;
  }
  EXPECT_EQ(tree.m_pFiles, files);
  EXPECT_EQ(tree.m_uFileCount, count);
  EXPECT_EQ(tree.m_uDirCount, dirs);
  const std::string all = log.All();
  EXPECT_NE(all.find("0 CZTFileTree: Error on allocating the first directory record\n"), std::string::npos);
  EXPECT_NE(all.find("0 CZTFileTree: Not enough free memory for a directory record available\n"), std::string::npos);
  EXPECT_NE(all.find("0 CZTFileTree: Not enough free memory for a file record available\n"), std::string::npos);
  for (const auto& box : boxes.boxes) EXPECT_EQ(box.code, 200u);
}

// BrowseStation over two drive letters of the Wine prefix mapped to folders of
// the test (the other drives of the machine left out).
DWORD g_stationDrives = 0;
DWORD WINAPI MappedDrivesOnly() { return ztSystemDriveApi()->pGetLogicalDrives() & g_stationDrives; }

TEST(FileTree, BrowseStationScansEveryDriveWithVolumeData) {
  ScratchTree t("station");
  ASSERT_TRUE(t.Dir("m") && t.Dir("m\\sub") && t.Dir("n"));
  ASSERT_TRUE(t.File("m\\one.txt") && t.File("m\\sub\\two.txt") && t.File("n\\three.txt") && t.File("n\\x.dat"));
  zt_test::WineDrives drives;
  if (!drives.Map('M', t.Path("m"), DRIVE_FIXED)) GTEST_SKIP() << "drive letters cannot be mapped here";
  ASSERT_TRUE(drives.Map('N', t.Path("n"), DRIVE_FIXED));
  SZTDriveApi api = *ztSystemDriveApi();
  api.pGetLogicalDrives = MappedDrivesOnly;
  g_stationDrives = (1u << ('M' - 'A')) | (1u << ('N' - 'A'));
  ztSetDriveApi(&api);
  LogCapture log("file_tree_test.log");
  SZTFileTypeEntry entries[] = {{0, 1, 1, 0, ".TXT"}, {0, 2, 0, 0, ".DAT"}};
  CZTFileType filter = {2, entries};
  CZTFileTree tree;
  const int result = tree.BrowseStation(&filter);
  ztSetDriveApi(nullptr);
  ASSERT_EQ(result, TRUE);
  ExpectTablesHold(tree, false);
  ASSERT_EQ(tree.m_uDirCount, 4u);
  EXPECT_STREQ(tree.m_pDirs[0].szPath, "Workstation");
  EXPECT_EQ(tree.m_pDirs[0].uPathLength, 11u);
  EXPECT_EQ(tree.m_pDirs[0].uParent, kNone);
  EXPECT_STREQ(tree.m_pDirs[1].szPath, "M:\\");
  EXPECT_STREQ(tree.m_pDirs[2].szPath, "M:\\sub\\");
  EXPECT_STREQ(tree.m_pDirs[3].szPath, "N:\\");
  EXPECT_EQ(tree.m_pDirs[1].uParent, 0u);
  EXPECT_EQ(tree.m_pDirs[3].uParent, 0u);
  EXPECT_EQ(tree.m_pDirs[0].uSubtreeFiles, 4u);
  EXPECT_EQ(tree.m_uAccepted, 3u);
  EXPECT_EQ(tree.findFile("m:\\SUB\\two.txt"), 1u);
  EXPECT_EQ(tree.movefile(0, "N:\\one.txt"), 1u);
  const std::string all = log.All();
  EXPECT_NE(all.find("5 CZTFileTree: Initialize the workstation browser\n"), std::string::npos);
  EXPECT_EQ(all.find("path = Workstation"), std::string::npos);  // the pseudo-root is not searched
}

}  // namespace
