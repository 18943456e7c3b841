// The command table and its aliases. Row order is part of the program-step
// and state-file formats, so it never changes.
#include "interp/command_table.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <string_view>

#include "interp/parser.h"
#include "interp/program.h"

// Handler groups (each group adds its header here): the table is how the
// interpreter reaches the command set.
#include "commands/alpha.h"
#include "commands/arith.h"
#include "commands/catalog.h"
#include "commands/clock.h"
#include "commands/convert.h"
#include "commands/display.h"
#include "commands/files.h"
#include "commands/flags.h"
#include "commands/info.h"
#include "commands/modes.h"
#include "commands/program.h"
#include "commands/registers.h"
#include "commands/stack.h"
#include "commands/stats.h"
#include "commands/xail.h"

const char* zq_get_command_type(int type) {
  static constexpr const char* names[] = {
      "CMD_TYPE_KEYBD",   "CMD_TYPE_FN",      "CMD_TYPE_FNL1",    "CMD_TYPE_FNL2",  "CMD_TYPE_LBL",
      "CMD_TYPE_GTO_XEQ", "CMD_TYPE_PLS_STR", "CMD_TYPE_LINE_NO", "CMD_TYPE_ALPHA", "CMD_TYPE_OPT_ALPHA",
  };
  constexpr int count = sizeof names / sizeof names[0];
  return type >= 0 && type < count ? names[type] : "zq_get_command_type unknown";
}

void zq_cmd_newline() {}

