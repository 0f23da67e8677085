#pragma once
// Levels, variables and their kinds: data-set fields, expressions, the run's date and time, page
// numbers and totals.

#include "runtime/engine/KivDBVar.h"
#include "runtime/engine/KivExprVar.h"
#include "runtime/engine/KivTotalvar.h"
#include "runtime/engine/KivVarBase.h"
