#include "model_export/material_keys.h"

#include <cstdint>
#include <cstring>

#include "common/sdk_text.h"
#include "material/material_key.h"

namespace model_export {

std::size_t MaterialKeys::MadeHash::operator()(const Made& made) const {
  // Ids are random, bar the nil id of materials without one; the name tells
  // those apart only in the rare case of two such materials.
  std::uint64_t halves[2];
  static_assert(sizeof(halves) == sizeof(ON_UUID));
  std::memcpy(halves, &made.id, sizeof(halves));
  return static_cast<std::size_t>(halves[0] ^ (halves[1] * 0x9E3779B97F4A7C15ull)) ^
         static_cast<std::size_t>(made.name.Length());
}

const bridge::Text& MaterialKeys::Of(const ON_Material& material) {
  Made made{material.RdkMaterialInstanceId(), material.Name()};
  const auto found = m_keys.find(made);
  if (found != m_keys.end()) return found->second;
  bridge::Text key(common::WideText(material::MaterialKey(material)));
  return m_keys.emplace(std::move(made), std::move(key)).first->second;
}

}  // namespace model_export
