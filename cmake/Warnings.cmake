# Warnings are on everywhere and kept clean.
add_compile_options(-Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wcast-function-type
                    -Wimplicit-fallthrough)
if(SUITE_WERROR)
    add_compile_options(-Werror)
endif()
