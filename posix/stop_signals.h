// Ending at once on SIGTERM and SIGINT, as XScreenSaver and a compositor's
// idle daemon stop a saver, for the Linux and BSD programs that draw on a
// display.
#pragma once

// Makes SIGTERM and SIGINT end the process at once with 0, from whatever it
// is doing: the wait between frames, a frame, or a call to a display server
// that does not answer. For programs that hold nothing that outlives them
// (the display server frees their windows, surfaces and contexts when the
// connection closes, and they write no files), so that ending in the handler
// loses nothing, where a way out through the event loop would first wait for
// the server. Called before anything else, so that a signal during the start
// ends it the same way; it also unblocks the two signals whatever the
// starting process had blocked, so that one sent before the start, and held
// back by such a mask, ends it here.
void EndOnStopSignals();
