#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "zt_lib32/conf_file.h"

namespace fs = std::filesystem;

namespace {

std::string EditText(const CZTConfFile& conf) { return std::string(conf.m_pEditText, conf.m_uEditLength); }

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// The header and one table block written the way the file description writes them.
void WriteDescription(CZTConfFile& conf) {
  ASSERT_EQ(1, conf.StartEdit(0x10000, 8, 32, 24, 80, 104));
  conf.EditHdDelLine();
  conf.EditHdEmptyLine();
  conf.EditHdParamLine(0, "Data File Description");
  conf.EditHdEmptyLine();
  conf.EditHdDelLine();
  conf.EditHdEmptyLine();
  conf.EditHdParamLine(2, "CUSTOMERS");
  conf.EditHdParamLine(3, "Table: \"NOT A TABLE\"; written by a test");
  conf.EditHdParamLine(4, "zt_tbl32: data table description manager");
  conf.EditHdEmptyLine();
  conf.EditHdParamLine(5, nullptr);
  conf.EditHdParamLine(6, "");
  conf.EditHdEmptyLine();
  conf.EditHdDelLine();
  conf.EditComment(nullptr);
  conf.EditTextLine("Table:", "CUSTOMERS", nullptr);
  conf.EditIntLine("IndexNodeSize:", 1024, nullptr);
  conf.EditComment(nullptr);
  conf.EditDataLine("Field:", "   0,   4, 2, 0x0001, 0, 0x0001, 1, 10, \"ID\"", nullptr);
  conf.EditComment(nullptr);
  conf.EditDataLine("Key:", "1, 0, 0, 0, 0", nullptr);
  conf.EditDataLine("KeyPart:", "\"ULONG\", \"ID\"", nullptr);
  conf.EditIntLine("GalleryLayout:", 2, "gallery  windows layout");
  conf.EditDataLine("Table:", "END", nullptr);
  conf.EditComment(nullptr);
}

TEST(ConfFileWrite, LayoutOfHeaderAndBlockLines) {
  CZTConfFile conf;
  WriteDescription(conf);
  ASSERT_EQ(0u, conf.GetEditError());
  const std::string text = EditText(conf);
  EXPECT_EQ(0, text.compare(0, 106, ";" + std::string(103, '=') + "\r\n"));
  EXPECT_NE(std::string::npos, text.find(";\r\n;" + std::string(40, ' ') + "Data File Description\r\n"));
  EXPECT_NE(std::string::npos, text.find(";       Table:                  CUSTOMERS\r\n"));
  EXPECT_NE(std::string::npos, text.find("\r\n        Table:                  \"CUSTOMERS\"\r\n"));
  EXPECT_NE(std::string::npos, text.find("\r\n        IndexNodeSize:          1024\r\n"));
  EXPECT_NE(std::string::npos, text.find("\r\n        Field:                     0,   4, 2, 0x0001,"));
  EXPECT_NE(std::string::npos, text.find("\r\n        GalleryLayout:          2" + std::string(47, ' ') +
                                         "; gallery  windows layout\r\n"));
  EXPECT_NE(std::string::npos, text.find("\r\n        Table:                  END\r\n\r\n"));
  for (size_t i = 0; i < text.size(); ++i) {  // CRLF only
    if (text[i] == '\n') {
      ASSERT_TRUE(i > 0 && text[i - 1] == '\r');
    }
    if (text[i] == '\r') {
      ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n');
    }
  }

  // The header reads as comments: the only table is the real one.
  ASSERT_EQ(1, conf.ReadIt(conf.m_pEditText, conf.m_uEditLength));
  unsigned count;
  ASSERT_EQ(1, conf.GetBlockCount("TABLE", &count));
  EXPECT_EQ(1u, count);
  char name[32];
  EXPECT_EQ(ZT_CONF_OK, conf.GetText("TABLE", name, sizeof(name), nullptr));
  EXPECT_STREQ("CUSTOMERS", name);
  unsigned value;
  EXPECT_EQ(ZT_CONF_OK, conf.GetWord("GALLERYLAYOUT", &value));
  EXPECT_EQ(2u, value);
}

TEST(ConfFileWrite, TextsReadBackByteForByte) {
  const std::vector<std::string> texts = {"",           "END",
                                          "end ; x",    "\"",
                                          "\"\"",       "a \"quoted\" word",
                                          "semi;colon", "#hash",
                                          "// slashes", " lead and trail ",
                                          "\ttab\t",    "comma, list",
                                          "'c'",        "\x80\xE4\xFF\xDF",
                                          "a\"b",       "\"leading",
                                          "trailing\"", "C:\\dir\\#PPN_#SN0.tif",
                                          "x\x01\x1F"};
  CZTConfFile conf;
  ASSERT_EQ(1, conf.StartEdit(0x10000, 8, 32, 24, 80, 104));
  for (const std::string& t : texts) EXPECT_EQ(1, conf.EditTextLine("Text:", t.c_str(), "c;o\"mm\rent"));
  // Texts quoted by a caller into a data line read back the same way.
  char quoted[64];
  ASSERT_NE(0u, CZTConfFile::QuoteText(quoted, sizeof(quoted), "say \"hi\"; bye"));
  EXPECT_EQ(1, conf.EditDataLine("Pair:", (std::string("7, ") + quoted + ", \"x\"").c_str(), nullptr));
  ASSERT_EQ(0u, conf.GetEditError());

  CZTConfFile reader;
  ASSERT_EQ(1, reader.ReadIt(conf.m_pEditText, conf.m_uEditLength));
  EXPECT_EQ(texts.size(), reader.GetKeyCount("TEXT"));
  reader.StartRange();
  for (const std::string& t : texts) {
    char buffer[64];
    unsigned length = 0;
    ASSERT_EQ(ZT_CONF_OK, reader.GetText("TEXT", buffer, sizeof(buffer), &length)) << t;
    EXPECT_EQ(t, std::string(buffer, length));
  }
  reader.EndRange();
  unsigned value, count;
  char t1[32], t2[32];
  EXPECT_EQ(ZT_CONF_OK, reader.GetWords2Text("PAIR", &value, 1, &count, t1, 32, nullptr, t2, 32, nullptr));
  EXPECT_STREQ("say \"hi\"; bye", t1);
  EXPECT_EQ(0u, CZTConfFile::QuoteText(quoted, 4, "long"));
  EXPECT_STREQ("", quoted);
}

TEST(ConfFileWrite, RefusedInputFailsTheEditAndTheWrite) {
  struct Case {
    const char* keyword;
    const char* data;
    int text;
    unsigned error;
  };
  const Case cases[] = {
      {"Text:", "line\nbreak", 1, ZT_CONF_BAD_CHARACTER},
      {"Text:", "cr\r", 1, ZT_CONF_BAD_CHARACTER},
      {"Data:", "1, \"open", 0, ZT_CONF_BAD_DATA},
      {"Data:", "1 ; 2", 0, ZT_CONF_BAD_DATA},
      {"Data:", "1\r\n2", 0, ZT_CONF_BAD_CHARACTER},
      {"Two words:", "1", 0, ZT_CONF_BAD_KEYWORD},
      {":", "1", 0, ZT_CONF_BAD_KEYWORD},
      {"#Hash:", "1", 0, ZT_CONF_BAD_KEYWORD},
      {nullptr, "1", 0, ZT_CONF_BAD_KEYWORD},
      {"Semi;colon", "1", 1, ZT_CONF_BAD_KEYWORD},
  };
  const fs::path file = "conf_refused.cfg";
  WriteBytes(file, "old");
  for (const Case& c : cases) {
    CZTConfFile conf;
    ASSERT_EQ(1, conf.StartEdit(16, 8, 32, 24, 80, 104));
    conf.EditIntLine("Before:", 1, nullptr);
    unsigned before = conf.m_uEditLength;
    EXPECT_EQ(0,
              c.text ? conf.EditTextLine(c.keyword, c.data, nullptr) : conf.EditDataLine(c.keyword, c.data, nullptr));
    EXPECT_EQ(before, conf.m_uEditLength);  // nothing of the refused line
    conf.EditIntLine("After:", 2, nullptr);
    EXPECT_EQ(c.error, conf.GetEditError()) << (c.data ? c.data : "");
    EXPECT_EQ(0, conf.WriteEdit(file.string().c_str(), 1));
    EXPECT_EQ(c.error, conf.m_uLastError);
  }
  EXPECT_EQ("old", ReadBytes(file));
  CZTConfFile noEdit;
  EXPECT_EQ(0, noEdit.EditIntLine("A:", 1, nullptr));
  EXPECT_EQ(0, noEdit.WriteEdit(file.string().c_str(), 1));
  EXPECT_EQ("old", ReadBytes(file));
  fs::remove(file);
}

TEST(ConfFileWrite, WriteEditReplacesWholeOrNotAtAll) {
  const fs::path dir = "conf_write_dir";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path file = dir / "desc.cfg";
  CZTConfFile conf;
  WriteDescription(conf);
  const std::string edit = EditText(conf);

  // A new file, then a replacement; the file reads as the edit text does.
  ASSERT_EQ(1, conf.WriteEdit(file.string().c_str(), 1));
  EXPECT_EQ(edit, ReadBytes(file));
  conf.EditIntLine("Extra:", 5, nullptr);
  ASSERT_EQ(1, conf.WriteEdit(file.string().c_str(), 0));
  EXPECT_EQ(EditText(conf), ReadBytes(file));
  CZTConfFile fromFile, fromMemory;
  ASSERT_EQ(1, fromFile.Read(file.string().c_str(), 1, 1));
  EXPECT_STREQ(file.string().c_str(), fromFile.m_szFileName);
  ASSERT_EQ(1, fromMemory.ReadIt(conf.m_pEditText, conf.m_uEditLength));
  EXPECT_EQ(fromMemory.GetLineCount(), fromFile.GetLineCount());
  unsigned a = 0, b = 0;
  EXPECT_EQ(ZT_CONF_OK, fromFile.GetWord("extra", &a));
  EXPECT_EQ(ZT_CONF_OK, fromMemory.GetWord("extra", &b));
  EXPECT_EQ(a, b);

  // A read-only target stays as it was, byte for byte.
  const std::string old = ReadBytes(file);
  fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  conf.EditIntLine("More:", 6, nullptr);
  EXPECT_EQ(0, conf.WriteEdit(file.string().c_str(), 1));
  EXPECT_NE(0u, conf.m_uLastError);
  EXPECT_EQ(old, ReadBytes(file));
  fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);

