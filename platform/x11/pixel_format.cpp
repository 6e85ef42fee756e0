// placeholder until the screen source lands
#include "platform/x11/x11_screen_source.hpp"
