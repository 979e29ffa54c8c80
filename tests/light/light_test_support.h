// Helpers for the light tests: documents with layers and lights built in code,
// reading descriptions back as XML, and the numbers of a Transform.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RhinoSdk.h"

namespace light_test {

// A document in the given units, saved at `path` (empty: never saved).
std::unique_ptr<CRhinoDoc> MakeDocument(ON::LengthUnitSystem units, const std::wstring& path);

// Adds a layer with this id text and name; returns its index.
int AddLayer(CRhinoDoc& doc, const char* id, const std::wstring& name);

// Adds a light of this style on the layer at `layerIndex`, with its id text and name.
CRhinoLight& AddLight(CRhinoDoc& doc, ON::light_style style, int layerIndex, const char* id,
                      const std::wstring& name);

// Succeeds when the text is one well-formed XML document.
::testing::AssertionResult ParsesAsXml(const std::wstring& text);

// The text between the first "<Transform>" and "</Transform>", split at commas.
std::vector<std::wstring> TransformFields(const std::wstring& text);

// The first occurrence of the element's content, e.g. ElementText(text, L"SizeX").
std::wstring ElementText(const std::wstring& text, const std::wstring& element);

// Expects the transform's nine rotation values (text order) and three position
// values to be within `tolerance` of the given numbers, and its four closing
// literals to be "0.0", "0.0", "0.0" and "1.0".
void ExpectTransformNear(const std::wstring& text, const std::vector<double>& expected12,
                         double tolerance);

}  // namespace light_test
