# gk_warnings(<target>): the project's warning set, PRIVATE so that clients
# of our libraries never inherit it. With GK_WARNINGS_AS_ERRORS (CI turns it
# on) any warning in our own code fails the build; third-party code
# (ClipperLib, Qt, GoogleTest headers) is compiled or included without it.
include_guard(GLOBAL)
option(GK_WARNINGS_AS_ERRORS "Turn warnings into errors in the project's own targets" OFF)
function(gk_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(GK_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
