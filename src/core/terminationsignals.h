#pragma once

// Turns SIGTERM, SIGINT and SIGHUP (the session ending, Ctrl+C) into a clean
// quit of the event loop, so that aboutToQuit runs and a recording in
// progress can finish its file. Call once after the application exists.
void quitOnTerminationSignals();
