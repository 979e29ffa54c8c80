// The material keys of one send, in the bridge's text. A document's objects
// share few materials, and making a key (its id's text, a few strings, the
// bridge's text of it) costs more than finding one made already: each key is
// made once a send and found again by what it is made of, the material's
// RDK instance id and its name.
#pragma once

#include <cstddef>
#include <unordered_map>

#include "RhinoSdk.h"
#include "bridge/bridge_text.h"

namespace model_export {

class MaterialKeys {
 public:
  // The key of `material` (material::MaterialKey), made the first time it
  // is asked for. Valid until Clear.
  const bridge::Text& Of(const ON_Material& material);
  // Forgets every key made; a send starts with none.
  void Clear() { m_keys.clear(); }

 private:
  struct Made {
    ON_UUID id;
    ON_wString name;
    bool operator==(const Made& other) const { return id == other.id && name == other.name; }
  };
  struct MadeHash {
    std::size_t operator()(const Made& made) const;
  };
  // Node-based: a key found stays where it is while others are made.
  std::unordered_map<Made, bridge::Text, MadeHash> m_keys;
};

}  // namespace model_export
