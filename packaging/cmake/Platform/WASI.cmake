# WebAssembly with the WebAssembly System Interface: one static program, no
# shared libraries, and the usual Unix folders to search for headers.
include(Platform/UnixPaths)
set(CMAKE_STATIC_LIBRARY_PREFIX lib)
set(CMAKE_STATIC_LIBRARY_SUFFIX .a)
set_property(GLOBAL PROPERTY TARGET_SUPPORTS_SHARED_LIBS FALSE)
set(CMAKE_EXECUTABLE_SUFFIX .wasm)
