# Everything built for Windows is hardened: a stack protector, and the PE
# flags that Windows' own linkers set for applications. ASLR with
# high-entropy addresses and DEP are binutils' defaults for x86-64; they are
# named so that they stay. The programs we ship also link
# tactimer_stack_guard, so that the protector imports nothing new.
if(WIN32)
    add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-fstack-protector-strong>)
    add_link_options(
        -fstack-protector-strong
        LINKER:--dynamicbase
        LINKER:--high-entropy-va
        LINKER:--nxcompat
        LINKER:--tsaware
    )
endif()
