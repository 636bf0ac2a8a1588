#include "console/platform.hpp"

// A WebAssembly program has no signals and no console of its own: whoever
// runs it, Node or the web page, hands it its standard streams as they are,
// and an output that cannot be written comes back as a failed write, which
// main reports in the exit status.
void prepareStandardStreams() {}

void restoreStandardStreams() {}