  // A missing folder, and a folder in place of the file.
  EXPECT_EQ(0, conf.WriteEdit((dir / "missing" / "desc.cfg").string().c_str(), 1));
  EXPECT_NE(0u, conf.m_uLastError);
  fs::create_directories(dir / "sub.cfg");
  EXPECT_EQ(0, conf.WriteEdit((dir / "sub.cfg").string().c_str(), 1));
  EXPECT_TRUE(fs::is_directory(dir / "sub.cfg"));

  // No temporary file is left behind.
  unsigned entries = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(2u, entries);

  // Reading failures.
  EXPECT_EQ(0, fromFile.Read((dir / "none.cfg").string().c_str(), 1, 1));
  EXPECT_NE(0u, fromFile.m_uLastError);
  EXPECT_EQ(0, fromFile.Read((dir / "sub.cfg").string().c_str(), 1, 1));
  EXPECT_EQ(0, fromFile.Read(nullptr, 1, 1));
  unsigned count;
  EXPECT_EQ(0, fromFile.GetBlockCount("TABLE", &count));
  fs::remove_all(dir);
}

TEST(ConfFileWrite, EditBufferGrowsFromAnySize) {
  CZTConfFile conf;
  ASSERT_EQ(1, conf.StartEdit(1, 0, 0, 0, 0, 0));
  const std::string longText(100000, 'q');
  for (unsigned i = 0; i < 3000; ++i) conf.EditIntLine("N", i, nullptr);
  conf.EditTextLine("Long", longText.c_str(), nullptr);
  ASSERT_EQ(0u, conf.GetEditError());
  CZTConfFile reader;
  ASSERT_EQ(1, reader.ReadIt(conf.m_pEditText, conf.m_uEditLength));
  EXPECT_EQ(3000u, reader.GetKeyCount("N"));
  reader.StartRange();
  for (unsigned i = 0; i < 3000; ++i) {
    unsigned v = ~0u;
    ASSERT_EQ(ZT_CONF_OK, reader.GetWord("N", &v));
    ASSERT_EQ(i, v);
  }
  std::string back(longText.size() + 1, '\0');
  unsigned length = 0;
  EXPECT_EQ(ZT_CONF_OK, reader.GetText("LONG", &back[0], static_cast<unsigned>(back.size()), &length));
  EXPECT_EQ(longText.size(), length);
}

