// The path prefix put in front of file names and shell commands, and how
// composed names separate directories.
#pragma once

#include <cstdint>

// At most 230 characters and a NUL. Set by path and path+; empty after
// initialisation.
constexpr int zq_path_size = 231;
extern char zq_path[zq_path_size];

// PATH_STYLE_SLASH turns every backslash into '/'. Initialisation selects it.
constexpr uint8_t PATH_STYLE_SLASH = 1;
extern uint8_t zq_path_style;
