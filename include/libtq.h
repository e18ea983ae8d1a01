// libtq: the runtime that compiled programs run on.
//
// This is the one header a compiled program includes. It declares every runtime entry point
// and every process-wide variable that compiled code or a test may touch. The declarations are
// grouped by subsystem in the headers below; each header says which thread owns what it declares.
#pragma once

#include "libtq/common.h"
#include "libtq/data.h"
#include "libtq/display.h"
#include "libtq/frame.h"
#include "libtq/input.h"
#include "libtq/logging.h"
#include "libtq/memory.h"
#include "libtq/screen.h"
#include "libtq/strings.h"
#include "libtq/system.h"
