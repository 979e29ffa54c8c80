#include "plugin/the_link.h"

#include "plugin/plugin_identity.h"

namespace plugin {

renderer_link::Link& TheLink() {
  static renderer_link::Link link(ON_UuidFromString(plugin::identity::kId));
  return link;
}

}  // namespace plugin
