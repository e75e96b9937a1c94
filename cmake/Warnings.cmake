# Strict warnings for the project's own targets (not for third-party code).
function(halvern_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wshadow -Wnon-virtual-dtor -Wpedantic)
endfunction()
