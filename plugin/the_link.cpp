#include "plugin/the_link.h"

#include "plugin/plugin_identity.h"

namespace plugin {
namespace {

// Live sync sends a large update through this command, run as if typed.
constexpr const wchar_t* kLiveUpdateScript = L"_-OrvexConverterLiveUpdate";

}  // namespace

renderer_link::Link& TheLink() {
  static renderer_link::Link link(ON_UuidFromString(identity::kId), kLiveUpdateScript);
  return link;
}

}  // namespace plugin
