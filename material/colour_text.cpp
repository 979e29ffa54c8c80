#include "material/colour_text.h"

namespace material {
namespace {

void AppendPair(std::wstring& text, int value) {
  static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
  text += kDigits[(value >> 4) & 0xF];
  text += kDigits[value & 0xF];
}

std::wstring FromChannels(int red, int green, int blue) {
  std::wstring text(L"#");
  AppendPair(text, red);
  AppendPair(text, green);
  AppendPair(text, blue);
  return text;
}

int ChannelByte(float value) {
  const float scaled = value * 255.0f;
  const double rounded = static_cast<double>(scaled) + 0.5;
  // Written so that a channel that is not a number falls to 0.
  if (!(rounded >= 1.0)) return 0;
  if (rounded >= 255.0) return 255;
  return static_cast<int>(rounded);
}

}  // namespace

std::wstring ColourText(const ON_Color& colour) {
  return FromChannels(colour.Red(), colour.Green(), colour.Blue());
}

std::wstring ColourText(const ON_4fColor& colour) {
  return FromChannels(ChannelByte(colour.Red()), ChannelByte(colour.Green()),
                      ChannelByte(colour.Blue()));
}

}  // namespace material
