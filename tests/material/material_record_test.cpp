#include "material/material_record.h"

#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <string>
#include <vector>

#include "material/material_conversion.h"
#include "record_text/markup_escape.h"
#include "tests/material/test_support.h"

namespace material {
namespace {

using record_text::EscapeMarkup;
using test::MakeTexture;

// One character as wide text: a single unit, or a surrogate pair where wide
// characters are 16 bits.
std::wstring FromCodePoint(unsigned long code) {
  if (sizeof(wchar_t) == 2 && code > 0xFFFF) {
    code -= 0x10000;
    return {static_cast<wchar_t>(0xD800 + (code >> 10)),
            static_cast<wchar_t>(0xDC00 + (code & 0x3FF))};
  }
  return std::wstring(1, static_cast<wchar_t>(code));
}

// True when every character is one that XML 1.0 text may carry.
bool OnlyXmlCharacters(const std::wstring& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned long c =
        static_cast<unsigned long>(text[i]) & (sizeof(wchar_t) == 2 ? 0xFFFFul : 0xFFFFFFFFul);
    if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
      const unsigned long low = static_cast<unsigned long>(text[i + 1]) & 0xFFFFul;
      if (low >= 0xDC00 && low <= 0xDFFF) {
        ++i;
        continue;
      }
    }
    const bool allowed = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
                         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
    if (!allowed) return false;
  }
  return true;
}

TEST(EscapeMarkupTest, OrdinaryTextIsUnchanged) {
  for (const std::wstring& text :
       {std::wstring(L""), std::wstring(L"Glass"), std::wstring(L"Brushed Steel (2)"),
        std::wstring(L"D:\\maps\\bump.png"), std::wstring(L"\"quoted\" 'single' #1; 50%"),
        std::wstring(L"tab\tline\nreturn\r"), std::wstring(L"\u73bb\u7483 caf\u00e9"),
        FromCodePoint(0x1F600) + L"x", FromCodePoint(0xFFFD), FromCodePoint(0x10FFFF)}) {
    EXPECT_EQ(EscapeMarkup(text), text);
  }
}

TEST(EscapeMarkupTest, MarkupCharactersAreEscaped) {
  EXPECT_EQ(EscapeMarkup(L"R&D"), L"R&amp;D");
  EXPECT_EQ(EscapeMarkup(L"<b>"), L"&lt;b&gt;");
  EXPECT_EQ(EscapeMarkup(L"&amp;"), L"&amp;amp;");
  EXPECT_EQ(EscapeMarkup(L"]]>"), L"]]&gt;");
  EXPECT_EQ(EscapeMarkup(L"a&&b<<>>"), L"a&amp;&amp;b&lt;&lt;&gt;&gt;");
}

TEST(EscapeMarkupTest, CharactersXmlCannotCarryBecomeReplacementCharacters) {
  const std::wstring r = FromCodePoint(0xFFFD);
  EXPECT_EQ(EscapeMarkup(std::wstring(L"a\x01z\x1F\x0B", 5)), L"a" + r + L"z" + r + r);
  EXPECT_EQ(EscapeMarkup(std::wstring(L"n\0l", 3)), L"n" + r + L"l");
  EXPECT_EQ(EscapeMarkup(FromCodePoint(0xFFFE) + FromCodePoint(0xFFFF)), r + r);
  // Surrogates out of place: a low one alone, a high one at the end, or in
  // reverse order.
  const wchar_t high = static_cast<wchar_t>(0xD83D);
  const wchar_t low = static_cast<wchar_t>(0xDE00);
  EXPECT_EQ(EscapeMarkup(std::wstring{L'a', low}), L"a" + r);
  EXPECT_EQ(EscapeMarkup(std::wstring{L'a', high}), L"a" + r);
  EXPECT_EQ(EscapeMarkup(std::wstring{low, high, L'b'}), r + r + L"b");
  if (sizeof(wchar_t) == 4) {
    // In 32-bit wide text a pair of surrogate values is not a character either.
    EXPECT_EQ(EscapeMarkup(std::wstring{high, low}), r + r);
    EXPECT_EQ(EscapeMarkup(std::wstring(1, static_cast<wchar_t>(0x110000))), r);
  }
}

