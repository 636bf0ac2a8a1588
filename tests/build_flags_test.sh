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
#   build_flags_test.sh own_paths BUILD_DIR CXX_FLAGS
#     A build whose flags ask for a sanitizer or for --coverage keeps the real
#     source paths, which its reports name: the sanitizer and coverage builds
#     check their own flags so, without a build of their own.
#   build_flags_test.sh instrumentation SOURCE_DIR WORK_DIR CXX_COMPILER all|clang
#     Every other form in which a developer asks for coverage or profiling is
#     taken for instrumentation: the program builds and links with that
#     runtime, keeps its real source paths for the reports, evaluates, and
#     writes its profile where the flags say. --coverage and the sanitizers
#     are left out: the coverage and sanitizer builds give them as
#     CMAKE_CXX_FLAGS, which CMake fills from CXXFLAGS, and build and run
#     everything with them. "clang" builds only the forms whose runtime is
#     clang's own (its profile generation and its source-based coverage), for
#     a suite that another compiler's run has already taken through the rest.
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
own_paths)
    build=$2 flags=" $3 "
    case $flags in
    *" -fsanitize="* | *" --coverage "*) ;;
    *) echo "SKIPPED: the build's flags ask for no sanitizer or coverage"; exit 77 ;;
    esac
    ! grep -q -- '-ffile-prefix-map' "$build/compile_commands.json" \
        || { echo "FAILED: an instrumented build renames the source folder, which its reports name"; exit 1; }
    echo "the instrumented build keeps its source paths" ;;
instrumentation)
    source=$2 work=$3 compiler=$4 forms=${5:-all}
    "$compiler" --version | grep -q clang && clang=1 || clang=0
    # Each row: a name, where the flags are given, the flags, and the file
    # that a run must leave in the row's folder (none for a sanitizer).
    rows=(
        "coverage in two flags|CXXFLAGS|-fprofile-arcs -ftest-coverage|*.gcda"
        "profile generation|CXXFLAGS|-fprofile-generate|*.gcda *.profraw"
        "profile generation into a folder|CXXFLAGS|-fprofile-generate=@/profiles|profiles/*"
        "gprof|CXXFLAGS|-pg|gmon.out"
    )
    [ "$forms" = clang ] && rows=("${rows[1]}")
    [ $clang = 1 ] && rows+=("clang's source-based coverage|CXXFLAGS|-fprofile-instr-generate -fcoverage-mapping|*.profraw")
    failed=0
    for row in "${rows[@]}"; do
        IFS='|' read -r name where flags leaves <<< "$row"
        folder=$work/${name//[^a-zA-Z]/_}
        flags=${flags//@/$folder}
        rm -rf "$folder" && mkdir -p "$folder"
        configure=(env "CXXFLAGS=$flags" cmake)
        [ "$where" = CMAKE_CXX_FLAGS ] && configure=(cmake "-DCMAKE_CXX_FLAGS=$flags")
        if ! "${configure[@]}" -S "$source" -B "$folder/build" -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=OFF \
            -DCMAKE_CXX_COMPILER="$compiler" > "$folder/build.log" 2>&1 \
            || ! cmake --build "$folder/build" -j 2 --target ostrilume >> "$folder/build.log" 2>&1; then
            tail -20 "$folder/build.log"
            echo "FAILED: $name ($where=$flags): the build fails"
            failed=1
            continue
        fi
        problems=()
        output=$(cd "$folder" && printf '2^10\n' | "$folder/build/ostrilume" 2>&1)
        grep -qx 'Tulos:   1024' <<< "$output" || problems+=("the program printed: $output")
        grep -q -- '-ffile-prefix-map' "$folder/build/compile_commands.json" \
            && problems+=("the build renames the source folder, which the reports name")
        left=
        for pattern in $leaves; do
            left+=$(find "$folder" \( -name "$pattern" -o -path "$folder/$pattern" \) -print -quit)
        done
        [ -n "$leaves" ] && [ -z "$left" ] && problems+=("a run left no ${leaves// / or }")
        if [ ${#problems[@]} -gt 0 ]; then
            printf "FAILED: $name ($where=$flags): %s\n" "${problems[@]}"
            failed=1
        else
            echo "$name ($where=$flags): instrumented"
        fi
    done
    [ $failed = 0 ] && rm -rf "$work"
    exit $failed ;;
esac
