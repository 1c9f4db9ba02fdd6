#pragma once
// The run's views live in core so that the login steps can write the work log too.
#include "core/run_views.h"