TEST(MaterialRecordTest, ElementsInTheirOrderWithTheGivenValues) {
  MaterialRecordValues v;
  v.name = L"N";
  v.type = L"T";
  v.opacity = L"O";
  v.diffuse_colour = L"D";
  v.emissive_colour = L"E";
  v.emissive_strength = L"S";
  v.tint_colour = L"C";
  v.roughness = L"R";
  v.bump_amount = L"B";
  v.metallic = L"M";
  v.specular = L"P";
  v.index_of_refraction = L"I";
  v.is_solid_glass = L"G";
  v.texture_width = L"W";
  v.texture_height = L"H";
  v.textures = L"<DiffuseTexture>X</DiffuseTexture>";
  EXPECT_EQ(MaterialRecord(v),
            L"<Material><Name>N</Name><Type>T</Type><Opacity>O</Opacity>"
            L"<DiffuseColor>D</DiffuseColor><EmissiveColor>E</EmissiveColor>"
            L"<EmissiveStrength>S</EmissiveStrength><TintColor>C</TintColor>"
            L"<Roughness>R</Roughness><BumpAmount>B</BumpAmount><Metallic>M</Metallic>"
            L"<Specular>P</Specular><IndexOfRefraction>I</IndexOfRefraction>"
            L"<IsSolidGlass>G</IsSolidGlass><TextureWidth>W</TextureWidth>"
            L"<TextureHeight>H</TextureHeight><DiffuseTexture>X</DiffuseTexture></Material>");
}

TEST(MaterialRecordTest, FixedValuesStartAsTheirLiteralsAndEmptyElementsStay) {
  EXPECT_EQ(MaterialRecord(MaterialRecordValues{}),
            L"<Material><Name></Name><Type>Custom</Type><Opacity></Opacity>"
            L"<DiffuseColor></DiffuseColor><EmissiveColor></EmissiveColor>"
            L"<EmissiveStrength></EmissiveStrength><TintColor>#FFFFFF</TintColor>"
            L"<Roughness></Roughness><BumpAmount>1.0</BumpAmount><Metallic></Metallic>"
            L"<Specular></Specular><IndexOfRefraction></IndexOfRefraction>"
            L"<IsSolidGlass>false</IsSolidGlass><TextureWidth>1.0</TextureWidth>"
            L"<TextureHeight>1.0</TextureHeight></Material>");
}

TEST(MaterialRecordTest, NameIsEscapedAndOrdinaryNamesStayAsGiven) {
  MaterialRecordValues v;
  v.name = L"Glass 01 (copy) \u73bb\u7483";
  EXPECT_EQ(
      MaterialRecord(v).rfind(L"<Material><Name>Glass 01 (copy) \u73bb\u7483</Name><Type>", 0), 0u);
  v.name = L"</Name><Type>Evil&";
  EXPECT_EQ(
      MaterialRecord(v).rfind(L"<Material><Name>&lt;/Name&gt;&lt;Type&gt;Evil&amp;</Name>", 0), 0u);
}

// Names and paths that would break the record if they travelled raw, each with
// the text that a reader of the record must get back.
struct Hostile {
  std::wstring raw;
  std::wstring read_back;
};

std::vector<Hostile> HostileTexts() {
  const std::wstring r = FromCodePoint(0xFFFD);
  std::vector<Hostile> list = {
      {L"R&D", L"R&D"},
      {L"a<b>c", L"a<b>c"},
      {L"</Name><Type>Evil", L"</Name><Type>Evil"},
      {L"</Material><Material>", L"</Material><Material>"},
      {L"<![CDATA[x]]>", L"<![CDATA[x]]>"},
      {L"&amp;&lt;", L"&amp;&lt;"},
      {L"&#x41;&#0;&bogus;", L"&#x41;&#0;&bogus;"},
      {L"<!-- c -->", L"<!-- c -->"},
      {L"<?pi x?>", L"<?pi x?>"},
      {L"<", L"<"},
      {L"&", L"&"},
      {L"\"q\" 'a' \\x\\", L"\"q\" 'a' \\x\\"},
      {std::wstring(L"c\x01\x1F\x7F", 4), L"c" + r + r + L"\x7F"},
      {std::wstring(L"n\0l<", 4), L"n" + r + L"l<"},
      {std::wstring(1, static_cast<wchar_t>(0xDC00)) + L"&", r + L"&"},
      {FromCodePoint(0xFFFE) + L">", r + L">"},
      {FromCodePoint(0x1F600) + L"<x/>", FromCodePoint(0x1F600) + L"<x/>"},
  };
  return list;
}

