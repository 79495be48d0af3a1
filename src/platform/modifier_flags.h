// SPDX-License-Identifier: MIT
#pragma once
#include "model/modifier_flags.h"