// The two tables below are catalogues aligned by hand, which the formatter
// would reflow.
// clang-format off
constexpr zq_command zq_commands[zq_command_count] = {
  // name     cmd_type            check_mask                                        programmable    handler
  /* 0 */
  {"0",       CMD_TYPE_KEYBD,     CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_digit_0},
  {"1",       CMD_TYPE_KEYBD,     CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_digit_1},
  {"2",       CMD_TYPE_KEYBD,     CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_digit_2},
  {"3",       CMD_TYPE_KEYBD,     CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_digit_3},
  {"4",       CMD_TYPE_KEYBD,     CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_digit_4},
  {"5",       CMD_TYPE_KEYBD,     CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_digit_5},
  {"6",       CMD_TYPE_KEYBD,     CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_digit_6},
  {"7",       CMD_TYPE_KEYBD,     CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_digit_7},
  {"8",       CMD_TYPE_KEYBD,     CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_digit_8},
  {"9",       CMD_TYPE_KEYBD,     CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_digit_9},
  /* 10 */
  {".",       CMD_TYPE_KEYBD,     CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_digit_dot},
  {"e",       CMD_TYPE_KEYBD,     CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_digit_e},
  {"nbr",     CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_nbr},
  {"alpha",   CMD_TYPE_ALPHA,     CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_alpha},
  {"append",  CMD_TYPE_ALPHA,     CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_append},
  {"b",       CMD_TYPE_FN,        CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_bst},
  {"s",       CMD_TYPE_FN,        CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_sst},
  {"cool",    CMD_TYPE_FN,        CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_cool},
  {"+",       CMD_TYPE_FN,        CHK_X_NUMERIC | CHK_Y_NUMERIC,                    PROGRAMMABLE,   zq_cmd_plus},
  {"-",       CMD_TYPE_FN,        CHK_X_NUMERIC | CHK_Y_NUMERIC,                    PROGRAMMABLE,   zq_cmd_minus},
  /* 20 */
  {"*",       CMD_TYPE_FN,        CHK_X_NUMERIC | CHK_Y_NUMERIC,                    PROGRAMMABLE,   zq_cmd_mul},
  {"/",       CMD_TYPE_FN,        CHK_X_NUMERIC | CHK_Y_NUMERIC,                    PROGRAMMABLE,   zq_cmd_div},
  {"1/x",     CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_1_div_x},
  {"10^x",    CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_10_pow_x},
  {"about",   CMD_TYPE_FN,        CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_about},
  {"abs",     CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_abs},
  {"acos",    CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_acos},
  {"adate",   CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_adate},
  {"aleng",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_aleng},
  {"anum",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_anum},
  /* 30 */
  {"arcl",    CMD_TYPE_FNL1,      CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_arcl},
  {"arcll",   CMD_TYPE_FNL1,      CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_arcll},
  {"arot",    CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_arot},
  {"ashf",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_ashf},
  {"ashfl",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_ashfl},
  {"asin",    CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_asin},
  {"asto",    CMD_TYPE_FNL1,      CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_asto},
  {"astol",   CMD_TYPE_FNL1,      CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_astol},
  {"atime",   CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_atime},
  {"atime24", CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_atime24},
  /* 40 */
  {"atan",    CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_atan},
  {"atox",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_atox},
  {"aview",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_aview},
  {"beep",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_beep},
  {"bst",     CMD_TYPE_FN,        CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_bst},
  {"cat",     CMD_TYPE_FNL2,      CHK_REG_NUMERIC,                                  IMMEDIATE_ONLY, zq_cmd_cat},
  {"cf",      CMD_TYPE_FNL2,      CHK_IND_NUMERIC,                                  PROGRAMMABLE,   zq_cmd_cf},
  {"changes", CMD_TYPE_FN,        CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_changes},
  {"chs",     CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_chs},
  {"cla",     CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_cla},
  /* 50 */
  {"clall",   CMD_TYPE_FN,        CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_clall},
  {"cld",     CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_cld},
  {"clerr",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_clerr},
  {"clk12",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_clk12},
  {"clk24",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_clk24},
  {"clkt",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_clkt},
  {"clktd",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_clktd},
  {"clock",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_clock},
  {"clp",     CMD_TYPE_OPT_ALPHA, CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_clp},
  {"clrg",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_clrg},
  /* 60 */
  {"clrgx",   CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_clrgx},
  {"cls",     CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_cls},
  {"clst",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_clst},
  {"clwatch", CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_clwatch},
  {"clx",     CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_clx},
  {"cos",     CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_cos},
  {"d-r",     CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_d_to_r},
  {"date",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_date},
  {"date+",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_date_plus},
  {"ddays",   CMD_TYPE_FN,        CHK_X_NUMERIC | CHK_Y_NUMERIC,                    PROGRAMMABLE,   zq_cmd_ddays},
  /* 70 */
  {"dec",     CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_dec},
  {"deg",     CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_deg},
  {"dow",     CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_dow},
  {"dmy",     CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_dmy},
  {"drop",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_drop},
  {"dropl",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_dropl},
  {"dse",     CMD_TYPE_FNL1,      CHK_REG_NUMERIC,                                  PROGRAMMABLE,   zq_cmd_dse},
  {"end",     CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_end},
  {"eng",     CMD_TYPE_FNL2,      CHK_REG_NUMERIC,                                  PROGRAMMABLE,   zq_cmd_eng},
  {"enter",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_enter},
  /* 80 */
  {"emdir",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_emdir},
  {"errno",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_errno},
  {"xail",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_xail},
  {"exeq",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_exeq},
  {"e^x",     CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_e_pow_x},
  {"e^x-1",   CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_e_pow_x_minus_1},
  {"exit",    CMD_TYPE_FN,        CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_exit},
  {"fact",    CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_fact},
  {"fc?",     CMD_TYPE_FNL2,      CHK_IND_NUMERIC,                                  PROGRAMMABLE,   zq_cmd_fc_q},
  {"fc?c",    CMD_TYPE_FNL2,      CHK_IND_NUMERIC,                                  PROGRAMMABLE,   zq_cmd_fc_qc},
  /* 90 */
  {"fix",     CMD_TYPE_FNL2,      CHK_REG_NUMERIC,                                  PROGRAMMABLE,   zq_cmd_fix},
  {"frc",     CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_frc},
  {"fs?",     CMD_TYPE_FNL2,      CHK_IND_NUMERIC,                                  PROGRAMMABLE,   zq_cmd_fs_q},
  {"fs?c",    CMD_TYPE_FNL2,      CHK_IND_NUMERIC,                                  PROGRAMMABLE,   zq_cmd_fs_qc},
  {"fview",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_fview},
  {"getp",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_getp},
  {"getr",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_getr},
  {"getrx",   CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_getrx},
  {"getsub",  CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_getsub},
  {"grad",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_grad},
  /* 100 */
  {"gto",     CMD_TYPE_GTO_XEQ,   CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_gto},
  {"gto.",    CMD_TYPE_LINE_NO,   CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_gto_dot},
  {"gto..",   CMD_TYPE_FN,        CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_gto_dot_dot},
  {"hms",     CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_hms},
  {"hms+",    CMD_TYPE_FN,        CHK_X_NUMERIC | CHK_Y_NUMERIC,                    PROGRAMMABLE,   zq_cmd_hms_plus},
  {"hms-",    CMD_TYPE_FN,        CHK_X_NUMERIC | CHK_Y_NUMERIC,                    PROGRAMMABLE,   zq_cmd_hms_minus},
  {"hr",      CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_hr},
  {"int",     CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_int},
  {"isg",     CMD_TYPE_FNL1,      CHK_REG_NUMERIC,                                  PROGRAMMABLE,   zq_cmd_isg},
  {"lastx",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_lastx},
  /* 110 */
  {"lbl",     CMD_TYPE_LBL,       CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_lbl},
  {"list",    CMD_TYPE_LINE_NO,   CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_list},
  {"ln",      CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_ln},
  {"ln1+x",   CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_ln1_plus_x},
  {"log",     CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_log},
  {"mean",    CMD_TYPE_FN,        CHK_STAT_NUMERIC,                                 PROGRAMMABLE,   zq_cmd_mean},
  {"mdy",     CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_mdy},
  {"mod",     CMD_TYPE_FN,        CHK_X_NUMERIC | CHK_Y_NUMERIC,                    PROGRAMMABLE,   zq_cmd_mod},
  {"oct",     CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_oct},
  {"off",     CMD_TYPE_FN,        CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_exit},
  /* 120 */
  {"p-r",     CMD_TYPE_FN,        CHK_X_NUMERIC | CHK_Y_NUMERIC,                    PROGRAMMABLE,   zq_cmd_p_to_r},
  {"path",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_path},
  {"path+",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_path_plus},
  {"path?",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_path_q},
  {"pdir",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_pdir},
  {"%",       CMD_TYPE_FN,        CHK_X_NUMERIC | CHK_Y_NUMERIC,                    PROGRAMMABLE,   zq_cmd_percent},
  {"%ch",     CMD_TYPE_FN,        CHK_X_NUMERIC | CHK_Y_NUMERIC,                    PROGRAMMABLE,   zq_cmd_percent_ch},
  {"pi",      CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_pi},
  {"pclps",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_pclps},
  {"posa",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_posa},
  /* 130 */
  {"prompt",  CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_prompt},
  {"prstk",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_prstk},
  {"pse",     CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_pse},
  {"psize",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_psize},
  {"r-d",     CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_r_to_d},
  {"r-p",     CMD_TYPE_FN,        CHK_X_NUMERIC | CHK_Y_NUMERIC,                    PROGRAMMABLE,   zq_cmd_r_to_p},
  {"rad",     CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_rad},
  {"reada",   CMD_TYPE_PLS_STR,   CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_reada},
  {"reads",   CMD_TYPE_PLS_STR,   CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_reads},
  {"regmove", CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_regmove},
  /* 140 */
  {"regswap", CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_regswap},
  {"rcl",     CMD_TYPE_FNL1,      CHK_IND_NUMERIC,                                  PROGRAMMABLE,   zq_cmd_rcl},
  {"rclflag", CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_rclflag},
  {"rdn",     CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_rdn},
  {"rnd",     CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_rnd},
  {"rtn",     CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_rtn},
  {"run",     CMD_TYPE_FN,        CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_run},
  {"rup",     CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_rup},
  {"savep",   CMD_TYPE_FN,        CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_savep},
  {"saver",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_saver},
  /* 150 */
  {"saverx",  CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_saverx},
  {"sci",     CMD_TYPE_FNL2,      CHK_REG_NUMERIC,                                  PROGRAMMABLE,   zq_cmd_sci},
  {"sdev",    CMD_TYPE_FN,        CHK_STAT_NUMERIC,                                 PROGRAMMABLE,   zq_cmd_sdev},
  {"sf",      CMD_TYPE_FNL2,      CHK_IND_NUMERIC,                                  PROGRAMMABLE,   zq_cmd_sf},
  {"sin",     CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_sin},
  {"sign",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_sign},
  {"size",    CMD_TYPE_LINE_NO,   CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_size},
  {"size?",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_size_q},
  {"sqrt",    CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_sqrt},
  {"sst",     CMD_TYPE_FN,        CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_sst},
  /* 160 */
  {"st+",     CMD_TYPE_FNL1,      CHK_X_NUMERIC | CHK_REG_NUMERIC,                  PROGRAMMABLE,   zq_cmd_st_plus},
  {"st-",     CMD_TYPE_FNL1,      CHK_X_NUMERIC | CHK_REG_NUMERIC,                  PROGRAMMABLE,   zq_cmd_st_minus},
  {"st*",     CMD_TYPE_FNL1,      CHK_X_NUMERIC | CHK_REG_NUMERIC,                  PROGRAMMABLE,   zq_cmd_st_mul},
  {"st/",     CMD_TYPE_FNL1,      CHK_X_NUMERIC | CHK_REG_NUMERIC,                  PROGRAMMABLE,   zq_cmd_st_div},
  {"sto",     CMD_TYPE_FNL1,      CHK_IND_NUMERIC,                                  PROGRAMMABLE,   zq_cmd_sto},
  {"stoflag", CMD_TYPE_FN,        CHK_X_FLAGS,                                      PROGRAMMABLE,   zq_cmd_stoflag},
  {"stop",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_stop},
  {"s+",      CMD_TYPE_FN,        CHK_X_NUMERIC | CHK_Y_NUMERIC | CHK_STAT_NUMERIC, PROGRAMMABLE,   zq_cmd_s_plus},
  {"s-",      CMD_TYPE_FN,        CHK_X_NUMERIC | CHK_Y_NUMERIC | CHK_STAT_NUMERIC, PROGRAMMABLE,   zq_cmd_s_minus},
  {"sreg",    CMD_TYPE_FNL2,      CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_sreg},
  /* 170 */
  {"sreg?",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_sreg_q},
  {"tan",     CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_tan},
  {"time",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_time},
  {"trace",   CMD_TYPE_FN,        CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_trace},
  {"unwatch", CMD_TYPE_FNL1,      CHK_IND_NUMERIC,                                  PROGRAMMABLE,   zq_cmd_unwatch},
  {"usage",   CMD_TYPE_FN,        CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_usage},
  {"user",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_user},
  {"view",    CMD_TYPE_FNL1,      CHK_IND_NUMERIC,                                  PROGRAMMABLE,   zq_cmd_view},
  {"watch",   CMD_TYPE_FNL1,      CHK_IND_NUMERIC,                                  PROGRAMMABLE,   zq_cmd_watch},
  {"wrts",    CMD_TYPE_PLS_STR,   CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_wrts},
  /* 180 */
  {"wrta",    CMD_TYPE_PLS_STR,   CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_wrta},
  {"x=0?",    CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_x_eq_0},
  {"x<>0?",   CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_x_ne_0},
  {"x<0?",    CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_x_lt_0},
  {"x<=0?",   CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_x_le_0},
  {"x>0?",    CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_x_gt_0},
  {"x=y?",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_x_eq_y},
  {"x<>y?",   CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_x_ne_y},
  {"x<y?",    CMD_TYPE_FN,        CHK_X_NUMERIC | CHK_Y_NUMERIC,                    PROGRAMMABLE,   zq_cmd_x_lt_y},
  {"x<=y?",   CMD_TYPE_FN,        CHK_X_NUMERIC | CHK_Y_NUMERIC,                    PROGRAMMABLE,   zq_cmd_x_le_y},
  /* 190 */
  {"x>y?",    CMD_TYPE_FN,        CHK_X_NUMERIC | CHK_Y_NUMERIC,                    PROGRAMMABLE,   zq_cmd_x_gt_y},
  {"x<>",     CMD_TYPE_FNL1,      CHK_IND_NUMERIC,                                  PROGRAMMABLE,   zq_cmd_x_swap},
  {"x<>f",    CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_x_swap_f},
  {"x<>y",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_x_swap_y},
  {"xeq",     CMD_TYPE_GTO_XEQ,   CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_xeq},
  {"xtoa",    CMD_TYPE_FN,        CHK_NONE,                                         PROGRAMMABLE,   zq_cmd_xtoa},
  {"x^2",     CMD_TYPE_FN,        CHK_X_NUMERIC,                                    PROGRAMMABLE,   zq_cmd_x_pow_2},
  {"y^x",     CMD_TYPE_FN,        CHK_X_NUMERIC | CHK_Y_NUMERIC,                    PROGRAMMABLE,   zq_cmd_y_pow_x},
  {"\n",      CMD_TYPE_KEYBD,     CHK_NONE,                                         IMMEDIATE_ONLY, zq_cmd_newline},
};

