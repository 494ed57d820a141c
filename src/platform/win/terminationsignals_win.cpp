#include "core/terminationsignals.h"

void quitOnTerminationSignals()
{
    // Windows ends a session through window messages, which Qt already turns
    // into a quit of the event loop.
}
