// The state file (--state): the version text, the RAM configuration and the
// EEPROM, as text. Lines:
//   veltsim-state 1
//   version-text <text to the end of the line>
//   ram <hex offset> <16 hex words>       RAM configuration in the EEPROM-region layout
//   eeprom <hex address> <16 hex words>   the EEPROM, 0x0000..0x1FFF
#pragma once
#include <string>
#include <string_view>

#include "sensor.h"

namespace veltsim {

std::string saveState(const Sensor& sensor);
// Replaces the sensor's state; false and *error when the text is not a state file.
bool loadState(Sensor& sensor, std::string_view text, std::string* error);

}  // namespace veltsim