constexpr zq_alias zq_aliases[zq_alias_count] = {
  {"xny?",    "x<>y?"}, {"x#y?",    "x<>y?"}, {"x#0?",    "x<>0?"},
  {"xly?",    "x<=y?"}, {"sum+",    "s+"},    {"sum-",    "s-"},
  {"sumreg",  "sreg"},  {"sumreg?", "sreg?"}, {"rd",      "rdn"},
  {"+/-",     "chs"},   {"r^",      "rup"},   {"clsum",   "cls"},
  {"-dec",    "dec"},   {"-rad",    "d-r"},   {"enter^",  "enter"},
  {"n!",      "fact"},  {"fp",      "frc"},   {"-hms",    "hms"},
  {"-hr",     "hr"},    {"ip",      "int"},   {"-oct",    "oct"},
  {"-rec",    "p-r"},   {"-deg",    "r-d"},   {"-pol",    "r-p"},
  {"x!=y?",   "x<>y?"}, {"x!=0?",   "x<>0?"}, {"pra",     "aview"},
};
// clang-format on

constexpr zq_length_table zq_step_lengths = zq_make_length_table(zq_commands);
constexpr zq_row_length_table zq_row_step_lengths = zq_make_row_length_table(zq_step_lengths);

namespace {

// The search of the table by name in row order, for the compile-time checks
// below: from the first named row up to the end row, which is not compared.
constexpr int zq_row_named(std::string_view name) {
  for (int row = zq_first_named_row; zq_commands[row].name[0] != '\n'; ++row) {
    if (name == zq_commands[row].name) return row;
  }
  return -1;
}

constexpr bool zq_aliases_sound() {
  for (const zq_alias& pair : zq_aliases) {
    if (zq_row_named(pair.alias) != -1 || zq_row_named(pair.canonical) == -1) return false;
    if (std::string_view(pair.canonical).size() >= zq_canonical_size) return false;
  }
  return true;
}

constexpr bool zq_names_unique() {
  for (int row = zq_first_named_row; row < zq_end_row; ++row) {
    if (zq_row_named(zq_commands[row].name) != row) return false;
  }
  return true;
}

// Rows that may be recorded must have a step layout.
constexpr bool zq_programmable_rows_storable() {
  for (const zq_command& row : zq_commands) {
    const bool storable = row.cmd_type != CMD_TYPE_KEYBD && row.cmd_type != CMD_TYPE_LINE_NO &&
                          row.cmd_type != CMD_TYPE_OPT_ALPHA;
    if (row.programmable == PROGRAMMABLE && !storable) return false;
  }
  return true;
}

static_assert(std::string_view(zq_commands[zq_end_row].name) == "\n");
static_assert(zq_names_unique());
static_assert(zq_aliases_sound());
static_assert(zq_programmable_rows_storable());

static_assert(zq_idx_lbl == zq_row_named("lbl"));
static_assert(zq_idx_end == zq_row_named("end"));
static_assert(zq_idx_nbr == zq_row_named("nbr"));
static_assert(zq_idx_gto == zq_row_named("gto"));
static_assert(zq_idx_xeq == zq_row_named("xeq"));
static_assert(zq_idx_alpha == zq_row_named("alpha"));
static_assert(zq_idx_append == zq_row_named("append"));
static_assert(zq_idx_xail == zq_row_named("xail"));
static_assert(zq_idx_stop == zq_row_named("stop"));
static_assert(zq_idx_pse == zq_row_named("pse"));
static_assert(zq_idx_prompt == zq_row_named("prompt"));
static_assert(zq_idx_rtn == zq_row_named("rtn"));
static_assert(zq_idx_exeq == zq_row_named("exeq"));
static_assert(zq_first_listed_row == zq_row_named("+"));

// Every typed word is looked up, numbers included, so the lookups go through
// indexes sorted by name, with the run of names of each first byte found at
// once. Names and aliases are unique, so this finds the same row as the scan
// in row order.
template <typename Target>
struct zq_name_index_entry {
  std::string_view name;
  Target target;
};

// Target is what a name leads to; missing is returned for a name not found.
template <typename Target, Target missing, size_t N>
struct zq_name_index {
  using entry = zq_name_index_entry<Target>;
  std::array<entry, N> entries{};
  std::array<uint16_t, 257> first{};  // entries[first[b], first[b + 1]) begin with byte b

