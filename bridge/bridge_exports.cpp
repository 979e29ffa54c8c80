#include "bridge/bridge_exports.h"

#include "plugin/messages.h"

namespace bridge {

void ShowExportMissing() { messages::Show(messages::Message::BridgeExportMissing); }

}  // namespace bridge
