#include "interface/driver.h"

#include "interface/messages.h"

namespace korvex {

// Stand-in until the driver lands: refuses every run.
void driver_main(int, char**) { fatal_stop(); }

}  // namespace korvex
