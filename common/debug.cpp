#include "common/debug.hpp"

bool DEBUG = false;
