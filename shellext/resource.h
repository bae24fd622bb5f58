// Resource ids of Plimbus.dll.
#pragma once

#define IDS_PROJNAME 100
