#pragma once
// The pass-through the window shows now lives with the station, below the windows.
#include "session/PassThroughWatch.h"
