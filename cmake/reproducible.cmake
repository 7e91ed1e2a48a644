# The same sources give the same bytes, whatever the folder or the time.
# The linker stamps Windows executables with SOURCE_DATE_EPOCH when it is
# set; without it the stamp is the time of the last commit, not of the link.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(TACTIMER_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
    execute_process(
        COMMAND git log -1 --format=%ct
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        OUTPUT_VARIABLE TACTIMER_SOURCE_DATE_EPOCH
        OUTPUT_STRIP_TRAILING_WHITESPACE
        ERROR_QUIET
    )
    if(NOT TACTIMER_SOURCE_DATE_EPOCH)
        # Not a Git checkout: a fixed stamp is still better than the clock.
        set(TACTIMER_SOURCE_DATE_EPOCH 0)
    endif()
endif()

foreach(language C CXX)
    set(CMAKE_${language}_LINKER_LAUNCHER
        ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${TACTIMER_SOURCE_DATE_EPOCH})
endforeach()

# Paths of the source and build folders never reach an object file.
add_compile_options(
    $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>
    $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=>
)