// Random descriptions written through the writer read back through the getters,
// block counts, block selection and range reading.
class RandomDescription {
 public:
  explicit RandomDescription(unsigned seed) : rng_(seed) {}

  std::string Text() {
    static const char kChars[] = "abcXYZ019 \t\",;:#'/\\END\x80\xE4\xFF";
    std::string t;
    unsigned n = Pick(12);
    if (Pick(8) == 0) return Pick(2) ? "END" : "";
    for (unsigned i = 0; i < n; ++i) t += kChars[Pick(sizeof(kChars) - 1)];
    return t;
  }
  unsigned Number() {
    switch (Pick(3)) {
      case 0:
        return Pick(10);
      case 1:
        return static_cast<unsigned>(rng_());
      default:
        return 0xFFFFFFFFu - Pick(3);
    }
  }
  // A number in one of the three notations.
  std::string NumberItem(unsigned* value) {
    unsigned v = Number();
    char buffer[24];
    switch (Pick(3)) {
      case 0:
        snprintf(buffer, sizeof(buffer), "%u", v);
        break;
      case 1:
        snprintf(buffer, sizeof(buffer), "0x%X", v);
        break;
      default:
        do v = 1 + Pick(255);
        while (v == '\r' || v == '\n');
        snprintf(buffer, sizeof(buffer), "'%c'", static_cast<char>(v));
    }
    *value = v;
    return buffer;
  }
  unsigned Pick(unsigned n) { return static_cast<unsigned>(rng_() % n); }
  const char* Kw(const char* keyword) {
    // The letter case and the colon vary; the reader must not care.
    kw_ = keyword;
    for (char& c : kw_)
      if (Pick(2)) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    if (Pick(2)) kw_ += ':';
    return kw_.c_str();
  }

