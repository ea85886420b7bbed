# gk_warnings(<target>): the project's warning set, PRIVATE so that clients
# of our libraries never inherit it.
function(gk_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()
