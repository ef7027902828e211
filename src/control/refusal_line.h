// The refusal line belongs to the kit, so every subsystem's windows can show it.
#pragma once
#include "kit/refusal_line.h"
