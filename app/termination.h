#pragma once
// SIGTERM and SIGINT end the event loop through QCoreApplication::quit()
// instead of killing the process, so everything after exec() still runs.

// Call once, with the application object in place.
void quitOnTermination();
