# The distribution's hardening, as Debian builds its packages: the flags dpkg-buildflags gives
# with every hardening feature on (stack protector, _FORTIFY_SOURCE, full RELRO with immediate
# binding), plus stack clash and control-flow protection. Optimised builds only: the fortified
# functions need the optimiser, and the sanitizer and fuzzing builds have checks of their own.
option(ZARN_HARDENING "Build with the distribution's hardening flags" ON)

if(ZARN_HARDENING AND NOT ZARN_SANITIZE AND NOT ZARN_LIBFUZZER
   AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
    find_program(ZARN_DPKG_BUILDFLAGS dpkg-buildflags)
    if(NOT ZARN_DPKG_BUILDFLAGS)
        message(FATAL_ERROR "dpkg-buildflags (package dpkg-dev) gives the hardening flags; "
                            "install it or configure with -DZARN_HARDENING=OFF")
    endif()
    set(ENV{DEB_BUILD_MAINT_OPTIONS} "hardening=+all")
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(COMMAND ${ZARN_DPKG_BUILDFLAGS} --get ${kind}
                        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
        # The build type chooses optimisation and debug information, and the programs show
        # their build date (-Wdate-time would refuse it); the rest is hardening.
        string(REGEX REPLACE "(^| )(-g|-O[0-9s]|-ffile-prefix-map=[^ ]*|-Wdate-time)( |$)" " "
                             flags "${flags}")
        string(REGEX REPLACE "(^| )(-g|-O[0-9s]|-ffile-prefix-map=[^ ]*|-Wdate-time)( |$)" " "
                             flags "${flags}")
        separate_arguments(flags UNIX_COMMAND "${flags}")
        set(ZARN_HARDENING_${kind} ${flags})
    endforeach()
    add_compile_options(${ZARN_HARDENING_CPPFLAGS} ${ZARN_HARDENING_CXXFLAGS}
                        -fstack-clash-protection -fcf-protection)
    add_link_options(${ZARN_HARDENING_LDFLAGS})
    message(STATUS "Hardening: ${ZARN_HARDENING_CPPFLAGS};${ZARN_HARDENING_CXXFLAGS};"
                   "${ZARN_HARDENING_LDFLAGS}")
endif()
