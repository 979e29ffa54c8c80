#include "light_test_support.h"

#include <pugixml.hpp>

#include "platform/platform.h"

namespace light_test {

std::unique_ptr<CRhinoDoc> MakeDocument(ON::LengthUnitSystem units, const std::wstring& path) {
  auto doc = std::make_unique<CRhinoDoc>();
  doc->SetModelUnits(ON_UnitSystem(units));
  doc->SetPathName(ON_wString(path.c_str()));
  return doc;
}

int AddLayer(CRhinoDoc& doc, const char* id, const std::wstring& name) {
  CRhinoLayer layer;
  layer.SetId(ON_UuidFromString(id));
  layer.SetName(name.c_str());
  layer.m_doc = &doc;
  return doc.m_layer_table.AddLayer(layer);
}

CRhinoLight& AddLight(CRhinoDoc& doc, ON::light_style style, int layerIndex, const char* id,
                      const std::wstring& name) {
  auto object = std::make_unique<CRhinoLight>();
  object->StandinSetDocument(&doc);
  object->StandinAttributes().m_layer_index = layerIndex;
  ON_UUID objectId = ON_nil_uuid;
  ON_CreateUuid(objectId);
  object->StandinAttributes().m_uuid = objectId;
  object->m_light.SetStyle(style);
  object->m_light.m_light_id = ON_UuidFromString(id);
  object->m_light.SetLightName(name.c_str());
  return doc.m_light_table.StandinAdd(std::move(object));
}

::testing::AssertionResult ParsesAsXml(const std::wstring& text) {
  const std::string utf8 = platform::WideToUtf8(text);
  pugi::xml_document xml;
  const pugi::xml_parse_result result =
      xml.load_buffer(utf8.data(), utf8.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!result)
    return ::testing::AssertionFailure()
           << result.description() << " at offset " << result.offset << " of " << utf8;
  int roots = 0;
  for (pugi::xml_node node = xml.first_child(); node; node = node.next_sibling())
    if (node.type() == pugi::node_element) ++roots;
  if (roots != 1) return ::testing::AssertionFailure() << roots << " top elements in " << utf8;
  return ::testing::AssertionSuccess();
}

std::vector<std::wstring> TransformFields(const std::wstring& text) {
  const std::wstring open = L"<Transform>";
  const size_t begin = text.find(open);
  const size_t end = text.find(L"</Transform>");
  std::vector<std::wstring> fields;
  if (begin == std::wstring::npos || end == std::wstring::npos) return fields;
  const std::wstring inner = text.substr(begin + open.size(), end - begin - open.size());
  size_t start = 0;
  for (;;) {
    const size_t comma = inner.find(L',', start);
    fields.push_back(inner.substr(start, comma - start));
    if (comma == std::wstring::npos) break;
    start = comma + 1;
  }
  return fields;
}

std::wstring ElementText(const std::wstring& text, const std::wstring& element) {
  const std::wstring open = L"<" + element + L">";
  const size_t begin = text.find(open);
  if (begin == std::wstring::npos) return L"(missing)";
  const size_t end = text.find(L"</" + element + L">", begin);
  return text.substr(begin + open.size(), end - begin - open.size());
}

void ExpectTransformNear(const std::wstring& text, const std::vector<double>& expected12,
                         double tolerance) {
  const std::vector<std::wstring> fields = TransformFields(text);
  ASSERT_EQ(fields.size(), 16u) << platform::WideToUtf8(text);
  // Positions of the rotation and position values among the sixteen fields.
  const int computed[12] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14};
  for (int i = 0; i < 12; ++i) {
    const std::wstring& field = fields[static_cast<size_t>(computed[i])];
    EXPECT_EQ(field.size() - field.find(L'.'), 7u)
        << "six decimals: " << platform::WideToUtf8(field);
    EXPECT_NEAR(std::stod(field), expected12[static_cast<size_t>(i)], tolerance)
        << "value " << i << " of " << platform::WideToUtf8(text);
  }
  EXPECT_EQ(fields[3], L"0.0");
  EXPECT_EQ(fields[7], L"0.0");
  EXPECT_EQ(fields[11], L"0.0");
  EXPECT_EQ(fields[15], L"1.0");
}

}  // namespace light_test
