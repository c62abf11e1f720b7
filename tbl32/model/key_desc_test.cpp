#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "test_support.h"
#include "zt_tbl32/desc_errors.h"
#include "zt_tbl32/field_desc_list.h"
#include "zt_tbl32/key_desc_list.h"

namespace {

std::string TypeName(unsigned code) { return ISAMKeyType(code); }

// Reads the first "Key:" block of text into key.
int ReadKey(const std::string& text, CZTKeyDesc& key) {
  CZTConfFile conf;
  EXPECT_TRUE(conf.ReadIt(text.c_str(), static_cast<unsigned>(text.size())));
  EXPECT_TRUE(conf.SelectBlock("KEY"));
  return key.ReadDef(conf, "KEY", 3);
}

void AddField(CZTFieldDescList& list, const char* name, unsigned offset, unsigned length) {
  CZTFieldDesc* grown = new CZTFieldDesc[list.m_uCount + 1];
  for (unsigned i = 0; i < list.m_uCount; ++i) grown[i] = list.m_pFields[i];
  delete[] list.m_pFields;
  list.m_pFields = grown;
  CZTFieldDesc& f = grown[list.m_uCount++];
  list.m_uAlloc = list.m_uCount;
  f.m_uOffset = offset;
  f.m_uLength = length;
  ztStrCopy(f.m_szName, name, sizeof(f.m_szName));
}

void AddKey(CZTKeyDescList& keys, std::initializer_list<const char*> parts) {
  CZTKeyDesc* grown = new CZTKeyDesc[keys.m_uCount + 1];
  for (unsigned i = 0; i < keys.m_uCount; ++i) grown[i] = keys.m_pKeys[i];
  delete[] keys.m_pKeys;
  keys.m_pKeys = grown;
  CZTKeyDesc& key = grown[keys.m_uCount++];
  keys.m_uAlloc = keys.m_uCount;
  key.m_uOption[0] = 1;
  for (const char* part : parts) {
    key.m_Part[key.m_uPartCount].uKeyType = ISAM_KEY_TEXT;
    ztStrCopy(key.m_Part[key.m_uPartCount++].szFieldName, part, kZTNameSize);
  }
}

TEST(KeyDesc, ReadsFlagsAndPartsAndWritesThemBack) {
  BoxRecorder boxes;
  std::string text = "Key: 1, 0, 1\nKeyPart: \"" + TypeName(ISAM_KEY_ITEXT) + "\", \"Name\"\nKeyPart: \"" +
                     TypeName(ISAM_KEY_UINT32) + "\", \"Number\"\n";
  CZTKeyDesc key;
  ASSERT_EQ(ReadKey(text, key), 1);
  EXPECT_EQ(key.m_uOption[0], 1u);
  EXPECT_EQ(key.m_uOption[2], 1u);
  EXPECT_EQ(key.m_uOption[3], 0u);  // missing numbers are 0
  EXPECT_EQ(key.m_uOption[4], 0u);
  ASSERT_EQ(key.m_uPartCount, 2u);
  EXPECT_EQ(key.m_Part[0].uKeyType, (unsigned)ISAM_KEY_ITEXT);
  EXPECT_STREQ(key.m_Part[1].szFieldName, "Number");
  EXPECT_TRUE(boxes.boxes.empty());

  CZTConfFile writer;
  ASSERT_TRUE(writer.StartEdit(0x10000, 8, 32, 24, 80, 104));
  ztStrCopy(key.m_Part[1].szFieldName, "No\"5", kZTNameSize);  // a quote inside a name reads back
  EXPECT_EQ(key.WriteDef(writer), 1);
  std::string written(writer.m_pEditText, writer.m_uEditLength);
  CZTKeyDesc again;
  ASSERT_EQ(ReadKey(written, again), 1);
  EXPECT_EQ(0, memcmp(key.m_uOption, again.m_uOption, sizeof(key.m_uOption)));
  ASSERT_EQ(again.m_uPartCount, 2u);
  for (unsigned i = 0; i < 2; ++i) {
    EXPECT_EQ(again.m_Part[i].uKeyType, key.m_Part[i].uKeyType);
    EXPECT_STREQ(again.m_Part[i].szFieldName, key.m_Part[i].szFieldName);
  }
}

TEST(KeyDesc, RejectsBadBlocks) {
  BoxRecorder boxes;
  std::string part = "KeyPart: \"" + TypeName(ISAM_KEY_TEXT) + "\", \"A\"\n";
  CZTKeyDesc tooMany;
  EXPECT_EQ(ReadKey("Key: 0\n" + part + part + part + part + part, tooMany), 0);
  EXPECT_EQ(tooMany.m_uPartCount, 5u);
  ASSERT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_KEY_TOO_MANY});
  EXPECT_NE(boxes.boxes[0].text.find("(3)"), std::string::npos);

  boxes.boxes.clear();
  CZTKeyDesc none;
  EXPECT_EQ(ReadKey("Key: 0\nField: 0, 1, 7, 0, 0, 0, 0, 0, \"A\"\n", none), 0);
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_KEY_NO_PARTS});

  boxes.boxes.clear();
  CZTKeyDesc unknownType;
  EXPECT_EQ(ReadKey("Key: 0\n" + part + "KeyPart: \"NO-SUCH-TYPE\", \"B\"\n", unknownType), 0);
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_KEY_PART_TYPE});
  EXPECT_NE(boxes.boxes[0].text.find("NO-SUCH-TYPE"), std::string::npos);
  EXPECT_EQ(unknownType.m_Part[1].uKeyType, 0xFFFFFFFFu);

  boxes.boxes.clear();
  CZTKeyDesc badNumber;
  EXPECT_EQ(ReadKey("Key: 0, x\n" + part, badNumber), 0);
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_KEY_READ});
}

