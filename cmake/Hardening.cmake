# The hardening Debian's dpkg-buildflags gives packaged programs, for every
# target: stack protector, position-independent executables, read-only
# relocations bound at start-up, and checked string and memory functions.
include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-fstack-protector-strong)
  add_link_options(-Wl,-z,relro,-z,now)
  # _FORTIFY_SOURCE works only with optimisation, and the sanitizers check
  # the same calls themselves (and conflict with the checked versions).
  if(NOT VELMORA_SANITIZE AND NOT VELMORA_BUILD_FUZZ)
    add_compile_definitions($<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
  endif()
endif()
