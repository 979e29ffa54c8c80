#include <cstdint>
#include <memory>
#include <set>

#include "common/element_id.h"
#include "common/sdk_text.h"
#include "material/material_conversion.h"
#include "material/material_key.h"
#include "model_export/mesh_buffers.h"
#include "model_export/model_exporter.h"
#include "model_export/swatch.h"

namespace model_export {
namespace {

// The materials element's id: the nil UUID, the same for every send while the
// plug-in is loaded and never the id of an object or a block definition.
const CRhRdkUuid kMaterialsElementId;

}  // namespace

void ModelExporter::SendMaterialsElement(const CRhinoDoc* doc) {
  const BridgeModel model = m_model;
  float swatchPositions[9];
  SwatchPositions(SwatchAnchor(doc), m_frame, swatchPositions);

  // The element of an earlier send is replaced.
  const bridge::Text id(common::UuidToText(kMaterialsElementId));
  m_bridge.DeleteElement(model, id);
  m_bridge.BeginElement(model, id);

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

      const bridge::Text key(common::WideText(material::MaterialKey(*material)));
      m_bridge.AddMaterial(model, key, bridge::Text(material::MaterialRecordOf(plain)));
      // The swatch mesh bears the material's own key and wears it.
      m_bridge.AddMesh(model, key, swatchPositions, 9, kSwatchNormals, 9, kSwatchUvs, 6,
                       kSwatchIndices, 3);
      m_bridge.AddInstance(model, key, key, kIdentityTransform);
    }
  }
  m_bridge.EndElement();
}

}  // namespace model_export
