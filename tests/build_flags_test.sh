#!/usr/bin/env bash
# The build and the flags a developer or a distribution brings.
#   build_flags_test.sh own_runtime PROGRAM WANTED INSTRUMENTED LINKS_OWN_RUNTIME
#     Where the build links the C++ runtime into the program (WANTED) and its
#     flags ask for no sanitizer, coverage or profiling, the program names its
#     runtime itself and loads the C library alone, not the maths library,
#     which the fast start leaves out.
#   build_flags_test.sh cppflags SOURCE_DIR WORK_DIR CXX_COMPILER
#     CPPFLAGS in the environment, which CMake never hands to the compiler,
#     count for nothing: the build still brings its own fortification.
set -u
case $1 in
own_runtime)
    program=$2 wanted=$3 instrumented=$4 links=$5
    [ "$wanted" = ON ] || { echo "SKIPPED: the build links the shared C++ runtime or not libstdc++ on Linux"; exit 77; }
    [ "$instrumented" = ON ] && { echo "SKIPPED: the build's flags ask for instrumentation"; exit 77; }
    [ "$links" = 1 ] || [ "$links" = ON ] \
        || { echo "FAILED: a plain build could not link with the runtime it names itself"; exit 1; }
    needed=$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | grep -vE '^(libc\.so|ld-linux)')
    [ -z "$needed" ] || { echo "FAILED: the program loads more than the C library: $needed"; exit 1; }
    echo "the program loads the C library alone" ;;
cppflags)
    source=$2 work=$3 compiler=$4
    rm -rf "$work"
    CPPFLAGS=-D_FORTIFY_SOURCE=3 cmake -S "$source" -B "$work" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
        -DCMAKE_CXX_COMPILER="$compiler" > "$work.log" 2>&1 || { cat "$work.log"; exit 1; }
    commands=$(grep -c '"command"' "$work/compile_commands.json")
    fortified=$(grep '"command"' "$work/compile_commands.json" | grep -c -- '-D_FORTIFY_SOURCE=')
    [ "$commands" -gt 0 ] && [ "$fortified" = "$commands" ] \
        || { echo "FAILED: $fortified of $commands compile commands fortified"; exit 1; }
    rm -rf "$work" "$work.log"
    echo "all $commands compile commands fortified" ;;
esac
