#pragma once
// SIGTERM and SIGINT end the event loop instead of killing the process, so
// everything after exec() still runs.

#include <functional>

// Call once, with the application object in place. `first` runs in the event
// loop when the signal arrives, before the loop ends. The loop ends without
// closing the windows: a session that ends asks the user nothing.
void quitOnTermination(std::function<void()> first = {});
