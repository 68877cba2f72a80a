#pragma once

// Kept for the tests that include it: the scenes live in the one fixture.

#include "support/Scene.h"
