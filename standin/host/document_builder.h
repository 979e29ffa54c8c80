// Makes the SDK stand-in's document from a document file's description.
#pragma once

#include "RhinoSdk.h"
#include "document_description.h"

namespace document_file {

// Adds what the description holds to the document, which is new: its path and
// units, then its materials, layers, block definitions, objects, lights and
// named views, each in the file's order. The active view is the caller's.
void BuildDocument(const DocumentDescription& description, CRhinoDoc& doc);

}  // namespace document_file
