// The 32-bit instruction word: the first word of every program step and the
// form of the decoded command.
#pragma once

#include <cstdint>

// Layout of the stored word (little-endian, as in the state file):
//
//   31              16 15        9 8        0
//  +------------------+-----------+----------+
//  |       add        |    opt    |   cmd    |
//  +------------------+-----------+----------+
//
// cmd is a signed 9-bit command-table row, opt seven option bits, add the
// unsigned 16-bit argument or chain link. Byte 1 thus holds bit 8 of cmd in
// its lowest bit and opt shifted left by one.
struct zq_instr {
  int32_t cmd = 0;
  uint8_t opt = 0;
  uint16_t add = 0;
};

enum zq_opt_bits : uint8_t {
  OPT_STACK = 0x01,
  OPT_NUM = 0x02,
  OPT_IND = 0x04,
  OPT_STR = 0x08,
  OPT_CHAIN_HEAD = 0x10,
  OPT_FINAL_END = 0x20,
  OPT_CHAR = 0x40,
};

constexpr uint32_t zq_instr_cmd_mask = 0x1ffu;
constexpr uint32_t zq_instr_cmd_sign = 0x100u;
constexpr int zq_instr_opt_shift = 9;
constexpr uint32_t zq_instr_opt_mask = 0x7fu;
constexpr int zq_instr_add_shift = 16;

// Only the low 9 bits of cmd and 7 bits of opt are kept.
constexpr uint32_t zq_instr_pack(const zq_instr& in) {
  return (static_cast<uint32_t>(in.cmd) & zq_instr_cmd_mask) |
         ((in.opt & zq_instr_opt_mask) << zq_instr_opt_shift) |
         (static_cast<uint32_t>(in.add) << zq_instr_add_shift);
}

constexpr zq_instr zq_instr_unpack(uint32_t word) {
  zq_instr in;
  const int32_t cmd = static_cast<int32_t>(word & zq_instr_cmd_mask);
  in.cmd = (word & zq_instr_cmd_sign) ? cmd - 0x200 : cmd;  // sign-extend the 9 bits
  in.opt = static_cast<uint8_t>((word >> zq_instr_opt_shift) & zq_instr_opt_mask);
  in.add = static_cast<uint16_t>(word >> zq_instr_add_shift);
  return in;
}
