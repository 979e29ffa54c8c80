// Reads a document file (*.orvexdoc.json) into the SDK stand-in's document.
// The file is read into its description (document_file_parser.h), then the
// document is made from that (document_builder.h).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "RhinoSdk.h"

struct DocumentReadResult {
  std::unique_ptr<CRhinoDoc> doc;
  // The active view the file asks for: absent = keep the host's view,
  // a null viewport ("view": null) = no active view.
  bool hasView = false;
  std::optional<ON_Viewport> view;
  // Empty on success; otherwise names the file and the field that is wrong.
  std::string error;
  // Lines for the user about what the document leaves out; none when nothing.
  std::vector<std::string> notices;
};

DocumentReadResult ReadDocumentFile(const std::string& path);
// Reads from text already in memory; fileName names it in errors, and the
// document path defaults to absolutePath.
DocumentReadResult ReadDocumentText(const std::string& text, const std::string& fileName,
                                    const std::wstring& absolutePath);

// Unit names of document files ("millimeters", ...); false for an unknown name.
bool UnitSystemFromName(const std::string& name, ON::LengthUnitSystem* units);
