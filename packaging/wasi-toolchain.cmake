# Builds the program for WebAssembly (wasm32-wasi) with clang and Debian's
# WebAssembly runtime for it (packages wasi-libc, libc++-dev-wasm32 and
# libclang-rt-dev-wasm32, for clang 14 on Debian 12); the
# web preset and scripts/cross-test wasm use it. Node (package nodejs) runs
# the tests through packaging/wasi-run.mjs, and binaryen's wasm-opt (package
# binaryen) prepares the program for the page.
set(CMAKE_SYSTEM_NAME WASI)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/cmake)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET wasm32-wasi)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
set(CMAKE_FIND_ROOT_PATH /usr/include/wasm32-wasi /usr/lib/wasm32-wasi)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wasi-run.mjs)
