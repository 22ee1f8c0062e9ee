# Every target links roamdock_warnings so the flags live in one place.
add_library(roamdock_warnings INTERFACE)
target_compile_options(roamdock_warnings INTERFACE -Wall -Wextra)
