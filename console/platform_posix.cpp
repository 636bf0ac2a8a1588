#include <csignal>

#include "console/platform.hpp"

// A reader that has gone away is one more output that cannot be written: the
// program finishes and says so in its exit status instead of being killed
// mid-line by SIGPIPE.
void prepareStandardStreams() { std::signal(SIGPIPE, SIG_IGN); }

void restoreStandardStreams() {}
