#include <cstdint>
#include <memory>
#include <set>

#include "bridge/bridge_exports.h"
#include "bridge/bridge_loader.h"
#include "bridge/bridge_text.h"
#include "export/element_id.h"
#include "export/mesh_buffers.h"
#include "export/model_exporter.h"
#include "export/swatch.h"
#include "material/material_conversion.h"
#include "material/material_key.h"
#include "plugin/sdk_helpers.h"

namespace {

// The materials element's id: the nil UUID, the same for every send while the
// plug-in is loaded and never the id of an object or a block definition.
const CRhRdkUuid kMaterialsElementId;

}  // namespace

void ModelExporter::SendMaterialsElement(const CRhinoDoc* doc) {
  const BridgeHandle& bridge = *m_bridge;
  const BridgeModel model = m_model;
  float swatchPositions[9];
  SwatchPositions(SwatchAnchor(doc), m_scale, swatchPositions);

  // The element of an earlier send is replaced.
  const BridgeText id(UuidToText(kMaterialsElementId));
  bridge::DeleteElement(bridge, model, id.c_str());
  ORVEX_BRIDGE_CALL(bridge, BeginElement, model, id.c_str());

  // Materials whose instance ids share their leading 32 bits are sent once,
  // the first in list order.
  std::set<std::uint32_t> sent;
  if (doc) {
    const CRhRdkDocument& rdk = CRhRdkDocument::Get(*doc);
    // The caller deletes the list's iterator.
    const std::unique_ptr<IRhRdkContentList::Iterator> it(rdk.MaterialList().NewIterator());
    while (const CRhRdkContent* content = it->Next()) {
      const auto* material = dynamic_cast<const CRhRdkMaterial*>(content);
      if (!material) continue;
      const ON_Material& plain =
          material->SimulatedMaterial(CRhRdkTexture::TextureGeneration::Allow, -1, nullptr);
      if (!sent.insert(material->InstanceId().Data1).second) continue;

      const BridgeText key(WideText(material::MaterialKey(*material)));
      const BridgeText record(material::MaterialRecordOf(plain));
      ORVEX_BRIDGE_CALL(bridge, AddMaterial, model, key.c_str(), record.c_str());
      // The swatch mesh bears the material's own key and wears it; the
      // fourth buffer slot is never filled.
      ORVEX_BRIDGE_CALL(bridge, AddMesh, model, key.c_str(), swatchPositions, 9, kSwatchNormals, 9,
                        kSwatchUvs, 6, static_cast<const float*>(nullptr), 0, kSwatchIndices, 3);
      ORVEX_BRIDGE_CALL(bridge, AddInstance, model, key.c_str(), key.c_str(), kIdentityTransform);
    }
  }
  ORVEX_BRIDGE_CALL(bridge, EndElement);
}
