# TACTIMER_SANITIZE builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, stopping at the first report: an overrun of a
# fixed buffer that a plain run survives fails the tests instead.
option(TACTIMER_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(TACTIMER_SANITIZE)
    add_compile_options(
        -fsanitize=address,undefined
        -fno-sanitize-recover=all
        -fno-omit-frame-pointer
    )
    add_link_options(-fsanitize=address,undefined)
endif()
