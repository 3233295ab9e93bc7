// Scratch file systems for tests: now shared from tests/support.
#pragma once

#include "../support/ScratchMounts.h"
