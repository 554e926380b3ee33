# Debian's hardening flags, as dpkg-buildflags gives them to Debian's own
# packages: format checks, the stack protector, fortified C library calls,
# read-only relocations and immediate binding. Its optimisation and debug
# flags are left out (the build type decides those), and so is its mapping of
# source paths (a debugger finds the sources of this tree by their own);
# fortified calls are for optimised builds only, where they work. The sanitizer and fuzz trees
# do without them: fortified calls hide faults from the sanitizers.
option(TK28950_HARDENING "Build with Debian's hardening flags (dpkg-buildflags)" ON)
find_program(TK28950_DPKG_BUILDFLAGS dpkg-buildflags)

# tk28950_buildflags(FLAG OUT): dpkg-buildflags' FLAG (CPPFLAGS, CXXFLAGS,
# LDFLAGS) with every hardening feature, as a list in OUT.
function(tk28950_buildflags flag out)
    execute_process(
        COMMAND env DEB_BUILD_MAINT_OPTIONS=hardening=+all "DEB_${flag}_MAINT_STRIP=-g -O2"
            ${TK28950_DPKG_BUILDFLAGS} --get ${flag}
        OUTPUT_VARIABLE value OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(value UNIX_COMMAND "${value}")
    list(FILTER value EXCLUDE REGEX "^-ffile-prefix-map=")
    set(${out} ${value} PARENT_SCOPE)
endfunction()

if(TK28950_HARDENING AND TK28950_DPKG_BUILDFLAGS AND NOT TK28950_SANITIZE AND NOT TK28950_FUZZ)
    tk28950_buildflags(CPPFLAGS cppflags)
    tk28950_buildflags(CXXFLAGS cxxflags)
    tk28950_buildflags(LDFLAGS ldflags)
    set(fortify ${cppflags})
    list(FILTER fortify INCLUDE REGEX "^-D_FORTIFY_SOURCE")
    list(FILTER cppflags EXCLUDE REGEX "^-D_FORTIFY_SOURCE")
    add_compile_options(${cppflags} ${cxxflags} $<$<NOT:$<CONFIG:Debug>>:${fortify}>)
    add_link_options(${ldflags})
    message(STATUS "Hardening flags (dpkg-buildflags): ${cppflags} ${cxxflags} ${ldflags}")
    set(TK28950_HARDENED ON)
else()
    set(TK28950_HARDENED OFF)
endif()
