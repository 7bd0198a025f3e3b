// A handler for the events of a listener that the program does not use.
// Assigned to a listener's field (`listener.frame = IgnoreEvent;`), it is
// made for that field's signature, so every field of a listener can be
// filled by name, and none is left null for libwayland to call.
#pragma once

template <class... Arguments>
void IgnoreEvent(void*, Arguments...) {}