 private:
  std::mt19937 rng_;
  std::string kw_;
};

struct KeyModel {
  std::vector<unsigned> flags;
  std::vector<std::pair<std::string, std::string>> parts;
};
struct TableModel {
  std::string name;
  unsigned nodeSize = 0;
  std::vector<std::string> items;
  std::vector<std::pair<std::vector<unsigned>, std::string>> rows;
  std::vector<KeyModel> keys;
};

TEST(ConfFileWrite, RandomEditsReadBack) {
  RandomDescription r(20261207);
  for (unsigned round = 0; round < 150; ++round) {
    std::vector<TableModel> tables(r.Pick(5));
    CZTConfFile conf;
    ASSERT_EQ(1, conf.StartEdit(64, r.Pick(10), r.Pick(40), r.Pick(30), r.Pick(90), r.Pick(120)));
    conf.EditHdDelLine();
    conf.EditHdParamLine(r.Pick(7), r.Text().c_str());
    for (TableModel& t : tables) {
      t.name = r.Text();
      t.nodeSize = r.Number();
      conf.EditComment(r.Pick(2) ? nullptr : r.Text().c_str());
      conf.EditTextLine(r.Kw("Table"), t.name.c_str(), r.Pick(2) ? nullptr : r.Text().c_str());
      conf.EditIntLine(r.Kw("IndexNodeSize"), t.nodeSize, nullptr);
      unsigned lines = r.Pick(12);
      for (unsigned i = 0; i < lines; ++i) {
        if (r.Pick(2)) {
          t.items.push_back(r.Text());
          conf.EditTextLine(r.Kw("Item"), t.items.back().c_str(), r.Pick(3) ? nullptr : r.Text().c_str());
        } else {
          std::vector<unsigned> values(r.Pick(9));
          std::string data;
          for (unsigned& v : values) data += r.NumberItem(&v) + (r.Pick(2) ? ", " : "\t ");
          std::string text = r.Text();
          char quoted[64];
          ASSERT_NE(0u, CZTConfFile::QuoteText(quoted, sizeof(quoted), text.c_str()));
          data += quoted;
          t.rows.emplace_back(values, text);
          ASSERT_EQ(1, conf.EditDataLine(r.Kw("Field"), data.c_str(), r.Pick(3) ? nullptr : r.Text().c_str())) << data;
        }
      }
      t.keys.resize(r.Pick(4));
      for (KeyModel& k : t.keys) {
        k.flags.resize(1 + r.Pick(5));
        std::string data;
        for (unsigned& f : k.flags) data += r.NumberItem(&f) + " ";
        conf.EditComment(nullptr);
        conf.EditDataLine(r.Kw("Key"), data.c_str(), nullptr);
        k.parts.resize(r.Pick(4));
        for (auto& part : k.parts) {
          part = {r.Text(), r.Text()};
          char a[64], b[64];
          CZTConfFile::QuoteText(a, sizeof(a), part.first.c_str());
          CZTConfFile::QuoteText(b, sizeof(b), part.second.c_str());
          conf.EditDataLine(r.Kw("KeyPart"), (std::string(a) + ", " + b).c_str(), nullptr);
        }
      }
      conf.EditDataLine(r.Kw("Table"), r.Pick(2) ? "END" : "end", r.Pick(2) ? nullptr : "closes");
      conf.EditComment(nullptr);
    }
    ASSERT_EQ(0u, conf.GetEditError());

    CZTConfFile in;
    ASSERT_EQ(1, in.ReadIt(conf.m_pEditText, conf.m_uEditLength));
    unsigned count = 0;
    ASSERT_EQ(1, in.GetBlockCount("TABLE", &count));
    ASSERT_EQ(tables.size(), count);
    EXPECT_EQ(ZT_CONF_OK, in.CheckBlocks("TABLE", nullptr));
    if (tables.empty()) {
      EXPECT_EQ(0, in.SelectBlock("TABLE"));
      continue;
    }
    ASSERT_EQ(1, in.SelectBlock("TABLE"));
    for (size_t ti = 0; ti < tables.size(); ++ti) {
      const TableModel& t = tables[ti];
      if (ti) {
        ASSERT_EQ(1, in.SelectNextBlock());
      }
      char text[64];
      unsigned length = 0, value = 0;
      ASSERT_EQ(ZT_CONF_OK, in.GetText("TABLE", text, sizeof(text), &length));
      EXPECT_EQ(t.name, std::string(text, length));
      ASSERT_EQ(ZT_CONF_OK, in.GetWord("INDEXNODESIZE", &value));
      EXPECT_EQ(t.nodeSize, value);
      EXPECT_EQ(t.items.size(), in.GetKeyCount("ITEM"));
      in.StartRange();
      for (const std::string& item : t.items) {
        ASSERT_EQ(ZT_CONF_OK, in.GetText("ITEM", text, sizeof(text), &length));
        EXPECT_EQ(item, std::string(text, length));
      }
      EXPECT_EQ(ZT_CONF_NO_LINE, in.GetText("ITEM", text, sizeof(text), &length));
      in.EndRange();

      ASSERT_EQ(1, in.GetBlockCount("FIELD", &count));
      ASSERT_EQ(t.rows.size(), count);
      if (!t.rows.empty()) {
        ASSERT_EQ(1, in.SelectBlock("FIELD"));
        for (size_t i = 0; i < t.rows.size(); ++i) {
          if (i) {
            ASSERT_EQ(1, in.SelectNextBlock());
          }
          unsigned values[8];
          ASSERT_EQ(ZT_CONF_OK, in.GetWordsText("FIELD", values, 8, &count, text, sizeof(text), &length));
          EXPECT_EQ(t.rows[i].first, std::vector<unsigned>(values, values + count));
          EXPECT_EQ(t.rows[i].second, std::string(text, length));
        }
        EXPECT_EQ(0, in.SelectNextBlock());
        in.LeaveBlock();
      }

      ASSERT_EQ(1, in.GetBlockCount("KEY", &count));
      ASSERT_EQ(t.keys.size(), count);
      if (!t.keys.empty()) {
        ASSERT_EQ(1, in.SelectBlock("KEY"));
        for (size_t k = 0; k < t.keys.size(); ++k) {
          if (k) {
            ASSERT_EQ(1, in.SelectNextBlock());
          }
          unsigned flags[5];
          ASSERT_EQ(ZT_CONF_OK, in.GetWords("KEY", flags, 5, &count));
          EXPECT_EQ(t.keys[k].flags, std::vector<unsigned>(flags, flags + count));
          ASSERT_EQ(t.keys[k].parts.size(), in.GetKeyCount("KEYPART"));
          in.StartRange();
          for (const auto& part : t.keys[k].parts) {
            char a[64], b[64];
            unsigned la, lb;
            ASSERT_EQ(ZT_CONF_OK, in.Get2Text("KEYPART", a, sizeof(a), &la, b, sizeof(b), &lb));
            EXPECT_EQ(part.first, std::string(a, la));
            EXPECT_EQ(part.second, std::string(b, lb));
          }
          in.EndRange();
        }
        EXPECT_EQ(0, in.SelectNextBlock());
        in.LeaveBlock();
      }
    }
    EXPECT_EQ(0, in.SelectNextBlock());
    in.LeaveBlock();
    EXPECT_EQ(0u, in.m_uLevel);
  }
}

}  // namespace
