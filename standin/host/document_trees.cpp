#include "document_trees.h"

#include <map>

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

}  // namespace host
