// The tests that choose the next screen, and the settings they read.
#pragma once

#include "platform/strings.h"

// The OEM test: Setup.ini's "Setup"/"%PUBLISHER", default "OEM", is exactly
// "OEM". False when Setup.ini does not exist.
bool IsOemSetup();

// The series test: Settings.ini's "Series"/"Display" is a decimal integer
// other than 0 (anything else counts as 0). False without Settings.ini.
bool SeriesScreenEnabled();

// Item `index` (from 0) of Settings.ini's comma-separated "Series"/"Code"
// list, trimmed; "" beyond the list or without Settings.ini.
String SeriesCode(int index);
