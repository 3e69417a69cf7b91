# A linker map beside a program, "<program>.map", written by the mapgen tool after each link: the crash
# report names its addresses from the first "*.map" of the folder the program runs in.
function(quendara_map_file target)
    add_dependencies(${target} mapgen)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${QUENDARA_RUN_TOOL} $<TARGET_FILE:mapgen> $<TARGET_FILE:${target}> $<TARGET_FILE_DIR:${target}>/$<TARGET_FILE_BASE_NAME:${target}>.map
        VERBATIM)
endfunction()
