// Reads a document file's text (*.orvexdoc.json) into its description: JSON
// first, then every section, each field checked as it is read.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "document_description.h"

namespace document_file {

// The JSON tree of a document file's text; false with *error naming the file
// and where the text stops being JSON ("house.orvexdoc.json: not valid JSON
// (line 2, column 9)").
bool ParseJsonText(const std::string& text, const std::string& fileName, nlohmann::json* root,
                   std::string* error);

// The document a file's JSON tree describes, the sections read in the order
// materials, layers, block definitions, objects, lights, named views, view.
// Throws FieldError naming the first field that is not what the format says,
// or that names a layer the file does not have.
DocumentDescription ParseDocument(const nlohmann::json& root);

}  // namespace document_file
