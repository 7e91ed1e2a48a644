# Our own targets build with warnings on; TACTIMER_WERROR makes them errors.
option(TACTIMER_WERROR "Treat compiler warnings as errors" OFF)

function(tactimer_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(TACTIMER_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
