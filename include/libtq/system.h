// Declarations of this subsystem are added as it is built.
#pragma once

#include "libtq/common.h"
