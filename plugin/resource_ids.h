// Numbers of the module's Windows resources, shared by the resource script
// and the code that names them (plain macros: the resource compiler reads
// this file too).
#pragma once

#define ORVEX_PLUGIN_ICON_ID 5009
