// The module's static objects, defined in one place so that they are built in
// this order at load (and destroyed in reverse at unload): the plug-in object,
// the commands in registration order, the application object.
#include "plugin/commands/commands.h"
#include "plugin/orvexconv_app.h"
#include "plugin/orvexconv_plugin.h"

static COrvexConvPlugIn thePlugIn;

static CCommandOrvexConverterWebsite theWebsiteCommand;
static CCommandOrvexConverterStart theStartCommand;
static CCommandOrvexConverterStop theStopCommand;
static CCommandOrvexConverterSendModel theSendModelCommand;
static CCommandOrvexConverterViewSyncOn theViewSyncOnCommand;
static CCommandOrvexConverterViewSyncOff theViewSyncOffCommand;
static CCommandOrvexConverterSendScenes theSendScenesCommand;
static CCommandOrvexConverterSendLights theSendLightsCommand;
static CCommandOrvexConverterLiveSyncOn theLiveSyncOnCommand;
static CCommandOrvexConverterLiveSyncOff theLiveSyncOffCommand;
static CCommandOrvexConverterLiveUpdate theLiveUpdateCommand;

static COrvexConvApp theApp;

COrvexConvPlugIn& OrvexConvPlugIn() { return thePlugIn; }
