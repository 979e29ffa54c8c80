#include "material/material_key.h"

#include <gtest/gtest.h>

namespace material {
namespace {

ON_Material NamedMaterial(const wchar_t* name, const wchar_t* id) {
  ON_Material m;
  m.SetName(ON_wString(name));
  m.SetRdkMaterialInstanceId(ON_UuidFromString(id));
  return m;
}

TEST(MaterialKeyTest, HostMaterialKeyIsNameUnderscoreAndFourIdCharacters) {
  EXPECT_EQ(MaterialKey(NamedMaterial(L"Glass", L"4027a1b2-0000-4000-8000-000000000001")),
            ON_wString(L"Glass_4027"));
  // The id text is lower case, whatever case it was read from.
  EXPECT_EQ(MaterialKey(NamedMaterial(L"Brushed Steel", L"ABCDEF12-3456-4789-8abc-def012345678")),
            ON_wString(L"Brushed Steel_abcd"));
  EXPECT_EQ(MaterialKey(NamedMaterial(L"Matte", L"00000000-0000-0000-0000-000000000000")),
            ON_wString(L"Matte_0000"));
}

TEST(MaterialKeyTest, EmptyNameGivesUnderscoreAndFourCharacters) {
  const ON_wString key = MaterialKey(NamedMaterial(L"", L"9f3c0000-1111-4222-8333-444455556666"));
  EXPECT_EQ(key, ON_wString(L"_9f3c"));
  EXPECT_EQ(key.Length(), 5);
}

TEST(MaterialKeyTest, KeyIsNeverEscaped) {
  EXPECT_EQ(MaterialKey(NamedMaterial(L"R&D <old>", L"12345678-0000-4000-8000-000000000000")),
            ON_wString(L"R&D <old>_1234"));
}

TEST(MaterialKeyTest, RdkMaterialKeyReadsTheContentsOwnNameAndId) {
  CRhRdkMaterial content;
  content.m_name = L"Glass";
  content.m_id = ON_UuidFromString(L"4027beef-0000-4000-8000-000000000001");
  // The plain form held inside carries something else; the content's own
  // instance name and id make the key.
  content.m_material = NamedMaterial(L"Other", L"ffff0000-0000-4000-8000-000000000001");
  EXPECT_EQ(MaterialKey(content), ON_wString(L"Glass_4027"));

  content.m_name = L"";
  EXPECT_EQ(MaterialKey(content), ON_wString(L"_4027"));
}

TEST(MaterialKeyTest, BothBuildersAgreeForTheSameNameAndId) {
  const ON_Material plain = NamedMaterial(L"Oak", L"c0ffee00-1234-4abc-8def-0123456789ab");
  CRhRdkMaterial content;
  content.m_name = plain.Name();
  content.m_id = plain.RdkMaterialInstanceId();
  EXPECT_EQ(MaterialKey(content), MaterialKey(plain));
  EXPECT_EQ(MaterialKey(plain), ON_wString(L"Oak_c0ff"));
}

}  // namespace
}  // namespace material
