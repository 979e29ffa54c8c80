// Ends the link when a document closes.
#pragma once

#include "RhinoSdk.h"

class CEventWatcher : public CRhinoEventWatcher {
 public:
  ~CEventWatcher() override = default;
  // Closing any document unlinks, whether or not it is the linked one.
  void OnCloseDocument(CRhinoDoc& doc) override;
};
