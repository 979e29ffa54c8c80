// The light exporter: turns the lights of a document into the light
// description and hands it to the renderer through SendLightsDataXml.
#pragma once

#include <map>
#include <string>

#include "RhinoSdk.h"
#include "bridge/bridge.h"
#include "common/renderer_frame.h"

namespace light {

class LightExporter {
 public:
  // The exporter sends through the link's bridge, which outlives it. A bridge
  // whose library is not loaded lacks the export.
  explicit LightExporter(const bridge::Bridge& bridge);

  // Describes the document's whole light set and sends it with the document's
  // path. A document without a qualifying light sends the empty text. Without
  // a document nothing is sent.
  void SendLights(const CRhinoDoc* doc);

  // The description SendLights would send for this document: empty when no
  // light qualifies. Sets the scale, the records text and the written layers.
  std::wstring Describe(const CRhinoDoc& doc);

  // The layer group and light source records of the last send.
  const std::wstring& Text() const { return m_text; }
  // Centimetres per model unit of the last send (1.0 before any, and without a document).
  double Scale() const { return m_frame.Scale(); }

 private:
  void StartSend(const CRhinoDoc* doc);
  void WriteLight(const CRhinoLight& object);
  void WriteHeader(const CRhinoLight& object, const ON_Light& light);

  // The layer group and light source records being assembled.
  std::wstring m_text;
  // Layer id texts whose group record has been written in this send.
  std::map<std::wstring, bool> m_writtenLayers;
  const bridge::Bridge& m_bridge;
  common::RendererFrame m_frame{1.0};
};

}  // namespace light
