# The hardening that Debian builds its own packages with, for builds whose own
# flags do not bring it. A flag that the build's flags (given_compile_flags and
# given_link_flags, gathered by CMakeLists.txt) already set, in either sense, is
# neither added again nor overridden: a distribution's choice, such as
# -D_FORTIFY_SOURCE=3 or -fno-stack-protector, stands.

# The source folder is named "." in the binary, so that every build of the
# same commit gives the same bytes; dpkg-buildflags may have said so already.
# An instrumented build keeps the real paths, which its reports name.
foreach(folder ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
  string(FIND "${given_compile_flags}" "-ffile-prefix-map=${folder}=" given)
  if(given EQUAL -1 AND NOT OSTRILUME_INSTRUMENTED)
    add_compile_options(-ffile-prefix-map=${folder}=.)
  endif()
endforeach()

option(OSTRILUME_HARDENING "Add the hardening flags that the given build flags do not set" ON)
# WebAssembly keeps its call stack and return addresses outside the memory a
# program can write, and loads no code at run time: none of this applies.
if(NOT OSTRILUME_HARDENING OR OSTRILUME_SANITIZED OR OSTRILUME_WASI)
  return()
endif()

include(CheckCXXCompilerFlag)

# Adds compile flag unless the given flags match pattern; code generation flags
# only where the compiler takes them (-fcf-protection exists on x86 alone).
function(harden_compile flag pattern)
  if(given_compile_flags MATCHES "${pattern}")
    return()
  endif()
  if(flag MATCHES "^-W")
    add_compile_options(${flag})
    return()
  endif()
  string(MAKE_C_IDENTIFIER "ostrilume_takes${flag}" takes)
  check_cxx_compiler_flag(${flag} ${takes})
  if(${takes})
    add_compile_options(${flag})
  endif()
endfunction()

function(harden_link flag pattern)
  if(NOT given_link_flags MATCHES "${pattern}")
    add_link_options(${flag})
  endif()
endfunction()

# Windows programs are relocatable and non-executable in their data as the
# linker makes them; the rest of this is ELF's, and mingw-w64's g++ 12 fails
# with an internal error on stack clash protection.
if(NOT WIN32 AND NOT "${given_compile_flags}${given_link_flags}" MATCHES " -f(no-)?(PIE|pie|PIC|pic) | -(no-)?pie ")
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  include(CheckPIESupported)
  check_pie_supported()
endif()
harden_compile(-fstack-protector-strong " -f(no-)?stack-protector")
# mingw-w64 keeps the protector's functions, and those of fortification, in
# libssp, which g++ links only when the flag is on the link line too.
if(WIN32 AND NOT given_compile_flags MATCHES " -f(no-)?stack-protector")
  add_link_options(-fstack-protector-strong)
endif()
if(NOT WIN32)
  harden_compile(-fstack-clash-protection " -f(no-)?stack-clash-protection ")
endif()
harden_compile(-fcf-protection " -f(no-)?cf-protection")
harden_compile(-Wformat " -W(no-)?format ")
harden_compile(-Werror=format-security " -W(no-|(no-)?error=)?format-security ")
# Fortification needs the optimiser, so it comes with the optimising builds.
if(NOT given_compile_flags MATCHES "_FORTIFY_SOURCE")
  add_compile_options($<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-D_FORTIFY_SOURCE=2>)
endif()
if(NOT WIN32)
  harden_link(-Wl,-z,relro "-z,?(no)?relro")
  harden_link(-Wl,-z,now "-z,?(now|lazy)")
endif()
