# Every target of the project calls tovra_target_defaults() so that warnings, -Werror and the
# sanitizers are decided in one place.
function(tovra_target_defaults target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wno-sign-conversion)
    if(TOVRA_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

if(TOVRA_SANITIZE AND TOVRA_TSAN)
    message(FATAL_ERROR "ThreadSanitizer and AddressSanitizer cannot share a build")
endif()
if(TOVRA_TSAN)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()
if(TOVRA_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