  constexpr void finish() {
    std::sort(entries.begin(), entries.end(), [](const entry& a, const entry& b) { return a.name < b.name; });
    size_t e = 0;
    for (size_t b = 0; b < 256; ++b) {
      first[b] = static_cast<uint16_t>(e);
      while (e < N && static_cast<unsigned char>(entries[e].name[0]) == b) ++e;
    }
    first[256] = static_cast<uint16_t>(N);
  }

  Target find(std::string_view name) const {
    if (name.empty()) return missing;
    const unsigned char b = static_cast<unsigned char>(name[0]);
    const auto begin = entries.begin() + first[b];
    const auto end = entries.begin() + first[b + 1];
    const auto found =
        std::lower_bound(begin, end, name, [](const entry& e, std::string_view key) { return e.name < key; });
    return found != end && found->name == name ? found->target : missing;
  }
};

constexpr auto zq_rows_by_name = [] {
  zq_name_index<int, -1, zq_end_row - zq_first_named_row> index;
  for (int row = zq_first_named_row; row < zq_end_row; ++row) {
    index.entries[static_cast<size_t>(row - zq_first_named_row)] = {zq_commands[row].name, row};
  }
  index.finish();
  return index;
}();

constexpr auto zq_aliases_by_name = [] {
  zq_name_index<const char*, nullptr, zq_alias_count> index;
  for (size_t i = 0; i < zq_alias_count; ++i) {
    index.entries[i] = {zq_aliases[i].alias, zq_aliases[i].canonical};
  }
  index.finish();
  return index;
}();

int zq_row_by_name(std::string_view name) { return zq_rows_by_name.find(name); }

const char* zq_alias_target(std::string_view word) { return zq_aliases_by_name.find(word); }

}  // namespace

void zq_canonical_name(char* word, size_t size) {
  const char* canonical = zq_alias_target(word);
  if (canonical == nullptr) return;
  const size_t length = std::strlen(canonical);
  if (length < size) std::memcpy(word, canonical, length + 1);
}

int zq_find_command(char* word, size_t size) {
  // Searching by the alias's target, not the rewritten word, finds the row
  // even when the word's buffer is too small to take the name.
  const std::string_view typed(word);
  const char* canonical = zq_alias_target(typed);
  zq_canonical_name(word, size);
  return zq_row_by_name(canonical != nullptr ? std::string_view(canonical) : typed);
}

int zq_is_ind(const char* word) {
  const bool may_be_indirect =
      zq_parse_state == EX_IND_NUM || zq_parse_state == EX_IND_NUM_STK || zq_parse_state == EX_IND_NUM_STR;
  return may_be_indirect && std::strcmp(word, "ind") == 0 ? 1 : 0;
}
