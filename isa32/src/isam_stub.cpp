// Placeholder until the engine lands.
#include "zt_isa32.h"
