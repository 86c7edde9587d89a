// The process-wide settings record, at its defaults when the program starts.
#include "core/conversion_settings.h"

conversion_settings_record conversion_settings;
