# Every target of the project calls tovra_target_defaults() so that warnings, -Werror and the
# sanitizers are decided in one place.
function(tovra_target_defaults target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wno-sign-conversion)
    if(TOVRA_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# What dpkg-buildflags gives a Debian package: the program holds what users copy, passwords
# among them. Fortification needs optimisation, so a Debug build goes without it.
if(TOVRA_HARDEN AND NOT TOVRA_SANITIZE AND NOT TOVRA_TSAN AND NOT TOVRA_FUZZ)
    include(CheckPIESupported)
    check_pie_supported()
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    add_compile_options(-fstack-protector-strong -fstack-clash-protection -fcf-protection
                        $<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE>
                        $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
    add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()

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
