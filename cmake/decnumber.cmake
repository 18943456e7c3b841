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

# Two reads past the end of live memory, which AddressSanitizer stops on:
# decFinalize's fold-down (texts such as 1e370) keeps a pointer into a buffer
# of an inner block after the block has ended, and decFloatFMA (inside the
# remainder) reads a whole 4-byte word before it checks that the word lies
# inside the coefficient. Static storage for the one, the bound tested first
# for the other; each file is rewritten only while it still needs the change.
file(READ ${ZQ_DECNUMBER_DIR}/decCommon.c zq_source)
string(REPLACE "\t  uByte buffer[ROUNDUP(DECPMAX+3, 4)];" "\t  static uByte buffer[ROUNDUP(DECPMAX+3, 4)];"
       zq_patched "${zq_source}")
if(NOT zq_patched STREQUAL zq_source)
  file(WRITE ${ZQ_DECNUMBER_DIR}/decCommon.c "${zq_patched}")
endif()
file(READ ${ZQ_DECNUMBER_DIR}/decBasic.c zq_source)
set(zq_patched "${zq_source}")
foreach(zq_side hi lo)
  string(REPLACE "UBTOUI(${zq_side}->msd)==0 && ${zq_side}->msd+3<${zq_side}->lsd"
         "${zq_side}->msd+3<${zq_side}->lsd && UBTOUI(${zq_side}->msd)==0" zq_patched "${zq_patched}")
endforeach()
if(NOT zq_patched STREQUAL zq_source)
  file(WRITE ${ZQ_DECNUMBER_DIR}/decBasic.c "${zq_patched}")
endif()

# The two files the library expects from GCC's own configure step.
set(ZQ_DECNUMBER_GEN ${ZQ_DECNUMBER_ROOT}/include)
file(WRITE ${ZQ_DECNUMBER_GEN}/gstdint.h "#include <stdint.h>\n")
file(WRITE ${ZQ_DECNUMBER_GEN}/config.h "")

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
