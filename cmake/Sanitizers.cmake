# Every target built with AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer; any undefined behaviour stops the program.
# Meant for a Debug build, where Qt's own Q_ASSERTs stay on.
if(NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
  message(FATAL_ERROR "VELMORA_SANITIZE needs CMAKE_BUILD_TYPE=Debug (got '${CMAKE_BUILD_TYPE}')")
endif()
add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
# Debian's g++ links with --as-needed unless sanitizing; kept here so the
# programs need the same libraries as in a Release build.
add_link_options(-fsanitize=address,undefined -Wl,--as-needed)
