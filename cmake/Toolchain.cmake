# Compiler settings shared by every target: ccache, sanitizers and the warning set.

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
    set(CMAKE_C_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
endif()

# Every function keeps its frame pointer, so that a crash report can walk the stack along the saved
# ones where the unwinder is missing.
add_compile_options(-fno-omit-frame-pointer)

if(QUENDARA_SANITIZE)
    add_compile_options(-fsanitize=${QUENDARA_SANITIZE})
    add_link_options(-fsanitize=${QUENDARA_SANITIZE})
    # The sanitizers report faults themselves; the crash catcher stands aside for them.
    add_compile_definitions(QUENDARA_SANITIZED)
    if(QUENDARA_SANITIZE MATCHES "undefined")
        # A finding must fail the test that caused it, not scroll past in its output.
        add_compile_options(-fno-sanitize-recover=undefined)
    endif()
endif()

# The tools that make the data run during the build: in an AddressSanitizer build, under the test tree's
# leak rules, as the tests run.
set(QUENDARA_RUN_TOOL "")
if(QUENDARA_SANITIZE MATCHES "address")
    set(QUENDARA_RUN_TOOL ${CMAKE_COMMAND} -E env
        "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/sanitizers/lsan.supp")
endif()

if(QUENDARA_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

function(quendara_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wnon-virtual-dtor -Wimplicit-fallthrough
        $<IF:$<CXX_COMPILER_ID:GNU>,-Wshadow=local,-Wshadow-uncaptured-local>)
    if(QUENDARA_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
