#include "driver/run_settings.h"

RunSettings settings;
RunTotals totals;
int oIn = -1;
int oOut = -1;