// Parses the record as XML and checks its outline: one Material element with
// the fifteen value elements and then the given texture elements, the name and
// every texture path reading back as expected.
void ExpectWellFormed(const std::wstring& record, const std::wstring& name,
                      const std::wstring& path, const std::vector<std::string>& textures) {
  ASSERT_TRUE(OnlyXmlCharacters(record));
  pugi::xml_document doc;
  const pugi::xml_parse_result parsed =
      doc.load_buffer(record.data(), record.size() * sizeof(wchar_t),
                      (pugi::parse_default & ~pugi::parse_eol) | pugi::parse_ws_pcdata_single,
                      pugi::encoding_wchar);
  ASSERT_TRUE(parsed) << parsed.description() << " at " << parsed.offset;

  std::vector<std::string> top;
  for (const pugi::xml_node node : doc.children()) top.push_back(node.name());
  ASSERT_EQ(top, std::vector<std::string>{"Material"});

  std::vector<std::string> expected = {"Name",         "Type",          "Opacity",
                                       "DiffuseColor", "EmissiveColor", "EmissiveStrength",
                                       "TintColor",    "Roughness",     "BumpAmount",
                                       "Metallic",     "Specular",      "IndexOfRefraction",
                                       "IsSolidGlass", "TextureWidth",  "TextureHeight"};
  expected.insert(expected.end(), textures.begin(), textures.end());
  std::vector<std::string> children;
  const pugi::xml_node material = doc.child("Material");
  for (const pugi::xml_node node : material.children()) children.push_back(node.name());
  EXPECT_EQ(children, expected);

  EXPECT_EQ(std::string(material.child_value("Name")), pugi::as_utf8(name));
  for (const std::string& texture : textures) {
    for (const pugi::xml_node node : material.children(texture.c_str()))
      EXPECT_EQ(std::string(node.child_value("Filepath")), pugi::as_utf8(path)) << texture;
  }
}

TEST(MaterialRecordXmlTest, RecordsWithHostileNamesAndPathsAreWellFormed) {
  for (const Hostile& h : HostileTexts()) {
    SCOPED_TRACE(pugi::as_utf8(h.read_back));
    ON_Material m;
    m.SetName(ON_wString(h.raw.c_str(), static_cast<int>(h.raw.size())));
    m.m_textures.Append(MakeTexture(ON_Texture::TYPE::bitmap_texture, h.raw.c_str()));
    m.m_textures.Append(MakeTexture(ON_Texture::TYPE::bump_texture, h.raw.c_str(), 0.3));
    m.m_textures.Append(MakeTexture(ON_Texture::TYPE::transparency_texture, h.raw.c_str()));
    m.m_textures.Append(MakeTexture(ON_Texture::TYPE::pbr_metallic_texture, h.raw.c_str()));
    m.m_textures[0].m_uvw = ON_Xform::DiagonalTransformation(2.0);
    // openNURBS refuses some names and ends a path at a NUL: a text it changed
    // reaches the record as it keeps it.
    const auto kept = [&h](const ON_wString& text) {
      const std::wstring wide(text.Array(), static_cast<size_t>(text.Length()));
      return wide == h.raw ? h.read_back : wide;
    };
    const std::wstring name = kept(m.Name());
    const std::wstring path = kept(m.m_textures[0].m_image_file_reference.FullPath());

    ExpectWellFormed(BasicMaterialRecord(m), name, path,
                     {"DiffuseTexture", "BumpTexture", "MaskTexture"});
    m.ToPhysicallyBased();
    ExpectWellFormed(PhysicallyBasedMaterialRecord(m), name, path,
                     {"DiffuseTexture", "BumpTexture", "MaskTexture", "MetalTexture"});
  }
}

TEST(MaterialRecordXmlTest, AnEmptyNameReadsBackEmpty) {
  ON_Material m;
  ExpectWellFormed(BasicMaterialRecord(m), L"", L"", {});
  EXPECT_NE(BasicMaterialRecord(m).find(L"<Name></Name>"), std::wstring::npos);
}

}  // namespace
}  // namespace material
