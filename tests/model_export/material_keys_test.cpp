#include "model_export/material_keys.h"

#include <gtest/gtest.h>

#include <string>

namespace model_export {
namespace {

// A key found again is the one made for that very material: materials that
// share an id (the nil id above all) or a name are told apart.
TEST(MaterialKeysTest, EachMaterialIsFoundUnderItsOwnIdAndName) {
  struct Case {
    const wchar_t *name, *id;
    const char16_t* key;
  };
  const Case cases[] = {
      {L"Glass", L"4027a1b2-0000-4000-8000-000000000001", u"Glass_4027"},
      {L"Steel", L"4027a1b2-0000-4000-8000-000000000001", u"Steel_4027"},
      {L"Glass", L"9f3c0000-1111-4222-8333-444455556666", u"Glass_9f3c"},
      {L"Matte", L"00000000-0000-0000-0000-000000000000", u"Matte_0000"},
      {L"", L"00000000-0000-0000-0000-000000000000", u"_0000"},
  };
  MaterialKeys keys;
  for (int round = 0; round < 2; ++round) {  // made, then found
    for (const Case& c : cases) {
      ON_Material material;
      material.SetName(ON_wString(c.name));
      material.SetRdkMaterialInstanceId(ON_UuidFromString(c.id));
      EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(keys.Of(material).c_str())),
                c.key);
    }
  }
}

}  // namespace
}  // namespace model_export
