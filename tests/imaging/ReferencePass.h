// The expected bytes of a render: now shared from tests/support.
#pragma once

#include "../support/ReferencePass.h"
