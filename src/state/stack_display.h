// The stack display: the watched registers, then the stack line with the
// alpha register and, on request, X alone on a line of its own.
#pragma once

#include <cstdint>

// 1: the next stack display shows only its watch block, then clears this.
extern int64_t zq_suppress_display;

// Printed by prstk, after every typed line, and in trace mode after every
// command or step instead.
void zq_print_stack_display();
