#include "on_material.h"

const ON_Color ON_Color::Black{0, 0, 0, 0};
const ON_Color ON_Color::White{255, 255, 255, 0};

ON_Color::ON_Color(int red, int green, int blue, int alpha)
    : m_color(static_cast<unsigned int>(red & 0xFF) |
              (static_cast<unsigned int>(green & 0xFF) << 8) |
              (static_cast<unsigned int>(blue & 0xFF) << 16) |
              (static_cast<unsigned int>(alpha & 0xFF) << 24)) {}

ON_4fColor::ON_4fColor(const ON_Color& c)
    : m_r(c.Red() / 255.0f),
      m_g(c.Green() / 255.0f),
      m_b(c.Blue() / 255.0f),
      m_a(1.0f - c.Alpha() / 255.0f) {}
