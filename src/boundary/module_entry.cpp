// The shared module is the core library whole; this unit only gives the target a source.
#include "boundary/exports.h"
