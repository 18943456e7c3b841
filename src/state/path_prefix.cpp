// The path prefix, empty until path or path+ sets it.
#include "state/path_prefix.h"

char zq_path[zq_path_size] = {};
uint8_t zq_path_style = PATH_STYLE_SLASH;
