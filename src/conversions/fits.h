// The least-squares fits live in the kit, shared with the regression calculator.
#pragma once
#include "kit/fits.h"
