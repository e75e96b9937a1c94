# Strict warnings for the project's own targets (not for third-party code). Warnings are errors only with
# HALVERN_WERROR (on in CI): a packager's newer or older compiler may warn about code we never saw it
# warn about, and that must not break their build.
option(HALVERN_WERROR "Treat compiler warnings as errors" OFF)

set(halvern_warning_flags -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wpedantic)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  # g++ 12 at -O3 reports overlapping copies inside std::string's own operator+ and assignment from a
  # literal (GCC bugs 105329 and 105651, fixed in 13): false alarms in the standard library's code.
  list(APPEND halvern_warning_flags -Wno-restrict)
endif()

function(halvern_warnings target)
  target_compile_options(${target} PRIVATE ${halvern_warning_flags})
  if(HALVERN_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
