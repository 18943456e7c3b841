// The execution state. The mode is MODE_RECORD at process start: main
// selects MODE_IMMEDIATE before it applies the options.
#include "state/execution.h"

#include "state/instr.h"

zq_instr zq_decoded;
char zq_text[zq_text_size];
uint32_t zq_mode = MODE_RECORD;
uint8_t zq_advance = ADV_NEXT;
