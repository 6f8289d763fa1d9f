# Writes the header that holds the build date (YYYYMMDD, UTC), and only when the date differs
# from the one it holds, so a build on the same day compiles nothing again.
#   cmake -DOUTPUT=<header> -P build_date.cmake
# A SOURCE_DATE_EPOCH (a reproducible build) is taken when it is earlier; never a later date
# than the build's own.
set(epoch "$ENV{SOURCE_DATE_EPOCH}")
unset(ENV{SOURCE_DATE_EPOCH})
string(TIMESTAMP date "%Y%m%d" UTC)
if(epoch MATCHES "^[0-9]+$")
  set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
  string(TIMESTAMP stamped "%Y%m%d" UTC)
  if(stamped LESS date)
    set(date "${stamped}")
  endif()
endif()

set(content "#pragma once\n// Written at every build by cmake/build_date.cmake.\n#define QUORVANE_BUILD_DATE ${date}\n")
set(old "")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL content)
  file(WRITE "${OUTPUT}" "${content}")
endif()
