#include "plugin/converter_context.h"

#include "bridge/bridge_loader.h"
#include "export/model_exporter.h"
#include "light/light_exporter.h"
#include "plugin/plugin_identity.h"

ConverterContext::ConverterContext() {
  bridge = std::make_unique<BridgeHandle>();
  bridge::Load(*bridge);  // a failure has shown its message; the context goes on
  viewSync = std::make_shared<ViewSyncShared>();
  viewSyncIdle = std::make_unique<ViewSyncIdle>(ON_UuidFromString(plugin_identity::kId), viewSync);
  viewSyncIdle->Register();
  modelExporter = std::make_unique<ModelExporter>();
  lightBridge = std::make_unique<BridgeHandle>();
  bridge::Load(*lightBridge);
  lightExporter = std::make_unique<LightExporter>(lightBridge.get());
  eventWatcher.Register();
  eventWatcher.Enable(true);
  liveSync = std::make_unique<LiveSync>();
  liveSyncIdle = std::make_unique<LiveSyncIdle>(ON_UuidFromString(plugin_identity::kId));
  liveSyncIdle->Register();
}

ConverterContext::~ConverterContext() {
  // Threads still running see the flag cleared and end; they hold the shared
  // state themselves.
  viewSync->StopThreads();
  SetDocument(nullptr);
}

ConverterContext& TheConverterContext() {
  static ConverterContext context;
  return context;
}

LinkFlags& TheLinkFlags() {
  static LinkFlags flags;
  return flags;
}
