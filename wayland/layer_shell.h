// The layer-shell protocol's client header. Its get_layer_surface request
// has an argument named `namespace`, a C++ keyword, so the name is changed
// for the length of the include (it only names a parameter there).
#pragma once

#define namespace namespace_
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
