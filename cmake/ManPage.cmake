# Files installed the way Debian wants them: compressed with "gzip -9n", so
# that the result does not depend on when or where it was made.

# tk28950_gzip(SOURCE OUTPUT): builds OUTPUT, the compressed SOURCE.
function(tk28950_gzip source output)
    get_filename_component(name ${output} NAME_WLE)
    get_filename_component(folder ${output} DIRECTORY)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${folder}/${name}
        COMMAND gzip -9nf ${folder}/${name}
        DEPENDS ${source}
        VERBATIM)
endfunction()

# tk28950_add_man_page(PAGE): installs the manual page PAGE (a file beside
# the calling CMakeLists.txt whose name ends in its section, e.g. tool.1).
function(tk28950_add_man_page page)
    get_filename_component(name ${page} NAME)
    get_filename_component(page ${page} ABSOLUTE)
    string(REGEX MATCH "[1-9]$" section ${name})
    set(compressed ${CMAKE_CURRENT_BINARY_DIR}/man/${name}.gz)
    tk28950_gzip(${page} ${compressed})
    add_custom_target(man-${name} ALL DEPENDS ${compressed})
    install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()