TEST(KeyDescList, CreateIDTLaysOutPartsByFieldName) {
  BoxRecorder boxes;
  CZTFieldDescList fields;
  AddField(fields, "Name", 10, 30);
  AddField(fields, "Number", 0, 4);
  AddField(fields, "City", 40, 20);
  CZTKeyDescList keys;
  AddKey(keys, {"NAME", "city"});  // letter case does not matter
  AddKey(keys, {"Number", "Name"});
  keys.m_pKeys[1].m_uOption[4] = 0x101;  // bytes keep the low 8 bits

  ISAMIDT* idt = keys.CreateIDT(fields);
  ASSERT_NE(idt, nullptr);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(idt);
  EXPECT_EQ(sizeof(ISAMIDT) * 2, 116u);
  EXPECT_EQ(bytes[0], 1);
  EXPECT_EQ(bytes[5], 2);
  EXPECT_EQ(idt[0].parts[0].offset, 10);
  EXPECT_EQ(idt[0].parts[0].length, 30);
  EXPECT_EQ(idt[0].parts[1].offset, 40);
  EXPECT_EQ(idt[0].parts[1].keyType, (unsigned short)ISAM_KEY_TEXT);
  EXPECT_EQ(bytes[58 + 4], 1);
  EXPECT_EQ(idt[1].parts[0].length, 4);
  EXPECT_EQ(idt[1].parts[1].offset, 10);
  CZTKeyDescList::FreeIDT(idt);
  EXPECT_TRUE(boxes.boxes.empty());

  // An unknown field gives no array at all.
  ztStrCopy(keys.m_pKeys[1].m_Part[1].szFieldName, "Street", kZTNameSize);
  EXPECT_EQ(keys.CreateIDT(fields), nullptr);
  ASSERT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_IDT_FIELD});
  EXPECT_NE(boxes.boxes[0].text.find("Street"), std::string::npos);

  boxes.boxes.clear();
  CZTKeyDescList noKeys;
  EXPECT_EQ(noKeys.CreateIDT(fields), nullptr);
  CZTFieldDescList noFields;
  EXPECT_EQ(keys.CreateIDT(noFields), nullptr);
  EXPECT_EQ(boxes.Codes(), (std::vector<unsigned>{ZT_ERR_IDT_NO_KEYS, ZT_ERR_IDT_NO_FIELDS}));
}

TEST(KeyDescList, CopiesDeeply) {
  CZTKeyDescList keys;
  AddKey(keys, {"A", "B"});
  CZTKeyDescList copy(keys);
  ASSERT_NE(copy.m_pKeys, keys.m_pKeys);
  ztStrCopy(keys.m_pKeys[0].m_Part[0].szFieldName, "Z", kZTNameSize);
  EXPECT_STREQ(copy.m_pKeys[0].m_Part[0].szFieldName, "A");
  const CZTKeyDescList& self = copy;  // assignment to itself keeps the keys
  copy = self;
  EXPECT_EQ(copy.m_uCount, 1u);
}

}  // namespace
