#include "sync/event_watcher.h"

#include "plugin/converter_context.h"

void CEventWatcher::OnCloseDocument(CRhinoDoc&) { StopFlow(TheConverterContext()); }
