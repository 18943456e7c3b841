# decNumber comes from Debian's GCC source package: extract its libdecnumber/
# directory into the build tree once, and build it as a static C library.

set(ZQ_GCC_TARBALL /usr/src/gcc-12/gcc-12.2.0-dfsg.tar.xz)
set(ZQ_DECNUMBER_ROOT ${CMAKE_BINARY_DIR}/decnumber)
set(ZQ_DECNUMBER_DIR ${ZQ_DECNUMBER_ROOT}/gcc-12.2.0/libdecnumber)

if(NOT EXISTS ${ZQ_DECNUMBER_DIR}/decNumber.c)
  if(NOT EXISTS ${ZQ_GCC_TARBALL})
    message(FATAL_ERROR "decNumber source missing: apt-get install gcc-12-source")
  endif()
  file(MAKE_DIRECTORY ${ZQ_DECNUMBER_ROOT})
  execute_process(
    COMMAND tar -xJf ${ZQ_GCC_TARBALL} gcc-12.2.0/libdecnumber
    WORKING_DIRECTORY ${ZQ_DECNUMBER_ROOT}
    RESULT_VARIABLE zq_tar_result)
  if(NOT zq_tar_result EQUAL 0)
    message(FATAL_ERROR "cannot extract libdecnumber from ${ZQ_GCC_TARBALL}")
  endif()
endif()

# Three reads past the end of live memory, which AddressSanitizer stops on:
# decFinalize's fold-down (texts such as 1e370) keeps a pointer into a buffer
# of an inner block after the block has ended; decFloatFMA (inside the
# remainder) reads a whole 4-byte word before it checks that the word lies
# inside the coefficient; and decDivide, stripping the zero units of an
# accumulator that a division has emptied (5 / 625), reads the unit below the
# accumulator before it checks that it has passed the end. Static storage for
# the first, the bound tested first for the others.
#
# Replaces from with to in a source file, writing it only while it still
# needs the change; a source that holds neither text is not the one these
# fixes were made for, and the build stops rather than run without them.
function(zq_patch_source file from to)
  file(READ ${file} zq_source)
  string(FIND "${zq_source}" "${from}" zq_from_at)
  if(NOT zq_from_at EQUAL -1)
    string(REPLACE "${from}" "${to}" zq_source "${zq_source}")
    file(WRITE ${file} "${zq_source}")
  else()
    string(FIND "${zq_source}" "${to}" zq_to_at)
    if(zq_to_at EQUAL -1)
      message(FATAL_ERROR "decNumber fix does not apply: ${file} holds neither\n  ${from}\nnor\n  ${to}")
    endif()
  endif()
endfunction()

zq_patch_source(${ZQ_DECNUMBER_DIR}/decCommon.c
  "\t  uByte buffer[ROUNDUP(DECPMAX+3, 4)];"
  "\t  static uByte buffer[ROUNDUP(DECPMAX+3, 4)];")
foreach(zq_side hi lo)
  zq_patch_source(${ZQ_DECNUMBER_DIR}/decBasic.c
    "UBTOUI(${zq_side}->msd)==0 && ${zq_side}->msd+3<${zq_side}->lsd"
    "${zq_side}->msd+3<${zq_side}->lsd && UBTOUI(${zq_side}->msd)==0")
endforeach()
zq_patch_source(${ZQ_DECNUMBER_DIR}/decBasic.c
  "for (; *msua==0 && msua>=lsua;) msua--;"
  "for (; msua>=lsua && *msua==0;) msua--;")

# The two files the library expects from GCC's own configure step, written
# only when their content changes, so that a reconfigure rebuilds nothing.
set(ZQ_DECNUMBER_GEN ${ZQ_DECNUMBER_ROOT}/include)
file(CONFIGURE OUTPUT ${ZQ_DECNUMBER_GEN}/gstdint.h CONTENT "#include <stdint.h>\n")
file(CONFIGURE OUTPUT ${ZQ_DECNUMBER_GEN}/config.h CONTENT "")

add_library(decnumber STATIC
  ${ZQ_DECNUMBER_DIR}/decContext.c
  ${ZQ_DECNUMBER_DIR}/decNumber.c
  ${ZQ_DECNUMBER_DIR}/decDouble.c
  ${ZQ_DECNUMBER_DIR}/decQuad.c
  ${ZQ_DECNUMBER_DIR}/dpd/decimal64.c)
set_target_properties(decnumber PROPERTIES LINKER_LANGUAGE C)
target_include_directories(decnumber SYSTEM PUBLIC
  ${ZQ_DECNUMBER_GEN} ${ZQ_DECNUMBER_DIR} ${ZQ_DECNUMBER_DIR}/dpd)
# decCommon (inside decDouble and decQuad) already defines the BIN2DPD and
# DPD2BIN tables; the guard macros keep decimal64.c to its declarations.
set_source_files_properties(${ZQ_DECNUMBER_DIR}/dpd/decimal64.c PROPERTIES
  COMPILE_DEFINITIONS "DECBIN2DPD;DECDPD2BIN")
target_compile_options(decnumber PRIVATE -w)
