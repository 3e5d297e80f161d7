# Included by the top-level project when TESSAL_FUZZ is on: every library is built with
# the coverage instrumentation libFuzzer steers by and with the address and
# undefined-behaviour sanitizers, so a fault in a parser stops the run with its input.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "TESSAL_FUZZ needs clang and its libFuzzer runtime (scripts/fuzz.sh)")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                    -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
add_subdirectory(${CMAKE_CURRENT_LIST_DIR} ${PROJECT_BINARY_DIR}/tests/fuzz)
