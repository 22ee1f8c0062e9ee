# One switch for the whole tree: every target, the tests and the tools get the same instrumentation.
if(ROAMDOCK_SANITIZE)
    add_compile_options(-fsanitize=${ROAMDOCK_SANITIZE} -fno-omit-frame-pointer)
    add_link_options(-fsanitize=${ROAMDOCK_SANITIZE})
    if(ROAMDOCK_SANITIZE MATCHES "undefined")
        add_compile_options(-fno-sanitize-recover=undefined)
    endif()
endif()
