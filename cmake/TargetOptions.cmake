# The compile options of every target this project builds, set target by
# target with pm5544_target_options(): warnings, exact floating point, and
# on request -Werror, the sanitizers and the fuzzer's instrumentation.

# Off by default so that a newer compiler's new warnings do not stop a
# user's build; CI (.ci/run) builds with it on.
option(PM5544_WERROR "Treat compiler warnings as errors" OFF)
option(PM5544_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
# The libFuzzer targets of fuzz/ (clang only): every target is built with the
# sanitizers and the fuzzer's coverage instrumentation.
option(PM5544_FUZZ "Build the libFuzzer targets of fuzz/" OFF)

set(PM5544_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)

function(pm5544_target_options target)
  # Every formula is evaluated exactly in the order written: a fused
  # multiply-add changes a code value where a sine crosses zero.
  target_compile_options(${target} PRIVATE -Wall -Wextra -ffp-contract=off)
  # The warnings are the set the GCC builds keep clean; clang's, in a fuzz
  # build, are shown and not fatal.
  if(PM5544_WERROR AND NOT PM5544_FUZZ)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(PM5544_FUZZ)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link -g)
  endif()
  if(PM5544_SANITIZE OR PM5544_FUZZ)
    target_compile_options(${target} PRIVATE ${PM5544_SANITIZE_FLAGS})
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    # The geometry multiplies plainly, so that an overflow is reported
    # (patterns/WrappingArithmetic.h).
    target_compile_definitions(${target} PRIVATE PM5544_CHECKED_GEOMETRY)
  endif()
endfunction()
