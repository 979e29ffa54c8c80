#include "document_trees.h"

#include <algorithm>
#include <cwchar>
#include <map>

#include "platform/platform.h"
#include "standin/host/sdk_values.h"

namespace host {

namespace {

struct UuidLess {
  bool operator()(const ON_UUID& a, const ON_UUID& b) const { return ON_UuidCompare(a, b) < 0; }
};

// Each id's place in a list; the first place for an id given twice.
template <class Item>
std::map<ON_UUID, size_t, UuidLess> PlacesById(const std::vector<Item>& items) {
  std::map<ON_UUID, size_t, UuidLess> places;
  for (size_t i = 0; i < items.size(); ++i) places.emplace(items[i].id, i);
  return places;
}

// "1 thing is" / "3 things are": a count and its words in the right number.
std::string Counted(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string Utf8(const ON_wString& text) { return platform::WideToUtf8(WideOf(text)); }

// Between the names of a full path, as Rhino writes it.
const wchar_t* const kSeparator = L"::";

}  // namespace

size_t CutSelfReferences(const std::vector<BlockNode>& definitions) {
  const auto places = PlacesById(definitions);
  enum : char { kNew, kOnWay, kDone };
  std::vector<char> state(definitions.size(), kNew);
  // The way down from a definition: each definition on it with the place of
  // the next reference to follow.
  std::vector<std::pair<size_t, size_t>> way;
  size_t cut = 0;
  for (size_t start = 0; start < definitions.size(); ++start) {
    if (state[start] != kNew) continue;
    state[start] = kOnWay;
    way.emplace_back(start, 0);
    while (!way.empty()) {
      const size_t at = way.back().first;
      const size_t next = way.back().second++;
      if (next == definitions[at].placed.size()) {
        state[at] = kDone;
        way.pop_back();
        continue;
      }
      ON_UUID* placed = definitions[at].placed[next];
      const auto found = places.find(*placed);
      if (found == places.end()) continue;
      if (state[found->second] == kOnWay) {
        *placed = ON_nil_uuid;
        ++cut;
      } else if (state[found->second] == kNew) {
        state[found->second] = kOnWay;
        way.emplace_back(found->second, 0);
      }
    }
  }
  return cut;
}

std::string SelfReferenceNotice(size_t cut) {
  if (cut == 0) return std::string();
  return Counted(cut, "block reference places", "block references place") +
         " a block inside itself and " + (cut == 1 ? "is" : "are") + " left out";
}

LayerTreeCheck CheckLayerTree(const std::vector<LayerNode>& layers) {
  LayerTreeCheck check;
  const auto places = PlacesById(layers);
  const long kTop = -1;
  std::vector<long> parent(layers.size(), kTop);
  for (size_t i = 0; i < layers.size(); ++i) {
    if (ON_UuidIsNil(layers[i].parent)) continue;
    const auto found = places.find(layers[i].parent);
    if (found == places.end())
      check.orphans.push_back(i);
    else
      parent[i] = static_cast<long>(found->second);
  }
  // Walks up from each layer to one already seen; a walk that comes back to a
  // layer of its own has gone round a circle.
  enum : char { kNew, kOnWalk, kSeen };
  std::vector<char> state(layers.size(), kNew);
  std::vector<long> walk;
  for (size_t start = 0; start < layers.size(); ++start) {
    long at = static_cast<long>(start);
    while (at != kTop && state[static_cast<size_t>(at)] == kNew) {
      state[static_cast<size_t>(at)] = kOnWalk;
      walk.push_back(at);
      at = parent[static_cast<size_t>(at)];
    }
    if (at != kTop && state[static_cast<size_t>(at)] == kOnWalk) {
      const long first = *std::min_element(std::find(walk.begin(), walk.end(), at), walk.end());
      if (check.circle < 0 || first < check.circle) check.circle = first;
    }
    for (const long seen : walk) state[static_cast<size_t>(seen)] = kSeen;
    walk.clear();
  }
  if (check.circle >= 0) {
    // From the layer up round the circle back to it, shown from the top down.
    std::vector<long> up{check.circle};
    do up.push_back(parent[static_cast<size_t>(up.back())]);
    while (up.back() != check.circle);
    for (auto it = up.rbegin(); it != up.rend(); ++it)
      check.circlePath +=
          (it == up.rbegin() ? L"" : kSeparator) + WideOf(layers[static_cast<size_t>(*it)].name);
  }
  return check;
}

std::string OrphanLayerNotice(const std::vector<LayerNode>& layers,
                              const std::vector<size_t>& orphans) {
  if (orphans.empty()) return std::string();
  std::string names;
  for (const size_t i : orphans) names += (names.empty() ? "" : ", ") + Utf8(layers[i].name);
  return Counted(orphans.size(), "layer names a parent layer that is not in the file and is",
                 "layers name a parent layer that is not in the file and are") +
         " kept at the top level: " + names;
}

std::wstring LayerFullPath(const CRhinoLayerTable& table, int index) {
  std::vector<int> up;
  for (int at = index; at >= 0 && at < table.LayerCount(); at = table.StandinParentIndex(at))
    up.push_back(at);
  std::wstring path;
  for (auto it = up.rbegin(); it != up.rend(); ++it)
    path += (it == up.rbegin() ? L"" : kSeparator) + WideOf(table[*it].Name());
  return path;
}

int FindLayerByPathOrName(const CRhinoLayerTable& table, const ON_wString& text) {
  // A layer's name never holds the separator.
  const std::wstring wanted = WideOf(text);
  if (wanted.find(kSeparator) == std::wstring::npos) return table.StandinFindLayerFromName(text);
  std::vector<std::wstring> names;  // from the top down
  for (size_t from = 0;;) {
    const size_t to = wanted.find(kSeparator, from);
    names.push_back(wanted.substr(from, to - from));
    if (to == std::wstring::npos) break;
    from = to + std::wcslen(kSeparator);
  }
  for (int i = 0; i < table.LayerCount(); ++i) {
    int at = i;
    auto name = names.rbegin();
    while (at >= 0 && name != names.rend() && WideOf(table[at].Name()) == *name) {
      at = table.StandinParentIndex(at);
      ++name;
    }
    if (at < 0 && name == names.rend()) return i;
  }
  return -1;
}

}  // namespace host
