# The compile options of every target this project builds, set target by
# target with pm5544_target_options(): warnings, exact floating point, and
# on request -Werror and the sanitizers.

# Off by default so that a newer compiler's new warnings do not stop a
# user's build; CI (.ci/run) builds with it on.
option(PM5544_WERROR "Treat compiler warnings as errors" OFF)
option(PM5544_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

set(PM5544_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)

function(pm5544_target_options target)
  # Every formula is evaluated exactly in the order written: a fused
  # multiply-add changes a code value where a sine crosses zero.
  target_compile_options(${target} PRIVATE -Wall -Wextra -ffp-contract=off)
  if(PM5544_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(PM5544_SANITIZE)
    target_compile_options(${target} PRIVATE ${PM5544_SANITIZE_FLAGS})
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()
