#pragma once

// Trace mode: set once by main from the command line, read at every trace point.
extern bool DEBUG;
